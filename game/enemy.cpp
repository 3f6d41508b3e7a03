// An enemy: its hits, its death and its steps towards a goal.
#include "enemy.h"

#include "modGame.h"

#include <kro/kro.h>
#include <kro/sound.h>

#include <cstdlib>

Enemy::Enemy(unsigned life) : life(int(life)) {
  x = std::rand() % 2 ? 1.0f : -1.0f;
  y = std::rand() % 2 ? 0.0f : -0.5f;
}

void Enemy::startAct(char newAct) {
  actTime = 0;
  act = newAct;
}

void Enemy::onHit() {
  debug("Enemy hited");
  if (life != 0) --life;
  debug("Enemy life ", life);
  kroSound(hitSound());
  if (life == 0) kill();
}

void Enemy::kill() {
  debug("Enemy killed");
  kroSound(killSound());
  ModGame::I()->incScore();
  onKill();
  delete this;
}

// No dead band sideways, so an enemy at its target steps back and forth across
// it; vertically it stays within 0.01 above the target. Arrival compares the
// squared distance with the step length itself.
bool Enemy::moveTowards(float gx, float gy, float t) {
  const float step = getSpeed() * t;
  x += gx > x ? step : -step;
  if (gy > y)
    y += step;
  else if (y > gy + 0.01f)
    y -= step;
  const float dx = x - gx, dy = y - gy;
  return dx * dx + dy * dy < step;
}
