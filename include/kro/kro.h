#pragma once
// Engine primitives. For now the debug family: messages for the log at level 2.

void debug(const char* text);
void debug(const char* text, int num);
void debug(const char* text, unsigned num);
void debug(const char* text, float num);
