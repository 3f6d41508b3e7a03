// The system clipboard's plain text, through SDL.
#include <platform/clipboard.h>
#include <platform/display.h>

#include <SDL.h>

#include <string>

namespace platform {

namespace {

// The clipboard needs SDL's video part, which the window may not have started yet.
// Started here it stays up, so that the text we own is still served.
bool videoReady() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  // Without a display SDL would fall back to a clipboard inside this process only.
  if (!hasDisplay()) return false;
  if (const char* driver = forcedVideoDriver()) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

bool getClipboardText(std::string& text) {
  text.clear();
  if (!videoReady()) return false;
  char* got = SDL_GetClipboardText();  // "" when the clipboard holds no text
  if (!got) return false;
  text = got;
  SDL_free(got);
  return true;
}

bool setClipboardText(const char* text) {
  if (!videoReady()) return false;
  return SDL_SetClipboardText(text) == 0;
}

void serveClipboard() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_PumpEvents();
  // Nobody reads the queue here: the news of another owner would pile up.
  SDL_FlushEvent(SDL_CLIPBOARDUPDATE);
}

}  // namespace platform
