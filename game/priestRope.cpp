// The priest on a rope: where it comes down, and its pictures.
#include "priestRope.h"

#include "priestRopeHead.h"

#include <cstdlib>

PriestRope::PriestRope() : EnemyArmor(3) {
  new PriestRopeHead(this);
  x = tx = float(std::rand() % 256) * 1.6f / 256 - 0.8f;
  y = 1.2f;
  ty = float(std::rand() % 256) * 0.3f / 256 + 0.45f;
}

const char* PriestRope::getTex() const {
  switch (act) {
    case 'R': return "data/priestRopeBodyR.png";
    case 'S': return "data/priestRopeBodyS.png";
    default: return "data/priestRopeBody.png";
  }
}
