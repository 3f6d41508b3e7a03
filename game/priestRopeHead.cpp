// The rope priest's smaller head.
#include "priestRopeHead.h"

PriestRopeHead::PriestRopeHead(Enemy* enemy) : PriestArmorHead(enemy) {
  x = -0.06f;
  setSquare(0.04f);
}
