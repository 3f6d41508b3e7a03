// The armoured priest and its pictures.
#include "priestArmor.h"

#include "priestArmorHead.h"

PriestArmor::PriestArmor() : EnemyArmor(3) { new PriestArmorHead(this); }

const char* PriestArmor::getTex() const {
  switch (act) {
    case 'R': return "data/priestArmorBodyR.png";
    case 'S': return "data/priestArmorBodyS.png";
    default: return "data/priestArmorBody.png";
  }
}
