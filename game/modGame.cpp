// The play field: its objects, spawning, clicks, score and drawing.
#include "modGame.h"

#include "gift.h"
#include "kalvor.h"
#include "luxmobil.h"
#include "modMainMenu.h"
#include "modgameover.h"
#include "modgamesuper.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "zombie.h"

#include <kro/kro.h>
#include <kro/sound.h>
#include <kro/textureMenager.h>
#include <tessel/proof.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

ModGame* ModGame::I() {
  ProofOb scope("ModGame::I");
  static ModGame* const instance = new ModGame;
  return instance;
}

ModGame::ModGame() {
  ProofOb scope("ModGame::ModGame");
  Var::get("godmode") = std::string("0");
}

ModGame::~ModGame() { ProofOb scope("ModGame::~ModGame"); }

void ModGame::addOb(Ob* ob) {
  ProofOb scope("ModGame::addOb");
  obs[obs.num++] = ob;
}

void ModGame::rmOb(Ob* ob) {
  ProofOb scope("ModGame::rmOb");
  moveObUp(ob);
  if (obs.num > 0 && obs[obs.num - 1] == ob) --obs.num;
}

void ModGame::moveObUp(Ob* ob) {
  unsigned i = 0;
  while (i < obs.num && obs[i] != ob) ++i;
  if (i == obs.num) return;
  for (; i + 1 < obs.num; ++i) obs[i] = obs[i + 1];
  obs[obs.num - 1] = ob;
}

Gift* ModGame::getRandomGift() {
  ProofOb scope("ModGame::getRandomGift");
  unsigned count = 0;
  for (unsigned i = 0; i < obs.num; ++i) count += obs[i]->getType() == 'G';
  if (count == 0) return nullptr;
  unsigned r = unsigned(std::rand()) % count;
  for (unsigned i = 0; i < obs.num; ++i)
    if (obs[i]->getType() == 'G' && r-- == 0) return static_cast<Gift*>(obs[i]);
  return nullptr;
}

Ob* ModGame::firstChildOf(const Ob* parent) const {
  for (unsigned i = 0; i < obs.num; ++i)
    if (obs.getData()[i]->parent == parent) return obs.getData()[i];
  return nullptr;
}

namespace {

// A "godmode" that is not a number counts as 0.
bool godmode() {
  const Var& value = Var::get("godmode");
  return value.is_numeric() && value.toInt() != 0;
}

}  // namespace

void ModGame::lost(char why) {
  ProofOb scope("ModGame::lost");
  if (godmode()) return;
  const char* text = nullptr;
  const char* picture = nullptr;
  switch (why) {
    case 'E': text = "Zarekwirowane prezent, polegles."; break;
    case 'G': text = "Strzeliles w prezent."; break;
    case 'K':
      text = "Okazano ci katolickie milosierdzie.";
      picture = "data/lost.png";
      break;
  }
  nextMod = ModGameOver::I(text, gameSuper, unsigned(score), picture);
}

void ModGame::reset(unsigned newLevel, ModGameSuper* newGameSuper) {
  ProofOb scope("ModGame::reset");
  while (obs.num > 0) delete obs[0];
  kalvor = false;  // a boss event cut short must not stop every later spawn
  score = 0;
  autoIncLevel = false;
  level = newLevel;
  if (newGameSuper) gameSuper = newGameSuper;
  new Gift(-0.15f, 0);
  new Gift(0.15f, 0);
}

void ModGame::incScore() {
  ++score;
  if (autoIncLevel && (std::rand() & 63) == 0) {
    ++level;
    kroSound("levelUp");
  }
}

int ModGame::goToLevel(Var lvlnr) {
  I()->reset(unsigned(lvlnr.toInt()), nullptr);
  return 0;
}

void ModGame::mouseMove(float x, float y) {
  mousex = x;
  mousey = y;
}

// The earliest object in the list wins where several overlap; the hit may
// destroy it, so the walk ends at once.
void ModGame::mouseLDown(float x, float y) {
  for (unsigned i = 0; i < obs.num; ++i)
    if (obs[i]->isItIn(x, y)) {
      obs[i]->hit();
      return;
    }
}

// Chooses the new enemy by level; level 0 spawns nothing.
void ModGame::spawn() {
  if (level == 0) return;
  switch (unsigned(std::rand()) % level) {
    case 1: new PriestRun; break;
    case 2: new PriestArmor; break;
    case 3: new PriestRope; break;
    case 4: new Luxmobil; break;
    default: new Zombie; break;
  }
}

void ModGame::update(float t) {
  spawnCountdown = int(float(spawnCountdown) - t * 4096.0f);
  if (!kalvor && spawnCountdown < 0) {
    spawnCountdown = std::rand() % 4096;
    spawn();
  }
  // Objects created during the pass are updated in the same pass.
  for (unsigned i = 0; i < obs.num; ++i) obs[i]->update(t);
  if (scoreLimit != 0 && score > int(scoreLimit)) {
    if (gameSuper)
      gameSuper->result(true, score);
    else
      nextMod = ModMainMenu::I();
  }
}

void ModGame::draw2d() {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  TextureMenager::I()->bind("data/bg.png");
  kroFieldQuad();
  for (unsigned i = 0; i < obs.num; ++i) {
    if (obs[i]->isItIn(mousex, mousey))
      kroColor3f(1, 0.3f, 0.3f, 0.2f);
    else
      kroColor3f(1, 1, 1, 0.2f);
    obs[i]->draw();
  }
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  kroColor3f(1, 1, 1, 0.2f);
  char text[256];
  std::snprintf(text, sizeof text, "Score = %d", score);
  kroPrint(text, 1.0f, 0.9f, 0.1f, 'R');
  std::snprintf(text, sizeof text, "Level = %d", int(level));
  kroPrint(text, 1.0f, 0.8f, 0.1f, 'R');
}
