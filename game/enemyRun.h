#pragma once
// A runner: walks to a gift, stands by it for a second, takes it and flees towards the nearer side edge.
// Crossing an edge with the gift loses the game.

#include "enemy.h"

class Gift;

class EnemyRun : public Enemy {
public:
  explicit EnemyRun(unsigned life);
  void update(float t) override;
  void onKill() override;
  bool isArmor() const override { return false; }

private:
  bool carries() const;
  Gift* gift;  // chosen once; null on a field without gifts
};
