#pragma once
// A screen module: every screen of the program derives from Mod.
// Exactly one is current; the shell hands it events, updates it once per frame and draws
// it. Modules never switch directly: they store the wanted module in nextMod.

#include <kro/keys.h>

class Mod {
public:
  virtual void init() {}
  virtual void keydown(char /*key*/) {}
  virtual void keyup(char /*key*/) {}
  virtual void mouseRDown(float /*x*/, float /*y*/) {}
  virtual void mouseLDown(float /*x*/, float /*y*/) {}
  virtual void mouseRUp(float /*x*/, float /*y*/) {}
  virtual void mouseLUp(float /*x*/, float /*y*/) {}
  virtual void mouseMove(float /*x*/, float /*y*/) {}
  virtual void update(float /*t*/) {}
  virtual void draw3d() {}
  virtual void draw2d() {}
  virtual ~Mod() = default;
  void uninit() {}

  // Posts the quit request; the shell's loop ends when it takes it.
  static void quit();
  // Where the request goes: the platform layer connects its event queue here.
  // Until then a request is only remembered.
  using QuitHandler = void (*)();
  static void setQuitHandler(QuitHandler handler);
  static bool quitRequested();
};

extern Mod* nextMod;

// What the shell keeps of the window and the keyboard, read by modules.
extern int scrwidth;    // client width in pixels
extern int scrheight;   // client height in pixels, never below 1
extern bool keys[256];  // pressed state by virtual-key code (kro/keys.h)
