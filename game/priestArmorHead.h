#pragma once
// A priest's head, one of two pictures.

#include "enemyhead.h"

class PriestArmorHead : public EnemyHead {
public:
  explicit PriestArmorHead(Enemy* enemy);
  const char* getTex() const override;

private:
  unsigned short nr;
};
