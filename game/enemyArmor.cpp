// An armoured enemy: its stand point and its walk, wait and attack.
#include "enemyArmor.h"

#include "modGame.h"

#include <kro/sound.h>

#include <cstdlib>

// Stand points in the middle strip lie below the gifts.
EnemyArmor::EnemyArmor(unsigned life) : Enemy(life) {
  tx = float(std::rand() % 256) * 1.6f / 256 - 0.8f;
  if (-0.2f < tx && tx < 0.2f)
    ty = float(std::rand() % 256) * 0.8f / 256 - 0.9f;
  else
    ty = float(std::rand() % 256) * 1.1f / 256 - 0.9f;
}

void EnemyArmor::update(float t) {
  actTime += t;
  switch (act) {
    case 'G':
      if (moveTowards(tx, ty, t)) {
        kroSound("glow");  // the warning: a little over a second to kill it
        startAct('R');
      }
      break;
    case 'R':
      if (actTime > 1.0f) startAct('S');
      break;
    case 'S':
      if (actTime > 0.1f) ModGame::I()->lost('K');
      break;
  }
  Ob::update(t);
}
