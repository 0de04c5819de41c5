// The load-failure report: one message naming the first cause found.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "plugin/diagnostics/compatibility.h"
#include "plugin/diagnostics/load_failure_report.h"
#include "plugin/binding/host_imports.h"
#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_identity.h"
#include "tests/plugin/fake_host.h"

namespace {

// Every expected text is written out in Mazovia bytes (ł 92, ą 86, ę 91,
// ó A2, ż A7, ś 9E, ć 8D, Ł 9C, Ę 90); a string break keeps a hex escape
// from taking the next letter.
#define DESCRIPTION "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11"

std::string FeatureMessage(const char *bits) {
  return std::string("Program nie obs\x92uguje cech 0x") + bits +
         ",\nkt\xA2re s\x86 niezb\x91" "dne dla modu\x92u '" DESCRIPTION "'.";
}

std::string ImportMessage(const char *list, const char *them) {
  return std::string("Wtyczka \"" DESCRIPTION "\" potrzebuje zaimportowa\x8D\n") + list +
         " z modu\x92u g\x92\xA2wnego,\njednak modu\x92 g\x92\xA2wny " + them +
         " nie posiada. Aby naprawi\x8D t\x91 sytuacj\x91\n"
         "zainstaluj aktualizacj\x91 programu oraz wtyczki.\n\n"
         "WTYCZKA NIE ZOSTANIE ZA\x9C" "ADOWANA!!!\n";
}

const char kVersionFormat[] =
    "Modu\x92 \"%s\" i program wyst\x91puj\x86 w r\xA2\xA7nych wersjach!\n\n"
    "Zosta\x92 zakualizowany tylko program albo tylko modu\x92,\n"
    "a nie oba jednocze\x9E" "nie! Aby naprawi\x8D t\x91 sytuacj\x91\n"
    "zainstaluj aktualizacj\x91 programu wraz z modu\x92" "em \"%s\".\n\n"
    "MODU\x9C NIE ZOSTANIE ZA\x9C" "ADOWANY!!!\n";

const char kNotInitialisedFormat[] =
    "Modu\x92 \"%s\" nie zosta\x92 poprawnie zainicjowany,\n"
    "wi\x91" "c NIE B\x90" "DZIE AKTYWNY!";

// A format with the module base name in place of each "%s".
std::string WithModuleName(std::string format) {
  for (size_t at; (at = format.find("%s")) != std::string::npos;)
    format.replace(at, 2, "tastiromatika.dll");
  return format;
}
const std::string kVersionMessage = WithModuleName(kVersionFormat);
const std::string kNotInitialisedMessage = WithModuleName(kNotInitialisedFormat);

// The one HostMessageF of a report with its format and its formatted text.
std::string MessageCall(const std::string &format, const std::string &text) {
  return "HostMessageF(15000, \"STOP!!!\", \"" + Escaped(format) + "\", 0xF001, 0x6E2E, \"" +
         Escaped(text) + "\")\n";
}

// The one HostMessageF of a report whose prepared text goes through "%s".
std::string PreparedCall(const std::string &text) { return MessageCall("%s", text); }

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    strcpy(g_plugin.modulePath, "C:\\VOLMAR\\wtyczki\\tastiromatika.dll");
    g_plugin.moduleBaseName = ModuleBaseName(g_plugin.modulePath);
    g_plugin.instance = reinterpret_cast<HostInstance>(0x10000000);
  }
  // As after a handshake whose check passed the feature test.
  void Handshaken() {
    g_unsupportedFeatures = 0;
    host.ClearCalls();
  }
  void Missing(std::initializer_list<uint16_t> ordinals, uint32_t count = 0) {
    size_t i = 0;
    for (uint16_t ordinal : ordinals) g_missingImports.ordinals[i++] = ordinal;
    g_missingImports.count = count != 0 ? count : static_cast<uint32_t>(ordinals.size());
  }
  // The single message of the report.
  std::string Shown() const {
    EXPECT_EQ(1u, host.formattedMessages.size());
    return host.formattedMessages.empty() ? "" : host.formattedMessages[0];
  }
  FakeHost &host = FakeHost::Get();
};

TEST_F(ReportTest, BeforeAnyHandshakeEveryFeatureIsNamed) {
  Missing({35802});  // whatever else is wrong
  host.checkPluginResult = 1;
  ShowLoadFailureReport();
  EXPECT_EQ("HostQuery(1, -1)\n" + PreparedCall(FeatureMessage("FFFFFFFF")), host.Trace());
  EXPECT_EQ(FeatureMessage("FFFFFFFF"), Shown());
}

TEST_F(ReportTest, WithoutAQueryFunctionItsCallIsLeftOut) {
  g_plugin.hostQuery = nullptr;
  ShowLoadFailureReport();
  EXPECT_EQ(PreparedCall(FeatureMessage("FFFFFFFF")), host.Trace());
}

TEST_F(ReportTest, FeatureBitsOfTheLastCheck) {
  host.queryAnswer = 3;
  PluginHandshake(&FakeHostQuery, nullptr);
  host.ClearCalls();
  ShowLoadFailureReport();
  EXPECT_EQ("HostQuery(1, -1)\n" + PreparedCall(FeatureMessage("00000002")), host.Trace());
}

TEST_F(ReportTest, OneMissingFunction) {
  Handshaken();
  Missing({35802});
  ShowLoadFailureReport();
  std::string expected = ImportMessage("funkcj\x91 o numerze 35802", "jej");
  EXPECT_EQ("HostQuery(1, -1)\n" + PreparedCall(expected), host.Trace());
}

TEST_F(ReportTest, SeveralMissingFunctionsAreNamedInAscendingOrder) {
  Handshaken();
  Missing({41613, 30005, 38417});  // table order
  ShowLoadFailureReport();
  EXPECT_EQ(ImportMessage("funkcje o numerach 30005, 38417, 41613", "ich"), Shown());
}

TEST_F(ReportTest, TwelveMissingFunctionsNameTheFirstEight) {
  Handshaken();
  Missing({52537, 52006, 35387, 32300, 52536, 52305, 38498, 52246}, 12);
  ShowLoadFailureReport();
  EXPECT_EQ(ImportMessage("funkcje o numerach 32300, 35387, 38498, 52006, 52246, 52305, 52536, "
                          "52537",
                          "ich"),
            Shown());
}

TEST_F(ReportTest, DescribeMissingImportsWithNoneLeavesTheBufferEmpty) {
  char buffer[3072];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(0u, DescribeMissingImports(buffer));
  EXPECT_EQ(0, buffer[0]);
  Missing({30018, 40009});
  EXPECT_EQ(2u, DescribeMissingImports(buffer));
  EXPECT_EQ(ImportMessage("funkcje o numerach 30018, 40009", "ich"), std::string(buffer));
  // Its record is left as it was: the report may run again.
  EXPECT_EQ(30018, g_missingImports.ordinals[0]);
  EXPECT_EQ(40009, g_missingImports.ordinals[1]);
}

TEST_F(ReportTest, HostsOwnExplanationIsShownLiterally) {
  Handshaken();
  host.checkPluginResult = 4;
  host.checkPluginText = std::string("Wtyczka za stara o 100%s %d\n") + '\0';
  ShowLoadFailureReport();
  EXPECT_EQ("HostQuery(1, -1)\nHostCheckPlugin(ptr, buf, 3072)\n" +
                PreparedCall("Wtyczka za stara o 100%s %d\n"),
            host.Trace());
}

TEST_F(ReportTest, HostRefusalWithoutExplanationGivesAnEmptyMessage) {
  Handshaken();
  host.checkPluginResult = -1;
  ShowLoadFailureReport();
  EXPECT_EQ("", Shown());
}

TEST_F(ReportTest, UnterminatedExplanationIsCutAtTheBuffersEnd) {
  Handshaken();
  host.handlers.HostCheckPlugin = [](HostInstance, char *buffer, int32_t size) {
    memset(buffer, 'w', static_cast<size_t>(size));
    return 1;
  };
  ShowLoadFailureReport();
  EXPECT_EQ(std::string(3071, 'w'), Shown());
}

TEST_F(ReportTest, OlderHostGetsTheVersionMessage) {
  Handshaken();
  host.hostDateNumber = 20230516;
  ShowLoadFailureReport();
  EXPECT_EQ(
      "HostQuery(1, -1)\n"
      "HostCheckPlugin(ptr, buf, 3072)\n"
      "HostQuery(1, 1)\n"
      "HostDateNumber(\"May 17 2023\")\n"
      "HostDateNumber(null)\n",
      host.Trace({"HostQuery", "HostCheckPlugin", "HostDateNumber"}));
  EXPECT_EQ(kVersionMessage, Shown());
  EXPECT_EQ(MessageCall(kVersionFormat, kVersionMessage), host.Trace({"HostMessageF"}));
}

TEST_F(ReportTest, TheReportsCheckOverwritesTheFeatureBits) {
  Handshaken();
  host.queryAnswer = 9;
  ShowLoadFailureReport();
  EXPECT_EQ(8u, g_unsupportedFeatures);
  EXPECT_EQ(kVersionMessage, Shown());
}

TEST_F(ReportTest, EverythingInOrderGivesTheNotInitialisedNotice) {
  Handshaken();
  ShowLoadFailureReport();
  EXPECT_EQ("HostQuery(1, -1)\nHostCheckPlugin(ptr, buf, 3072)\nHostQuery(1, 1)\n"
            "HostDateNumber(\"May 17 2023\")\nHostDateNumber(null)\n"
            "HostCheckPlugin(ptr, buf, 0)\nHostApiLevel()\n" +
                MessageCall(kNotInitialisedFormat, kNotInitialisedMessage),
            host.Trace());
}

TEST_F(ReportTest, ExplanationModeOfTheActivationExportShowsTheReport) {
  Handshaken();
  Missing({41613, 30005, 38417});
  EXPECT_EQ(0, PluginActivate(1));
  EXPECT_EQ(ImportMessage("funkcje o numerach 30005, 38417, 41613", "ich"), Shown());
}

}  // namespace
