// A priest's head and its two pictures.
#include "priestArmorHead.h"

#include <cstdlib>

PriestArmorHead::PriestArmorHead(Enemy* enemy) : EnemyHead(enemy), nr((unsigned short)(std::rand() % 2)) {}

const char* PriestArmorHead::getTex() const { return nr == 1 ? "data/priestHead2.png" : "data/priestHead.png"; }
