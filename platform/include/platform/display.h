#pragma once
// Whether the environment names a display: an X server or a Wayland compositor.
// Without one SDL would fall back to drawing off screen and to a clipboard inside
// this process, where nobody sees the window or the text.

#include <cstdlib>
#include <string>

namespace platform {

inline bool namedInEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

#ifdef _WIN32
// Windows always has its desktop, and SDL has one driver for it.
inline bool hasDisplay() { return true; }
inline const char* forcedVideoDriver() { return nullptr; }
inline bool onScreen(const std::string& driver) { return driver == "windows"; }
#else
inline bool waylandDisplay() { return namedInEnvironment("WAYLAND_DISPLAY"); }

inline bool hasDisplay() { return namedInEnvironment("DISPLAY") || waylandDisplay(); }

// X unless Wayland is named: SDL would otherwise try its off-screen drivers too.
inline const char* forcedVideoDriver() { return waylandDisplay() ? nullptr : "x11"; }
inline bool onScreen(const std::string& driver) { return driver == "x11" || driver == "wayland"; }
#endif

}  // namespace platform
