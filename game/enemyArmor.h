#pragma once
// An armoured enemy, which ends the game unless killed at its stand point.
//
// An armoured enemy: walks to a stand point of its own, stands there a second,
// and a tenth of a second later ends the game unless it was killed.

#include "enemy.h"

class EnemyArmor : public Enemy {
public:
  explicit EnemyArmor(unsigned life);
  void update(float t) override;
  bool isArmor() const override { return true; }

protected:
  float tx;
  float ty;
};
