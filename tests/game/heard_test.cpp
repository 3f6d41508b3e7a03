// Every event a player should hear is heard once, where it happens, through a
// recording sink; each name heard has its file among the shipped sounds; the
// music follows the screen.
#include "kalvor.h"
#include "luxmobil.h"
#include "modMainMenu.h"
#include "modgamesuperarcade.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "soundtrack.h"
#include "zombie.h"

#include <kro/keys.h>
#include <kro/modMenu.h>
#include <kro/sound.h>
#include <tessel/tessel.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "game_support.h"

namespace {

struct Recorder : SoundSink {
  std::vector<std::string> heard;
  void play(const char* name, float) override { heard.push_back(name); }
  void music(const std::string&, float) override {}
};

using Names = std::vector<std::string>;

Names times(int n, const std::string& name) { return Names(size_t(n), name); }
Names operator+(Names a, const Names& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Heard : public FieldTest {
protected:
  Recorder sink;
  void SetUp() override {
    FieldTest::SetUp();
    kroSetSoundSink(&sink);
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
};

struct Event {
  const char* what;
  // Plays the event on a fresh level-1 field; returns what must be heard, in order.
  std::function<Names()> play;
};

TEST_F(Heard, EachEventOnceWhereItHappens) {
  const Event events[] = {
      {"a zombie's two body hits and its death",
       [this] {
         hits(new Zombie, 2);
         return Names{"zombieHit", "zombieHit", "zombieDie"};
       }},
      {"a head shot",
       [this] {
         new Zombie;
         made(1)->hit();
         return Names{"headShot", "zombieDie"};
       }},
      {"a runner priest's three hits",
       [this] {
         hits(new PriestRun, 3);
         return times(3, "priestHit") + Names{"priestDie"};
       }},
      {"the armoured priest's armour, then his head",
       [this] {
         new PriestArmor;
         made(0)->hit();
         made(1)->hit();
         return Names{"armorHit", "headShot", "armorDie"};
       }},
      {"the rope priest, body then head",
       [this] {
         new PriestRope;
         made(0)->hit();
         made(1)->hit();
         return Names{"priestHit", "headShot", "ropeDie"};
       }},
      {"the boss set down, forty hits on head and body, his death",
       [this] {
         new Kalvor;
         hits(made(1), 20);
         hits(made(0), 20);
         return Names{"bossArrive"} + times(40, "bossHit") + Names{"bossDie"};
       }},
      {"the limousine comes, leaves the boss and drives off",
       [this] {
         new Luxmobil;
         frames(100, 0.1f);
         return Names{"carArrive", "bossArrive", "carLeave"};
       }},
      {"the limousine shot down",
       [this] {
         hits(new Luxmobil, 100);
         return Names{"carArrive"} + times(100, "carHit") + Names{"carDie"};
       }},
      {"a runner takes a gift and carries it off, heard once though godmode keeps it going",
       [this] {
         Var::get("godmode") = std::string("1");
         new Zombie;
         frames(150, 0.1f);
         Var::get("godmode") = std::string("0");
         return Names{"giftTaken", "giftStolen"};
       }},
      {"an armoured priest reaches its spot and glows",
       [this] {
         new PriestArmor;
         frames(100, 0.1f);
         return Names{"glow"};
       }},
      {"a rope priest too",
       [this] {
         new PriestRope;
         frames(100, 0.1f);
         return Names{"glow"};
       }},
      {"the level rising in survival, each time",
       [this] {
         game->autoIncLevel = true;
         for (int i = 0; i < 640; ++i) game->incScore();
         return times(int(game->getLevel()) - 1, "levelUp");
       }},
      {"the arcade's five levels won, then the arcade",
       [] {
         ModGameSuperArcade arcade;
         for (int level = 1; level <= 5; ++level) {
           arcade.init();
           arcade.update(2.5f);
           arcade.result(true, 60);
         }
         arcade.init();
         arcade.update(2.5f);
         return times(5, "levelWon") + Names{"arcadeWon"};
       }},
      {"game over, when its screen shows",
       [this] {
         game->lost('G');
         nextMod->init();
         return Names{"gameOver"};
       }},
      {"a name entered into the top list, not a result that earns no place",
       [] {
         ModTopList* list = ModTopList::I();
         list->loadFile();
         list->add(0);
         list->init();
         list->add(7);
         list->init();
         return Names{"nameEntered"};
       }},
      {"the menu: a move, none past the end, a move back, a choice",
       [] {
         bool a = false, b = false;
         ModMenu menu;
         menu.add("a", &a);
         menu.add("b", &b);
         for (char key : {40, 40, 38, 13}) menu.keydown(key);
         return Names{"menuMove", "menuMove", "menuChoose"};
       }},
      {"the console opening and closing, silent as its log goes",
       [] {
         while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
         for (int i = 0; i < 3; ++i) Cfr::I()->keydown(vk::GRAVE);
         return Names{"consoleOpen", "consoleClose"};
       }},
  };
  std::set<std::string> every;
  for (const Event& event : events) {
    SCOPED_TRACE(event.what);
    startAt(1);
    std::srand(1);
    sink.heard.clear();
    const Names expected = event.play();
    EXPECT_EQ(sink.heard, expected);
    every.insert(sink.heard.begin(), sink.heard.end());
    nextMod = nullptr;
  }
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
