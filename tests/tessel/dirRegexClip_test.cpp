// Tests of directory listing, regular expressions and the clipboard against system tools.
//
// Directory listing against ls, regular expressions against grep -E, and the
// clipboard against xclip on the test's X display.
#include <tessel/handdir.h>
#include <tessel/tessel3.h>
#include <tessel/tessel4.h>

#include <platform/clipboard.h>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/tempdir.h"

namespace {

class Helpers : public TempDirTest {};

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(Helpers, HanddirListsWhatLsListsInTheSameOrder) {
  for (int i = 0; i < 300; ++i) writeFile("data/file" + std::to_string(i), "");  // several reads of the folder
  for (const char* odd : {" spaced", "zażółć", ".hidden", "line\nbreak", "back\\slash"})
    writeFile(std::string("data/") + odd, "");
  std::filesystem::create_directory("data/sub");

  // ls in the folder's own order (-U), each name ended by a NUL.
  ASSERT_EQ(run("ls -aU --zero data > ls.out"), 0);
  std::vector<std::string> expected;
  const std::string out = readFile("ls.out");
  for (std::size_t at = 0, end; (end = out.find('\0', at)) != std::string::npos; at = end + 1)
    expected.push_back(out.substr(at, end - at));
  ASSERT_EQ(expected.size(), 308u);  // with ".", ".." and "sub"

  for (const char* name : {"data", "data/", "data\\", "./data//"}) {
    Handdir d(name);
    EXPECT_EQ(d.filesnum(), expected.size()) << name;
    std::vector<std::string> names;
    while (d.is_more()) names.push_back(d.readdir());
    EXPECT_EQ(names, expected) << name;
    EXPECT_EQ(thrownMessage([&] { d.readdir(); }), "Handdir::readdir past the last entry");
  }
  for (const char* name : {"missing", "data/file1", ""})
    EXPECT_EQ(thrownMessage([&] { Handdir d(name); }), "Handdir::opendir -> FindFirstFile") << name;
}

// grep -E in the C locale runs the same engine on the same syntax, except for a
// few extensions the table keeps clear of.
TEST_F(Helpers, RegAgreesWithGrepE) {
  const char* patterns[] = {
      "^ab",        "ab$", "a|b",          "c(at|ow)s?$", "[[:digit:]]+\\.[0-9]{2}",
      "^$",         "x*",  "(ab){2,3}",    "[^a-z]",      "colou?r",
      "\\bword\\b", "a.c", "^(foo|bar)+$", "[]a]",        "\\(",
      "",           "(",   "a{2,1}",       "[z-a]",       "[[:nope:]]",
  };
  const char* texts[] = {"abc",    "cab",       "",    "cats",   "colour", "price 12.50",
                         "a word", "foofoobar", "ABC", "ababab", "(x)",    "]"};
  for (const char* pattern : patterns) {
    writeFile("pattern", std::string(pattern) + "\n");
    for (const char* text : texts) {
      writeFile("text", std::string(text) + "\n");
      const int grep = run("LC_ALL=C grep -Eq -f pattern text 2>/dev/null");
      const std::string theirs = grep == 0 ? "match" : grep == 1 ? "no match" : "regex compile";
      std::string ours;
      try {
        ours = Tessel3::reg(pattern, text) ? "match" : "no match";
      } catch (const char* message) {
        ours = message;
      }
      EXPECT_EQ(ours, theirs) << "pattern '" << pattern << "', text '" << text << "'";
    }
  }
}

namespace {

// Answers the requests for the text we own until done() or 10 s.
bool serveUntil(const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    platform::serveClipboard();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

// One test, as the display's clipboard is one for all. xclip without -o serves
// its text in the background until another client takes the clipboard (its output
// goes to /dev/null, or the test's own output would stay open as long).
TEST_F(Helpers, ClipboardRoundTripAndXclipBothWays) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
  ASSERT_EQ(run("command -v xclip >/dev/null"), 0) << "xclip is not installed (Debian package xclip)";

  const std::string ours = "zażółć gęślą jaźń\nline two\ttab";
  Tessel4::setClipboard(ours.c_str());
  EXPECT_EQ(Tessel4::getClipboard(), ours);

  ASSERT_EQ(run("(xclip -o -selection clipboard > from-us.txt; touch read.done) 2>/dev/null &"), 0);
  EXPECT_TRUE(serveUntil([] { return std::filesystem::exists("read.done"); }));
  EXPECT_EQ(readFile("from-us.txt"), ours);

  const std::string theirs = "from xclip: ąę \"quoted\"\n";
  writeFile("theirs.txt", theirs);
  ASSERT_EQ(run("xclip -selection clipboard -i theirs.txt >/dev/null 2>&1"), 0);
  EXPECT_TRUE(serveUntil([&] { return Tessel4::getClipboard() == theirs; }));

  // A clipboard that offers no text reads as empty.
  writeFile("picture.png", "not text");
  ASSERT_EQ(run("xclip -selection clipboard -t image/png -i picture.png >/dev/null 2>&1"), 0);
  EXPECT_TRUE(serveUntil([] { return Tessel4::getClipboard().empty(); }));
  Tessel4::setClipboard("done");  // ends the last xclip, once the request reaches the server
  EXPECT_EQ(Tessel4::getClipboard(), "done");
}

TEST(ClipboardDeathTest, NoDisplayIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, SDL not started
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const bool get = thrownMessage([] { Tessel4::getClipboard(); }) == "can not open Clipboard";
        const bool set = thrownMessage([] { Tessel4::setClipboard("x"); }) == "can not open Clipboard";
        std::exit(get && set ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
