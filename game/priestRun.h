#pragma once
// A faster runner with three lives.

#include "enemyRun.h"

class PriestRun : public EnemyRun {
public:
  PriestRun();
  const char* getTex() const override { return "data/priestRunBody.png"; }
  float getSpeed() override { return 0.35f; }
  const char* hitSound() const override { return "priestHit"; }
  const char* killSound() const override { return "priestDie"; }
};
