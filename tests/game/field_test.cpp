// The play field and what plays on it, the rule sets, and what the player hears of all of it.
#include "gift.h"
#include "kalvor.h"
#include "luxmobil.h"
#include "modGame.h"
#include "modMainMenu.h"
#include "modTopList.h"
#include "modgameover.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "soundtrack.h"
#include "zombie.h"

#include <kro/cfr.h>
#include <kro/keys.h>
#include <kro/modMenu.h>
#include <kro/modPrompt.h>
#include <kro/modtxtshow.h>
#include <kro/sound.h>
#include <tessel/tessel.h>
#include <tessel/var.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>
#include <typeinfo>

#include "support/tempdir.h"

namespace {

using Names = std::vector<std::string>;
using Results = std::vector<std::pair<bool, int>>;
Names times(int n, const std::string& name) { return Names(size_t(n), name); }
Names operator+(Names a, const Names& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

struct RecordingRules : ModGameSuper {
  Results results;
  void result(bool win, int score) override { results.emplace_back(win, score); }
};

// A cleared field whose rule set records its results; every sound heard must have its file.
class FieldTest : public TempDirTest, SoundSink {
protected:
  ModGame* game = ModGame::I();
  RecordingRules rules;
  Names heard;  // since the field was last started
  std::set<std::string> everHeard;

  void play(const char* name, float) override { heard.push_back(name), everHeard.insert(name); }
  void music(const std::string&, float) override {}
  void SetUp() override {
    TempDirTest::SetUp();
    kroSetSoundSink(this);
    Var::get("godmode") = std::string("0");
    std::srand(1);
    startAt(1);
  }
  void TearDown() override {
    startAt(0);
    kroSetSoundSink(nullptr);
    for (const std::string& name : everHeard)
      EXPECT_TRUE(Tessel::is_file((std::string(GIFTGUARD_SOURCE_DIR) + "/data/sound/" + name + ".wav").c_str()));
    TempDirTest::TearDown();
  }
  void startAt(unsigned level) {
    game->reset(level, &rules);
    game->scoreLimit = 0;
    nextMod = nullptr;
    frames(1, 0);  // places the gifts
    heard.clear();
  }
  // Field frames without spawning: the boss flag holds the spawner back.
  void frames(int n, float t) {
    const bool held = game->kalvor;
    for (int i = 0; i < n; ++i) game->kalvor = true, game->update(t);
    game->kalvor = held;
  }
  Gift* gift(unsigned i) { return static_cast<Gift*>(game->ob(i)); }
  // Puts an object and its parts at (x, y) and places their corners without moving them.
  void place(Ob* ob, float x, float y) {
    ob->x = x, ob->y = y;
    for (unsigned i = 0; i < game->obCount(); ++i)
      if (game->ob(i) == ob || game->ob(i)->parent == ob) game->ob(i)->Ob::update(0);
  }
  // The reason on the game-over screen when a loss was reported, else "".
  static std::string lossText() {
    auto* over = dynamic_cast<ModGameOver*>(nextMod);
    return over && over->getText() ? over->getText() : "";
  }
};

struct Thing : Ob {
  char getType() override { return 't'; }
};

using Field = FieldTest;

TEST_F(Field, ListKeepsOrderAndPartsFollowTheirParentAndGoWithIt) {
  Thing *a = new Thing, *b = new Thing, *c = new Thing;
  game->moveObUp(a);
  delete c;
  EXPECT_EQ(std::make_tuple(game->ob(2), game->ob(3), game->obCount()), std::make_tuple((Ob*)b, (Ob*)a, 4u));
  Thing stray;  // registered on construction; taking it out twice changes nothing
  game->rmOb(&stray);
  game->rmOb(&stray);
  EXPECT_EQ(game->obCount(), 4u);
  b->parent = a, c = new Thing, c->parent = b;
  b->x = 0.1f;
  place(a, 0.3f, 0);
  c->update(0);
  EXPECT_TRUE(b->isItIn(0.39f, 0.09f) && c->isItIn(0.19f, 0));  // relative to its parent's x only
  EXPECT_FALSE(b->isItIn(0.5f, 0.0f) || b->isItIn(0.49f, 0.1f) || b->isItIn(0.0f / 0.0f, 0));  // edges: outside
  for (float x : {0.5f, -0.5f}) {  // and so wherever the square stands
    place(a, x, -x);
    EXPECT_TRUE(a->isItIn(x - 0.09f, 0.09f - x) && a->isItIn(x + 0.09f, -x - 0.09f));
    EXPECT_FALSE(a->isItIn(x - 0.11f, -x) || a->isItIn(x + 0.11f, -x) || a->isItIn(x, 0.11f - x));
  }
  gift(0)->parent = c;  // first in the list, found all the same
  delete a;
  EXPECT_EQ(game->obCount(), 1u);
}

// The counter starts at 256 with the program and falls by 4096 a second, so a fresh process sees
// its first enemy after 257 steps of 1/4096. Level 1 spawns only zombies, level 5 all five kinds;
// "gotolevel 0" nothing, and divides by nothing.
TEST_F(Field, TheFirstEnemyComesAfterASixteenthOfASecondAndTheLevelChoosesTheKinds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, whatever ran in this one
  EXPECT_EXIT(
      {
        int steps = 0;
        for (; game->obCount() == 2 && steps < 1000; ++steps) game->update(1.0f / 4096);
        std::exit(steps == 257 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  for (const auto& [level, n, kinds] : {std::tuple<unsigned, int, size_t>{1, 50, 1}, {5, 1000, 5}, {0, 20, 0}}) {
    std::set<std::string> seen;
    for (int i = 0; i < n; ++i)
      if (startAt(level), game->update(1.0f), game->obCount() > 2) seen.insert(typeid(*game->ob(2)).name());
    EXPECT_EQ(seen.size(), kinds) << level;
    EXPECT_TRUE(level != 1 || seen.count(typeid(Zombie).name()));
  }
}

TEST_F(Field, ClicksHitTheEarliestObjectUnderThePointAndGodmodeIgnoresTheLoss) {
  place(new Zombie, 0.5f, 0);
  game->mouseLDown(0.56f, 0.12f);  // beside the head: nothing
  game->mouseLDown(0.5f, 0.07f);   // head over body: the body comes first
  EXPECT_EQ(std::make_pair(game->getScore(), game->obCount()), std::make_pair(0, 4u));
  game->mouseLDown(0.5f, 0.12f);  // the head alone: killed at once
  EXPECT_EQ(std::make_pair(game->getScore(), game->obCount()), std::make_pair(1, 2u));
  EXPECT_EQ(heard, (Names{"zombieHit", "headShot", "zombieDie"}));
  game->mouseLDown(0.9f, 0.9f);  // nothing there
  Var::get("godmode") = std::string("1");
  game->mouseLDown(0.15f, 0.0f);
  EXPECT_EQ(nextMod, nullptr);
  Var::get("godmode") = std::string("yes");  // not a number: 0
  game->mouseLDown(0.15f, 0.0f);
  EXPECT_EQ(lossText(), "Strzeliles w prezent.");
  EXPECT_EQ(dynamic_cast<ModGameOver*>(nextMod)->getPicture(), nullptr);
}

TEST_F(Field, GotolevelRestartsTheFieldKeepingRulesAndLimit) {
  ModMainMenu::I();
  game->scoreLimit = 40;
  game->autoIncLevel = true;
  new Zombie;
  game->incScore();
  EXPECT_EQ(Cfr::I()->exec("gotolevel 4"), 0);
  ASSERT_EQ(game->obCount(), 2u);  // just the two gifts, back in their places
  EXPECT_EQ(std::make_tuple(gift(0)->x, gift(1)->x, game->getScore(), game->autoIncLevel, game->scoreLimit),
            std::make_tuple(-0.15f, 0.15f, 0, false, 40u));
  EXPECT_EQ(game->getGameSuper(), &rules);
  Cfr::I()->exec("gotolevel four");  // refused by the console, the field untouched
  EXPECT_EQ(std::make_pair(std::string(Cfr::I()->lineText(0)), game->getLevel()),
            std::make_pair(std::string("error during exec 'gotolevel four': not numeric"), 4u));
}

// ---- The enemies ---------------------------------------------------------------------------

using Enemies = FieldTest;

struct Kind {
  Enemy* (*make)();
  int lives;
  const char *hit, *death;
  bool armor;
};
const Kind kinds[] = {{[]() -> Enemy* { return new Zombie; }, 2, "zombieHit", "zombieDie", false},
                      {[]() -> Enemy* { return new PriestRun; }, 3, "priestHit", "priestDie", false},
                      {[]() -> Enemy* { return new PriestArmor; }, 3, "armorHit", "armorDie", true},
                      {[]() -> Enemy* { return new PriestRope; }, 3, "priestHit", "ropeDie", true},
                      {[]() -> Enemy* { return new Kalvor; }, 40, "bossHit", "bossDie", false},
                      {[]() -> Enemy* { return new Luxmobil; }, 100, "carHit", "carDie", false}};

// The boss ends his event as he dies; the limousine shot down before it delivers ends it too.
TEST_F(Enemies, EachKindDiesOfItsLivesInBodyHitsAndSoundsEachHit) {
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.death);
    startAt(1);
    Enemy* enemy = kind.make();
    EXPECT_EQ(enemy->isArmor(), kind.armor);
    heard.clear();  // an arrival of its own
    for (int i = 1; i < kind.lives; ++i) enemy->hit();
    EXPECT_EQ(heard, times(kind.lives - 1, kind.hit));  // still alive
    enemy->hit();
    EXPECT_EQ(heard, (times(kind.lives, kind.hit) + Names{kind.death}));
    EXPECT_EQ(std::make_pair(game->obCount(), game->kalvor), std::make_pair(2u, false));
  }
}

// The rope priest comes down at any of 256 places across the field, never past its edges.
TEST_F(Enemies, TheRopePriestComesDownAnywhereWithinTheField) {
  float least = 1, most = -1;
  for (int i = 0; i < 1000; ++i, startAt(1)) {
    const float x = (new PriestRope)->x;
    least = std::min(least, x), most = std::max(most, x);
  }
  EXPECT_TRUE(least == -0.8f && most > 0.79f && most < 0.8f) << least << " " << most;
}

TEST_F(Enemies, RunnerTakesTheGiftAfterASecondFleesToTheNearerEdgeAndDropsItWhereItFalls) {
  delete gift(1);  // the one gift left is its target
  Gift* target = gift(0);
  Zombie* zombie = new Zombie;
  place(zombie, target->x, target->y);
  zombie->update(0.01f);
  for (int i = 0; i < 4; ++i) zombie->update(0.25f);  // exactly 1.0 s: still standing
  EXPECT_EQ(std::make_pair(zombie->act, target->parent), std::make_pair('T', (Ob*)nullptr));
  zombie->update(0.25f);
  EXPECT_EQ(target->parent, zombie);
  const float start = zombie->x;
  zombie->update(0.1f);
  EXPECT_EQ(zombie->x < start, start < 0);
  for (; zombie->x > -1.0f && zombie->x < 1.0f; zombie->update(0.1f)) EXPECT_EQ(nextMod, nullptr);
  EXPECT_EQ(lossText(), "Zarekwirowane prezent, polegles.");
  zombie->update(0.1f);  // heard once, though the loss is reported again while it stays gone
  EXPECT_EQ(heard, (Names{"giftTaken", "giftStolen"}));
  const float x = zombie->x, y = zombie->y;
  zombie->kill();
  ASSERT_EQ(game->obCount(), 1u);
  EXPECT_EQ(std::make_tuple(target->parent, target->x, target->y), std::make_tuple((Ob*)nullptr, x, y));

  delete gift(0), nextMod = nullptr;  // without gifts a runner walks off
  zombie = new Zombie;
  const float from = zombie->x;
  frames(20, 0.1f);
  EXPECT_EQ(zombie->act, 'R');
  EXPECT_GT(std::abs(zombie->x), std::abs(from));
  EXPECT_EQ(nextMod, nullptr);
}

TEST_F(Enemies, PriestsGlowAtTheirStandPointAndEndTheGame1Point1SecondsLater) {
  auto glow = [&](auto* priest, const std::string& body) {
    SCOPED_TRACE(body);
    for (int i = 0; i < 5000 && heard.empty(); ++i) priest->update(0.01f);  // on its way
    EXPECT_EQ(heard, Names{"glow"});
    for (int i = 0; i < 4; ++i) priest->update(0.25f);
    EXPECT_EQ(priest->getTex(), body + "R.png");
    priest->update(0.25f);
    EXPECT_EQ(priest->getTex(), body + "S.png");
    priest->update(0.1f);
    EXPECT_EQ(nextMod, nullptr);
    priest->update(0.01f);
    EXPECT_EQ(lossText(), "Okazano ci katolickie milosierdzie.");
    EXPECT_STREQ(dynamic_cast<ModGameOver*>(nextMod)->getPicture(), "data/lost.png");
  };
  glow(new PriestArmor, "data/priestArmorBody");
  startAt(1);
  glow(new PriestRope, "data/priestRopeBody");
}

TEST_F(Enemies, TheDrawnFaceOfEveryHeadTakesTheClick) {
  std::set<std::string> seen;
  for (int round = 0; round < 16; ++round)  // each priest wears both heads in turn
    for (const Kind& kind : kinds) {
      startAt(1);
      Enemy* enemy = kind.make();
      if (game->obCount() < 4 || dynamic_cast<Kalvor*>(enemy)) continue;  // no head, or one that passes hits on
      place(enemy, 0.5f, -0.5f);                                          // clear of the gifts
      Ob* head = game->ob(3);
      seen.insert(std::string(typeid(*enemy).name()) + head->getTex());
      const std::string png = readFile(std::string(GIFTGUARD_SOURCE_DIR) + "/" + head->getTex());
      auto word = [&](size_t at) {  // big-endian, as PNG numbers are
        unsigned n = 0;
        for (size_t i = at; i < at + 4; ++i) n = n << 8 | static_cast<unsigned char>(png[i]);
        return n;
      };
      float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      for (size_t at = 8; at + 16 <= png.size(); at += 12 + word(at))
        if (png.compare(at + 4, 9, std::string("tEXtface", 9)) == 0)
          std::sscanf(png.substr(at + 13, word(at) - 5).c_str(), "%f %f %f %f", &x0, &y0, &x1, &y1);
      ASSERT_LT(x0, x1) << head->getTex() << ": no face marked";
      const float* c = head->corners();  // the picture's top row runs along corners 0 and 3
      const float px = (x0 + x1) / 2 / float(word(16)), py = (y0 + y1) / 2 / float(word(20));
      game->mouseLDown(c[0] + (c[4] - c[0]) * px, c[1] - (c[1] - c[3]) * py);
      EXPECT_EQ(std::make_pair(game->getScore(), game->obCount()), std::make_pair(1, 2u)) << head->getTex();
    }
  EXPECT_EQ(seen.size(), 7u);
}

TEST_F(Enemies, LimousineDeliversTheBossAndLeavesAndACutShortEventDoesNotStopSpawning) {
  Luxmobil* limo = new Luxmobil;
  EXPECT_TRUE(game->kalvor);
  float t = 0;
  while (limo->act == 'G' && t < 10) frames(1, 0.05f), t += 0.05f;
  EXPECT_NEAR(t, 2.7, 0.1);  // it stops once x² is below the step
  frames(4, 0.25f);
  EXPECT_EQ(game->obCount(), 3u);  // still standing at 1.0 s
  frames(1, 0.25f);
  ASSERT_EQ(game->obCount(), 5u);
  EXPECT_EQ(game->ob(4), limo);  // over the boss and its head
  auto* boss = dynamic_cast<Kalvor*>(game->ob(2));
  ASSERT_NE(boss, nullptr);
  frames(1, 0);                // the boss came in the update pass at the limousine's place: placed next frame
  game->mouseLDown(0, -0.5f);  // both overlap: the boss takes it
  EXPECT_EQ(game->obCount(), 5u);
  while (game->obCount() == 5 && t < 20) frames(1, 0.05f), t += 0.05f;
  EXPECT_EQ(game->obCount(), 4u);  // the limousine has gone
  EXPECT_TRUE(game->kalvor);
  for (int i = 0; i < 38; ++i) boss->hit();
  game->ob(3)->hit();  // the boss's head counts as a body hit
  EXPECT_EQ(game->getScore(), 257);
  EXPECT_EQ(heard, (Names{"carArrive", "bossArrive", "carLeave"} + times(40, "bossHit") + Names{"bossDie"}));

  new Luxmobil;
  game->reset(1, nullptr);  // the game lost while it comes
  EXPECT_FALSE(game->kalvor);
  game->update(1.0f);
  EXPECT_GT(game->obCount(), 2u);
}

// ---- The rule sets -------------------------------------------------------------------------

class Rules : public FieldTest {
protected:
  // One frame of the module the shell would make current.
  static void showing(Mod& module, float seconds) { nextMod = nullptr, module.init(), module.update(seconds); }
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
    EXPECT_EQ(nextMod, level == 2 ? static_cast<Mod*>(story) : game) << level;  // a story, where there is one
    winLevel(arcade);
    EXPECT_EQ(nextMod, &arcade);
    showing(arcade, 1.9f);
  }
  EXPECT_EQ(arcade.getScoreSum(), 21 + 31 + 41 + 51 + 61);
  arcade.update(0.2f);
  EXPECT_EQ(std::make_tuple(nextMod, story->lineCount(), game->getLevel()), std::make_tuple((Mod*)story, 2u, 0u));
  EXPECT_EQ(heard, (times(5, "levelWon") + Names{"arcadeWon"}));
  std::remove("data/theend.txt");  // a missing end page leads straight to the menu
  arcade.keydown(vk::RETURN);      // Enter starts again from the first level
  EXPECT_EQ(std::make_pair(arcade.getLevel(), arcade.getScoreSum()), std::make_pair(0u, 0));
  for (int level = 1; level <= 5; ++level) showing(arcade, 2.1f), winLevel(arcade);
  showing(arcade, 2.1f);
  EXPECT_EQ(nextMod, ModMainMenu::I());
}

TEST_F(Rules, GameOverReportsOneLossOnce) {
  gift(0)->hit();
  ModGameOver* over = dynamic_cast<ModGameOver*>(nextMod);
  ASSERT_NE(over, nullptr);
  over->init(), over->update(3.9f);
  EXPECT_TRUE(rules.results.empty());
  over->update(0.2f), over->update(0.1f), over->keydown(vk::RETURN);  // reported after 4 s, and not again
  EXPECT_EQ(rules.results, (Results{{false, 0}}));
  over->init(), over->keydown(vk::RETURN);  // the next loss is reported again, here by Enter
  EXPECT_EQ(rules.results.size(), 2u);
  EXPECT_EQ(heard, times(2, "gameOver"));  // as its screen shows
}

TEST_F(Rules, SurvivalRunsWithoutLimitAndOffersItsTotal) {
  ModTopList* list = ModTopList::I();
  list->loadFile();
  ModGameSuperSurvival survival;
  showing(survival, 2.1f);
  EXPECT_EQ(std::make_tuple(nextMod, game->getLevel(), game->scoreLimit, game->autoIncLevel),
            std::make_tuple((Mod*)game, 1u, 0u, true));
  survival.result(false, 7);
  EXPECT_EQ(survival.getScoreSum(), 7);
  showing(survival, 1.1f);
  EXPECT_EQ(nextMod, nullptr);  // no new game after a loss
  survival.keydown(vk::RETURN);
  ModPrompt* prompt = dynamic_cast<ModPrompt*>(nextMod);
  ASSERT_NE(prompt, nullptr);
  for (char key : std::string("JOANNA") + char(vk::RETURN)) prompt->keydown(key);  // only four fit
  EXPECT_EQ(nextMod, list);
  list->init();  // saves
  list->loadFile();
  EXPECT_EQ(std::make_pair(std::string(list->entry(0).name, 4), list->entry(0).score),
            std::make_pair(std::string("joan"), 7u));
  survival.result(false, 0), showing(survival, 1.1f), survival.keydown(vk::RETURN);
  EXPECT_EQ(nextMod, ModMainMenu::I());  // a total of 0 does not beat the last place: no name asked
  EXPECT_EQ(heard, Names{"nameEntered"});
}

// ---- Sounds beside the field, and the main menu's entries ----------------------------------

using Heard = FieldTest;

TEST_F(Heard, TheMenuAndTheConsoleAreHeardAndTheMusicFollowsTheScreen) {
  bool a = false, b = false;
  ModMenu menu;
  menu.add("a", &a), menu.add("b", &b);
  for (char key : {vk::DOWN, vk::DOWN, vk::UP, vk::RETURN}) menu.keydown(key);  // none past the end
  EXPECT_EQ(heard, (Names{"menuMove", "menuMove", "menuChoose"}));
  heard.clear();
  while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
  for (int i = 0; i < 3; ++i) Cfr::I()->keydown(vk::GRAVE);  // silent as its log goes
  EXPECT_EQ(heard, (Names{"consoleOpen", "consoleClose"}));

  EXPECT_STREQ(soundtrackFor(game), "playMusic");
  new Luxmobil;  // the boss's event begins as it comes in
  EXPECT_STREQ(soundtrackFor(game), "bossMusic");
  startAt(1);
  EXPECT_STREQ(soundtrackFor(game), "playMusic");
  EXPECT_EQ(soundtrackFor(ModGameOver::I(nullptr, &rules, 0, nullptr)), nullptr);
  EXPECT_STREQ(soundtrackFor(ModMainMenu::I()), "menuMusic");
  EXPECT_STREQ(soundtrackFor(&rules), "menuMusic");
  for (const char* name : {"menuMusic", "playMusic", "bossMusic"}) play(name, 0);  // their files are checked too

  ModMainMenu* main = ModMainMenu::I();  // survival first, then the top list
  main->keydown(vk::UP), main->keydown(vk::RETURN);
  EXPECT_NE(dynamic_cast<ModGameSuperSurvival*>(nextMod), nullptr);
  main->keydown(vk::DOWN), main->keydown(vk::RETURN);
  EXPECT_EQ(nextMod, ModTopList::I());
}

}  // namespace
