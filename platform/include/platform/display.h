#pragma once
// Whether the environment names a display: an X server or a Wayland compositor.
// Without one SDL would fall back to drawing off screen and to a clipboard inside
// this process, where nobody sees the window or the text.

#include <cstdlib>

namespace platform {

inline bool namedInEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

inline bool waylandDisplay() { return namedInEnvironment("WAYLAND_DISPLAY"); }

inline bool hasDisplay() { return namedInEnvironment("DISPLAY") || waylandDisplay(); }

}  // namespace platform
