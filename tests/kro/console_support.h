#pragma once
// Driving the console in tests.
//
// Driving the console in tests: each test runs in its own folder with data/, so
// data/log.txt holds exactly the lines the test wrote.

#include <kro/cfr.h>
#include <kro/keys.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/tempdir.h"

class ConsoleTest : public TempDirTest {
protected:
  Cfr* console = nullptr;

  void SetUp() override {
    TempDirTest::SetUp();
    console = Cfr::I();
  }

  // Every line logged since the test began.
  std::vector<std::string> logged() {
    std::vector<std::string> lines;
    std::istringstream in(readFile("data/log.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The newest n records of the screen log, oldest first, with their levels.
  std::vector<std::pair<int, std::string>> recent(unsigned n) {
    std::vector<std::pair<int, std::string>> lines;
    for (unsigned i = n; i-- > 0;) lines.emplace_back(console->lineLevel(i), console->lineText(i));
    return lines;
  }

  void openConsole() {
    while (console->getMode() != 'A') console->keydown(vk::GRAVE);
    for (int i = 0; i < 256; ++i) console->keydown(vk::BACKSPACE);
  }
  void type(const std::string& text) {
    for (char c : text) console->keydownTrans(static_cast<unsigned char>(c));
  }
};
