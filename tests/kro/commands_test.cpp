// Tests of the console's built-in commands.
#include <kro/cfr.h>
#include <kro/mod.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_support.h"

namespace {

using Lines = std::vector<std::string>;

class Commands : public ConsoleTest {
protected:
  // What one command line added to the log.
  Lines run(const std::string& line) {
    const size_t before = logged().size();
    console->exec(line.c_str());
    Lines all = logged();
    return Lines(all.begin() + before, all.end());
  }
  static std::string error(const std::string& line, const std::string& message) {
    return "error during exec '" + line + "': " + message;
  }
  // The line is refused with message and logs nothing else.
  void refused(const std::string& line, const std::string& message) {
    EXPECT_EQ(run(line), Lines{error(line, message)});
  }
  std::string value(const char* name) { return Var::get(name).toString(); }
};

TEST_F(Commands, PrintHelpAndQuit) {
  EXPECT_EQ(run("print"), Lines{""});
  EXPECT_EQ(run("echo a  b"), Lines{"a b "});
  EXPECT_EQ(recent(1)[0].first, 5);
  Lines help = run("help");
  ASSERT_GE(help.size(), 20u);
  EXPECT_EQ(Lines(help.begin(), help.begin() + 20),
            (Lines{"help", "print", "echo", "quit", "for", "if",  "set", "mov", "add",  "sub",
                   "mul",  "run",   "stop", "STOP", "end", "END", "jmp", "JMP", "goto", "bc"}));
  EXPECT_FALSE(Mod::quitRequested());
  EXPECT_EQ(run("quit now"), Lines{"warning: arguments of function are ignored"});
  EXPECT_TRUE(Mod::quitRequested());
}

TEST_F(Commands, ForCountsBelowTheBound) {
  EXPECT_EQ(run("for i from 1 to 4 do print x$i"), (Lines{"x1 ", "x2 ", "x3 "}));
  EXPECT_EQ(run("for i to 3 do print \\$i"), (Lines{"0 ", "1 ", "2 "}));
  EXPECT_EQ(run("for i = 1 to 3 step 2 from 1 from -1 do print \\$i"), (Lines{"-1 ", "1 "}));
  EXPECT_EQ(run("for i to 2 to x do print a"), (Lines{"a ", "a "}));  // a value that is no number keeps the last
  EXPECT_TRUE(run("for i do print a").empty());
  EXPECT_TRUE(run("for i from 3 to 0 step 0 do print a").empty());
  refused("for i to", "pleas enter some cmd");
  refused("for ab to 3 do print a", "item strlen must be 1");
  Var::get("blank");
  refused("for $blank to 3 do print a", "item strlen must be 1");  // a variable that gave nothing
  refused("for i", "pleas give unless 3 args");
  // A step that never reaches the bound is refused before anything runs.
  refused("for i to 3 step 0 do print a", "for step must be above 0 to reach the bound");
  EXPECT_EQ(run("for i from 2147483646 to 2147483647 step 2147483647 do print \\$i"), Lines{"2147483646 "});
}

TEST_F(Commands, IfRunsItsCommandOnANonzeroCondition) {
  EXPECT_EQ(run("if bc 1 < 2 then print yes"), (Lines{"n1=1", "op=60", "n2=2", "yes "}));
  EXPECT_EQ(run("if bc 2 < 1 then print yes"), (Lines{"n1=2", "op=60", "n2=1"}));
  EXPECT_EQ(run("if print a then print b"), Lines{"a "});
  refused("if bc 1 = 1", "wrong use of if");
  refused("if bc 1 = 1 then", "wrong use of if");
  EXPECT_EQ(run("if nosuch then print b"), Lines{error("nosuch ", "unknow function \"nosuch\"")});
}

TEST_F(Commands, VariablesTakeTextAndDecimalArithmetic) {
  run("set \\$x 5");
  EXPECT_EQ(value("x"), "5");
  EXPECT_EQ(run("add 3 \\$x"), Lines{"8.00"});
  EXPECT_EQ(value("x"), "8.00");
  run("sub 10 \\$x");
  EXPECT_EQ(value("x"), "-2.00");
  run("mul 2 \\$x");
  EXPECT_EQ(value("x"), "-4.00");

  Var::get("ptr") = std::string("$y");
  run("set $ptr 7");
  EXPECT_EQ(value("y"), "7");
  refused("set x 5", "name must start form $");
  refused("set \\$x", "use exacly 2 argument");
  Var::get("s") = std::string("abc");
  refused("add 1 \\$s", "Var after arg2 must be numeric");
  refused("add q \\$s", "arg1 must be numeric");
  refused("mul 1 s", "arg2 must be Var");
  Var::get("big") = std::string(510, '9');
  refused("add 1 \\$big", "IQ: num to big");
  EXPECT_EQ(value("big"), std::string(510, '9'));  // unchanged after the failure
}

TEST_F(Commands, MovCopiesEvenWhenItCreatesVariables) {
  Var::get("a1") = std::string("text of a1");
  for (int i = 0; i < 40; ++i) {  // every new target may move the map
    const std::string target = "moved" + std::to_string(i);
    run("mov \\$a1 \\$" + target);
    EXPECT_EQ(value(target.c_str()), "text of a1");
  }
  EXPECT_EQ(run("mov \\$missingA \\$missingB"),
            (Lines{"Var::get() creating new name", "missingA", "Var::get() creating new name", "missingB"}));
  refused("mov a \\$b", "arg1 must be variable");
  refused("mov \\$a b", "arg2 must be variable");
  for (int i = 0; i < 40; ++i) run("add 1 \\$fresh" + std::to_string(i));  // creates, then fails cleanly
}

TEST_F(Commands, BcComparesWholeNumbers) {
  EXPECT_EQ(console->exec("bc 3 > 2"), 1);
  EXPECT_EQ(logged(), (Lines{"n1=3", "op=62", "n2=2"}));
  EXPECT_EQ(console->exec("bc 2 = 2.9"), 1);
  EXPECT_EQ(console->exec("bc x < 1"), 1);  // not a number: 0
  EXPECT_EQ(console->exec("bc -5 > -6"), 1);
  refused("bc 1 <", "bc needs exactly 3 arguments: number operator number");
}

TEST_F(Commands, ScriptCommandsRefuseToRunOutsideAScript) {
  refused("stop", "stop work only in script's");
  refused("goto 3", "goto work only in script's");
  refused("JMP 1", "JMP work only in script's");
  EXPECT_EQ(run("run data/none.kro"), Lines{});
}

}  // namespace
