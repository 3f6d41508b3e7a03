#pragma once
// The console in a folder of the test's own, so data/log.txt holds exactly what the test logged.

#include <kro/cfr.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/tempdir.h"

using Lines = std::vector<std::string>;
using Levels = std::vector<std::pair<int, std::string>>;

class ConsoleTest : public TempDirTest {
protected:
  Cfr* console = nullptr;

  void SetUp() override {
    TempDirTest::SetUp();
    console = Cfr::I();  // made here the first time, its log in this folder
  }

  // The lines logged since the test began, from line `from` on.
  static Lines logged(size_t from = 0) {
    Lines lines;
    std::istringstream in(readFile("data/log.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return Lines(lines.begin() + from, lines.end());
  }
  // The newest n records of the screen log, oldest first, with their levels.
  Levels recent(unsigned n) {
    Levels lines;
    for (unsigned i = n; i-- > 0;) lines.emplace_back(console->lineLevel(i), console->lineText(i));
    return lines;
  }
};
