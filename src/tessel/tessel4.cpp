// The clipboard helpers over the platform's clipboard.
#include <tessel/tessel4.h>

#include <platform/clipboard.h>

std::string Tessel4::getClipboard() {
  std::string text;
  if (!platform::getClipboardText(text)) throw "can not open Clipboard";
  return text;
}

void Tessel4::setClipboard(const char* text) {
  if (!text) throw "Tessel4::setClipboard: no text";
  if (!platform::setClipboardText(text)) throw "can not open Clipboard";
}
