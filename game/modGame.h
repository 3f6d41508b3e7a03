#pragma once
// The play field: every object of a game in one list in drawing order, the score and the level.
// Each frame it spawns, advances the objects and checks for a won level; a click goes to
// the first object under the cursor. It knows no rules: results go to the rule set,
// losses to the game-over screen.

#include <kro/mod.h>
#include <tessel/array.h>
#include <tessel/var.h>

class Ob;
class Gift;
class ModGameSuper;

class ModGame : public Mod {
public:
  static ModGame* I();

  void addOb(Ob* ob);
  void rmOb(Ob* ob);
  // Puts ob last in the list: drawn over all others, hit after all others.
  void moveObUp(Ob* ob);
  Gift* getRandomGift();
  // The first object riding on parent, or null.
  Ob* firstChildOf(const Ob* parent) const;

  void lost(char why);
  void reset(unsigned level, ModGameSuper* gameSuper);
  void incScore();
  static int goToLevel(Var lvlnr);

  void mouseMove(float x, float y) override;
  void mouseLDown(float x, float y) override;
  void update(float t) override;
  void draw2d() override;

  // For tests and tools that look at the field.
  unsigned obCount() const { return obs.num; }
  Ob* ob(unsigned i) { return obs[i]; }
  int getScore() const { return score; }
  unsigned getLevel() const { return level; }
  ModGameSuper* getGameSuper() const { return gameSuper; }

  unsigned scoreLimit = 0;  // 0: no limit
  bool autoIncLevel = false;
  bool kalvor = false;  // a boss event is under way: nothing spawns

  // The next enemy comes when this falls below 0; it falls by 4096 a second.
  // It belongs to the program, not to a game: reset leaves it.
  static constexpr int SPAWN_COUNTDOWN_AT_START = 256;
  int spawnCountdown = SPAWN_COUNTDOWN_AT_START;

private:
  ModGame();
  ~ModGame() override;
  void spawn();

  int score = 0;
  Array<Ob*> obs;
  float mousex = 0;
  float mousey = 0;
  ModGameSuper* gameSuper = nullptr;
  unsigned level = 0;
};
