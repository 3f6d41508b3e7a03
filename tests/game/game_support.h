#pragma once
// Fixtures for the game's tests.
//
// Fixtures for the game's tests: a cleared play field at a chosen level with a
// rule set that records what it is told, and an empty top list; each in a fresh folder.

#include "enemy.h"
#include "gift.h"
#include "modGame.h"
#include "modTopList.h"
#include "modgameover.h"
#include "modgamesuper.h"

#include <kro/cfr.h>
#include <kro/keys.h>
#include <kro/modPrompt.h>
#include <tessel/var.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/tempdir.h"

struct RecordingRules : ModGameSuper {
  std::vector<std::pair<bool, int>> results;
  void result(bool win, int score) override { results.emplace_back(win, score); }
};

class FieldTest : public TempDirTest {
protected:
  ModGame* game = nullptr;
  RecordingRules rules;

  void SetUp() override {
    TempDirTest::SetUp();
    game = ModGame::I();
    Var::get("godmode") = std::string("0");
    std::srand(1);
    startAt(1);
  }
  void TearDown() override {
    startAt(0);
    TempDirTest::TearDown();
  }

  void startAt(unsigned level) {
    game->reset(level, &rules);
    game->scoreLimit = 0;
    nextMod = nullptr;
    frames(1, 0);  // places the gifts
  }
  // Field frames without spawning: the boss flag holds the spawner back.
  void frames(int n, float t) {
    const bool held = game->kalvor;
    for (int i = 0; i < n; ++i) {
      game->kalvor = true;
      game->update(t);
    }
    game->kalvor = held;
  }
  std::vector<Ob*> objects() {
    std::vector<Ob*> list;
    for (unsigned i = 0; i < game->obCount(); ++i) list.push_back(game->ob(i));
    return list;
  }
  Gift* gift(unsigned i) { return static_cast<Gift*>(game->ob(i)); }
  // Puts an object at (x, y) and places its corners (and its parts') without moving it.
  static void place(Ob* ob, float x, float y) {
    ob->x = x;
    ob->y = y;
    ob->Ob::update(0);
  }
  void placeWithParts(Ob* ob, float x, float y) {
    place(ob, x, y);
    for (Ob* other : objects())
      if (other->parent == ob) other->Ob::update(0);
  }
  // The reason on the game-over screen when a loss was reported, else "".
  static std::string lossText() {
    auto* over = dynamic_cast<ModGameOver*>(nextMod);
    return over && over->getText() ? over->getText() : "";
  }
};

class TopListTest : public TempDirTest {
protected:
  ModTopList* list = nullptr;
  void SetUp() override {
    TempDirTest::SetUp();
    Cfr::I();
    list = ModTopList::I();
    list->loadFile();
    nextMod = nullptr;
  }
  void TearDown() override {
    nextMod = nullptr;
    TempDirTest::TearDown();
  }
  // A result through the prompt, as the survival game hands it over.
  void enterResult(unsigned score, const std::string& keys) {
    list->add(score);
    if (auto* prompt = dynamic_cast<ModPrompt*>(nextMod)) {
      for (char key : keys) prompt->keydown(key);
      prompt->keydown(vk::RETURN);
      nextMod->init();
    }
    nextMod = nullptr;
  }
};
