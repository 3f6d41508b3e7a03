#pragma once
// The game-over screen: why the player lost.
//
// Shows why the player lost, over a picture or plain white, for four seconds
// or until Enter, then reports the loss to the rule set.

#include <kro/mod.h>

class ModGameSuper;

class ModGameOver : public Mod {
public:
  // A null text keeps the previous one; the rest is always taken.
  static ModGameOver* I(const char* text, ModGameSuper* gameSuper, unsigned score, const char* picture);

  void init() override;
  void update(float t) override;
  void keydown(char key) override;
  void draw2d() override;

  const char* getText() const { return text; }
  const char* getPicture() const { return picture; }

private:
  ModGameOver() = default;
  // Reports the loss, once per showing.
  void endOfMod();

  const char* text = nullptr;
  ModGameSuper* gameSuper = nullptr;
  unsigned score = 0;
  float atime = 0;
  const char* picture = nullptr;
  bool reported = false;
};
