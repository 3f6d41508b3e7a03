#pragma once
// The limousine: drives in from the right, stops in the middle, leaves the boss and drives off to the left.
// From its arrival until the boss is gone nothing spawns.

#include "enemy.h"

class Luxmobil : public Enemy {
public:
  Luxmobil();
  ~Luxmobil() override;
  void update(float t) override;
  const char* getTex() const override { return "data/luxmobil.png"; }
  float getSpeed() override { return 0.5f; }
  bool isArmor() const override { return false; }
  const char* hitSound() const override { return "carHit"; }
  const char* killSound() const override { return "carDie"; }
};
