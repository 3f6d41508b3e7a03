// A head: one hit kills its enemy.
#include "enemyhead.h"

#include "enemy.h"

// The kill destroys the enemy and, with it, this head.
void EnemyHead::onHit() { enemy->kill(); }
