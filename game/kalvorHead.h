#pragma once
// The boss's head: unlike other heads it takes a hit like the body does.

#include "enemyhead.h"

class KalvorHead : public EnemyHead {
public:
  explicit KalvorHead(Enemy* enemy) : EnemyHead(enemy) {}
  const char* getTex() const override { return "data/kalvorHead.png"; }
  void onHit() override { EnemyPart::onHit(); }
};
