#pragma once
// The arcade rule set: five levels, each with its story page.
//
// The arcade game: five levels of rising score limits, each introduced by its
// story page; a lost level can be played again from the total it started with.

#include "modgamesuper.h"

class ModGameSuperArcade : public ModGameSuper {
public:
  ModGameSuperArcade();
  void reset();
  void retry();

  void init() override;
  void keydown(char key) override;
  void update(float t) override;
  void draw2d() override;
  void result(bool win, int score) override;

  unsigned getLevel() const { return level; }
  int getScoreSum() const { return scoreSum; }

private:
  void startLevel();
  void showEnd();

  unsigned level = 0;
  unsigned levelLimit = 6;  // reaching it ends the game: levels 1 to 5 are played
  bool win = true;
  int score = 0;
  int scoreSum = 0;
  int scoreSumLast = 0;
  float atime = 0;
};
