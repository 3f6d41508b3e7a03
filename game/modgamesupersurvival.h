#pragma once
// The survival rule set: one endless level and the top list.
//
// The survival game: one endless level whose level rises at random with the
// points; the total is offered to the top list.

#include "modgamesuper.h"

class ModGameSuperSurvival : public ModGameSuper {
public:
  ModGameSuperSurvival();
  void reset();

  void init() override;
  void keydown(char key) override;
  void update(float t) override;
  void draw2d() override;
  void result(bool win, int score) override;

  int getScoreSum() const { return scoreSum; }

private:
  unsigned level = 0;
  bool win = true;
  int score = 0;
  int scoreSum = 0;
  float atime = 0;
};
