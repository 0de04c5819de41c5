// A macro log that cannot be put at its end is not written: appending there
// would overwrite the lines that earlier playbacks left in it.
#include <gtest/gtest.h>
#include <string.h>

#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "player/start/start_form.h"
#include "tests/plugin/fake_host.h"

namespace {

const char kMacro[] = "C:\\m\\demo.txt";
const char16_t kDemoMacroPath[] = u"C:\\m\\demo.txt";
const char16_t kDemoLogPath[] = u"C:\\m\\demo.log";

struct SeekCase {
  const char *what;
  bool missing;  // the host lacks HostFileSeek
  bool fails;    // HostFileSeek answers -1 and moves nothing
  bool logKept;
};

void PrintTo(const SeekCase &c, std::ostream *out) { *out << c.what; }

class LogAppendTest : public ::testing::TestWithParam<SeekCase> {};

TEST_P(LogAppendTest, TheLogIsWrittenOnlyBehindWhatItHolds) {
  const SeekCase &c = GetParam();
  FakeHost &host = FakeHost::Get();
  host.Install();
  host.AddFile(u"C:\\VOLMAR\\" + std::u16string(kKeyFileRelativePath), "#define F1 0x3B00\n");
  host.AddFile(kDemoMacroPath, "ab");
  host.AddFile(kDemoLogPath, "old line\n");
  strcpy(g_startForm.fileName, kMacro);
  host.handlers.HostRunForm = [](const void *, int32_t, void *, FieldCallback) {
    return static_cast<int32_t>(host::kFormConfirmed);
  };
  if (c.missing) host.RemoveFunction(52306);
  if (c.fails) host.handlers.HostFileSeek = [](HostFile, int32_t, int32_t) { return -1; };

  RunStartBranch();
  ASSERT_NE(0u, g_player.macroFile);
  EXPECT_EQ(c.logKept, g_player.logFile != 0);
  EXPECT_EQ(c.logKept, host.files.IsOpen(kDemoLogPath)) << "a log not used is closed at once";
  for (int call = 0; call < 3; ++call) PluginKeyFilter(0xFFFF);  // a, b, the end

  EXPECT_EQ(0u, g_player.macroFile);
  EXPECT_EQ(0u, g_player.logFile);
  EXPECT_FALSE(host.files.IsOpen(kDemoLogPath));
  std::vector<uint32_t> keys = {'a', 'b'};
  EXPECT_EQ(keys, host.postedKeys) << "the macro plays with or without its log";
  const std::string log = host.FileContent(kDemoLogPath);
  if (c.logKept) {
    EXPECT_EQ("old line\n", log.substr(0, 9));
    EXPECT_NE(std::string::npos, log.find("{CHAR: b}"));
  } else {
    EXPECT_EQ("old line\n", log);
  }
}

INSTANTIATE_TEST_SUITE_P(Seek, LogAppendTest,
                         ::testing::Values(SeekCase{"positioned", false, false, true},
                                           SeekCase{"failing", false, true, false},
                                           SeekCase{"missing", true, false, false}),
                         [](const ::testing::TestParamInfo<SeekCase> &info) {
                           return std::string(info.param.what);
                         });

}  // namespace

namespace {

// A host that cannot give the log's path (no room for the extension) and
// leaves the buffer as it was: the macro must not be taken for its own log.
TEST(LogPath, AMacroIsNeverItsOwnLog) {
  FakeHost &host = FakeHost::Get();
  host.Install();
  host.AddFile(kDemoMacroPath, "ab");
  strcpy(g_startForm.fileName, kMacro);
  host.handlers.HostRunForm = [](const void *, int32_t, void *, FieldCallback) {
    return static_cast<int32_t>(host::kFormConfirmed);
  };
  host.handlers.HostPathAddExtensionW = [](HostWideChar *, int32_t, const HostWideChar *) {
    return -1;
  };

  RunStartBranch();
  ASSERT_NE(0u, g_player.macroFile);
  EXPECT_EQ(0u, g_player.logFile);
  EXPECT_EQ(2u, host.Count("HostFileOpenW")) << "keys.h and the macro; no log";
  for (int call = 0; call < 3; ++call) PluginKeyFilter(0xFFFF);
  EXPECT_EQ("ab", host.FileContent(kDemoMacroPath));
}

}  // namespace
