// Drawing in a real OpenGL context (under Xvfb): text, text pages, and what every screen draws where.
#include "modGame.h"
#include "modMainMenu.h"
#include "modTopList.h"
#include "modgameover.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"
#include "shell.h"

#include <kro/cfr.h>
#include <kro/img.h>
#include <kro/keys.h>
#include <kro/kro.h>
#include <kro/modPrompt.h>
#include <kro/modtxtshow.h>
#include <kro/textureMenager.h>

#include <platform/display.h>
#include <platform/window.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "support/tempdir.h"

#undef DELETE  // windows.h, which OpenGL's headers bring in on Windows, makes it an access right

namespace {

const int SIZE = 256;

class Render : public TempDirTest {
protected:
  // Left open: closing it unloads the driver, whose allocations LeakSanitizer could not attribute.
  static void SetUpTestSuite() {
    if (!platform::hasDisplay()) return;
    std::string error;
    ready = platform::openWindow(SIZE, SIZE, false, "render test", error) && kroInit(error);
    if (ready) TextureMenager::initImageLibrary();
    ASSERT_TRUE(ready) << error;
  }
  void SetUp() override {
    TempDirTest::SetUp();
    if (!ready) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
    glViewport(0, 0, SIZE, SIZE);
    for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) glMatrixMode(matrix), glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
  }

  // The frame as RGB rows, bottom row first.
  static std::vector<unsigned char> frame() {
    std::vector<unsigned char> pixels(SIZE * SIZE * 3);
    glReadPixels(0, 0, SIZE, SIZE, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
  // First and last column with a lit pixel, drawn afresh; -1 when none.
  static std::pair<int, int> litColumns(const char* text, float x, char align) {
    glClear(GL_COLOR_BUFFER_BIT);
    kroPrint(text, x, 0, 0.3f, align);
    const std::vector<unsigned char> p = frame();
    int first = SIZE, last = -1;
    for (int i = 0; i < SIZE * SIZE; ++i)
      if (p[i * 3] > 64 || p[i * 3 + 1] > 64) first = std::min(first, i % SIZE), last = std::max(last, i % SIZE);
    return {last < 0 ? -1 : first, last};
  }

  static bool ready;
};
bool Render::ready = false;

// x = 0 is column 128; the glyphs' own side bearings leave a few pixels free.
TEST_F(Render, TextIsAlignedAtItsXAndEscapesChangeTheColourForGood) {
  EXPECT_NEAR(litColumns("HH", 0, 'L').first, 132, 4);
  EXPECT_NEAR(litColumns("HH", 0, 'r').second, 124, 4);
  const auto centred = litColumns("HH", 0, 'C');
  EXPECT_NEAR((centred.first + centred.second) / 2.0, 128, 2);
  EXPECT_EQ(litColumns("", 0, 'L').first, -1);
  litColumns("\x01\x7f\x01\x01HH", -0.5f, 'L');
  const std::vector<unsigned char> p = frame();
  int red = 0, green = 0;
  for (size_t i = 0; i < p.size(); i += 3) red += (p[i] > 200 && p[i + 1] < 40), green += (p[i + 1] > 64);
  EXPECT_GT(red, 50);
  EXPECT_EQ(green, 0);
  kroPrint("\x01\x7f", 0, 0, 0.3f, 'L');  // an escape cut short draws nothing and reads nothing past the end
}

TEST_F(Render, TheTextureCacheLoadsEachNameOnce) {
  std::filesystem::copy_file(std::string(GIFTGUARD_SOURCE_DIR) + "/data/gift.png", "data/picture.png");
  TextureMenager* cache = TextureMenager::I();
  const unsigned before = cache->loadedCount(), id = cache->get("data/picture.png");
  EXPECT_NE(id, 0u);
  EXPECT_EQ(cache->get("data/picture.png"), id);
  EXPECT_EQ(cache->loadedCount(), before + 1);
  EXPECT_NE(cache->get("./data/picture.png"), id);  // another name for the same file loads again
  EXPECT_EQ(cache->get("data/missing.png") + cache->get("data/missing.png"), 0u);
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
  int above = 0;  // letters of size 0.1 stay below the middle
  for (int y = 128; y < SIZE; ++y)
    for (int x = 0; x < SIZE; ++x) above += pixel(x, y)[0] > 200;
  EXPECT_EQ(above, 0);
}

// The open console's backdrop spans the window down to just below its input line.
TEST_F(Render, TheOpenConsolesBackdropSpansTheWindow) {
  Cfr::I()->echo("WWWWWWWW", 4);  // yellow
  while (Cfr::I()->getMode() != 'A') Cfr::I()->changeMode();
  for (char c : std::string("MMMMMMMM")) Cfr::I()->keydownTrans(c);
  Cfr::I()->draw2d();
  while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
  const std::vector<unsigned char> p = frame();
  const auto rgb = [&](int y) {
    return std::vector<int>(&p[(y * SIZE + SIZE - 2) * 3], &p[(y * SIZE + SIZE - 1) * 3]);
  };
  EXPECT_EQ(std::make_pair(rgb(122), rgb(118)),
            std::make_pair(std::vector<int>{26, 26, 76}, std::vector<int>{0, 0, 0}));
  // Over it the log in its colours, and the input line in light grey.
  int yellow = 0, grey = 0;
  for (std::size_t i = 0; i < p.size(); i += 3) {
    yellow += p[i] > 200 && p[i + 1] > 200 && p[i + 2] < 40;
    grey += p[i] == p[i + 1] && p[i] == p[i + 2] && p[i] > 200 && p[i] < 235;
  }
  EXPECT_TRUE(yellow > 20 && grey > 20) << yellow << " yellow, " << grey << " grey";
}

// The log drawn from its texture covers exactly its glyphs' pixels, over whatever is there, and follows a new line.
TEST_F(Render, TheLogsTextureHoldsExactlyItsGlyphs) {
  for (int line = 0; line < 25; ++line)
    Cfr::I()->echo(("line " + std::to_string(line) + " Ag|@#(){}").c_str(), line % 7);
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  for (const char* last : {"", "gjpq|"}) {
    Cfr::I()->echo(last, 3);  // the newest line stands lowest: descenders reach the texture's edge
    glClear(GL_COLOR_BUFFER_BIT);
    Cfr::I()->drawLines();
    const std::vector<unsigned char> glyphs = frame();
    glClear(GL_COLOR_BUFFER_BIT);
    Cfr::I()->Loglog::draw2d();
    EXPECT_TRUE(frame() == glyphs) << last;
  }
}

// Both parts on the modelview matrix, where the texts' moves belong.
TEST_F(Render, AFrameDrawsThe3dPartWithDepthAndThe2dPartOverIt) {
  struct Probe : Mod {
    std::vector<GLint> seen;  // depth test, matrix mode; for draw3d, then draw2d
    void draw3d() override { record(); }
    void draw2d() override { record(); }
    void record() {
      GLint mode = 0;
      glGetIntegerv(GL_MATRIX_MODE, &mode);
      seen.insert(seen.end(), {GLint(glIsEnabled(GL_DEPTH_TEST)), mode});
    }
  } probe;
  setCurrentModule(&probe);
  frameDraw();
  setCurrentModule(ModMainMenu::I());
  EXPECT_EQ(probe.seen, (std::vector<GLint>{GL_TRUE, GL_MODELVIEW, GL_FALSE, GL_MODELVIEW}));
}

// The image library's OpenGL layer brings SDL 1.2 in too, and must not take the window.
TEST_F(Render, ThePointerIsTheCrossHairAndTheWindowSdl2s) {
  EXPECT_TRUE(platform::crossHairShown());
  EXPECT_EQ(platform::linkedSdlMajorVersion(), 2);
}

// A key's press and release reach the shell, every named key as its name's code; Alt
// combinations and F10 are the system's, and Alt+F4 closes the window.
TEST_F(Render, TheWindowHandsOnKeysButKeepsTheSystemsOwn) {
  platform::Message message;
  while (platform::pollMessage(message)) {
  }
  std::vector<std::pair<platform::Message::Kind, unsigned>> named;
  // clang-format off
  for (auto [sym, code] : {std::pair{SDLK_BACKSPACE, vk::BACKSPACE}, {SDLK_TAB, vk::TAB}, {SDLK_KP_ENTER, vk::RETURN},
       {SDLK_RSHIFT, vk::SHIFT}, {SDLK_LCTRL, vk::CONTROL}, {SDLK_ESCAPE, vk::ESCAPE}, {SDLK_PAGEUP, vk::PAGE_UP},
       {SDLK_PAGEDOWN, vk::PAGE_DOWN}, {SDLK_END, vk::END}, {SDLK_HOME, vk::HOME}, {SDLK_LEFT, vk::LEFT},
       {SDLK_UP, vk::UP}, {SDLK_RIGHT, vk::RIGHT}, {SDLK_DOWN, vk::DOWN}, {SDLK_INSERT, vk::INSERT},
       {SDLK_DELETE, vk::DELETE}, {SDLK_KP_0, vk::NUMPAD0}, {SDLK_KP_9, char(vk::NUMPAD0 + 9)}, {SDLK_F1, vk::F1},
       {SDLK_F12, char(vk::F1 + 11)}, {SDLK_BACKQUOTE, vk::GRAVE}}) {  // clang-format on
    SDL_Event event{};
    event.type = SDL_KEYDOWN, event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
    named.emplace_back(platform::Message::KeyDown, (unsigned char)code);
  }
  for (auto [type, sym, mod] : {std::tuple{SDL_KEYDOWN, SDLK_SPACE, KMOD_NONE},
                                {SDL_KEYUP, SDLK_SPACE, KMOD_NONE},
                                {SDL_KEYDOWN, SDLK_F10, KMOD_NONE},
                                {SDL_KEYDOWN, SDLK_a, KMOD_LALT},
                                {SDL_KEYUP, SDLK_F4, KMOD_LALT},
                                {SDL_KEYDOWN, SDLK_F4, KMOD_LALT}}) {
    SDL_Event event{};
    event.type = type, event.key.keysym.sym = sym, event.key.keysym.mod = Uint16(mod);
    SDL_PushEvent(&event);
  }
  std::vector<std::pair<platform::Message::Kind, unsigned>> seen;
  while (platform::pollMessage(message))  // the X server's own events (the pointer, the focus) aside
    if (message.kind != platform::Message::MouseMove && message.kind != platform::Message::Size)
      seen.emplace_back(message.kind, message.code);
  named.insert(named.end(), {{platform::Message::KeyDown, vk::SPACE},
                             {platform::Message::KeyUp, vk::SPACE},
                             {platform::Message::Close, 0}});
  EXPECT_EQ(seen, named);
}

// Caught through the feedback buffer under a halved projection, so that what falls off shows too;
// each screen draws something in each of its boxes (x0, y0, x1, y1), the lines a player reads.
TEST_F(Render, EveryScreenDrawsItsLinesWithinTheWindow) {
  ModGameSuperArcade arcade;  // lost: "Arcade Game Over." and, after a second, the hint
  ModGameSuperSurvival survival;
  for (ModGameSuper* rules : std::initializer_list<ModGameSuper*>{&arcade, &survival})
    rules->result(false, INT_MIN), rules->init(), rules->update(1.5f);
  ModTopList::I()->add(9);  // a name on the list
  for (char key : {'A', 'B', char(vk::RETURN)}) nextMod->keydown(key);
  ModTopList::I()->init();
  char name[5];
  using Box = std::array<float, 4>;
  const std::tuple<const char*, std::function<void()>, std::vector<Box>> screens[] = {
      {"arcade", [&] { arcade.draw2d(); }, {{-0.5f, -0.5f, 0.5f, -0.44f}}},
      {"survival", [&] { survival.draw2d(); }, {{-0.4f, 0.03f, 0.4f, 0.14f}, {-0.5f, -0.5f, 0.5f, -0.44f}}},
      {"game over", [] { ModGameOver::I("Okazano ci katolickie milosierdzie.", nullptr, 0, nullptr)->draw2d(); }, {}},
      {"main menu", [] { ModMainMenu::I()->draw2d(); }, {}},
      {"top list", [] { ModTopList::I()->draw2d(); }, {{-0.6f, 0.7f, 0.5f, 0.78f}}},
      {"name prompt", [&] { ModPrompt::I(name, sizeof name, "pleas give your name", nullptr)->draw2d(); }, {}},
      {"field", [] { ModGame::I()->draw2d(); }, {}},
      {"loading, 1:2 window",
       [] {
         scrwidth = 400, scrheight = 800;
         glMatrixMode(GL_PROJECTION);
         gluPerspective(45.0, 0.5, 0.1, 100.0);
         glMatrixMode(GL_MODELVIEW);
         showLoading();
       },
       {}},
  };
  std::vector<GLfloat> buffer(1 << 20);
  for (const auto& [title, draw, boxes] : screens) {
    SCOPED_TRACE(title);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(0.5f, 0.5f, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    ASSERT_GE(size, 0) << "feedback buffer too small";
    std::vector<float> xy;  // window pixels back to field units
    for (GLint i = 0; i < size;) {
      ASSERT_EQ(buffer[i++], GL_POLYGON_TOKEN) << "only polygons expected";
      for (int n = 2 * int(buffer[i++]); n > 0; --n) xy.push_back(buffer[i++] / (SIZE / 4.0f) - 2);
    }
    for (float v : xy) EXPECT_LE(std::abs(v), 1.0f);  // a backdrop reaches the edges, no more
    for (const Box& box : boxes) {
      bool drawn = false;
      for (size_t i = 0; i + 1 < xy.size(); i += 2)
        drawn |= xy[i] > box[0] && xy[i + 1] > box[1] && xy[i] < box[2] && xy[i + 1] < box[3];
      EXPECT_TRUE(drawn) << box[0] << " " << box[1];
    }
  }
  scrwidth = 1024, scrheight = 768;
}

}  // namespace
