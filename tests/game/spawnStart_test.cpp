// Its own program: the spawn counter lives as long as the process, and this
// test needs it as the program starts.
#include <gtest/gtest.h>

#include "game_support.h"

namespace {

TEST_F(FieldTest, FirstSpawnFollowsALittleMoreThanASixteenthOfASecond) {
  for (int step = 0; step < 256; ++step) game->update(1.0f / 4096);
  EXPECT_EQ(game->obCount(), 2u);
  game->update(1.0f / 4096);
  EXPECT_GT(game->obCount(), 2u);
}

}  // namespace
