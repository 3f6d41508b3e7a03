// Game objects: their place in the field's list, corners, drawing and hit test.
#include "ob.h"

#include "modGame.h"

#include <kro/textureMenager.h>

#include <GL/gl.h>

const float Ob::uv[8] = {0, 1, 0, 0, 1, 0, 1, 1};

Ob::Ob() {
  setSquare(0.1f);
  ModGame::I()->addOb(this);
}

Ob::~Ob() {
  ModGame* game = ModGame::I();
  while (Ob* child = game->firstChildOf(this)) delete child;
  game->rmOb(this);
}

void Ob::setSquare(float h) {
  const float square[8] = {-h, h, -h, -h, h, -h, h, h};
  for (int i = 0; i < 8; ++i) baseVer[i] = square[i];
}

// Only the parent's own position counts, never its parent's.
void Ob::update(float) {
  const float ox = parent ? parent->x + x : x;
  const float oy = parent ? parent->y + y : y;
  for (int i = 0; i < 4; ++i) {
    ver[2 * i] = ox + baseVer[2 * i];
    ver[2 * i + 1] = oy + baseVer[2 * i + 1];
  }
}

const char* Ob::getTex() const { return "data/vossa.jpg"; }

void Ob::draw() {
  TextureMenager::I()->bind(getTex());
  glVertexPointer(2, GL_FLOAT, 8, ver);
  glTexCoordPointer(2, GL_FLOAT, 0, uv);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glDrawArrays(GL_QUADS, 0, 4);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

// The object may be gone when onHit returns: nothing may follow it here.
void Ob::hit() { onHit(); }

bool Ob::isItIn(float px, float py) const {
  float minX = ver[0], maxX = ver[0], minY = ver[1], maxY = ver[1];
  for (int i = 1; i < 4; ++i) {
    const float cx = ver[2 * i], cy = ver[2 * i + 1];
    if (cx < minX) minX = cx;
    if (cx > maxX) maxX = cx;
    if (cy < minY) minY = cy;
    if (cy > maxY) maxY = cy;
  }
  return minX < px && px < maxX && minY < py && py < maxY;
}
