#pragma once
// The field's fixture: a cleared field at a chosen level, in a fresh folder, whose rule set
// records its results.

#include "enemy.h"
#include "gift.h"
#include "modGame.h"
#include "modgameover.h"
#include "modgamesuper.h"

#include <kro/cfr.h>
#include <kro/keys.h>
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
