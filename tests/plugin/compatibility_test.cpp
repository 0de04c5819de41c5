// The compatibility check of the handshake.
#include <string>

#include <gtest/gtest.h>

#include "plugin/diagnostics/compatibility.h"
#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_identity.h"
#include "tests/plugin/fake_host.h"

namespace {

const char kQuery[] = "HostQuery(1, 1)\n";
const char kDates[] = "HostDateNumber(\"May 17 2023\")\nHostDateNumber(null)\n";
// The fake records every char * as "buf"; the handler checks that it is null.
const char kVerdict[] = "HostCheckPlugin(ptr, buf, 0)\n";
const char kLevel[] = "HostApiLevel()\n";

const uint32_t kOurDate = 20230517;  // what the fake host reads from "May 17 2023"

struct Case {
  const char *what;
  int32_t query;
  uint32_t ourDate;
  uint32_t hostDate;
  int32_t verdict;
  int32_t level;
  int32_t result;
  uint32_t unsupported;
  std::string trace;
};

class CompatibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    g_plugin.instance = reinterpret_cast<HostInstance>(0x10000000);
  }
  FakeHost &host = FakeHost::Get();
};

TEST_F(CompatibilityTest, FourTestsInOrderStoppingAtTheFirstFailure) {
  const std::string all = std::string(kQuery) + kDates + kVerdict + kLevel;
  const Case cases[] = {
      {"accepted", 1, kOurDate, kOurDate, 0, 112, 0, 0, all},
      {"no feature bits at all", 0, kOurDate, kOurDate, 0, 112, 0, 0, all},
      {"a missing feature", 3, kOurDate, kOurDate, 0, 112, -1, 2, kQuery},
      {"the top feature", static_cast<int32_t>(0x80000001), kOurDate, kOurDate, 0, 112, -1,
       0x80000000u, kQuery},
      {"host built later", 1, kOurDate, kOurDate + 1, 0, 112, 0, 0, all},
      {"host one day older", 1, kOurDate, kOurDate - 1, 0, 112, -1, 0,
       std::string(kQuery) + kDates},
      {"our date unreadable", 1, 0x7FFFFFFF, 0xFFFFFFFF, 0, 112, -1, 0,
       std::string(kQuery) + kDates},
      {"host date unreadable", 1, kOurDate, 0x7FFFFFFF, 0, 112, 0, 0, all},
      {"dates compare unsigned", 1, kOurDate, 0x80000000u, 0, 112, 0, 0, all},
      {"host refuses the plug-in", 1, kOurDate, kOurDate, 7, 112, -1, 0,
       std::string(kQuery) + kDates + kVerdict},
      {"level 111", 1, kOurDate, kOurDate, 0, 111, -1, 0, all},
      {"level 113", 1, kOurDate, kOurDate, 0, 113, -1, 0, all},
  };
  for (const Case &c : cases) {
    SetUp();
    host.queryAnswer = c.query;
    host.hostDateNumber = c.hostDate;
    uint32_t ourDate = c.ourDate;
    host.handlers.HostDateNumber = [&](const char *date) {
      return date == nullptr ? host.hostDateNumber : ourDate;
    };
    host.checkPluginResult = c.verdict;
    host.handlers.HostCheckPlugin = [&](HostInstance instance, char *buffer, int32_t) {
      EXPECT_EQ(g_plugin.instance, instance) << c.what;
      EXPECT_EQ(nullptr, buffer) << c.what;
      return host.checkPluginResult;
    };
    host.apiLevel = c.level;
    EXPECT_EQ(c.result, CheckCompatibility()) << c.what;
    EXPECT_EQ(c.unsupported, g_unsupportedFeatures) << c.what;
    EXPECT_EQ(c.trace, host.Trace()) << c.what;
  }
}

TEST_F(CompatibilityTest, FeatureBitsAreAllOnesUntilTheFirstRunThenOverwritten) {
  EXPECT_EQ(0xFFFFFFFFu, g_unsupportedFeatures);
  host.queryAnswer = 5;
  CheckCompatibility();
  EXPECT_EQ(4u, g_unsupportedFeatures);
  // A later run that fails after the feature test leaves the bits at 0.
  host.queryAnswer = 1;
  host.apiLevel = 0;
  EXPECT_EQ(-1, CheckCompatibility());
  EXPECT_EQ(0u, g_unsupportedFeatures);
}

TEST_F(CompatibilityTest, WithoutAQueryFunctionNothingIsAskedAndTheHostIsRefused) {
  g_plugin.hostQuery = nullptr;
  g_unsupportedFeatures = 0;
  EXPECT_EQ(-1, CheckCompatibility());
  EXPECT_EQ(0xFFFFFFFEu, g_unsupportedFeatures);
  EXPECT_TRUE(host.calls.empty()) << host.Trace();
}

TEST_F(CompatibilityTest, HandshakeReturnsTheResultUnchanged) {
  EXPECT_EQ(0, PluginHandshake(&FakeHostQuery, nullptr));
  host.apiLevel = 111;
  EXPECT_EQ(-1, PluginHandshake(&FakeHostQuery, nullptr));
}

}  // namespace
