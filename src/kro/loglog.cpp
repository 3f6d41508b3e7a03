// The program's log: screen records, standard output and "data/log.txt".
#include <kro/kro.h>
#include <kro/loglog.h>
#include <tessel/tessel.h>

#include <kro/shader.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

// Records 0 to 18 scroll; record 19 only ever holds the overflow marker.
static const unsigned SCROLLING = Loglog::logsnum - 1;

Loglog::Loglog() : filename("data/log.txt"), showY(0), fileWorks(true) {
  std::memset(logs, 0, sizeof logs);
  // Empties the file of the previous run. Without it (no data folder, no
  // permission, a link in its place) the log goes on, on screen and standard
  // output only.
  if (FILE* file = Tessel::createFile(filename, "w")) {
    std::fclose(file);
  } else {
    fileWorks = false;
    std::fprintf(stderr, "giftguard: cannot create %s; the log goes to the screen and standard output only\n",
                 filename);
  }
}

void Loglog::echo(const char* text, unsigned char userid) {
  const size_t length = std::strlen(text);
  std::fwrite(text, 1, length, stdout);
  std::fputc('\n', stdout);

  if (lineLevel(SCROLLING - 1) != 0) std::strcpy(logs[SCROLLING] + 1, "...");
  std::memmove(logs[1], logs[0], (SCROLLING - 1) * loglen);
  logs[0][0] = static_cast<char>(userid);
  const size_t shown = length < loglen - 2 ? length : loglen - 2;
  std::memcpy(logs[0] + 1, text, shown);
  logs[0][1 + shown] = 0;
  ++changes;

  // Appended and closed at once, so the file is complete up to the last message.
  if (!fileWorks) return;
  if (FILE* file = Tessel::createFile(filename, "a")) {
    std::fwrite(text, 1, length, file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

// ---- Drawing -------------------------------------------------------------------------------------

namespace {

const float LEFT = -0.98f, LINE = 0.05f, SIZE = 0.04f;

// Window pixels of a rectangle, as whole pixels.
struct Box {
  GLint left, bottom, right, top;
};

}  // namespace

// A texture of the records' glyphs as large as the view, drawn into through a
// framebuffer with the caller's matrices, so that every glyph covers exactly
// the pixels it would cover drawn directly; each frame draws only the boxes
// around the lines' texts from it. Kept until a record, the view or the
// matrices change.
struct Loglog::Picture {
  GLuint frame = 0, texture = 0;
  GLint view[4] = {};
  GLfloat matrices[32] = {};
  unsigned changes = 0;
  bool drawn = false;
  bool refused = false;  // the driver would not draw into the texture: glyphs as before
  std::vector<Box> boxes;

  ~Picture() {
    if (frame) glDeleteFramebuffers(1, &frame);
    if (texture) glDeleteTextures(1, &texture);
  }

  // Storage for a view of this size; false without framebuffer objects.
  bool fit(const GLint* now) {
    if (texture && now[2] == view[2] && now[3] == view[3]) return true;
    if (!frame) glGenFramebuffers(1, &frame);
    if (!texture) glGenTextures(1, &texture);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, now[2], now[3], 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glPopAttrib();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, frame);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
    drawn = false;
    refused = !complete;
    return complete;
  }

  // The pixels, relative to the view, that a rectangle of the drawing covers
  // (at z -1, where the glyphs stand), rounded outwards and kept inside the view.
  Box cover(float x0, float y0, float x1, float y1) const {
    Box box{view[2], view[3], 0, 0};
    for (float x : {x0, x1})
      for (float y : {y0, y1}) {
        const GLfloat* m = matrices + 16;
        const GLfloat* p = matrices;
        GLfloat eye[4], clip[4];
        for (int r = 0; r < 4; ++r) eye[r] = m[r] * x + m[4 + r] * y - m[8 + r] + m[12 + r];
        for (int r = 0; r < 4; ++r)
          clip[r] = p[r] * eye[0] + p[4 + r] * eye[1] + p[8 + r] * eye[2] + p[12 + r] * eye[3];
        if (clip[3] <= 0) return {0, 0, view[2], view[3]};  // behind the eye: the whole view
        const GLfloat wx = (clip[0] / clip[3] + 1) * 0.5f * GLfloat(view[2]);
        const GLfloat wy = (clip[1] / clip[3] + 1) * 0.5f * GLfloat(view[3]);
        box.left = std::min(box.left, GLint(std::floor(wx)));
        box.bottom = std::min(box.bottom, GLint(std::floor(wy)));
        box.right = std::max(box.right, GLint(std::ceil(wx)));
        box.top = std::max(box.top, GLint(std::ceil(wy)));
      }
    return {std::max(box.left, 0), std::max(box.bottom, 0), std::min(box.right, view[2]), std::min(box.top, view[3])};
  }

  // A texel is a pixel; the empty ones are skipped.
  void show() const {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
    for (GLenum which : {GL_PROJECTION, GL_MODELVIEW}) {
      glMatrixMode(which);
      glPushMatrix();
      glLoadIdentity();
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLfloat w = GLfloat(view[2]), h = GLfloat(view[3]);
    glBegin(GL_QUADS);
    for (const Box& b : boxes) {
      const GLfloat s0 = GLfloat(b.left) / w, s1 = GLfloat(b.right) / w;
      const GLfloat t0 = GLfloat(b.bottom) / h, t1 = GLfloat(b.top) / h;
      glTexCoord2f(s0, t0);
      glVertex2f(2 * s0 - 1, 2 * t0 - 1);
      glTexCoord2f(s1, t0);
      glVertex2f(2 * s1 - 1, 2 * t0 - 1);
      glTexCoord2f(s1, t1);
      glVertex2f(2 * s1 - 1, 2 * t1 - 1);
      glTexCoord2f(s0, t1);
      glVertex2f(2 * s0 - 1, 2 * t1 - 1);
    }
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }
};

Loglog::~Loglog() = default;

void Loglog::draw2d() {
  if (!drawPicture()) drawLines();
}

void Loglog::drawLines() {
  static const float COLOURS[6][3] = {{0.5f, 0.5f, 0.5f}, {0.5f, 0.1f, 0.0f}, {0.1f, 0.5f, 0.9f},
                                      {0.9f, 0.1f, 0.0f}, {0.9f, 0.9f, 0.0f}, {0.5f, 0.5f, 0.5f}};
  for (unsigned i = 0; i < logsnum; ++i) {
    const unsigned level = lineLevel(i) < 6 ? lineLevel(i) : 0;
    glColor3fv(COLOURS[level]);
    kroPrint(lineText(i), LEFT, showY + 0.02f + LINE * float(i), SIZE, 'L');
  }
}

// False where the context has no framebuffer objects: the caller draws the glyphs.
bool Loglog::drawPicture() {
  if (!Shader::loadEntryPoints() || !glGenFramebuffers) return false;
  if (!picture) picture = std::make_unique<Picture>();
  Picture& p = *picture;
  GLint view[4];
  GLfloat matrices[32];
  glGetIntegerv(GL_VIEWPORT, view);
  glGetFloatv(GL_PROJECTION_MATRIX, matrices);
  glGetFloatv(GL_MODELVIEW_MATRIX, matrices + 16);
  if (p.refused || !p.fit(view)) return false;
  if (!p.drawn || p.changes != changes || std::memcmp(view, p.view, sizeof view) != 0 ||
      std::memcmp(matrices, p.matrices, sizeof matrices) != 0) {
    std::memcpy(p.view, view, sizeof view);
    std::memcpy(p.matrices, matrices, sizeof matrices);
    GLint previous = 0;
    GLfloat clear[4];
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glBindFramebuffer(GL_FRAMEBUFFER, p.frame);
    glViewport(0, 0, view[2], view[3]);  // the texture starts at the view's corner; a whole-pixel move
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    drawLines();
    glViewport(view[0], view[1], view[2], view[3]);
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
    p.boxes.clear();
    for (unsigned i = 0; i < logsnum; ++i) {
      float left, bottom, right, top;
      kroTextInk(lineText(i), left, bottom, right, top);
      if (right <= left) continue;
      const float base = showY + 0.02f + LINE * float(i);
      p.boxes.push_back(p.cover(LEFT + left * SIZE, base + bottom * SIZE, LEFT + right * SIZE, base + top * SIZE));
    }
    p.changes = changes;
    p.drawn = true;
  }
  p.show();
  return true;
}
