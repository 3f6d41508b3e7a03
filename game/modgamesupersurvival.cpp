// The survival rule set.
#include "modgamesupersurvival.h"

#include "modGame.h"
#include "modMainMenu.h"
#include "modTopList.h"

#include <kro/kro.h>

#include <cstdio>

ModGameSuperSurvival::ModGameSuperSurvival() { reset(); }

void ModGameSuperSurvival::reset() {
  level = 0;
  win = true;
  score = 0;
  scoreSum = 0;
}

void ModGameSuperSurvival::init() { atime = 0; }

void ModGameSuperSurvival::result(bool won, int levelScore) {
  win = won;
  score = levelScore;
  scoreSum += levelScore;
  nextMod = this;
}

// The total goes to the top list, which asks for a name when it earns a place.
void ModGameSuperSurvival::keydown(char key) {
  if (key != vk::RETURN || atime <= 1.0f || win) return;
  ModTopList::I()->add(unsigned(scoreSum));
  reset();
  if (!nextMod) nextMod = ModMainMenu::I();
}

void ModGameSuperSurvival::update(float t) {
  atime += t;
  if (atime <= 2.0f || !win) return;
  ++level;
  ModGame* game = ModGame::I();
  game->reset(level, this);
  game->scoreLimit = 0;
  game->autoIncLevel = true;
  nextMod = game;
}

void ModGameSuperSurvival::draw2d() {
  kroPrint("Survival Game.", 0, 0.2f, 0.2f, 'C');
  if (!win) {
    kroPrint("Game Over.", 0, 0, 0.2f, 'C');
    if (atime > 1.0f) kroPrint("Press Enter to save results.", 0, -0.5f, 0.1f, 'C');
  } else {
    kroPrint("Prepare for next Batel.", 0, 0, 0.1f, 'C');
  }
  char total[64];
  std::snprintf(total, sizeof total, "Your score is %d.", scoreSum);
  kroPrint(total, 0, -0.1f, 0.1f, 'C');
}
