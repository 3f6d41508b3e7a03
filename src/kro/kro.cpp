// Engine primitives: the font, text printing, colour, textures and the debug log.
#include <kro/cfr.h>
#include <kro/kro.h>

#include <platform/outlineFont.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>

bool configNiceTex = false;

namespace {

// The font: 256 display lists from `id` on, and the glyph metrics.
struct Fontn {
  GLuint id = 0;
  platform::GlyphMetrics gmf[256] = {};
};

Fontn font;

const char COLOUR_ESCAPE = 1;

// Sum of the advances at size 1; colour bytes count, as the alignment has them.
float textWidth(const char* text) {
  float width = 0;
  for (const char* c = text; *c; ++c) width += font.gmf[static_cast<unsigned char>(*c)].cellIncX;
  return width;
}

}  // namespace

bool kroInit(std::string& error) {
  font.id = glGenLists(256);
  if (!platform::buildOutlineFont(font.id, font.gmf, error)) return false;
  if (!platform::outlineFontFallback().empty()) debug(platform::outlineFontFallback().c_str());
  return true;
}

void kroTextInk(const char* text, float& left, float& bottom, float& right, float& top) {
  left = bottom = right = top = 0;
  float pen = 0;
  bool inked = false;
  for (const char* c = text; *c; ++c) {
    const platform::GlyphMetrics& g = font.gmf[static_cast<unsigned char>(*c)];
    if (g.blackBoxX > 0 && g.blackBoxY > 0) {
      // A colour escape does not move the pen: the glyphs after it stand at or left of here.
      left = inked ? std::min(left, std::min(0.0f, g.originX)) : std::min(0.0f, g.originX);
      right = inked ? std::max(right, pen + g.originX + g.blackBoxX) : pen + g.originX + g.blackBoxX;
      bottom = inked ? std::min(bottom, g.originY - g.blackBoxY) : g.originY - g.blackBoxY;
      top = inked ? std::max(top, g.originY) : g.originY;
      inked = true;
    }
    pen += g.cellIncX;
  }
}

// Only a text wider than its room shrinks, so the others keep their sizes.
float kroFitSize(const char* text, float size, float room) {
  const float width = textWidth(text);
  return width * size > room ? room / width : size;
}

void kroPrint(const char* text, float x, float y, float size, char mode) {
  glPushMatrix();
  const float factor = (mode == 'L' || mode == 'l') ? 0.0f : (mode == 'R' || mode == 'r') ? size : size * 0.5f;
  glTranslatef(x - textWidth(text) * factor, y, -1.0f);
  glScalef(size, size, 1.0f);
  glPushAttrib(GL_LIST_BIT);
  glListBase(font.id);
  // Runs of glyphs between colour escapes.
  for (size_t b = 0; text[b];) {
    if (text[b] == COLOUR_ESCAPE) {
      if (!text[b + 1] || !text[b + 2] || !text[b + 3]) break;  // an escape cut short ends the text
      glColor3b(GLbyte(text[b + 1]), GLbyte(text[b + 2]), GLbyte(text[b + 3]));
      b += 4;
      continue;
    }
    size_t e = b;
    while (text[e] && text[e] != COLOUR_ESCAPE) ++e;
    glCallLists(GLsizei(e - b), GL_UNSIGNED_BYTE, text + b);
    b = e;
  }
  glPopAttrib();
  glPopMatrix();
}

void kroPrint(const char* text, float x, float y, float size) { kroPrint(text, x, y, size, 'C'); }

void kroColor3f(float r, float g, float b, float amb) {
  const GLfloat ambient[] = {r * amb, g * amb, b * amb, 1};
  const GLfloat diffuse[] = {(1 - amb) * r, (1 - amb) * g, (1 - amb) * b, 1};
  const GLfloat none[] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, none);
  glMaterialfv(GL_FRONT, GL_EMISSION, none);
  glMaterialf(GL_FRONT, GL_SHININESS, 1);
  glColor3f(r, g, b);
}

void kroFieldQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glEnd();
}

bool genTexture(unsigned* texture, const char* data, unsigned width, unsigned height) {
  glGenTextures(1, texture);
  glBindTexture(GL_TEXTURE_2D, *texture);
  const GLint filter = configNiceTex ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, GLsizei(width), GLsizei(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
  return true;
}

// Level 2 of the console's log; the first message creates the console.
void debug(const char* text) { Cfr::I()->echo(text, 2); }

void debug(const char* text, int num) { debug((std::string(text) + std::to_string(num)).c_str()); }

// Written as a signed number, as the log always has: 4294967295 shows as -1.
void debug(const char* text, unsigned num) { debug(text, static_cast<int>(num)); }

void debug(const char* text, float num) {
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", double(num));
  debug((std::string(text) + number).c_str());
}
