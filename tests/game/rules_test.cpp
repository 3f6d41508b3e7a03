// The rule sets, the game-over screen and the main menu.
#include "modMainMenu.h"
#include "modTopList.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"

#include <kro/modPrompt.h>
#include <kro/modtxtshow.h>

#include <gtest/gtest.h>

#include <tuple>

#include "game_support.h"

namespace {

class Rules : public FieldTest {
protected:
  // One frame of the module the shell would make current.
  static void showing(Mod& module, float seconds) {
    nextMod = nullptr;
    module.init();
    module.update(seconds);
  }
  // Wins the running level with the score just past its limit.
  void winLevel(ModGameSuper& rules) { rules.result(true, int(game->scoreLimit) + 1); }
  ModTxtShow* const story = ModTxtShow::I(nullptr, nullptr, "data/bg.png");
};

TEST_F(Rules, ArcadeRunsFiveLevelsWithStoriesAndEndsOnTheEndPage) {
  writeFile("data/story2.txt", "Level two\n");
  writeFile("data/theend.txt", "The end\n");
  ModGameSuperArcade arcade;
  showing(arcade, 1.9f);
  EXPECT_EQ(nextMod, nullptr);
  for (unsigned level = 1; level <= 5; ++level) {
    arcade.update(0.2f);
    EXPECT_EQ(std::make_tuple(arcade.getLevel(), game->getLevel(), game->scoreLimit, game->getGameSuper()),
              std::make_tuple(level, level, level * 10 + 10, (ModGameSuper*)&arcade));
    EXPECT_EQ(nextMod, level == 2 ? static_cast<Mod*>(story) : game)
        << level;  // a story page before the field, where there is one
    winLevel(arcade);
    EXPECT_EQ(nextMod, &arcade);
    showing(arcade, 1.9f);
  }
  EXPECT_EQ(arcade.getScoreSum(), 21 + 31 + 41 + 51 + 61);
  arcade.update(0.2f);
  EXPECT_EQ(nextMod, story);
  EXPECT_EQ(story->lineCount(), 2u);
  EXPECT_EQ(game->getLevel(), 0u);
  std::remove("data/theend.txt");  // a missing end page leads straight to the menu
  arcade.reset();
  for (int level = 1; level <= 5; ++level) showing(arcade, 2.1f), winLevel(arcade);
  showing(arcade, 2.1f);
  EXPECT_EQ(nextMod, ModMainMenu::I());
}

TEST_F(Rules, ArcadeRetriesALostLevelFromItsStartingTotal) {
  ModGameSuperArcade arcade;
  showing(arcade, 2.1f);
  winLevel(arcade);  // 21
  showing(arcade, 2.1f);
  arcade.result(false, 9);
  EXPECT_EQ(arcade.getScoreSum(), 30);  // the lost level counts on the "You Lose." screen
  showing(arcade, 0.9f);
  arcade.keydown(vk::RETURN);  // within the first second: nothing
  arcade.update(0.9f);
  EXPECT_EQ(nextMod, nullptr);
  EXPECT_EQ(arcade.getLevel(), 2u);
  arcade.keydown(vk::RETURN);
  EXPECT_EQ(arcade.getScoreSum(), 21);
  arcade.update(0.3f);  // 2.1 s on the screen: level 2 again
  EXPECT_EQ(std::make_tuple(arcade.getLevel(), nextMod, game->scoreLimit), std::make_tuple(2u, (Mod*)game, 30u));
}

TEST_F(Rules, GameOverReportsOneLossOnce) {
  gift(0)->hit();
  ModGameOver* over = dynamic_cast<ModGameOver*>(nextMod);
  ASSERT_NE(over, nullptr);
  over->init();
  over->update(3.9f);
  EXPECT_TRUE(rules.results.empty());
  over->update(0.2f);  // reported after 4 s ...
  over->update(0.1f);
  over->keydown(vk::RETURN);  // ... and not again
  EXPECT_EQ(rules.results, (std::vector<std::pair<bool, int>>{{false, 0}}));
  over->init();  // the next loss is reported again, here by Enter
  over->keydown(vk::RETURN);
  EXPECT_EQ(rules.results.size(), 2u);
}

TEST_F(Rules, SurvivalRunsWithoutLimitAndOffersItsTotal) {
  ModTopList* list = ModTopList::I();
  list->loadFile();
  ModGameSuperSurvival survival;
  showing(survival, 2.1f);
  EXPECT_EQ(std::make_tuple(nextMod, game->getLevel(), game->scoreLimit, game->autoIncLevel),
            std::make_tuple((Mod*)game, 1u, 0u, true));
  survival.result(false, 7);
  showing(survival, 1.1f);
  EXPECT_EQ(nextMod, nullptr);  // no new game after a loss
  survival.keydown(vk::RETURN);
  ModPrompt* prompt = dynamic_cast<ModPrompt*>(nextMod);
  ASSERT_NE(prompt, nullptr);
  for (char key : std::string("JOANNA") + char(vk::RETURN)) prompt->keydown(key);  // only four fit
  EXPECT_EQ(nextMod, list);
  list->init();  // saves
  list->loadFile();
  EXPECT_EQ(std::string(list->entry(0).name, 4), "joan");
  EXPECT_EQ(list->entry(0).score, 7u);
  survival.result(false, 0);
  showing(survival, 1.1f);
  survival.keydown(vk::RETURN);
  EXPECT_EQ(nextMod, ModMainMenu::I());  // a total of 0 does not beat the last place
}

}  // namespace
