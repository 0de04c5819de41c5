// The floor plug-in of the benchmarks (bench/floor) makes, for each key,
// exactly the host calls that the player makes for a played plain
// character: same functions, same order, same arguments.  Should the
// player's path change, this test says that the floor must follow it.
#include <gtest/gtest.h>

#include <string>

#include "bench/floor/floor_key.h"
#include "tests/plugin/player_test_support.h"

namespace {

class FloorKeyTest : public PlayerTest,
                     public ::testing::WithParamInterface<std::tuple<char, uint32_t>> {
 protected:
  // The host calls of one played key: the no-key call and the key coming
  // back through the filter.
  std::string PlayerTrace(char character, uint32_t flags) {
    host.flags = flags;
    OpenMacro(std::string(1, character) + "z", nullptr);
    EXPECT_EQ(0xFFFFu, NoKey());
    EXPECT_EQ(static_cast<uint8_t>(character), PluginKeyFilter(static_cast<uint8_t>(character)));
    return host.Trace();
  }

  std::string FloorTrace(char character, uint32_t flags) {
    host.Install();
    host.flags = flags;
    OpenMacro(std::string(1, character) + "z", nullptr);
    HostFile macro = g_player.macroFile;
    FloorPlayKey(macro);
    EXPECT_EQ(g_player.macroFile, macro);
    return host.Trace();
  }
};

TEST_P(FloorKeyTest, MakesThePlayersHostCallsForAPlainCharacter) {
  auto [character, flags] = GetParam();
  std::string player = PlayerTrace(character, flags);
  ASSERT_NE(std::string::npos, player.find("HostPostKey(")) << player;
  EXPECT_EQ(player, FloorTrace(character, flags));
}

// Letters, a digit, a space, a byte above 127; the host's state bit clear
// (set and cleared around the work) and already set (left alone).
INSTANTIATE_TEST_SUITE_P(Characters, FloorKeyTest,
                         ::testing::Combine(::testing::Values('a', 'Z', '7', ' ', '\xA5'),
                                            ::testing::Values(0u, host::kFlagPluginWorking)));

TEST_F(PlayerTest, FloorClosesTheMacroAtItsEnd) {
  OpenMacro("", nullptr);
  HostFile macro = g_player.macroFile;
  FloorPlayKey(macro);
  EXPECT_EQ(0u, macro);
  EXPECT_EQ("HostGetFlags()\nHostSetFlags(0x8000, 1)\nHostFileGetc(0x1)\nHostFileClose(0x1)\n"
            "HostSetFlags(0x8000, 0)\n",
            host.Trace());
}

}  // namespace
