// The play field: its list, spawning, clicks, score and level.
#include "luxmobil.h"
#include "modMainMenu.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "zombie.h"

#include <gtest/gtest.h>

#include <map>
#include <typeinfo>

#include "game_support.h"

namespace {

// A plain object for the list's own operations.
struct Thing : Ob {
  char getType() override { return 't'; }
};

using Field = FieldTest;

TEST_F(Field, ListKeepsOrderAsObjectsComeAndGo) {
  Thing *a = new Thing, *b = new Thing, *c = new Thing;
  game->moveObUp(a);
  const auto objects = [&] {
    std::vector<Ob *> list;
    for (unsigned i = 0; i < game->obCount(); ++i) list.push_back(game->ob(i));
    return list;
  };
  EXPECT_EQ(objects(), (std::vector<Ob *>{gift(0), gift(1), b, c, a}));
  delete c;
  EXPECT_EQ(objects(), (std::vector<Ob *>{gift(0), gift(1), b, a}));
  Thing stray;  // registered on construction; taking it out twice changes nothing
  game->rmOb(&stray);
  game->rmOb(&stray);
  EXPECT_EQ(game->obCount(), 4u);
}

TEST_F(Field, PartsFollowTheirParentAndGoWithIt) {
  Thing *parent = new Thing, *child = new Thing, *grandchild = new Thing;
  child->parent = parent;
  grandchild->parent = child;
  child->x = 0.1f;
  place(parent, 0.3f, 0);
  grandchild->update(0);
  EXPECT_TRUE(child->isItIn(0.39f, 0.09f));
  EXPECT_FALSE(child->isItIn(0.5f, 0.0f));    // on the edge: outside
  EXPECT_FALSE(child->isItIn(0.49f, 0.1f));   // on the top edge
  EXPECT_TRUE(grandchild->isItIn(0.19f, 0));  // relative to its parent's x only
  EXPECT_FALSE(child->isItIn(0.0f / 0.0f, 0));
  delete parent;
  EXPECT_EQ(game->obCount(), 2u);
}

// The counter falls by 4096 a second and, when it passes below 0, spawns and is drawn anew.
TEST_F(Field, SpawnCounterRunsInStepsOf1Over4096) {
  game->update(1.0f);  // whatever the counter held, this spawns
  std::srand(7);
  const int first = std::rand() % 4096;
  std::srand(7);
  game->update(1.0f);  // and this one again, with the counter drawn first
  startAt(1);
  int steps = 0;
  for (; game->obCount() == 2; ++steps) game->update(1.0f / 4096);
  EXPECT_EQ(steps, first + 1);
}

TEST_F(Field, LevelChoosesTheKinds) {
  auto sample = [&](unsigned level, int n) {
    std::map<std::string, int> kinds;
    for (int i = 0; i < n; ++i) {
      startAt(level);
      game->update(1.0f);
      if (game->obCount() > 2) ++kinds[typeid(*game->ob(2)).name()];
    }
    return kinds;
  };
  EXPECT_EQ(sample(1, 50), (std::map<std::string, int>{{typeid(Zombie).name(), 50}}));
  auto kinds = sample(5, 1000);
  for (const char *kind : {typeid(Zombie).name(), typeid(PriestRun).name(), typeid(PriestArmor).name(),
                           typeid(PriestRope).name(), typeid(Luxmobil).name()})
    EXPECT_NEAR(kinds[kind], 200, 60) << kind;
  EXPECT_TRUE(sample(0, 20).empty());  // "gotolevel 0": nothing spawns, nothing divides by zero
}

TEST_F(Field, ClicksHitTheEarliestObjectUnderThePoint) {
  place(new Zombie, 0.5f, 0);
  game->mouseLDown(0.5f, 0.07f);  // head over body: the body comes first
  EXPECT_EQ(game->getScore(), 0);
  EXPECT_EQ(game->obCount(), 4u);
  game->mouseLDown(0.5f, 0.12f);  // the head alone: killed at once
  EXPECT_EQ(game->getScore(), 1);
  EXPECT_EQ(game->obCount(), 2u);
  game->mouseLDown(0.9f, 0.9f);  // nothing there
  EXPECT_EQ(lossText(), "");
  game->mouseLDown(0.15f, 0.0f);
  EXPECT_EQ(lossText(), "Strzeliles w prezent.");
  EXPECT_EQ(dynamic_cast<ModGameOver *>(nextMod)->getPicture(), nullptr);
}

TEST_F(Field, GodmodeIgnoresLossesAndANonNumberCountsAsZero) {
  Var::get("godmode") = std::string("1");
  gift(0)->hit();
  EXPECT_EQ(nextMod, nullptr);
  Var::get("godmode") = std::string("yes");
  gift(0)->hit();
  EXPECT_EQ(lossText(), "Strzeliles w prezent.");
}

TEST_F(Field, LevelEndsAtTheScoreAfterTheLimitAndSurvivalRaisesTheLevelNowAndThen) {
  game->scoreLimit = 20;
  for (int i = 0; i < 20; ++i) game->incScore();
  frames(1, 0.01f);
  EXPECT_TRUE(rules.results.empty());
  game->incScore();
  frames(1, 0.01f);
  EXPECT_EQ(rules.results, (std::vector<std::pair<bool, int>>{{true, 21}}));
  EXPECT_EQ(game->getLevel(), 1u);
  game->scoreLimit = 0;
  game->autoIncLevel = true;
  for (int i = 0; i < 6400; ++i) game->incScore();
  frames(1, 0.01f);
  EXPECT_EQ(rules.results.size(), 1u);
  EXPECT_NEAR(double(game->getLevel()), 101.0, 35.0);  // one point in 64
}

TEST_F(Field, GotolevelRestartsTheFieldKeepingRulesAndLimit) {
  ModMainMenu::I();
  game->scoreLimit = 40;
  game->autoIncLevel = true;
  new Zombie;
  game->incScore();
  EXPECT_EQ(Cfr::I()->exec("gotolevel 4"), 0);
  EXPECT_EQ(game->getLevel(), 4u);
  ASSERT_EQ(game->obCount(), 2u);  // just the two gifts, back in their places
  EXPECT_EQ(gift(0)->x, -0.15f);
  EXPECT_EQ(gift(1)->x, 0.15f);
  EXPECT_EQ(game->getScore(), 0);
  EXPECT_FALSE(game->autoIncLevel);
  EXPECT_EQ(game->scoreLimit, 40u);
  EXPECT_EQ(game->getGameSuper(), &rules);
  Cfr::I()->exec("gotolevel four");  // refused by the console, the field untouched
  EXPECT_EQ(std::string(Cfr::I()->lineText(0)), "error during exec 'gotolevel four': not numeric");
  Cfr::I()->exec("gotolevel 1 2");
  EXPECT_EQ(std::string(Cfr::I()->lineText(0)), "error during exec 'gotolevel 1 2': use exacly 1 argument");
  EXPECT_EQ(game->getLevel(), 4u);
}

}  // namespace
