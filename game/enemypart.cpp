// A part riding on an enemy, passing its hits on.
#include "enemypart.h"

#include "enemy.h"

EnemyPart::EnemyPart(Enemy* enemy) : enemy(enemy) {
  parent = enemy;
  x = 0;
  y = 0.1f;
  setSquare(0.05f);
}

void EnemyPart::onHit() { enemy->hit(); }
