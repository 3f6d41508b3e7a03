#include <kro/kro.h>

#include <cstdio>

// Until the console exists the log is standard output.
void debug(const char* text) { std::printf("%s\n", text); }

void debug(const char* text, int num) {
  char line[256];
  std::snprintf(line, sizeof line, "%s%d", text, num);
  debug(line);
}

void debug(const char* text, unsigned num) { debug(text, int(num)); }

void debug(const char* text, float num) {
  char line[256];
  std::snprintf(line, sizeof line, "%s%.2f", text, double(num));
  debug(line);
}
