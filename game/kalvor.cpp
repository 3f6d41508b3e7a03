// The boss: its arrival, its departure and its points.
#include "kalvor.h"

#include "kalvorHead.h"
#include "modGame.h"

#include <kro/sound.h>

Kalvor::Kalvor() : Enemy(40) {
  x = 0;
  y = -0.5f;
  new KalvorHead(this);
  ModGame::I()->kalvor = true;
  kroSound("bossArrive");
}

Kalvor::~Kalvor() { ModGame::I()->kalvor = false; }

// 256 points on top of the kill's own, each with its chance to raise the level.
void Kalvor::onKill() {
  for (int i = 0; i < 256; ++i) ModGame::I()->incScore();
  Enemy::onKill();
}
