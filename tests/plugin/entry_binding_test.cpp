// The plug-in shell: base name, binding records, diagnostics, entry points.
#include <string.h>

#include <gtest/gtest.h>

#include "plugin/contract/host_values.h"
#include "plugin/diagnostics/compatibility.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/binding/host_imports.h"
#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/identity/plugin_identity.h"
#include "player/entry/player_definition.h"
#include "tests/plugin/fake_host.h"

namespace {

struct BaseNameCase {
  const char *path;
  const char *base;
};

TEST(ModuleBaseName, TakesTheTextBehindTheLastSeparatorOfEitherKind) {
  const BaseNameCase cases[] = {
      {"C:\\VOLMAR\\wtyczki\\tastiromatika.dll", "tastiromatika.dll"},
      {"/opt/volmar/wtyczki/tastiromatika.dll", "tastiromatika.dll"},
      {"C:\\VOLMAR/wtyczki\\x.dll", "x.dll"},
      {"C:/VOLMAR\\wtyczki/y.dll", "y.dll"},
      {"tastiromatika.dll", "tastiromatika.dll"},
      {"C:\\VOLMAR\\", ""},
      {"C:/VOLMAR/", ""},
      {"", ""},
  };
  for (const BaseNameCase &c : cases) EXPECT_STREQ(c.base, ModuleBaseName(c.path)) << c.path;
}

// A host module with all 44 functions, or without the given ordinals.
HMODULE AddHostModule(std::initializer_list<uint16_t> lacking = {}) {
  HMODULE host = standin::AddModule("VOLMAR", "C:\\VOLMAR\\VOLMAR.dll");
  for (const HostImportEntry &entry : kHostImportTable) {
    bool absent = false;
    for (uint16_t ordinal : lacking) absent = absent || ordinal == entry.ordinal;
    // Any distinct non-null address will do: the slots are only compared.
    if (!absent)
      standin::AddExport(host, entry.ordinal, reinterpret_cast<void *>(0x1000 + entry.position));
  }
  return host;
}

void LoadPlugin() {
  HMODULE self = standin::AddModule("tastiromatika", "C:\\VOLMAR\\wtyczki\\tastiromatika.dll");
  PluginAttach(self, DLL_PROCESS_ATTACH);
  RunPreBindInitialisers();
}

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPluginForTest(); }
};

TEST_F(BindingTest, AllFunctionsBoundLeaveTheRecordZero) {
  AddHostModule();
  LoadPlugin();
  EXPECT_EQ(0u, g_missingImports.count);
  for (uint16_t ordinal : g_missingImports.ordinals) EXPECT_EQ(0, ordinal);
  for (const HostImportEntry &entry : kHostImportTable)
    EXPECT_EQ(reinterpret_cast<void *>(0x1000 + entry.position), *entry.slot) << entry.ordinal;
  EXPECT_TRUE(standin::DebugOutput().empty());
}

TEST_F(BindingTest, LookupsAreMadeInTableOrder) {
  AddHostModule();
  LoadPlugin();
  std::vector<uint32_t> expected = {30006};  // HostQuery, by the attach step
  for (const HostImportEntry &entry : kHostImportTable) expected.push_back(entry.ordinal);
  EXPECT_EQ(expected, standin::ProcLookups());
}

TEST_F(BindingTest, OneMissingFunctionIsCountedAndRecorded) {
  AddHostModule({40008});
  LoadPlugin();
  EXPECT_EQ(1u, g_missingImports.count);
  EXPECT_EQ(40008, g_missingImports.ordinals[0]);
  EXPECT_EQ(0, g_missingImports.ordinals[1]);
  EXPECT_EQ(nullptr, reinterpret_cast<void *>(g_hostSlots.HostOrdinal40008));
  EXPECT_NE(nullptr, reinterpret_cast<void *>(g_hostSlots.HostCheckPlugin));
}

// A plug-in that binds a few host functions (the recorder's kind): only
// those are looked up, in table order whatever the list's order; the others
// stay empty, and their guards answer the neutral result without a call.
TEST_F(BindingTest, AListBindsOnlyItsFunctionsAndCountsOnlyItsFailures) {
  AddHostModule({52245, 40008});  // HostPostKey and HostOrdinal40008 lacking
  HMODULE self = standin::AddModule("recorder", "C:\\VOLMAR\\wtyczki\\recorder.dll");
  PluginAttach(self, DLL_PROCESS_ATTACH);
  const HostImport list[] = {HostImport::HostPostKey, HostImport::HostGetFlags,
                             HostImport::HostCheckPlugin};
  for (uint32_t i = 0; i < kHostImportCount; ++i) BindHostImportFromList(i, list, 3);

  const std::vector<uint32_t> lookups = {30006, 30018, 32300, 52245};
  EXPECT_EQ(lookups, standin::ProcLookups());
  EXPECT_EQ(1u, g_missingImports.count);
  EXPECT_EQ(52245, g_missingImports.ordinals[0]);
  for (const HostImportEntry &entry : kHostImportTable) {
    bool bound = entry.ordinal == 30018 || entry.ordinal == 32300;
    EXPECT_EQ(bound ? reinterpret_cast<void *>(0x1000 + entry.position) : nullptr, *entry.slot)
        << entry.ordinal;
  }
  EXPECT_EQ(1, HostPostKey(0x41));        // the neutral result: taken
  EXPECT_EQ(0xFFFFu, HostKeyPending());  // not listed: no key waiting
}

// The player's list is all 44 functions in table order.
TEST(PlayerDefinition, BindsEveryHostFunctionInTableOrder) {
  ASSERT_EQ(static_cast<uint32_t>(kHostImportCount), kPluginDefinition.boundImportCount);
  for (uint32_t i = 0; i < kHostImportCount; ++i)
    EXPECT_EQ(kHostImportTable[i].position, static_cast<uint32_t>(kPluginDefinition.boundImports[i]));
  EXPECT_EQ(sizeof kPluginDescription, kPluginDefinition.descriptionSize);
  EXPECT_EQ(&PluginKeyFilter, kPluginDefinition.keyFilter);
}

TEST_F(BindingTest, TenMissingKeepTheFirstEightInTableOrder) {
  // Listed out of table order on purpose: the record follows the table.
  AddHostModule({52541, 21285, 52033, 52006, 30018, 35387, 32300, 52536, 52305, 38498});
  LoadPlugin();
  EXPECT_EQ(10u, g_missingImports.count);
  const uint16_t expected[8] = {30018, 52006, 35387, 32300, 52536, 52305, 38498, 21285};
  EXPECT_EQ(0, memcmp(expected, g_missingImports.ordinals, sizeof expected));
}

TEST_F(BindingTest, NoHostModuleMissesAll44) {
  LoadPlugin();
  EXPECT_EQ(nullptr, g_plugin.hostModule);
  EXPECT_EQ(nullptr, reinterpret_cast<void *>(g_plugin.hostQuery));
  EXPECT_EQ(44u, g_missingImports.count);
  const uint16_t expected[8] = {30018, 35802, 40008, 41611, 41613, 30005, 38417, 52537};
  EXPECT_EQ(0, memcmp(expected, g_missingImports.ordinals, sizeof expected));
}

TEST_F(BindingTest, DiagnosticLinesGoOutOnlyWithADebugger) {
  AddHostModule({40008, 52245});
  LoadPlugin();
  EXPECT_TRUE(standin::DebugOutput().empty());

  ResetPluginForTest();
  standin::SetDebuggerPresent(true);
  AddHostModule({40008, 52245});
  LoadPlugin();
  const std::vector<std::string> expected = {"Brak funkcji o numerze 40008\n",
                                             "Brak funkcji o numerze 52245\n"};
  EXPECT_EQ(expected, standin::DebugOutput());
}

TEST_F(BindingTest, AFunctionNameThatFailsIsNeitherCountedNorRecorded) {
  standin::SetDebuggerPresent(true);
  AddHostModule();
  LoadPlugin();
  void *slot = reinterpret_cast<void *>(0x1234);
  BindHostImport(reinterpret_cast<uintptr_t>("NoSuchFunction"), &slot);
  EXPECT_EQ(nullptr, slot);
  EXPECT_EQ(0u, g_missingImports.count);
  ASSERT_EQ(1u, standin::DebugOutput().size());
  EXPECT_EQ("Brak funkcji o nazwie NoSuchFunction\n", standin::DebugOutput()[0]);
}

TEST_F(BindingTest, AFunctionNameThatTheHostExportsFillsItsSlotQuietly) {
  standin::SetDebuggerPresent(true);
  HMODULE host = AddHostModule();
  LoadPlugin();
  standin::AddNamedExport(host, "HostExtra", reinterpret_cast<void *>(&FakeHostQuery));
  void *slot = nullptr;
  BindHostImport(reinterpret_cast<uintptr_t>("HostExtra"), &slot);
  EXPECT_EQ(reinterpret_cast<void *>(&FakeHostQuery), slot);
  EXPECT_EQ(0u, g_missingImports.count);
  EXPECT_TRUE(standin::DebugOutput().empty());
}

TEST_F(BindingTest, AttachStepTakesHostQueryAndIgnoresOtherNotifications) {
  HMODULE host = AddHostModule();
  standin::AddExport(host, 30006, reinterpret_cast<void *>(&FakeHostQuery));
  HMODULE self = standin::AddModule("tastiromatika", "C:\\VOLMAR\\wtyczki\\t.dll");
  PluginAttach(self, DLL_THREAD_ATTACH);
  EXPECT_EQ(nullptr, g_plugin.instance);
  PluginAttach(self, DLL_PROCESS_ATTACH);
  EXPECT_EQ(self, g_plugin.instance);
  EXPECT_EQ(host, g_plugin.hostModule);
  EXPECT_EQ(&FakeHostQuery, g_plugin.hostQuery);
  EXPECT_STREQ("C:\\VOLMAR\\wtyczki\\t.dll", g_plugin.modulePath);
  EXPECT_STREQ("t.dll", g_plugin.moduleBaseName);
}

TEST_F(BindingTest, GuardsAnswerNeutrallyForEmptySlots) {
  LoadPlugin();  // no host: every slot empty
  EXPECT_EQ(-1, HostFileGetc(1));
  EXPECT_EQ(nullptr, HostFileGets(nullptr, 0, 1));
  EXPECT_EQ(0u, HostFileOpenW(u"x", u"rt", 0x40, 0, -1));
  EXPECT_EQ(0x7FFFFFFFu, HostDateNumber(nullptr));
  EXPECT_EQ(host::kNoKey, HostKeyPending());
  EXPECT_EQ(0x41u, HostConvertChar(0x41, 3, 1));
  EXPECT_EQ(0, HostMessageF(15000, "STOP!!!", "%s", 0xF001, 0x6E2E, "x"));
  EXPECT_EQ(nullptr, HostSetKeyFilter(&PluginKeyFilter));
  char date[12] = "junk", time[12] = "junk";
  HostDateTimeText(date, time, 0x30);
  EXPECT_STREQ("", date);
  EXPECT_STREQ("", time);
  char16_t path[260] = u"C:\\m.txt";
  HostPathAddExtensionW(path, 260, u".log");
  EXPECT_EQ(0, path[0]) << "without the host's rule there is no log path";
  char name[14];
  HostCopyText(name, "ABCDEFGHIJKLMNOP", 13);
  EXPECT_STREQ("ABCDEFGHIJKLM", name);
}

// ---------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------
class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeHost::Get().Install(); }
  FakeHost &host = FakeHost::Get();
};

TEST_F(EntryTest, HandshakeDeliversTheDescriptionAndReplacesHostQuery) {
  g_plugin.hostQuery = nullptr;
  char buffer[100];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(0, PluginHandshake(&FakeHostQuery, buffer));
  EXPECT_EQ(&FakeHostQuery, g_plugin.hostQuery);
  EXPECT_EQ(74u, strlen(kPluginDescription));
  EXPECT_EQ(0, memcmp(buffer,
                      "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz "
                      "Shift+F11",
                      75));
  EXPECT_EQ('x', buffer[75]);
}

TEST_F(EntryTest, HandshakeWithNullBufferStillChecks) {
  EXPECT_EQ(CheckCompatibility(), PluginHandshake(&FakeHostQuery, nullptr));
  EXPECT_EQ(&FakeHostQuery, g_plugin.hostQuery);
}

TEST_F(EntryTest, TearDownOfAnUnloadedTableCallsNothing) {
  host.ClearCalls();
  EXPECT_EQ(0, PluginHandshake(nullptr, reinterpret_cast<char *>(0x1)));
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
}

uint32_t HOST_STDCALL HostsOwnFilter(uint32_t key) { return key; }

TEST_F(EntryTest, ActivationInstallsTheFilterAndKeepsThePreviousOne) {
  host.previousFilter = &HostsOwnFilter;
  EXPECT_EQ(0, PluginActivate(0));
  EXPECT_EQ(&PluginKeyFilter, host.installedFilter);
  EXPECT_EQ(&HostsOwnFilter, g_player.previousFilter);
}

TEST_F(EntryTest, SecondActivationNeverMakesTheFilterItsOwnPredecessor) {
  host.previousFilter = &HostsOwnFilter;
  PluginActivate(0);
  PluginActivate(0);  // the host now hands our own filter back
  EXPECT_EQ(&HostsOwnFilter, g_player.previousFilter);
  EXPECT_EQ(2u, host.Count("HostSetKeyFilter"));
}

TEST_F(EntryTest, ActivationWithoutHostSetKeyFilterInstallsNothing) {
  host.RemoveFunction(52249);
  EXPECT_EQ(0, PluginActivate(0));
  EXPECT_EQ(nullptr, g_player.previousFilter);
}

TEST_F(EntryTest, NonzeroModesExplainAndReturnZero) {
  for (int32_t mode : {1, -1, 7}) {
    host.ClearCalls();
    EXPECT_EQ(0, PluginActivate(mode)) << mode;
    EXPECT_EQ(0u, host.Count("HostSetKeyFilter")) << mode;
  }
}

TEST_F(EntryTest, FixedAnswers) {
  EXPECT_EQ(0, PluginAnswerZero());
  for (int32_t value : {0, 1, -1, 0x7FFFFFFF})
    EXPECT_EQ(static_cast<int32_t>(0xB669FD2E), PluginAnswerMagic(value));
  EXPECT_EQ(-1234567890, PluginAnswerMagic(5));
}

}  // namespace
