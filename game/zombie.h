#pragma once
// The plain runner: two lives, one of two body pictures.

#include "enemyRun.h"

class Zombie : public EnemyRun {
public:
  Zombie();
  const char* getTex() const override;

private:
  unsigned nr;
};
