// A head: one hit kills its enemy.
#include "enemyhead.h"

#include "enemy.h"

#include <kro/sound.h>

// The kill destroys the enemy and, with it, this head.
void EnemyHead::onHit() {
  kroSound("headShot");
  enemy->kill();
}
