#pragma once
// A part riding on an enemy (its head). A hit on it counts as a hit on the body.

#include "ob.h"

class Enemy;

class EnemyPart : public Ob {
public:
  explicit EnemyPart(Enemy* enemy);
  char getType() override { return 'e'; }
  void onHit() override;

protected:
  Enemy* enemy;
};
