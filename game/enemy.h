#pragma once
// An enemy: a body that takes hits and dies.
// Its behaviour is a small state machine over one character, act, with the time spent in
// it, actTime.

#include "ob.h"

class Enemy : public Ob {
public:
  // Starts at a random side edge, in one of two lanes.
  explicit Enemy(unsigned life);

  void update(float t) override = 0;
  char getType() override { return 'E'; }
  void onHit() override;
  // Runs once, just before a killed enemy is destroyed.
  virtual void onKill() {}
  virtual float getSpeed() { return 0.25f; }
  virtual bool isArmor() const = 0;
  // What a body hit and the death sound like (kroSound names); the plain runner's by default.
  virtual const char* hitSound() const { return "zombieHit"; }
  virtual const char* killSound() const { return "zombieDie"; }

  // Scores a point, runs onKill and destroys the enemy with its parts.
  void kill();
  void startAct(char act);

  char act = 'G';
  float actTime = 0;

protected:
  // One step towards (gx, gy); true on arrival.
  bool moveTowards(float gx, float gy, float t);

private:
  int life;
};
