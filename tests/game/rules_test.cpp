// Tests of the rule sets, the game-over screen and the main menu.
#include "modMainMenu.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"

#include <kro/modtxtshow.h>

#include <gtest/gtest.h>

#include "game_support.h"

namespace {

class Rules : public FieldTest {
protected:
  // One frame of the module the shell would make current.
  template <typename M> void showing(M& module, float seconds) {
    nextMod = nullptr;
    module.init();
    module.update(seconds);
  }
  static void enter(Mod& module) { module.keydown(vk::RETURN); }
  // Wins the running level with the score just past its limit.
  void winLevel(ModGameSuper& rules) { rules.result(true, int(game->scoreLimit) + 1); }
};

TEST_F(Rules, ArcadeRunsFiveLevelsWithStoriesAndEndsOnTheEndPage) {
  writeFile("data/story2.txt", "Level two\n");
  writeFile("data/theend.txt", "The end\n");
  ModGameSuperArcade arcade;
  showing(arcade, 1.9f);
  EXPECT_EQ(nextMod, nullptr);
  for (unsigned level = 1; level <= 5; ++level) {
    arcade.update(0.2f);
    EXPECT_EQ(arcade.getLevel(), level);
    EXPECT_EQ(game->getLevel(), level);
    EXPECT_EQ(game->scoreLimit, level * 10 + 10);
    EXPECT_EQ(game->getGameSuper(), &arcade);
    if (level == 2)
      EXPECT_EQ(nextMod, ModTxtShow::I(nullptr, nullptr, "data/bg.png"));  // the story, then the field
    else
      EXPECT_EQ(nextMod, game);  // no story page: straight to the field
    winLevel(arcade);
    EXPECT_EQ(nextMod, &arcade);
    showing(arcade, 1.9f);
  }
  EXPECT_EQ(arcade.getScoreSum(), 21 + 31 + 41 + 51 + 61);
  arcade.update(0.2f);
  EXPECT_EQ(nextMod, ModTxtShow::I(nullptr, nullptr, "data/bg.png"));
  EXPECT_EQ(ModTxtShow::I(nullptr, nullptr, "data/bg.png")->lineCount(), 2u);
  EXPECT_EQ(game->getLevel(), 0u);
  std::remove("data/theend.txt");  // a missing end page leads straight to the menu
  arcade.reset();
  for (int level = 1; level <= 5; ++level) {
    showing(arcade, 2.1f);
    winLevel(arcade);
  }
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
  enter(arcade);  // within the first second: nothing
  arcade.update(0.9f);
  EXPECT_EQ(nextMod, nullptr);
  EXPECT_EQ(arcade.getLevel(), 2u);
  enter(arcade);
  EXPECT_EQ(arcade.getScoreSum(), 21);
  arcade.update(0.3f);  // 2.1 s on the screen: level 2 again
  EXPECT_EQ(arcade.getLevel(), 2u);
  EXPECT_EQ(nextMod, game);
  EXPECT_EQ(game->scoreLimit, 30u);
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
  EXPECT_EQ(nextMod, game);
  EXPECT_EQ(game->getLevel(), 1u);
  EXPECT_EQ(game->scoreLimit, 0u);
  EXPECT_TRUE(game->autoIncLevel);
  survival.result(false, 7);
  showing(survival, 1.1f);
  EXPECT_EQ(nextMod, nullptr);  // no new game after a loss
  enter(survival);
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
  enter(survival);
  EXPECT_EQ(nextMod, ModMainMenu::I());  // a total of 0 does not beat the last place
}

}  // namespace
