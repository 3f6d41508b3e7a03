#pragma once
// Engine primitives: text, colour, textures and the debug log.
//
// Engine primitives: the outline font and text printing, colour, textures from
// memory, and the debug family that writes to the console's log at level 2.

#include <string>

// Smooth (linear) filtering for textures made by genTexture.
extern bool configNiceTex;

// Builds the font in the current OpenGL context; false with a reason.
bool kroInit(std::string& error);
// Prints text at (x, y), y being the baseline. mode 'L'/'l' left-aligned at x,
// 'R'/'r' right-aligned, anything else centred. Byte 1 followed by three bytes
// (signed red, green, blue; 127 full) changes the colour, which stays after the call.
void kroPrint(const char* text, float x, float y, float size, char mode);
void kroPrint(const char* text, float x, float y, float size);
// The size to print text at: size, or less where the text would be wider than room.
float kroFitSize(const char* text, float size, float room);
// Where a text's ink may lie at size 1, from its pen position (y up): every
// glyph's inked box, with colour bytes taken as advances. All 0 for no ink.
void kroTextInk(const char* text, float& left, float& bottom, float& right, float& top);
// Room across the 2D field for a fixed text, a hair inside both edges.
constexpr float kroFieldRoom = 1.96f;
// The current colour, and a front material of the same colour (ambient share amb).
void kroColor3f(float r, float g, float b, float amb);
// One quad over the whole 2D field, the bound picture stretched upright over it.
void kroFieldQuad();
// An RGBA texture from width × height pixels.
bool genTexture(unsigned* texture, const char* data, unsigned width, unsigned height);

void debug(const char* text);
void debug(const char* text, int num);
void debug(const char* text, unsigned num);
void debug(const char* text, float num);
