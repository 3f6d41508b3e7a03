// A gift, which loses the game when clicked.
#include "gift.h"

#include "modGame.h"

Gift::Gift(float gx, float gy) {
  x = gx;
  y = gy;
  setSquare(0.05f);
}

void Gift::onHit() { ModGame::I()->lost('G'); }
