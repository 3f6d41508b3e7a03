#pragma once
// The rope priest's head: smaller, and left of the body's centre line.

#include "priestArmorHead.h"

class PriestRopeHead : public PriestArmorHead {
public:
  explicit PriestRopeHead(Enemy* enemy);
};
