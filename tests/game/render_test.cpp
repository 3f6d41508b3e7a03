// Drawing in a real OpenGL context (under Xvfb with Mesa's software renderer):
// text alignment and colour escapes read back from the frame, the texture
// cache, and every screen's fixed texts within the window.
#include "modGame.h"
#include "modMainMenu.h"
#include "modTopList.h"
#include "modgameover.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"
#include "shell.h"

#include <kro/img.h>
#include <kro/kro.h>
#include <kro/modPrompt.h>
#include <kro/modtxtshow.h>
#include <kro/textureMenager.h>

#include <platform/display.h>
#include <platform/window.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

const int SIZE = 256;

class Render : public TempDirTest {
protected:
  static void SetUpTestSuite() {
    if (!platform::hasDisplay()) return;
    std::string error;
    ready = platform::openWindow(SIZE, SIZE, false, "render test", error) && kroInit(error);
    if (ready) TextureMenager::initImageLibrary();
    ASSERT_TRUE(ready) << error;
  }
  // The window stays open until the process ends: closing it unloads the graphics
  // driver, whose own allocations LeakSanitizer could then no longer attribute.
  void SetUp() override {
    TempDirTest::SetUp();
    if (!ready) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
    glViewport(0, 0, SIZE, SIZE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
  }

  // The frame as RGB rows, bottom row first.
  static std::vector<unsigned char> frame() {
    std::vector<unsigned char> pixels(SIZE * SIZE * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SIZE, SIZE, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
  // First and last column with a lit pixel; -1 when none.
  static std::pair<int, int> litColumns() {
    const std::vector<unsigned char> p = frame();
    int first = -1, last = -1;
    for (int i = 0; i < SIZE * SIZE; ++i)
      if (p[i * 3] > 64 || p[i * 3 + 1] > 64) {
        if (first < 0 || i % SIZE < first) first = i % SIZE;
        last = std::max(last, i % SIZE);
      }
    return {first, last};
  }

  // Left, right, bottom and top of all that draw() puts out, in the coordinates
  // of the 2D field, through the feedback buffer. The projection is halved
  // first, so that what would fall off the window is reported too.
  static std::vector<float> drawnExtent(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(0.5f, 0.5f, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    EXPECT_GE(size, 0) << "feedback buffer too small";
    std::vector<float> extent = {1e9f, -1e9f, 1e9f, -1e9f};
    for (GLint i = 0; i < size;) {
      if (buffer[i++] != GL_POLYGON_TOKEN) {
        ADD_FAILURE() << "only polygons expected";
        break;
      }
      std::vector<float> xy;  // window pixels back to field units
      for (int n = 2 * int(buffer[i++]); n > 0; --n) xy.push_back(buffer[i++] / (SIZE / 4.0f) - 2);
      // A backdrop over the whole field is the one thing that reaches its edges.
      if (std::all_of(xy.begin(), xy.end(), [](float v) { return std::abs(v) == 1; })) continue;
      for (size_t k = 0; k < xy.size(); ++k) {
        extent[2 * (k % 2)] = std::min(extent[2 * (k % 2)], xy[k]);
        extent[2 * (k % 2) + 1] = std::max(extent[2 * (k % 2) + 1], xy[k]);
      }
    }
    return extent;
  }

  static bool ready;
};
bool Render::ready = false;

// x = 0 is column 128; the glyphs' own side bearings leave a few pixels free.
TEST_F(Render, TextIsAlignedAtItsX) {
  kroPrint("HH", 0, 0, 0.3f, 'L');
  EXPECT_NEAR(litColumns().first, 132, 4);
  glClear(GL_COLOR_BUFFER_BIT);
  kroPrint("HH", 0, 0, 0.3f, 'r');
  EXPECT_NEAR(litColumns().second, 124, 4);
  glClear(GL_COLOR_BUFFER_BIT);
  kroPrint("HH", 0, 0, 0.3f);
  const auto centred = litColumns();
  EXPECT_NEAR((centred.first + centred.second) / 2.0, 128, 2);
}

TEST_F(Render, ColourEscapesChangeTheColourForGood) {
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  kroPrint("", 0, 0, 0.3f, 'L');
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(std::vector<GLfloat>(before, before + 16), std::vector<GLfloat>(after, after + 16));
  EXPECT_EQ(litColumns().first, -1);

  kroPrint("\x01\x7f\x01\x01HH", -0.5f, 0, 0.3f, 'L');
  const std::vector<unsigned char> p = frame();
  int red = 0, other = 0;
  for (size_t i = 0; i < p.size(); i += 3)
    if (p[i] > 200 && p[i + 1] < 40)
      ++red;
    else if (p[i + 1] > 64)
      ++other;
  EXPECT_GT(red, 50);
  EXPECT_EQ(other, 0);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_NEAR(colour[0], 1.0f, 0.01f);
  EXPECT_NEAR(colour[1], 0.0f, 0.02f);    // a component of 1 is the smallest above zero
  kroPrint("\x01\x7f", 0, 0, 0.3f, 'L');  // an escape cut short draws nothing and reads nothing past the end
}

TEST_F(Render, TheTextureCacheLoadsEachNameOnce) {
  Img picture(4, 4);
  picture.clear(0xFF0000FFu);
  picture.save2bmp("data/red.bmp");
  TextureMenager* cache = TextureMenager::I();
  const unsigned before = cache->loadedCount();
  const unsigned id = cache->get("data/red.bmp");
  EXPECT_NE(id, 0u);
  EXPECT_EQ(cache->get("data/red.bmp"), id);
  EXPECT_EQ(cache->loadedCount(), before + 1);
  EXPECT_NE(cache->get("./data/red.bmp"), id);  // another name for the same file loads again
  EXPECT_EQ(cache->get("data/missing.png"), 0u);
  EXPECT_EQ(cache->get("data/missing.png"), 0u);
  EXPECT_EQ(cache->loadedCount(), before + 3);  // a missing file is tried once too
}

TEST_F(Render, TextPagesDrawTheirLinesOverThePictureOrOnBlack) {
  Img picture(8, 8);
  picture.clear(0xFF800000u);  // dark blue, opaque
  picture.save2bmp("data/bg.bmp");
  writeFile("data/page.txt", "HHHH\nHHHH");
  ModTxtShow* page = ModTxtShow::I(nullptr, "data/page.txt", "data/bg.bmp");
  page->init();
  page->update(4.0f);  // y = 0: the lines stand just below the middle
  glClear(GL_COLOR_BUFFER_BIT);
  page->draw2d();
  std::vector<unsigned char> p = frame();
  auto pixel = [&](int x, int y) { return &p[(y * SIZE + x) * 3]; };
  EXPECT_GT(pixel(5, 250)[2], 100);  // the picture fills the screen
  int white = 0;
  for (int y = 90; y < 128; ++y)
    for (int x = 0; x < 128; ++x) white += pixel(x, y)[0] > 200 && pixel(x, y)[2] > 200;
  EXPECT_GT(white, 100);

  ModTxtShow::I(nullptr, nullptr, nullptr);  // no picture: the text on black
  glClear(GL_COLOR_BUFFER_BIT);
  page->draw2d();
  p = frame();
  EXPECT_EQ(pixel(5, 250)[2], 0);
}

// A click-to-hit game aims with the cross-hair, not the ordinary arrow.
TEST_F(Render, ThePointerOverTheWindowIsTheCrossHair) { EXPECT_TRUE(platform::crossHairShown()); }

// A fixed text that would run off the window shrinks to fit. Text widths do
// not depend on the window's shape in the 2D field, but "LOADING.." is printed
// under the start-up perspective, where a narrow window has less room.
TEST_F(Render, FixedTextsStayWithinTheWindow) {
  ModGameSuperArcade arcade;  // lost: "Arcade Game Over." and the hint
  arcade.result(false, INT_MIN);
  arcade.init();
  arcade.update(1.5f);
  ModGameSuperSurvival survival;
  survival.result(false, INT_MIN);
  survival.init();
  survival.update(1.5f);
  char name[5];
  const std::pair<const char*, std::function<void()>> screens[] = {
      {"arcade", [&] { arcade.draw2d(); }},
      {"survival", [&] { survival.draw2d(); }},
      {"game over", [] { ModGameOver::I("Okazano ci katolickie milosierdzie.", nullptr, 0, nullptr)->draw2d(); }},
      {"main menu", [] { ModMainMenu::I()->draw2d(); }},
      {"top list", [] { ModTopList::I()->draw2d(); }},
      {"name prompt", [&] { ModPrompt::I(name, sizeof name, "pleas give your name", nullptr)->draw2d(); }},
      {"field", [] { ModGame::I()->draw2d(); }},
      {"loading, 1:2 window",
       [] {
         scrwidth = 400, scrheight = 800;
         glMatrixMode(GL_PROJECTION);
         gluPerspective(45.0, 0.5, 0.1, 100.0);
         glMatrixMode(GL_MODELVIEW);
         showLoading();
       }},
  };
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.first);
    const std::vector<float> extent = drawnExtent(screen.second);
    EXPECT_GE(extent[0], -1.0f);
    EXPECT_LE(extent[1], 1.0f);
    EXPECT_GE(extent[2], -1.0f);
    EXPECT_LE(extent[3], 1.0f);
  }
  scrwidth = 1024, scrheight = 768;
}

TEST(Platform, TheWindowAndEventsAreSdl2s) {
  // The image library's OpenGL layer brings SDL 1.2 into the process too.
  EXPECT_EQ(platform::linkedSdlMajorVersion(), 2);
}

}  // namespace
