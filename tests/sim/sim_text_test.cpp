#include "sim/sim_text.h"

#include <gtest/gtest.h>

TEST(SimText, Placeholder) { EXPECT_EQ(u"a", sim::Wide("a")); }
