#include "plugin/state/player_state.h"

PlayerState g_player;
