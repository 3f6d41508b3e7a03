// Tests of the console: its interpreter, log and keys.
#include <kro/cfr.h>
#include <kro/functor.h>
#include <kro/keys.h>
#include <kro/kro.h>
#include <kro/loglog.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_support.h"

namespace {

std::vector<std::string> probed;
void probe(int argc, const char** argv) { probed.assign(argv + 1, argv + argc); }

class Exec : public ConsoleTest {
protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    static bool registered = false;
    if (!registered) console->addFun(new FunctorStaticIC("probe", probe));
    registered = true;
    probed.clear();
  }
  std::vector<std::string> args(const std::string& line) {
    console->exec(line.c_str());
    return probed;
  }
  using Args = std::vector<std::string>;
};

TEST(Log, KeepsNineteenLinesThenMarksTheOverflow) {
  Loglog log;
  for (int i = 1; i <= 19; ++i) log.echo(std::to_string(i).c_str(), 2);
  EXPECT_STREQ(log.lineText(18), "1");
  EXPECT_STREQ(log.lineText(19), "");
  log.echo("20", 3);
  EXPECT_STREQ(log.lineText(19), "...");
  EXPECT_EQ(log.lineLevel(19), 0);
  EXPECT_STREQ(log.lineText(18), "2");
  EXPECT_EQ(log.lineLevel(0), 3);

  Loglog quiet;  // a level-0 message in record 18 does not count as one
  quiet.echo("", 0);
  for (int i = 0; i < 18; ++i) quiet.echo("x", 2);
  quiet.echo("y", 2);
  EXPECT_STREQ(quiet.lineText(19), "");
}

class LogFile : public TempDirTest {};

TEST_F(LogFile, LongMessagesAreCutOnScreenOnly) {
  Loglog log;
  const std::string longText(300, 'x');
  log.echo(longText.c_str(), 5);
  EXPECT_EQ(std::string(log.lineText(0)), longText.substr(0, 254));
  EXPECT_EQ(readFile("data/log.txt"), longText + "\n");
  Loglog again;  // a new run empties the file
  EXPECT_EQ(readFile("data/log.txt"), "");
}

TEST_F(LogFile, WithoutTheFileTheLogGoesOn) {
  std::filesystem::remove_all("data");
  testing::internal::CaptureStderr();
  Loglog log;
  log.echo("still here", 2);
  log.echo("and here", 2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(log.fileOn());
  EXPECT_STREQ(log.lineText(0), "and here");
  EXPECT_NE(err.find("cannot create data/log.txt"), std::string::npos);
  EXPECT_EQ(err.find('\n'), err.size() - 1);  // said once
}

TEST_F(Exec, QuotesProtectSpacesAndSeparateWords) {
  EXPECT_EQ(args("probe \"a  b\" c"), (Args{"a  b", "c"}));
  EXPECT_EQ(args("probe ab\"cd ef\"gh"), (Args{"ab", "cd ef", "gh"}));
  EXPECT_EQ(args("probe \\\"x\\\""), (Args{"\\\"x\\\""}));
  EXPECT_EQ(args("probe \"open to the end"), (Args{"open to the end"}));
  EXPECT_EQ(args("  probe\ta\t\tb"), (Args{"a", "b"}));
}

TEST_F(Exec, DollarWordsTakeVariablesAndBackslashesEscape) {
  Var::get("v") = std::string("hello world");
  EXPECT_EQ(args("probe $v x$v \\$v \\\\y \\z"), (Args{"hello world", "x$v", "$v", "\\y", "\\z"}));
  Var::get("w") = std::string("\\$v");  // the backslash rule applies to the substituted text too
  EXPECT_EQ(args("probe $w"), (Args{"$v"}));
  // A variable made by substitution must not invalidate the words already read.
  EXPECT_EQ(args("probe $v $fresh1 $fresh2 $v"), (Args{"hello world", "", "", "hello world"}));
}

TEST_F(Exec, EmptyLinesAndUnknownCommands) {
  EXPECT_EQ(console->exec("    "), 0);
  EXPECT_TRUE(logged().empty());
  console->exec("\t");
  console->exec("\"\"");
  EXPECT_EQ(logged(), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(recent(1)[0].first, 4);

  EXPECT_EQ(console->exec("  nosuch 1"), 0);
  EXPECT_EQ(logged().back(), "error during exec 'nosuch 1': unknow function \"nosuch\"");
  EXPECT_EQ(recent(1)[0].first, 3);
  console->exec("$v");
  EXPECT_EQ(logged().back(), "error during exec '$v': unknow function \"$v\"");
  EXPECT_EQ(console->exec("bc 1 < 2"), 1);
  EXPECT_EQ(console->exec("print x"), 0);
}

TEST_F(Exec, LinesOfAnyLengthAreSafe) {
  const std::string name(100000, 'n');
  console->exec((name + " %s%s%n").c_str());
  EXPECT_EQ(logged().back(), "error during exec '" + name + " %s%s%n': unknow function \"" + name + "\"");
  EXPECT_EQ(std::string(console->lineText(0)).size(), 254u);
  console->exec(("bc 1 " + name + " 2").c_str());
  EXPECT_NE(logged().back().find("bc operator must be a single character"), std::string::npos);
  console->exec("bc 1 % 2");
  EXPECT_EQ(logged().back(), "error during exec 'bc 1 % 2': bc unknow operator %");
}

// Functors whose destruction can be seen.
struct Counted : FunctorStaticIC {
  static int alive;
  explicit Counted(const char* name) : FunctorStaticIC(name, probe) { ++alive; }
  ~Counted() override { --alive; }
};
int Counted::alive = 0;

TEST_F(Exec, RegisteringANameAgainReplacesInPlace) {
  const unsigned before = console->commandCount();
  console->addFun(new Counted("twice"));
  console->addFun(new Counted("twice"));
  EXPECT_EQ(Counted::alive, 1);
  EXPECT_EQ(logged(), (std::vector<std::string>{"doubled function name's"}));
  EXPECT_EQ(console->commandCount(), before + 1);
}

int fromInts(int, const char**) { return 7; }
int seenVar1 = 0;
int takeOne(Var v) {
  seenVar1 = v.toInt();
  return 5;
}
int takeTwo(Var, Var) { return 1; }
int voidCalls = 0;
void countVoid() { ++voidCalls; }

TEST_F(Exec, FunctorKindsCheckTheirArguments) {
  const char* argv[] = {"f", "12", "x", nullptr};
  EXPECT_EQ(FunctorStaticIntIC("f", fromInts).run(1, argv), 7);
  EXPECT_EQ(FunctorVar1("f", takeOne).run(2, argv), 0);
  EXPECT_EQ(seenVar1, 12);
  EXPECT_EQ(FunctorVar2("f", takeTwo).run(3, argv), 0);
  seenVar1 = 0;
  EXPECT_EQ(thrownMessage([&] { FunctorVar1("f", takeOne).run(3, argv); }), "use exacly 1 argument");
  EXPECT_EQ(seenVar1, 0);
  EXPECT_EQ(thrownMessage([&] { FunctorVar2("f", takeTwo).run(2, argv); }), "use exacly 2 argument");

  FunctorStaticVoid v("v", countVoid);
  v.run(1, argv);
  EXPECT_TRUE(logged().empty());
  v.run(0, nullptr);
  v.run(3, argv);
  EXPECT_EQ(voidCalls, 3);
  EXPECT_EQ(logged(), (std::vector<std::string>(2, "warning: arguments of function are ignored")));
  EXPECT_STREQ(FunctorStaticIC(std::string(300, 'n').c_str(), probe).getName(), std::string(255, 'n').c_str());
}

TEST_F(Exec, DebugLinesGoToTheLogAtLevelTwo) {
  debug("x=", 4294967295u);
  debug("f=", 1.5f);
  debug("n=", -3);
  EXPECT_EQ(logged(), (std::vector<std::string>{"x=-1", "f=1.50", "n=-3"}));
  EXPECT_EQ(recent(1)[0].first, 2);
}

class Keys : public ConsoleTest {};

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

TEST_F(Keys, TypingKeepsTheAllowedCharactersUpTo255) {
  openConsole();
  EXPECT_TRUE(console->keydown('A'));  // every key is the console's while it is open
  type("aZ9 !\"#$%^&*()-=+[]|;:,<.>/?@'\\_{}`~\x01\xe9");
  EXPECT_STREQ(console->getInput(), "aZ9 !\"#$%^&*()-=+[]|;:,<.>/?@'\\");
  console->keydown(vk::BACKSPACE);
  EXPECT_EQ(std::string(console->getInput()).back(), '\'');
  openConsole();
  type(std::string(256, 'q'));
  EXPECT_EQ(std::string(console->getInput()), std::string(255, 'q'));
}

TEST_F(Keys, EnterRunsTheLineAndUpWalksTheHistory) {
  openConsole();
  for (int i = 0; i < 13; ++i) {
    type("print " + std::to_string(i));
    console->keydown(vk::RETURN);
  }
  for (const char* line : {"print a", "print b", "print c"}) {
    type(line);
    console->keydown(vk::RETURN);
  }
  EXPECT_STREQ(console->getInput(), "");
  EXPECT_EQ(recent(2), (std::vector<std::pair<int, std::string>>{{4, "print c"}, {5, "c "}}));
  console->keydown(vk::RETURN);  // an empty line: logged, not stored, and the walk starts over
  EXPECT_EQ(recent(1)[0], (std::pair<int, std::string>{4, ""}));
  std::vector<std::string> walked;
  for (int i = 0; i < 18; ++i) walked.push_back((console->keydown(vk::UP), console->getInput()));
  EXPECT_EQ(walked[0] + walked[2], "print cprint a");
  // past the oldest entry the line stays
  EXPECT_EQ(std::vector<std::string>(walked.begin() + 15, walked.end()), std::vector<std::string>(3, "print 0"));
}

TEST_F(Keys, TabCompletesOneNameOrListsSeveral) {
  openConsole();
  type("se");
  console->keydown(vk::TAB);
  EXPECT_STREQ(console->getInput(), "set ");
  console->keydown(vk::TAB);
  EXPECT_STREQ(console->getInput(), "set ");
  EXPECT_TRUE(logged().empty());
  openConsole();
  type("e");
  console->keydown(vk::TAB);
  EXPECT_STREQ(console->getInput(), "e");
  EXPECT_EQ(recent(3), (std::vector<std::pair<int, std::string>>{{4, "e"}, {5, "echo"}, {5, "end"}}));
}

}  // namespace
