#pragma once
// Plain text on the system clipboard.

#include <string>

class Tessel4 {
public:
  // The clipboard's text; empty when it holds none. Throws "can not open
  // Clipboard" when there is no clipboard to reach (no display).
  static std::string getClipboard();
  // Throws "can not open Clipboard" when the clipboard can not be reached or
  // does not take the text.
  static void setClipboard(const char* text);
};
