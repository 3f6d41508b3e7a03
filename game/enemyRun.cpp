// A runner: to a gift, with it, and away.
#include "enemyRun.h"

#include "gift.h"
#include "modGame.h"

#include <kro/sound.h>

EnemyRun::EnemyRun(unsigned life) : Enemy(life), gift(ModGame::I()->getRandomGift()) {}

bool EnemyRun::carries() const { return gift && gift->parent == this; }

void EnemyRun::update(float t) {
  actTime += t;
  switch (act) {
    case 'G':
      // Without a gift to fetch there is nothing to do but leave.
      if (!gift)
        startAct('R');
      else if (moveTowards(gift->x, gift->y, t))
        startAct('T');
      break;
    case 'T':
      if (actTime > 1.0f) {
        gift->x = 0;
        gift->y = 0;
        gift->parent = this;
        kroSound("giftTaken");
        startAct('R');
      }
      break;
    case 'R': {
      const bool inside = x >= -1.0f && x <= 1.0f;
      x += x < 0 ? -getSpeed() * t : getSpeed() * t;
      if (carries() && (x < -1.0f || x > 1.0f)) {
        // Heard as the gift goes, not at every frame that godmode lets it stay gone.
        if (inside) kroSound("giftStolen");
        ModGame::I()->lost('E');
      }
      break;
    }
  }
  Ob::update(t);
}

// The gift is put down where its carrier falls.
void EnemyRun::onKill() {
  if (carries()) {
    gift->x = x;
    gift->y = y;
    gift->parent = nullptr;
  }
  Enemy::onKill();
}
