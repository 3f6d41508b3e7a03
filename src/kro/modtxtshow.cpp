// The text pages module.
#include <kro/kro.h>
#include <kro/modtxtshow.h>
#include <kro/textureMenager.h>
#include <tessel/proof.h>
#include <tessel/tessel2.h>

#include <GL/gl.h>

#include <cstdio>

ModTxtShow* ModTxtShow::I(Mod* nextNextMod, const char* filename, const char* texFilename) {
  ProofOb scope("ModTxtShow::I()");
  static ModTxtShow* const instance = new ModTxtShow;
  if (nextNextMod) instance->nextNextMod = nextNextMod;
  if (filename) {
    instance->filename = filename;
    instance->loadTxt();
  }
  instance->texFilename = texFilename;
  return instance;
}

ModTxtShow::ModTxtShow() { ProofOb scope("ModTxtShow::ModTxtShow()"); }

ModTxtShow::~ModTxtShow() { ProofOb scope("ModTxtShow::~ModTxtShow()"); }

// A file ending with a line feed has one more, empty line; an empty file has one
// empty line. Lines ending in a carriage return and a line feed show without it.
void ModTxtShow::loadTxt() {
  ProofOb scope("ModTxtShow::loadTxt()");
  lines.num = 0;
  Tessel::File file(Tessel::openFile(filename, "r"));
  if (!file) throw "can not open file";
  do {
    lines[lines.num] = Tessel2::getTextLine(file.get());
    ++lines.num;
  } while (!std::feof(file.get()) && !std::ferror(file.get()));
}

void ModTxtShow::init() {
  ProofOb scope("ModTxtShow::init()");
  y = -1.0f;
}

void ModTxtShow::update(float t) {
  ProofOb scope("ModTxtShow::update()");
  y += keys[vk::DOWN] ? 2 * t : t * 0.25f;
  if (y - getFs() * float(lines.num) > 1.0f) nextMod = nextNextMod;
}

void ModTxtShow::draw2d() {
  ProofOb scope("ModTxtShow::draw2d()");
  glPushMatrix();
  // Without a picture name the text stands on black.
  if (texFilename) {
    glEnable(GL_TEXTURE_2D);
    TextureMenager::I()->bind(texFilename);
    kroFieldQuad();
    glDisable(GL_TEXTURE_2D);
  }
  glTranslatef(0, y, 0);
  for (unsigned i = 0; i < lines.num; ++i) {
    glTranslatef(0, -getFs(), 0);
    kroPrint(lines[i].c_str(), -0.9f, 0, getFontSize(), 'L');
  }
  glPopMatrix();
}
