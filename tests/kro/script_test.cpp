// Tests of scripts.
#include <kro/cfr.h>
#include <kro/script.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console_support.h"

namespace {

using Lines = std::vector<std::string>;

class Scripts : public ConsoleTest {
protected:
  Lines runFile(const std::string& name, const std::string& text) {
    writeFile(name, text);
    console->runScirptFile(name.c_str());
    return logged();
  }
};

TEST_F(Scripts, LinesRunInOrderAndAreLoggedFirst) {
  EXPECT_EQ(runFile("data/a.kro", "print a\nprint b\nprint c"),
            (Lines{"print a", "a ", "print b", "b ", "print c", "c "}));
  EXPECT_EQ(recent(2), (std::vector<std::pair<int, std::string>>{{1, "print c"}, {5, "c "}}));
  EXPECT_EQ(Script("data/a.kro").lineCount(), 3u);
  // A carriage return before a line feed ends the line with it; a lone one stays.
  writeFile("data/b.kro", "print long line\r\nx\n\r\n\r");
  Script b("data/b.kro");
  ASSERT_EQ(b.lineCount(), 4u);
  EXPECT_STREQ(b.lineText(1), "print long line");
  EXPECT_STREQ(b.lineText(2), "x");
  EXPECT_STREQ(b.lineText(3), "");
  EXPECT_STREQ(b.lineText(4), "\r");
  EXPECT_EQ(Script("data/none.kro").lineCount(), 0u);
  const size_t before = logged().size();
  console->runScirptFile("data");  // a folder is no script: nothing runs, nothing is said
  EXPECT_EQ(logged().size(), before);
}

TEST_F(Scripts, CountingLoopWithGoto) {
  Lines log = runFile("data/count.kro", "set \\$n 0\nadd 1 \\$n\nif bc $n < 5 then goto 2\nprint done");
  EXPECT_EQ(Var::get("n").toString(), "5.00");
  EXPECT_EQ(log.back(), "done ");
  EXPECT_EQ(std::count(log.begin(), log.end(), "add 1 \\$n"), 5);
}

TEST_F(Scripts, JumpsAndStopsEndTheScriptWhereTheySay) {
  auto printed = [](const Lines& log) {
    Lines out;
    for (const std::string& line : log)
      if (line.size() == 2 && line[1] == ' ') out.push_back(line.substr(0, 1));
    return out;
  };
  EXPECT_EQ(printed(runFile("data/s1.kro", "print 1\nstop\nprint 3\nprint 4\nprint 5")), (Lines{"1"}));
  EXPECT_EQ(printed(runFile("data/s2.kro", "print 1\ngoto 0\nprint 3")), (Lines{"1", "1"}));
  EXPECT_EQ(printed(runFile("data/s3.kro", "print 3\ngoto 99\nprint 5")), (Lines{"1", "1", "3"}));
  // jmp -1 repeats the line before; the third pass stops from within a loop, twice.
  const Lines loop = runFile("data/s4.kro",
                             "set \\$k 0\nadd 1 \\$k\nif bc $k > 2 then for i to 2 do stop\njmp -2\nprint 9");
  EXPECT_EQ(Var::get("k").toString(), "3.00");
  EXPECT_EQ(printed(loop).size(), 3u);  // nothing after the stop ran
  EXPECT_EQ(console->currentScript(), nullptr);
  const Lines far = runFile("data/s5.kro", "jmp 2147483647\nprint never");
  EXPECT_NE(far.back(), "never ");
}

TEST_F(Scripts, ScriptsRunScriptsAndStopOnlyTheInnerOne) {
  writeFile("data/inner.kro", "print in\r\nstop\r\nprint not\r\n");  // saved on Windows
  const Lines log = runFile("data/outer.kro", "run data/inner.kro\nprint out");
  EXPECT_EQ(log, (Lines{"run data/inner.kro", "print in", "in ", "stop", "print out", "out "}));
  EXPECT_EQ(console->currentScript(), nullptr);
}

TEST_F(Scripts, ASelfRunningScriptEndsWithAnErrorNotACrash) {
  const Lines log = runFile("data/self.kro", "print deeper\nrun data/self.kro\nprint back");
  auto count = [&log](const std::string& line) { return std::count(log.begin(), log.end(), line); };
  EXPECT_EQ(count("deeper "), Cfr::MAX_SCRIPT_DEPTH);
  EXPECT_EQ(count("back "), Cfr::MAX_SCRIPT_DEPTH);
  EXPECT_EQ(count("error during exec 'run data/self.kro': scripts nested too deep"), 1);
  EXPECT_EQ(console->currentScript(), nullptr);
  // Commands nested within one line stop too.
  std::string nested;
  for (int i = 0; i < 500; ++i) nested += "if bc 1 = 1 then ";
  console->exec((nested + "print deep").c_str());
  EXPECT_NE(logged().back().find("commands nested too deep"), std::string::npos);
}

}  // namespace
