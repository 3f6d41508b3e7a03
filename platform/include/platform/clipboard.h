#pragma once
// The system clipboard's plain text. The clipboard lives in the display server:
// text we set is served by this process only while it handles window events (the
// frame loop does), and goes when the process ends.

#include <string>

namespace platform {

// False when there is no display to reach; text is empty when the clipboard
// holds no text.
bool getClipboardText(std::string& text);
// False when there is no display to reach or it refuses the text.
bool setClipboardText(const char* text);
// Answers the display's requests for the text we set, for a process that does
// not run the window's event loop.
void serveClipboard();

}  // namespace platform
