#pragma once
// Engine primitives. The debug family writes messages to the console's log at level 2.

void debug(const char* text);
void debug(const char* text, int num);
void debug(const char* text, unsigned num);
void debug(const char* text, float num);
