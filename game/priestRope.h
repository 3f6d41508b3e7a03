#pragma once
// A priest on a rope: comes straight down from above the top edge to a point in the upper part of the field.

#include "enemyArmor.h"

class PriestRope : public EnemyArmor {
public:
  PriestRope();
  const char* getTex() const override;
  const char* hitSound() const override { return "priestHit"; }
  const char* killSound() const override { return "ropeDie"; }
};
