// The program's entry, its window procedure and its frame.
#include "shell.h"

#include "modMainMenu.h"
#include "soundtrack.h"

#include <kro/cfr.h>
#include <kro/fps.h>
#include <kro/kro.h>
#include <kro/mod.h>
#include <kro/sound.h>
#include <kro/textureMenager.h>
#include <tessel/proof.h>
#include <tessel/tessel.h>
#include <tessel/var.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// ---- State --------------------------------------------------------------------------------------

bool configFullscreen = true;
const bool configVsync = true;
bool bPause = false;
Mod* mod = nullptr;

// The window's sides in "data/conf.txt" must lie within these bounds.
const int sideLeast = 1, sideMost = 16384;

// ---- Internal functions -------------------------------------------------------------------------

bool startsWith(const std::string& word, char letter) {
  return !word.empty() && std::tolower(static_cast<unsigned char>(word[0])) == letter;
}

// Reads one whole number into side, as "%d" would: white space, a sign and
// digits. Where no digit follows, what was taken after the white space goes
// back, so the next read starts at the same place. A number out of bounds (or
// too long for an int) is taken but not used: the old value stays, and the log
// says so.
void readSize(FILE* file, const char* what, int& side) {
  int c;
  while ((c = std::fgetc(file)) != EOF && std::isspace(c)) {
  }
  const long start = std::ftell(file) - 1;
  const bool sign = c == '-' || c == '+', negative = c == '-';
  if (sign) c = std::fgetc(file);
  if (!std::isdigit(c)) {
    if (sign)
      std::fseek(file, start, SEEK_SET);
    else if (c != EOF)
      std::ungetc(c, file);
    return;
  }
  long long value = 0;
  for (; c != EOF && std::isdigit(c); c = std::fgetc(file))
    if (value <= sideMost) value = value * 10 + (c - '0');
  if (c != EOF) std::ungetc(c, file);
  if (negative) value = -value;
  if (value < sideLeast || value > sideMost) {
    const std::string bounds = std::to_string(sideLeast) + ".." + std::to_string(sideMost);
    debug(("data/conf.txt: window " + std::string(what) + " not in " + bounds + ", kept ").c_str(), side);
    return;
  }
  side = int(value);
}

void setPerspective() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(scrwidth) / double(scrheight), 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void enableOpenGL() {
  ProofOb scope("EnableOpenGL");
  glShadeModel(GL_SMOOTH);
  glClearColor(0, 0, 0, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glViewport(0, 0, scrwidth, scrheight);
  setPerspective();
}

void disableOpenGL() {
  ProofOb scope("DisableOpenGL");
  platform::closeWindow();
}

// The default variable "fullscreen" overrides the settings file; a value that is
// not a number is ignored.
void applyFullscreenVariable() {
  if (!Var::isset("fullscreen")) return;
  try {
    configFullscreen = Var::get("fullscreen").toInt() != 0;
  } catch (const char* message) {
    debug((std::string("fullscreen ignored: ") + message).c_str());
  }
}

void applyCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* c = argv[i]; *c; ++c) {
      if (*c == 'n' || *c == 'N') configNiceTex = true;
      if (*c == 'f' || *c == 'F') configNiceTex = false;
    }
}

void setVsync() {
  if (!platform::swapControlAvailable()) return;
  debug(configVsync ? "turn on vsync" : "turn off vsync");
  platform::setSwapInterval(configVsync ? 1 : 0);
  debug("wglGetSwapIntervalEXT()=", platform::getSwapInterval());
}

// The steps of winMain, in its order.

// Settings, then the default variables, then what overrides them.
void readConfiguration(int argc, char** argv) {
  readSettings("data/conf.txt", configNiceTex, scrwidth, scrheight, configFullscreen);
  if (scrheight < 1) scrheight = 1;
  try {
    Var::loadGlobal("data/defvar.txt");
  } catch (const char* message) {
    debug(message);  // start-up goes on without default variables
  }
  applyFullscreenVariable();
  applyCommandLine(argc, argv);
}

// False with the program's exit code: 0 after the box that says full screen
// failed, 1 when there is no window at all.
bool openGameWindow(int& exitCode) {
  std::string error;
  if (platform::openWindow(scrwidth, scrheight, configFullscreen, "Loading..", error)) return true;
  if (error == "cannot set fullscreen") {
    platform::messageBox("cannot set fullscreen", "error");
    exitCode = 0;
    return false;
  }
  std::fprintf(stderr, "giftguard: %s\n", error.c_str());
  exitCode = 1;
  return false;
}

// The context's state, the font, "LOADING.." and the image library.
bool prepareDrawing() {
  Mod::setQuitHandler(platform::postQuit);
  enableOpenGL();
  platform::show();
  std::string error;
  if (!kroInit(error)) {
    std::fprintf(stderr, "giftguard: %s\n", error.c_str());
    return false;
  }
  showLoading();
  TextureMenager::initImageLibrary();
  glDisable(GL_TEXTURE_2D);
  return true;
}

// The main menu as the first module: the one boundary where start-up catches
// whatever a module's creation throws.
bool startMainMenu() {
  debug("module load");
  try {
    mod = ModMainMenu::I();
    debug("module init");
    mod->init();
  } catch (...) {
    debug("some error during loading module");
    mod = nullptr;
    return false;
  }
  return true;
}

// One message if there is one, otherwise one frame, until the quit request.
void runFrameLoop() {
  debug("winamin loop");
  // For measurements: GIFTGUARD_QUIT_AFTER_FRAMES ends the program after that many frames.
  const char* frameLimit = std::getenv("GIFTGUARD_QUIT_AFTER_FRAMES");
  long framesLeft = frameLimit ? std::atol(frameLimit) : 0;
  for (bool quit = false; !quit;) {
    platform::Message message;
    if (platform::pollMessage(message)) {
      if (message.kind == platform::Message::Quit)
        quit = true;
      else
        wndProc(message);
      continue;
    }
    frameUpdate();
    frameDraw();
    if (framesLeft > 0 && --framesLeft == 0) platform::postQuit();
  }
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

// At the text's depth the start-up perspective shows 2 tan 22.5° (0.83) times
// width/height across: a window narrower than about 2:3 would cut "LOADING..",
// which then shrinks to the share of that width that kroFieldRoom is of the field.
void showLoading() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const float across = 0.8284271f * float(scrwidth) / float(scrheight);
  kroPrint("LOADING..", 0, 0, kroFitSize("LOADING..", 0.1f, across * kroFieldRoom / 2), 'C');
  platform::swapBuffers();
}

Mod* currentModule() { return mod; }
void setCurrentModule(Mod* module) { mod = module; }
bool paused() { return bPause; }

void readSettings(const char* name, bool& niceTex, int& width, int& height, bool& fullscreen) {
  Tessel::File file(Tessel::openFile(name, "r"));
  if (!file) return;
  std::string word;
  niceTex = Tessel::readWord(file.get(), word, 255) && startsWith(word, 'n');
  readSize(file.get(), "width", width);
  readSize(file.get(), "height", height);
  fullscreen = Tessel::readWord(file.get(), word, 255) && startsWith(word, 'f');
}

void wndProc(const platform::Message& m) {
  ProofOb scope("WndProc");
  using platform::Message;
  switch (m.kind) {
    case Message::Size:
      scrwidth = m.x;
      scrheight = m.y > 0 ? m.y : 1;
      glViewport(0, 0, scrwidth, scrheight);
      break;
    case Message::Close: platform::postQuit(); break;
    case Message::KeyDown:
      keys[m.code & 0xFF] = true;
      if (!Cfr::I()->keydown(static_cast<unsigned char>(m.code))) {
        mod->keydown(static_cast<char>(m.code));
        if (m.code == vk::ESCAPE) nextMod = ModMainMenu::I();
        if (m.code == vk::SPACE) bPause = !bPause;
      }
      break;
    case Message::KeyUp:
      keys[m.code & 0xFF] = false;
      mod->keyup(static_cast<char>(m.code));
      break;
    case Message::Char: Cfr::I()->keydownTrans(static_cast<unsigned char>(m.code)); break;
    default: {
      const float x = 2.0f * float(m.x) / float(scrwidth) - 1.0f;
      const float y = 1.0f - 2.0f * float(m.y) / float(scrheight);
      if (m.kind == Message::MouseMove) mod->mouseMove(x, y);
      if (m.kind == Message::LButtonDown) mod->mouseLDown(x, y);
      if (m.kind == Message::LButtonUp) mod->mouseLUp(x, y);
      if (m.kind == Message::RButtonDown) mod->mouseRDown(x, y);
      if (m.kind == Message::RButtonUp) mod->mouseRUp(x, y);
    }
  }
}

void frameUpdate() {
  Fps::I()->update();
  if (nextMod) {
    glClearColor(0, 0, 0, 0);
    mod->uninit();
    mod = nextMod;
    mod->init();
    nextMod = nullptr;
  }
  if (!bPause) mod->update(Fps::I()->getUpdateTime());
  kroMusic(soundtrackFor(mod));
}

void frameDraw() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  setPerspective();
  glEnable(GL_DEPTH_TEST);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  mod->draw3d();
  glPopAttrib();

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  // Modules draw "in the current colour": white. Mesa's glPopAttrib does not
  // bring back the colour that the overlay of the previous frame set.
  glColor3f(1, 1, 1);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  mod->draw2d();
  glPopAttrib();

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glColor3f(0.5f, 0.5f, 0.5f);
  kroPrint(Fps::I()->text(), -1.0f, -0.99f, 0.05f, 'L');
  Cfr::I()->draw2d();
  if (bPause) kroPrint("PAUSE", 0, 0.85f, 0.15f, 'C');
  glPopAttrib();
  platform::swapBuffers();
}

int winMain(int argc, char** argv) {
  ProofOb scope("WinMain");
  debug("winmain start");
  readConfiguration(argc, argv);
  std::srand(unsigned(std::time(nullptr)));
  int exitCode = 0;
  if (!openGameWindow(exitCode)) return exitCode;
  if (!prepareDrawing()) return 1;
  kroOpenSound();  // never fails: without a device the game is silent
  if (!startMainMenu()) return -1;
  setVsync();
  platform::setTitle("opengl progam");
  runFrameLoop();
  kroCloseSound();
  disableOpenGL();
  debug("exit");
  return 0;
}
