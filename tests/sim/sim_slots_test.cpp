// The generated host import slots: each forwards to the installed object's
// method of the same name, records the call only while recording is on, and
// the static binding points a slot straight at a host's own function or
// leaves it empty.
#include <gtest/gtest.h>

#include "plugin/contract/host_values.h"
#include "sim/sim_slots.h"

namespace {

// A host that refuses every key and counts the refusals.
class RefusingHost : public sim::HostCalls {
 public:
  int refused = 0;

 protected:
  int32_t HostPostKey(uint32_t) override {
    ++refused;
    return 0;
  }
};

TEST(SimSlots, EverySlotForwardsToTheInstalledHost) {
  RefusingHost host;
  sim::InstallHostCalls(host);
  EXPECT_TRUE(sim::HostCallsBound());
  EXPECT_EQ(&host, sim::InstalledHostCalls());
  // Overridden, simulated and neutral answers, each through its slot.
  EXPECT_EQ(0, g_hostSlots.HostPostKey('a'));
  EXPECT_EQ(1, host.refused);
  EXPECT_EQ(0, g_hostSlots.HostSetFlags(host::kFlagPluginWorking, 1));
  EXPECT_EQ(host::kFlagPluginWorking, g_hostSlots.HostGetFlags());
  EXPECT_EQ(host::kNoKey, g_hostSlots.HostKeyPending());
  EXPECT_EQ(0, g_hostSlots.HostAsk("t", "q", 0));
  EXPECT_EQ(1, sim::HostCallsQuery(1, 1));
  // Off by default: nothing recorded.
  EXPECT_TRUE(host.calls.empty());
}

TEST(SimSlots, RecordsEachCallWithItsArgumentsWhileRecordingIsOn) {
  sim::HostCalls host;
  host.recording = true;
  host.hostFolder = u"C:\\V\\";
  host.files.Add(u"C:\\V\\log.txt", "", true);
  sim::InstallHostCalls(host);
  HostWideChar path[host::kPathChars];
  ASSERT_EQ(0, g_hostSlots.HostMakePathW(path, host::kPathChars, u"log.txt"));
  HostFile file = g_hostSlots.HostFileOpenW(path, u"rt+", host::kOpenShare, 0, -1);
  ASSERT_NE(0u, file);
  EXPECT_EQ(3, g_hostSlots.HostFilePrintf(file, "%s%d", "a", 12));
  char text[] = "x";
  g_hostSlots.HostConvertText(text, 2, text, 1, host::kEncodingHostText, host::kEncodingLog);
  host.recording = false;
  g_hostSlots.HostFileClose(file);
  EXPECT_EQ(
      "HostMakePathW(wbuf, 260, u\"log.txt\")\n"
      "HostFileOpenW(u\"C:\\\\V\\\\log.txt\", u\"rt+\", 64, 0, -1)\n"
      "HostFilePrintf(0x1, \"%s%d\", \"a12\")\n"
      "HostConvertText(\"in place\", 2, 1, 1, 6)\n",
      host.Trace());
  EXPECT_EQ("a12", host.files.Written(u"C:\\V\\log.txt"));
}

struct QuickHost {
  static uint32_t HostGetFlags() { return 7; }
};
struct QuickHostWithKeys : QuickHost {
  static int32_t HostPostKey(uint32_t) { return 1; }
};

TEST(SimSlots, StaticSlotsBindOnlyTheHostsOwnFunctions) {
  HostImportSlots slots = sim::StaticSlots<QuickHostWithKeys>();
  EXPECT_EQ(&QuickHost::HostGetFlags, slots.HostGetFlags);  // inherited
  EXPECT_EQ(&QuickHostWithKeys::HostPostKey, slots.HostPostKey);
  size_t bound = 0;
  for (const void *slot : reinterpret_cast<const void *const(&)[kHostImportCount]>(slots))
    bound += slot != nullptr;
  EXPECT_EQ(2u, bound);
}

}  // namespace
