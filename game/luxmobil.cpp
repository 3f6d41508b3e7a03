// The limousine that brings the boss.
#include "luxmobil.h"

#include "kalvor.h"
#include "modGame.h"

#include <kro/cfr.h>
#include <kro/sound.h>

Luxmobil::Luxmobil() : Enemy(100) {
  x = 1.5f;
  y = -0.5f;
  const float quad[8] = {-0.6f, 0.3f, -0.6f, -0.3f, 0.6f, -0.3f, 0.6f, 0.3f};
  for (int i = 0; i < 8; ++i) baseVer[i] = quad[i];
  ModGame::I()->kalvor = true;
  kroSound("carArrive");
}

// Shot down or cleared away before it delivered: no boss will come to clear
// the flag, so the limousine does.
Luxmobil::~Luxmobil() {
  if (act == 'G' || act == 'T') ModGame::I()->kalvor = false;
}

void Luxmobil::update(float t) {
  actTime += t;
  switch (act) {
    case 'G':
      x -= 0.5f * t;
      if (x * x < 0.5f * t) startAct('T');
      break;
    case 'T':
      if (actTime > 1.0f) {
        new Kalvor;
        ModGame::I()->moveObUp(this);
        kroSound("carLeave");
        startAct('R');
      }
      break;
    case 'R':
      x -= 0.5f * t;
      if (x < -1.5f) {
        delete this;
        return;
      }
      break;
    default: Cfr::I()->echo("Luxmobil::update() - unknow act", 3); throw "unknow action";
  }
  Ob::update(t);
}
