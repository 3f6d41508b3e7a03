// The zombie and its two body pictures.
#include "zombie.h"

#include "enemyhead.h"

#include <cstdlib>

Zombie::Zombie() : EnemyRun(2) {
  new EnemyHead(this);
  nr = unsigned(std::rand() % 2);
}

const char* Zombie::getTex() const { return nr == 0 ? "data/zombieBody.png" : "data/zombieBody2.png"; }
