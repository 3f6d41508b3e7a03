// Tests of the console: its log, interpreter, keys, built-in commands and scripts.
#include <kro/functor.h>
#include <kro/keys.h>
#include <kro/kro.h>
#include <kro/loglog.h>
#include <kro/mod.h>
#include <kro/script.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "console_support.h"

namespace {

// A command line, what it adds to the log, or the one error it gives instead.
struct Step {
  std::string line;
  Lines logs;
  std::string error = "";
};

Lines probed;
// Keeps its arguments; without any it throws something that is no message.
void probe(int argc, const char** argv) {
  if (argc < 2) throw 0;
  probed.assign(argv + 1, argv + argc);
}

class Console : public ConsoleTest {
protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    static bool registered = false;
    if (!registered) console->addFun(new FunctorStaticIC("probe", probe));
    registered = true;
  }
  Lines run(const std::string& line) {
    const size_t before = logged().size();
    console->exec(line.c_str());
    return logged(before);
  }
  void expectRuns(const std::vector<Step>& runs) {
    for (const Step& r : runs)
      EXPECT_EQ(run(r.line), !r.error.empty() ? Lines{"error during exec '" + r.line + "': " + r.error} : r.logs)
          << r.line;
  }
  void openConsole() {
    while (console->getMode() != 'A') console->keydown(vk::GRAVE);
    for (int i = 0; i < 256; ++i) console->keydown(vk::BACKSPACE);
  }
  void type(const std::string& text, unsigned char then = 0) {  // then a key, when one is given
    for (char c : text) console->keydownTrans(static_cast<unsigned char>(c));
    if (then) console->keydown(then);
  }
};
using LogFile = ConsoleTest;
using Exec = Console;
using Keys = Console;
using Commands = Console;
using Scripts = Console;

TEST(Log, KeepsNineteenLinesThenMarksTheOverflow) {
  Loglog log, quiet;
  for (int i = 1; i <= 19; ++i) log.echo(std::to_string(i).c_str(), 2);
  EXPECT_STREQ(log.lineText(19), "");
  log.echo("20", 3);
  EXPECT_EQ(Levels({{log.lineLevel(19), log.lineText(19)}, {log.lineLevel(18), log.lineText(18)}}),
            Levels({{0, "..."}, {2, "2"}}));
  EXPECT_EQ(log.lineLevel(0), 3);
  quiet.echo("", 0);  // a level-0 message in record 18 does not count as one
  for (int i = 0; i < 19; ++i) quiet.echo("x", 2);
  EXPECT_STREQ(quiet.lineText(19), "");
}

TEST_F(LogFile, LongMessagesAreCutOnScreenOnlyAndAMissingFileIsSaidOnce) {
  Loglog log;
  const std::string longText(300, 'x');
  log.echo(longText.c_str(), 5);
  EXPECT_EQ(std::string(log.lineText(0)), longText.substr(0, 254));
  EXPECT_EQ(readFile("data/log.txt"), longText + "\n");
  Loglog again;  // a new run empties the file
  EXPECT_EQ(readFile("data/log.txt"), "");

  std::filesystem::remove("data/log.txt");  // a link planted in its place is never followed
  writeFile("victim", "kept");
#ifdef _WIN32  // links are for administrators there: a folder in its place
  std::filesystem::create_directory("data/log.txt");
#else
  std::filesystem::create_symlink("../victim", "data/log.txt");
#endif
  testing::internal::CaptureStderr();
  Loglog lost;
  lost.echo("still here", 2);
  lost.echo("and here", 2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(readFile("victim"), "kept");
  EXPECT_FALSE(lost.fileOn());
  EXPECT_STREQ(lost.lineText(0), "and here");
  EXPECT_NE(err.find("cannot create data/log.txt"), std::string::npos);
  EXPECT_EQ(err.find('\n'), err.size() - 1);
}

TEST_F(Exec, QuotesVariablesAndBackslashesMakeTheWords) {
  Var::get("v") = std::string("hello world");
  Var::get("w") = std::string("\\$v");  // the backslash rule applies to the substituted text too
  const std::pair<const char*, Lines> rows[] = {
      {"probe \"a  b\" c", {"a  b", "c"}},
      {"probe ab\"cd ef\"gh", {"ab", "cd ef", "gh"}},
      {"probe \\\"x\\\"", {"\\\"x\\\""}},
      {"probe \"open to the end", {"open to the end"}},
      {"  probe\ta\t\tb", {"a", "b"}},
      {"probe $v x$v \\$v \\\\y \\z", {"hello world", "x$v", "$v", "\\y", "\\z"}},
      {"probe $w", {"$v"}},
      // A variable made by substitution must not invalidate the words already read.
      {"probe $v $fresh1 $fresh2 $v", {"hello world", "", "", "hello world"}},
  };
  for (const auto& row : rows) {
    console->exec(row.first);
    EXPECT_EQ(probed, row.second) << row.first;
  }
}

TEST_F(Exec, OddLinesGiveNothingOrOneErrorAtLevelThree) {
  const std::string name(100000, 'n');
  expectRuns({{"    ", {}}, {"\t", {""}}, {"\"\"", {""}}});
  EXPECT_EQ(recent(1)[0].first + console->exec("    "), 4);  // a blank line returns 0
  expectRuns({{"  nosuch 1", {"error during exec 'nosuch 1': unknow function \"nosuch\""}},
              {"$v", {}, "unknow function \"$v\""},
              {"probe", {"error during exec 'probe'"}},
              {name + " %s%s%n", {}, "unknow function \"" + name + "\""},
              {"bc 1 " + name + " 2", {}, "bc operator must be a single character"}});
  EXPECT_EQ(recent(1), (Levels{{3, ("error during exec 'bc 1 " + name).substr(0, 254)}}));
}

int fromInts(int argc, const char**) { return argc; }
int seenVar1 = 0;
int takeOne(Var v) { return seenVar1 = v.toInt(), 5; }
int takeTwo(Var, Var) { return 1; }

TEST_F(Exec, FunctorKindsCheckTheirArgumentsAndANameAgainReplacesInPlace) {
  const unsigned before = console->commandCount();
  console->addFun(new FunctorStaticIntIC("twice", fromInts));
  EXPECT_EQ(console->exec("twice a b"), 3);
  console->addFun(new FunctorVar1("twice", takeOne));
  EXPECT_EQ(console->commandCount(), before + 1);
  expectRuns({{"twice 12", {}}, {"twice 1 2", {}, "use exacly 1 argument"}});
  EXPECT_EQ(seenVar1, 12);
  console->addFun(new FunctorVar2("twice", takeTwo));
  expectRuns({{"twice 1", {}, "use exacly 2 argument"}});
  EXPECT_EQ(logged(0).front(), "doubled function name's");
  EXPECT_STREQ(FunctorStaticIC(std::string(300, 'n').c_str(), probe).getName(), std::string(255, 'n').c_str());
}

TEST_F(Exec, DebugLinesGoToTheLogAtLevelTwo) {
  debug("x=", 4294967295u);
  debug("f=", 1.5f);
  debug("n=", -3);
  EXPECT_EQ(logged(), (Lines{"x=-1", "f=1.50", "n=-3"}));
  EXPECT_EQ(recent(1)[0].first, 2);
}

TEST_F(Keys, ToggleCyclesModesAndHiddenConsoleTakesNothing) {
  while (console->getMode() != 'C') console->keydown(vk::GRAVE);
  EXPECT_FALSE(console->keydown(vk::RETURN));
  std::string modes;
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(console->getMode() != 'A' && console->keydownTrans('a')) << console->getMode();
    EXPECT_TRUE(console->keydown(vk::GRAVE));
    modes += console->getMode();
  }
  EXPECT_EQ(modes, "ABC");
}

TEST_F(Keys, TypingKeepsTheAllowedCharactersUpTo255TabCompletesAndUpWalksTheHistory) {
  openConsole();
  EXPECT_TRUE(console->keydown('A'));  // every key is the console's while it is open
  type("aZ9 !\"#$%^&*()-=+[]|;:,<.>/?@'\\_{}`~\x01\xe9");
  console->keydown(vk::BACKSPACE);
  EXPECT_STREQ(console->getInput(), "aZ9 !\"#$%^&*()-=+[]|;:,<.>/?@'");
  openConsole();
  type(std::string(256, 'q'));
  EXPECT_EQ(std::string(console->getInput()), std::string(255, 'q'));
  openConsole();  // tab completes one name, or lists several
  type("se", vk::TAB);
  console->keydown(vk::TAB);
  EXPECT_STREQ(console->getInput(), "set ");
  openConsole();
  type("e", vk::TAB);
  EXPECT_STREQ(console->getInput(), "e");
  EXPECT_EQ(recent(3), (Levels{{4, "e"}, {5, "echo"}, {5, "end"}}));
  openConsole();  // Enter runs and keeps each line; an empty one is logged, not kept, and starts the walk over
  for (int i = 0; i <= 17; ++i) type(i < 17 ? "print " + std::to_string(i) : "", vk::RETURN);
  EXPECT_EQ(recent(3), (Levels{{4, "print 16"}, {5, "16 "}, {4, ""}}));
  Lines walked;
  for (int i = 0; i < 18; ++i) walked.push_back((console->keydown(vk::UP), console->getInput()));
  EXPECT_EQ(walked[0] + walked[2] + walked[15] + walked[17], "print 16print 14print 1print 1");
}

// help lists the built-ins in the order they are added; bc compares whole numbers, a text counting
// as 0; for counts below its bound.
TEST_F(Commands, HelpListsTheBuiltInsQuitQuitsAndForIfAndBcRunTheirCommand) {
  const Lines help = run("help");
  EXPECT_EQ(Lines(help.begin(), help.begin() + std::min<std::size_t>(help.size(), 20)),
            (Lines{"help", "print", "echo", "quit", "for", "if",  "set", "mov", "add",  "sub",
                   "mul",  "run",   "stop", "STOP", "end", "END", "jmp", "JMP", "goto", "bc"}));
  Var::get("blank");
  expectRuns({
      {"quit now", {"warning: arguments of function are ignored"}},
      {"for i from 1 to 4 do print x$i", {"x1 ", "x2 ", "x3 "}},
      {"for i to 3 do print \\$i", {"0 ", "1 ", "2 "}},
      {"for i = 1 to 3 step 2 from 1 from -1 do print \\$i", {"-1 ", "1 "}},
      {"for i to 2 to x do print a", {"a ", "a "}},  // a value that is no number keeps the last
      {"for i to 1 do \\$i", {"error during exec '0 ': unknow function \"0\""}},
      {"for i do print a", {}},
      {"for i from 3 to 0 step 0 do print a", {}},
      {"for i to", {}, "pleas enter some cmd"},
      {"for ab to 3 do print a", {}, "item strlen must be 1"},
      {"for $blank to 2 do print a", {"a ", "a "}},  // a variable that gave nothing: nothing to put in
      {"for i", {}, "pleas give unless 3 args"},
      {"for i to 3 step 0 do print a", {}, "for step must be above 0 to reach the bound"},
      {"for i from 2147483646 to 2147483647 step 2147483647 do print \\$i", {"2147483646 "}},
      {"if bc 1 < 2 then print yes", {"n1=1", "op=60", "n2=2", "yes "}},
      {"if bc 2 < 1 then print yes", {"n1=2", "op=60", "n2=1"}},
      {"if bc 3 > 2 then print 1", {"n1=3", "op=62", "n2=2", "1 "}},
      {"if bc 2 = 2.9 then print 2", {"n1=2", "op=61", "n2=2", "2 "}},
      {"if bc 2 = 3 then print 2", {"n1=2", "op=61", "n2=3"}},
      {"if bc x < 1 then print 3", {"n1=0", "op=60", "n2=1", "3 "}},
      {"if print a then print b", {"a "}},
      {"if bc 1 = 1", {}, "wrong use of if"},
      {"if bc 1 = 1 then", {}, "wrong use of if"},
      {"if nosuch then print b", {"error during exec 'nosuch ': unknow function \"nosuch\""}},
      {"bc 1 <", {}, "bc needs exactly 3 arguments: number operator number"},
      {"bc 1 % 2", {"n1=1", "op=37", "n2=2", "error during exec 'bc 1 % 2': bc unknow operator %"}},
  });
  EXPECT_TRUE(Mod::quitRequested());
}

TEST_F(Commands, VariablesTakeTextAndDecimalArithmetic) {
  Var::get("ptr") = std::string("$y");
  Var::get("s") = std::string("abc");
  Var::get("big") = std::string(510, '9');
  expectRuns({
      {"set \\$x 5", {"Var::get() creating new name", "x"}},
      {"add 3 \\$x", {"8.00"}},
      {"sub 10 \\$x", {"-2.00"}},
      {"mul 2 \\$x", {"-4.00"}},
      {"set $ptr 7", {"Var::get() creating new name", "y"}},
      {"print $y", {"7 "}},
      {"set x 5", {}, "name must start form $"},
      {"set \\$x", {}, "use exacly 2 argument"},
      {"add 1 \\$s", {}, "Var after arg2 must be numeric"},
      {"add q \\$s", {}, "arg1 must be numeric"},
      {"mul 1 s", {}, "arg2 must be Var"},
      {"add 1 \\$big", {}, "IQ: num to big"},
      {"print $big", {std::string(510, '9') + " "}},  // unchanged after the failure
      {"mov \\$missingA \\$missingB",
       {"Var::get() creating new name", "missingA", "Var::get() creating new name", "missingB"}},
      {"mov a \\$b", {}, "arg1 must be variable"},
      {"mov \\$a b", {}, "arg2 must be variable"},
      {"stop", {}, "stop work only in script's"},
      {"goto 3", {}, "goto work only in script's"},
      {"JMP 1", {}, "JMP work only in script's"},
      {"run data/none.kro", {}},
  });
  Var::get("a1") = std::string("text of a1");
  for (int i = 0; i < 40; ++i) {  // every new target may move the map
    const std::string target = "moved" + std::to_string(i);
    run("mov \\$a1 \\$" + target);
    EXPECT_EQ(Var::get(target.c_str()).toString(), "text of a1");
    run("add 1 \\$fresh" + std::to_string(i));  // creates, then fails cleanly
  }
}

TEST_F(Scripts, LinesRunInOrderAndAreLoggedFirst) {
  writeFile("data/a.kro", "print a\nprint b\nprint c");
  expectRuns({{"run data/a.kro", {"print a", "a ", "print b", "b ", "print c", "c "}},
              {"run data", {}}});  // a folder is no script: nothing runs, nothing is said
  EXPECT_EQ(recent(2), (Levels{{1, "print c"}, {5, "c "}}));
  writeFile("data/b.kro", "x\n\r\n\r");  // a carriage return before a line feed ends the line with it
  Script b("data/b.kro");
  EXPECT_EQ(std::string(b.lineText(2)) + b.lineText(3) + std::to_string(b.lineCount()), "\r3");
}

TEST_F(Scripts, JumpsAndStopsEndOnlyTheScriptTheyAreIn) {
  writeFile("data/inner.kro", "print in\r\nstop\r\nprint not\r\n");  // saved on Windows
  const std::pair<const char*, Lines> rows[] = {
      {"print 1\nstop\nprint 3", {"1 "}},
      {"print 1\ngoto 0\nprint 3", {"1 "}},
      {"print 3\ngoto 99\nprint 5", {"3 "}},
      {"jmp 2147483647\nprint 5", {}},
      {"set \\$k 0\nadd 1 \\$k\nif bc $k < 5 then goto 2\nprint $k", {"5.00 "}},
      {"run data/inner.kro\nprint out", {"in ", "out "}},  // the inner script's stop ends it alone
      // jmp -1 repeats the line before; the third pass stops from within a loop, twice.
      {"set \\$k 0\nadd 1 \\$k\nif bc $k > 2 then for i to 2 do stop\njmp -2\nprint 9", {}},
  };
  for (const auto& row : rows) {
    writeFile("data/s.kro", row.first);
    Lines printed;
    for (const std::string& line : run("run data/s.kro"))
      if (line.size() > 1 && line.back() == ' ') printed.push_back(line);
    EXPECT_EQ(printed, row.second) << row.first;
    EXPECT_EQ(console->currentScript(), nullptr);
  }
  EXPECT_EQ(Var::get("k").toString(), "3.00");
}

TEST_F(Scripts, ASelfRunningScriptEndsWithAnErrorNotACrash) {
  writeFile("data/self.kro", "print deeper\nrun data/self.kro\nprint back");
  const Lines log = run("run data/self.kro");
  auto count = [&log](const std::string& line) { return std::count(log.begin(), log.end(), line); };
  EXPECT_EQ(count("deeper ") + count("back "), 2 * Cfr::MAX_SCRIPT_DEPTH);
  EXPECT_EQ(count("error during exec 'run data/self.kro': scripts nested too deep"), 1);
  EXPECT_EQ(console->currentScript(), nullptr);
  std::string nested;  // commands nested within one line stop too
  for (int i = 0; i < 500; ++i) nested += "if bc 1 = 1 then ";
  console->exec((nested + "print deep").c_str());
  EXPECT_NE(logged().back().find("commands nested too deep"), std::string::npos);
}

}  // namespace
