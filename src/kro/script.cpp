#include <kro/cfr.h>
#include <kro/script.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

Script::Script(const char* file) : runned(false), l(1), lEdited(false) {
  lines[0] = nullptr;
  lines.num = 1;
  load(file);
}

Script::~Script() {
  for (unsigned i = 1; i < lines.num; ++i) delete[] lines[i];
}

// Text mode: a carriage return before a line feed stays part of the line. A file
// that ends with a line feed has one more, empty line after it.
void Script::load(const char* file) {
  std::unique_ptr<FILE, int (*)(FILE*)> hand(std::fopen(file, "r"), std::fclose);
  if (!hand) return;
  std::string line;
  for (;;) {
    const int c = std::fgetc(hand.get());
    if (c != '\n' && c != EOF) {
      line += char(c);
      continue;
    }
    char* copy = new char[line.size() + 1];
    std::memcpy(copy, line.c_str(), line.size() + 1);
    lines[lines.num] = copy;
    ++lines.num;
    line.clear();
    if (c == EOF) break;
  }
}

void Script::fungoto(int lineNr) {
  l = lineNr;
  lEdited = true;
}

// Targets beyond the range of a line number end the script like any other line
// out of range.
void Script::jmp(int arg) {
  const long long target = static_cast<long long>(l) + arg;
  fungoto(target < INT_MIN || target > INT_MAX ? 0 : static_cast<int>(target));
}

void Script::step() {
  if (l <= 0 || static_cast<unsigned>(l) >= lines.num) return;
  lEdited = false;
  Cfr::I()->echo(lines[l], 1);
  Cfr::I()->exec(lines[l]);
  if (!lEdited) ++l;
}

void Script::run() {
  runned = true;
  while (runned && l > 0 && static_cast<unsigned>(l) < lines.num && !Cfr::I()->outOfSteps()) step();
}

// A second stop within the same line changes nothing more.
void Script::stop() { runned = false; }
