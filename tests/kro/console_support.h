#pragma once
// Driving the console in tests: each test runs in its own folder with data/, so
// data/log.txt holds exactly the lines the test wrote.

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
    console = Cfr::I();  // made here, its log in this folder
  }
  // The lines logged since the test began, from line `from` on.
  static Lines logged(size_t from = 0) {
    Lines lines;
    std::istringstream in(readFile("data/log.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    lines.erase(lines.begin(), lines.begin() + from);
    return lines;
  }
  // The newest n records of the screen log, oldest first, with their levels.
  Levels recent(unsigned n) {
    Levels lines;
    for (unsigned i = n; i-- > 0;) lines.emplace_back(console->lineLevel(i), console->lineText(i));
    return lines;
  }
};
