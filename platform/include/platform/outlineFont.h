#pragma once
// The outline font as OpenGL display lists.
//
// The outline font: filled glyph outlines of fontconfig's match for "Courier New:bold",
// one OpenGL display list per byte 0 to 255 (read as Windows-1252), in em units
// (height 1.0) with the baseline at y = 0; each list ends by moving right by the
// glyph's advance.

#include <string>

namespace platform {

struct GlyphMetrics {
  float blackBoxX, blackBoxY;  // size of the inked box
  float originX, originY;      // top-left of the inked box from the pen position
  float cellIncX, cellIncY;    // advance
};

// Compiles lists base .. base + 255 into the current context. False with a reason.
bool buildOutlineFont(unsigned base, GlyphMetrics metrics[256], std::string& error);

// After a build: what the drawn font stands in for when it is not Courier New bold
// itself (on Windows without that font), for the log; "" when it is the wanted font.
const std::string& outlineFontFallback();

}  // namespace platform
