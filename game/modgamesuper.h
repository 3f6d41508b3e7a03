#pragma once
// A rule set: decides what a level is and what follows a won or lost one.
// Between levels it is the current module and shows a short result screen.

#include <kro/mod.h>

class ModGameSuper : public Mod {
public:
  void update(float) override {}
  void draw2d() override {}
  // A level ended: won (the score passed the limit) or lost.
  virtual void result(bool win, int score) = 0;
};
