// The arcade rule set.
#include "modgamesuperarcade.h"

#include "modGame.h"
#include "modMainMenu.h"

#include <kro/kro.h>
#include <kro/modtxtshow.h>
#include <kro/sound.h>
#include <tessel/tessel.h>

#include <cstdio>
#include <string>

namespace {

// The name of the story page being shown; the text-page module keeps the pointer.
char storyName[256];

// A text page that cannot be shown is skipped: the game goes on to what follows it.
Mod* textPageOr(Mod* after, const char* file) {
  if (!Tessel::is_file(file)) return after;
  try {
    return ModTxtShow::I(after, file, "data/bg.png");
  } catch (const char* message) {
    debug((std::string(file) + ": " + message).c_str());
    return after;
  }
}

}  // namespace

ModGameSuperArcade::ModGameSuperArcade() { reset(); }

void ModGameSuperArcade::reset() {
  level = 0;
  win = true;
  score = 0;
  scoreSum = 0;
}

void ModGameSuperArcade::retry() {
  --level;
  win = true;
  score = 0;
  scoreSum = scoreSumLast;
}

void ModGameSuperArcade::init() { atime = 0; }

void ModGameSuperArcade::result(bool won, int levelScore) {
  win = won;
  score = levelScore;
  scoreSum += levelScore;
  if (won) kroSound("levelWon");
  nextMod = this;
}

void ModGameSuperArcade::keydown(char key) {
  if (key != vk::RETURN || atime <= 1.0f) return;
  if (!win)
    retry();
  else if (level >= levelLimit)
    reset();
}

void ModGameSuperArcade::update(float t) {
  atime += t;
  if (atime <= 2.0f || !win) return;
  ++level;
  if (level >= levelLimit)
    showEnd();
  else
    startLevel();
}

void ModGameSuperArcade::showEnd() {
  ModGame::I()->reset(0, this);
  kroSound("arcadeWon");
  nextMod = textPageOr(ModMainMenu::I(), "data/theend.txt");
}

void ModGameSuperArcade::startLevel() {
  ModGame* game = ModGame::I();
  game->reset(level, this);
  scoreSumLast = scoreSum;
  game->scoreLimit = level * 10 + 10;
  std::snprintf(storyName, sizeof storyName, "data/story%u.txt", level);
  nextMod = textPageOr(game, storyName);
}

void ModGameSuperArcade::draw2d() {
  const char* title = "Arcade Game.";
  const char* line = "Prepare for next Batel.";
  const char* hint = nullptr;
  if (!win) {
    title = "Arcade Game Over.";
    line = "You Lose.";
    hint = "Press Enter restart.";
  } else if (level >= levelLimit) {
    title = "Arcade Game Over.";
    line = "You Win.";
    hint = "Press Enter to start from begin.";
  }
  kroPrint(title, 0, 0.2f, kroFitSize(title, 0.2f, kroFieldRoom), 'C');  // "Arcade Game Over." is 2.04 wide
  kroPrint(line, 0, 0, 0.1f, 'C');
  if (hint && atime > 1.0f) kroPrint(hint, 0, -0.5f, 0.07f, 'C');
  char total[64];
  std::snprintf(total, sizeof total, "Your score is %d.", scoreSum);
  kroPrint(total, 0, -0.1f, 0.1f, 'C');
}
