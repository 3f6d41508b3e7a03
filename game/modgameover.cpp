// The game-over screen.
#include "modgameover.h"

#include "modMainMenu.h"
#include "modgamesuper.h"

#include <kro/kro.h>
#include <kro/sound.h>
#include <kro/textureMenager.h>

#include <GL/gl.h>

ModGameOver* ModGameOver::I(const char* text, ModGameSuper* gameSuper, unsigned score, const char* picture) {
  static ModGameOver* const instance = new ModGameOver;
  if (text) instance->text = text;
  instance->gameSuper = gameSuper;
  instance->score = score;
  instance->picture = picture;
  return instance;
}

void ModGameOver::init() {
  atime = 0;
  reported = false;
  kroSound("gameOver");
}

void ModGameOver::update(float t) {
  atime += t;
  if (atime > 4.0f) endOfMod();
}

void ModGameOver::keydown(char key) {
  if (key == vk::RETURN) endOfMod();
}

// After four seconds every update would report again until the module
// changes, and Enter could add one more: a loss is reported exactly once.
void ModGameOver::endOfMod() {
  if (reported) return;
  reported = true;
  if (gameSuper)
    gameSuper->result(false, int(score));
  else
    nextMod = ModMainMenu::I();
}

// The reason is printed at size 0.1; one too wide for the field at that size
// ("Okazano ci katolickie milosierdzie." is 2.1 wide) shrinks to fit, so that
// the player can read why the game ended.
void ModGameOver::draw2d() {
  kroColor3f(1, 1, 1, 0.2f);
  if (picture) {
    glEnable(GL_TEXTURE_2D);
    TextureMenager::I()->bind(picture);
  }
  kroFieldQuad();
  glDisable(GL_TEXTURE_2D);
  kroColor3f(1, 0, 0, 0.2f);
  kroPrint("GAME OVER", 0, 0.2f, 0.2f, 'C');
  const char* reason = text ? text : "";
  kroPrint(reason, 0, 0, kroFitSize(reason, 0.1f, kroFieldRoom), 'C');
  kroColor3f(1, 1, 1, 0.2f);
}
