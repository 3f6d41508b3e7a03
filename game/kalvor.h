#pragma once
// The boss the limousine delivers: forty lives, never moves, worth 257 points.
// While it lives nothing spawns.

#include "enemy.h"

class Kalvor : public Enemy {
public:
  Kalvor();
  ~Kalvor() override;
  void update(float t) override { Ob::update(t); }
  const char* getTex() const override { return "data/kalvorBody.png"; }
  void onKill() override;
  bool isArmor() const override { return false; }
  const char* hitSound() const override { return "bossHit"; }
  const char* killSound() const override { return "bossDie"; }
};
