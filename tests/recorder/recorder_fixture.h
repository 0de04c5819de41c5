// The recorder's tests share this fixture: a fresh simulated host with a
// key file, the recorder loaded and activated over a previous filter that
// plays the player's part, and keys offered as the host offers them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "plugin/contract/host_values.h"
#include "plugin/handshake/handshake.h"
#include "recorder/entry/recorder_filter.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recording.h"
#include "tests/recorder/recorder_host.h"

namespace recorder_test {

constexpr uint32_t kCtrlF11 = 0x8900;
constexpr uint32_t kF12 = 0x8600;
constexpr uint32_t kConfirmed = 0x5001;
constexpr uint32_t kYes = 0x5009;
constexpr uint32_t kNo = 0x500A;

inline const char *const kKeys =
    "#define TAB 9\n#define ENTER 13\n#define LBRACKET 0x5B\n#define F2 0x3C00\n"
    "#define UP 0x4800\n#define ALT_X 0x2D00\n";

inline int32_t Query(int32_t, int32_t) { return 1; }

// The previous filter of the tests: the player as the recorder sees it.
// It can hold a key back once (as during its pause) or turn one into another.
inline uint32_t g_holdOnce = 0;
inline uint32_t g_heldCount = 0;
inline uint32_t HOST_STDCALL Previous(uint32_t key) {
  if ((key & 0xFFFF) == g_holdOnce && g_heldCount == 0) {
    ++g_heldCount;
    return host::kNoKey;
  }
  return key;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_holdOnce = 0;
    g_heldCount = 0;
    host_ = &RecorderHost::Start();
    host_->AddKeysFile(kKeys);
  }
  // Load, handshake, activation with a previous filter installed.
  void Activate(KeyFilter previous = &Previous) {
    host_->installedFilter = previous;
    char description[1024] = {};
    ASSERT_EQ(0, PluginHandshake(&Query, description));
    description_ = description;
    ASSERT_EQ(0, PluginActivate(0));
    ASSERT_EQ(&RecorderKeyFilter, host_->installedFilter);
  }
  // Keys as the host offers them: each through the installed filter.
  std::string Offer(std::initializer_list<uint32_t> keys) {
    std::string passed;
    for (uint32_t key : keys) {
      uint32_t answer = host_->installedFilter(key);
      passed += answer == host::kNoKey ? "-" : answer < 0x80 ? std::string(1, char(answer)) : "#";
    }
    return passed;
  }
  void StartRecording(const char *name = nullptr) {
    host_->forms.push_back({kConfirmed, name});
    EXPECT_EQ(host::kNoKey, host_->installedFilter(kCtrlF11));
  }

  // Every box the recorder showed ran inside its busy bracket.
  void TearDown() override { EXPECT_EQ(0u, host_->unheldBoxes) << "a box outside the busy bracket"; }

  RecorderHost *host_ = nullptr;
  std::string description_;
};

}  // namespace recorder_test
