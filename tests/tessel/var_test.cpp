// Tests of variables.
#include <tessel/var.h>

#include "support/tempdir.h"

namespace {

std::vector<std::string> logged;

class VarTest : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    logged.clear();
    Var::setLogHook([](const char* line) { logged.push_back(line); });
  }
  void TearDown() override {
    Var::setLogHook(nullptr);
    TempDirTest::TearDown();
  }
};

// Conversions read the longest prefix; numbers are stored as signed text.
TEST_F(VarTest, NumericTextAndConversionsFollowTheScanRules) {
  for (const char* text : {"-5", "+.5", "5.", " 12 ", "1 2", "\t7"}) EXPECT_TRUE(Var(text).is_numeric()) << text;
  for (const char* text : {"", "+", "-", ".", "5-", "1.2.3", "1e5", "0x10", "--1"})
    EXPECT_FALSE(Var(text).is_numeric()) << text;
  const std::pair<const char*, int> ints[] = {{"-17", -17}, {"3.99", 3}, {" 12", 12}, {"1 2", 1}, {"- 5", 0}};
  for (const auto& [text, value] : ints) EXPECT_EQ(Var(text).toInt(), value) << text;
  EXPECT_FLOAT_EQ(Var(".5").toFloat(), 0.5f);
  EXPECT_EQ(Var("-1").toUnsigned(), 4294967295u);
  for (const Var& v : {Var("abc"), Var("")})
    EXPECT_EQ(thrownMessage([&] { v.toInt(); }) + thrownMessage([&] { v.toUnsigned(); }) +
                  thrownMessage([&] { v.toFloat(); }),
              "not numericnot numericnot numeric");
  Var v, w;
  v = -3;
  w = 4294967295u;
  EXPECT_TRUE(v == "-3" && w == "-1" && w.toUnsigned() == 4294967295u);
  v = 2.5f;
  Var copy(v);
  v = std::string("changed");  // copies share nothing
  EXPECT_EQ(copy.toString(), "2.500000");
}

// Words over 255 characters are cut without shifting the pairs; an unreadable file keeps the map.
TEST_F(VarTest, DefaultsFileLoadsWordPairsAndGetCreatesOnce) {
  const std::string longName(300, 'n'), longValue(1000, 'v');
  writeFile("data/defvar.txt", "fullscreen 1\n\ta\t1  \r\na 2\n" + longName + " " + longValue + "\nafter ok\ngodmode");
  Var::loadGlobal("data/defvar.txt");
  EXPECT_EQ(Var::get("fullscreen").toString() + Var::get("a").toString() + Var::get("after").toString(), "12ok");
  EXPECT_EQ(Var::get(longName.substr(0, 255).c_str()).toString(), longValue.substr(0, 255));
  EXPECT_FALSE(Var::isset("godmode"));
  EXPECT_EQ(logged.front() + "|" + logged.back(), "Var::loadGlobal|Var::loadGlobal end");
  for (const char* unreadable : {"data/none.txt", "data"})
    EXPECT_EQ(thrownMessage([&] { Var::loadGlobal(unreadable); }), "Var::loadGlobal can not read file");
  EXPECT_EQ(Var::get("after").toString(), "ok");
  // isset never creates; names are case-sensitive, the empty one a name like any other.
  logged.clear();
  EXPECT_FALSE(Var::isset("fresh name") || Var::isset("fresh name"));
  EXPECT_EQ(Var::get("fresh name").toString(), "");
  Var::get("fresh name") = std::string("v");
  EXPECT_EQ(logged, (std::vector<std::string>{"Var::get() creating new name", "fresh name"}));
  EXPECT_TRUE(Var::isset("fresh name") && !Var::isset("Fresh name") && Var::get("fresh name") == "v");
  Var::get("") = 5;
  EXPECT_EQ(Var::get("").toInt(), 5);
  Var::clearGlobal();
  EXPECT_FALSE(Var::isset("fresh name"));
}

}  // namespace
