#pragma once
// The game window, its OpenGL context and its events.
//
// The one game window with its OpenGL context, and its events turned into the
// messages the shell handles: key codes are Windows virtual-key codes, typed
// text arrives byte by byte, mouse positions in client pixels.

#include <string>

namespace platform {

struct Message {
  enum Kind { KeyDown, KeyUp, Char, MouseMove, LButtonDown, LButtonUp, RButtonDown, RButtonUp, Size, Close, Quit };
  Kind kind;
  unsigned code = 0;  // virtual-key code (KeyDown, KeyUp) or character byte (Char)
  int x = 0, y = 0;   // client pixels (mouse) or the new client size (Size)
};

// Opens the window (hidden until show()) under the cross-hair cursor, with a
// double-buffered compatibility context: 24 colour bits, 16 depth bits, 1 stencil
// bit. False with a reason. Full screen first switches the display to a mode of
// exactly width x height (the window is then shown at once); without one the
// reason is "cannot set fullscreen" and no window is left open.
bool openWindow(int width, int height, bool fullscreen, const char* title, std::string& error);
void show();
// Whether the pointer over the window is the cross-hair, as it is from openWindow on.
bool crossHairShown();
void setTitle(const char* title);
void closeWindow();

// The next pending message, if any; never waits.
bool pollMessage(Message& message);
// Asks the loop to end: the quit message arrives through pollMessage.
void postQuit();
void swapBuffers();

bool swapControlAvailable();
void setSwapInterval(int interval);
int getSwapInterval();

// Modal box with one OK button, also written on standard error.
void messageBox(const char* text, const char* title);

// Virtual-key code of an SDL key, 0 for keys the program does not know.
unsigned virtualKey(int sdlKeycode);

// The SDL version the process runs with (the window and events must be SDL 2's).
int linkedSdlMajorVersion();

}  // namespace platform
