// Every event a player should hear is heard once, where it happens, through a recording sink;
// each name heard has its file among the shipped sounds; the music follows the screen.
#include "kalvor.h"
#include "luxmobil.h"
#include "modMainMenu.h"
#include "modTopList.h"
#include "modgamesuperarcade.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "soundtrack.h"
#include "zombie.h"

#include <kro/modMenu.h>
#include <kro/sound.h>
#include <tessel/tessel.h>

#include <gtest/gtest.h>

#include <set>

#include "game_support.h"

namespace {

using Names = std::vector<std::string>;
Names times(int n, const std::string& name) { return Names(size_t(n), name); }
Names operator+(Names a, const Names& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Heard : public FieldTest, SoundSink {
protected:
  Names heard;
  std::set<std::string> every;
  void play(const char* name, float) override { heard.push_back(name); }
  void music(const std::string&, float) override {}
  void SetUp() override {
    FieldTest::SetUp();
    kroSetSoundSink(this);
  }
  void TearDown() override {
    kroSetSoundSink(nullptr);
    FieldTest::TearDown();
  }
  // The n-th object made after the gifts: 0 the body, 1 its head.
  Ob* made(unsigned n) { return game->ob(2 + n); }
  void hits(Ob* ob, int n) {
    for (int i = 0; i < n; ++i) ob->hit();
  }
  // What the last event made heard; then a fresh level-1 field for the next.
  void expectHeard(const char* event, const Names& expected) {
    EXPECT_EQ(heard, expected) << event;
    every.insert(heard.begin(), heard.end());
    startAt(1);
    std::srand(1);
    heard.clear();
  }
};

TEST_F(Heard, EachEventOnceWhereItHappens) {
  hits(new Zombie, 2);
  expectHeard("a zombie's two body hits", {"zombieHit", "zombieHit", "zombieDie"});
  new Zombie;
  made(1)->hit();
  expectHeard("a head shot", {"headShot", "zombieDie"});
  hits(new PriestRun, 3);
  expectHeard("a runner priest's three hits", times(3, "priestHit") + Names{"priestDie"});
  new PriestArmor;
  made(0)->hit(), made(1)->hit();
  expectHeard("the armoured priest's armour, then his head", {"armorHit", "headShot", "armorDie"});
  new PriestRope;
  made(0)->hit(), made(1)->hit();
  expectHeard("the rope priest, body then head", {"priestHit", "headShot", "ropeDie"});
  new Kalvor;
  hits(made(1), 20), hits(made(0), 20);
  expectHeard("the boss, forty hits on head and body", Names{"bossArrive"} + times(40, "bossHit") + Names{"bossDie"});
  new Luxmobil;
  frames(100, 0.1f);
  expectHeard("the limousine comes, leaves the boss and drives off", {"carArrive", "bossArrive", "carLeave"});
  hits(new Luxmobil, 100);
  expectHeard("the limousine shot down", Names{"carArrive"} + times(100, "carHit") + Names{"carDie"});
  Var::get("godmode") = std::string("1");
  new Zombie;
  frames(150, 0.1f);
  Var::get("godmode") = std::string("0");
  expectHeard("a gift taken and carried off, once though godmode keeps it going", {"giftTaken", "giftStolen"});
  new PriestArmor;
  frames(100, 0.1f);
  expectHeard("an armoured priest reaches its spot and glows", {"glow"});
  new PriestRope;
  frames(100, 0.1f);
  expectHeard("a rope priest too", {"glow"});
  game->autoIncLevel = true;
  for (int i = 0; i < 640; ++i) game->incScore();
  expectHeard("the level rising in survival, each time", times(int(game->getLevel()) - 1, "levelUp"));
  game->lost('G');
  nextMod->init();
  expectHeard("game over, when its screen shows", {"gameOver"});

  ModGameSuperArcade arcade;
  for (int level = 1; level <= 6; ++level) {
    arcade.init();
    arcade.update(2.5f);
    if (level <= 5) arcade.result(true, 60);
  }
  expectHeard("the arcade's five levels won, then the arcade", times(5, "levelWon") + Names{"arcadeWon"});
  ModTopList* list = ModTopList::I();
  list->loadFile();
  for (unsigned score : {0, 7}) list->add(score), list->init();
  expectHeard("a name entered into the top list, not a result that earns no place", {"nameEntered"});
  bool a = false, b = false;
  ModMenu menu;
  menu.add("a", &a);
  menu.add("b", &b);
  for (char key : {vk::DOWN, vk::DOWN, vk::UP, vk::RETURN}) menu.keydown(key);
  expectHeard("the menu: a move, none past the end, a move back, a choice", {"menuMove", "menuMove", "menuChoose"});
  while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
  for (int i = 0; i < 3; ++i) Cfr::I()->keydown(vk::GRAVE);
  expectHeard("the console opening and closing, silent as its log goes", {"consoleOpen", "consoleClose"});

  // A name the game plays without a shipped file would be silent in play.
  for (const char* music : {"menuMusic", "playMusic", "bossMusic"}) every.insert(music);
  for (const std::string& name : every) {
    const std::string file = std::string(GIFTGUARD_SOURCE_DIR) + "/data/sound/" + name + ".wav";
    EXPECT_TRUE(Tessel::is_file(file.c_str())) << file;
  }
}

TEST_F(Heard, TheMusicFollowsTheScreen) {
  EXPECT_STREQ(soundtrackFor(game), "playMusic");
  new Luxmobil;  // the boss's event begins as it comes in
  EXPECT_STREQ(soundtrackFor(game), "bossMusic");
  startAt(1);
  EXPECT_STREQ(soundtrackFor(game), "playMusic");
  EXPECT_EQ(soundtrackFor(ModGameOver::I(nullptr, &rules, 0, nullptr)), nullptr);
  EXPECT_STREQ(soundtrackFor(ModMainMenu::I()), "menuMusic");
  EXPECT_STREQ(soundtrackFor(&rules), "menuMusic");
}

}  // namespace
