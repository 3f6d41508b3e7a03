#pragma once
// The game's fixtures, each in a fresh folder: a cleared field at a chosen level whose rule
// set records its results, and the top list, empty.

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
  ModGame* game = ModGame::I();
  RecordingRules rules;

  void SetUp() override {
    TempDirTest::SetUp();
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
    for (int i = 0; i < n; ++i) game->kalvor = true, game->update(t);
    game->kalvor = held;
  }
  Gift* gift(unsigned i) { return static_cast<Gift*>(game->ob(i)); }
  // Puts an object and its parts at (x, y) and places their corners without moving them.
  void place(Ob* ob, float x, float y) {
    ob->x = x;
    ob->y = y;
    ob->Ob::update(0);
    for (unsigned i = 0; i < game->obCount(); ++i)
      if (game->ob(i)->parent == ob) game->ob(i)->Ob::update(0);
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
