// Scripts: their lines, jumps and runs through the console.
#include <kro/cfr.h>
#include <kro/script.h>
#include <tessel/tessel2.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

Script::Script(const char* file) : runned(false), l(1), lEdited(false) {
  lines[0] = nullptr;
  lines.num = 1;
  load(file);
}

Script::~Script() {
  for (unsigned i = 1; i < lines.num; ++i) delete[] lines[i];
}

// Text lines: a carriage return before a line feed is part of the line end. A
// file that ends with a line feed has one more, empty line after it. A folder
// is no script: it gives no lines, as a missing file does.
void Script::load(const char* file) {
  Tessel::File hand(Tessel::openFile(file, "r"));
  if (!hand) return;
  do {
    const std::string line = Tessel2::getTextLine(hand.get());
    char* copy = new char[line.size() + 1];
    std::memcpy(copy, line.c_str(), line.size() + 1);
    lines[lines.num] = copy;
    ++lines.num;
  } while (!std::feof(hand.get()) && !std::ferror(hand.get()));
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
