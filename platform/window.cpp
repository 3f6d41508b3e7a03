// The game window, its OpenGL context and its events, through SDL.
#include <platform/display.h>
#include <platform/window.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace platform {

// ---- Types and constants ------------------------------------------------------------------------

namespace {

// SDL's keys and the virtual-key codes they make: the one place the codes are
// made, so they are written as numbers here; the engine names them (kro/keys.h).
// Letters, digits, F keys and the keypad follow in virtualKey.
struct KeyCode {
  SDL_Keycode sdl;
  unsigned vk;
};

// ---- State --------------------------------------------------------------------------------------

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
// Made with the window, freed with it: a click-to-hit game aims with a cross-hair.
SDL_Cursor* crossHair = nullptr;
// One SDL event can make several messages (typed text arrives byte by byte).
std::deque<Message> pending;

const KeyCode KEYS[] = {
    {SDLK_BACKSPACE, 8},     {SDLK_TAB, 9},         {SDLK_RETURN, 13},
    {SDLK_KP_ENTER, 13},     {SDLK_LSHIFT, 16},     {SDLK_RSHIFT, 16},
    {SDLK_LCTRL, 17},        {SDLK_RCTRL, 17},      {SDLK_ESCAPE, 27},
    {SDLK_SPACE, 32},        {SDLK_PAGEUP, 33},     {SDLK_PAGEDOWN, 34},
    {SDLK_END, 35},          {SDLK_HOME, 36},       {SDLK_LEFT, 37},
    {SDLK_UP, 38},           {SDLK_RIGHT, 39},      {SDLK_DOWN, 40},
    {SDLK_INSERT, 45},       {SDLK_DELETE, 46},     {SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, 187},      {SDLK_COMMA, 188},     {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},      {SDLK_SLASH, 191},     {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

// ---- Internal functions -------------------------------------------------------------------------

void push(Message::Kind kind, unsigned code = 0, int x = 0, int y = 0) {
  Message m;
  m.kind = kind;
  m.code = code;
  m.x = x;
  m.y = y;
  pending.push_back(m);
}

// Alt combinations and F10 are the system's keys: they reach neither the console
// nor a module, and Alt+F4 closes the window.
void key(const SDL_KeyboardEvent& e, bool down) {
  const bool alt = (e.keysym.mod & KMOD_ALT) != 0;
  if (alt || e.keysym.sym == SDLK_F10) {
    if (down && alt && e.keysym.sym == SDLK_F4) push(Message::Close);
    return;
  }
  const unsigned vk = virtualKey(e.keysym.sym);
  if (vk) push(down ? Message::KeyDown : Message::KeyUp, vk);
}

void translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: push(Message::Quit); break;
    case SDL_KEYDOWN: key(e.key, true); break;
    case SDL_KEYUP: key(e.key, false); break;
    case SDL_TEXTINPUT:
      for (const char* c = e.text.text; *c; ++c) push(Message::Char, static_cast<unsigned char>(*c));
      break;
    case SDL_MOUSEMOTION: push(Message::MouseMove, 0, e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      if (e.button.button == SDL_BUTTON_LEFT)
        push(down ? Message::LButtonDown : Message::LButtonUp, 0, e.button.x, e.button.y);
      else if (e.button.button == SDL_BUTTON_RIGHT)
        push(down ? Message::RButtonDown : Message::RButtonUp, 0, e.button.x, e.button.y);
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) push(Message::Size, 0, e.window.data1, e.window.data2);
      break;
  }
}

// The display mode of exactly width x height on the display that holds the
// window's corner (0, 0); false when that display offers none. The colour depth
// is the display's own: X servers and compositors do not change it.
bool exactMode(int width, int height, SDL_DisplayMode& mode) {
  const SDL_Point corner = {0, 0};
  const int display = std::max(SDL_GetPointDisplayIndex(&corner), 0);
  for (int i = 0, n = SDL_GetNumDisplayModes(display); i < n; ++i)
    if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w == width && mode.h == height) return true;
  return false;
}

// SDL switches the display when a full-screen window is shown and keeps quiet
// when that fails, falling back to the closest mode: so the window is shown here
// and the mode its display ends in is checked.
bool switchDisplay(const SDL_DisplayMode& mode) {
  if (SDL_SetWindowDisplayMode(window, &mode) != 0) return false;
  SDL_ShowWindow(window);
  const int display = SDL_GetWindowDisplayIndex(window);
  SDL_DisplayMode now;
  return display >= 0 && SDL_GetCurrentDisplayMode(display, &now) == 0 && now.w == mode.w && now.h == mode.h;
}

// The steps of openWindow, in its order.

// SDL's video part on the display the environment names, never on SDL's
// off-screen fallback.
bool startVideo(std::string& error) {
  if (!hasDisplay()) {
    error = "no display to open the window on (DISPLAY is not set)";
    return false;
  }
  if (const char* driver = forcedVideoDriver()) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    const char* x11 = std::getenv("DISPLAY");
    error = std::string("cannot open the display ") + (x11 ? x11 : "") + ": " + SDL_GetError();
    return false;
  }
  const std::string driver = SDL_GetCurrentVideoDriver();
  if (!onScreen(driver)) {
    error = "no display to open the window on (video driver " + driver + ")";
    SDL_Quit();
    return false;
  }
  return true;
}

// The context the window's pixel format is chosen for: a double-buffered
// compatibility context with 24 colour, 16 depth and 1 stencil bit.
void askForContext() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
}

// Hidden until show(); full screen only in a display mode of exactly its size.
bool createWindow(int width, int height, bool fullscreen, const char* title, std::string& error) {
  SDL_DisplayMode mode = {};
  if (fullscreen && !exactMode(width, height, mode)) {
    error = "cannot set fullscreen";
    return false;
  }
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
  window = SDL_CreateWindow(title, 0, 0, width, height, flags);
  if (!window) {
    error = fullscreen ? "cannot set fullscreen" : std::string("cannot create the window: ") + SDL_GetError();
    return false;
  }
  if (fullscreen && !switchDisplay(mode)) {
    SDL_DestroyWindow(window);  // the desktop's mode comes back with it
    window = nullptr;
    error = "cannot set fullscreen";
    return false;
  }
  return true;
}

bool createContext(std::string& error) {
  context = SDL_GL_CreateContext(window);
  if (!context) {
    error = std::string("cannot create the OpenGL context: ") + SDL_GetError();
    return false;
  }
  SDL_GL_MakeCurrent(window, context);
  return true;
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

unsigned virtualKey(int sdl) {
  if (sdl >= SDLK_a && sdl <= SDLK_z) return unsigned('A' + (sdl - SDLK_a));
  if (sdl >= SDLK_0 && sdl <= SDLK_9) return unsigned('0' + (sdl - SDLK_0));
  if (sdl >= SDLK_F1 && sdl <= SDLK_F12) return 112u + unsigned(sdl - SDLK_F1);
  if (sdl == SDLK_KP_0) return 96;
  if (sdl >= SDLK_KP_1 && sdl <= SDLK_KP_9) return 97u + unsigned(sdl - SDLK_KP_1);
  for (const KeyCode& k : KEYS)
    if (k.sdl == sdl) return k.vk;
  return 0;
}

bool openWindow(int width, int height, bool fullscreen, const char* title, std::string& error) {
  if (!startVideo(error)) return false;
  askForContext();
  if (!createWindow(width, height, fullscreen, title, error)) return false;
  if (!createContext(error)) return false;
  // Without the cross-hair the game still plays, under the ordinary arrow.
  crossHair = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
  if (crossHair) SDL_SetCursor(crossHair);
  SDL_StartTextInput();
  return true;
}

void show() { SDL_ShowWindow(window); }

bool crossHairShown() { return crossHair && SDL_GetCursor() == crossHair && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

void setTitle(const char* title) { SDL_SetWindowTitle(window, title); }

void closeWindow() {
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
  if (crossHair) SDL_FreeCursor(crossHair);
  context = nullptr;
  window = nullptr;
  crossHair = nullptr;
  SDL_Quit();
}

bool pollMessage(Message& message) {
  SDL_Event e;
  while (pending.empty() && SDL_PollEvent(&e)) translate(e);
  if (pending.empty()) return false;
  message = pending.front();
  pending.pop_front();
  return true;
}

void postQuit() {
  SDL_Event e;
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

void swapBuffers() { SDL_GL_SwapWindow(window); }

bool swapControlAvailable() { return SDL_GL_SetSwapInterval(SDL_GL_GetSwapInterval()) == 0; }

void setSwapInterval(int interval) { SDL_GL_SetSwapInterval(interval); }

int getSwapInterval() { return SDL_GL_GetSwapInterval(); }

void messageBox(const char* text, const char* title) {
  std::fprintf(stderr, "%s: %s\n", title, text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, window);
}

int linkedSdlMajorVersion() {
  SDL_version v;
  SDL_GetVersion(&v);
  return v.major;
}

}  // namespace platform
