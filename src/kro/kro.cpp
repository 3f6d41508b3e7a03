#include <kro/cfr.h>
#include <kro/kro.h>

#include <cstdio>
#include <string>

// Level 2 of the console's log; the first message creates the console.
void debug(const char* text) { Cfr::I()->echo(text, 2); }

void debug(const char* text, int num) { debug((std::string(text) + std::to_string(num)).c_str()); }

// Written as a signed number, as the log always has: 4294967295 shows as -1.
void debug(const char* text, unsigned num) { debug(text, static_cast<int>(num)); }

void debug(const char* text, float num) {
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", double(num));
  debug((std::string(text) + number).c_str());
}
