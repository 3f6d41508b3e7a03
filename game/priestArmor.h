#pragma once
// An armoured priest: walks in from a side edge to its stand point.

#include "enemyArmor.h"

class PriestArmor : public EnemyArmor {
public:
  PriestArmor();
  const char* getTex() const override;
  const char* hitSound() const override { return "armorHit"; }
  const char* killSound() const override { return "armorDie"; }
};
