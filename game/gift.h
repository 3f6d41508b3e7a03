#pragma once
// One of the two gifts the player guards. Clicking it loses the game.

#include "ob.h"

class Gift : public Ob {
public:
  Gift(float x, float y);
  char getType() override { return 'G'; }
  const char* getTex() const override { return "data/gift.png"; }
  void onHit() override;
};
