#pragma once
// A head: one hit on it kills its enemy, whatever its life.

#include "enemypart.h"

class EnemyHead : public EnemyPart {
public:
  explicit EnemyHead(Enemy* enemy) : EnemyPart(enemy) {}
  const char* getTex() const override { return "data/zombieHead.png"; }
  void onHit() override;
};
