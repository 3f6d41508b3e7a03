// Tests of the text, file, directory and clipboard helpers, against grep -E, ls and xclip.
#include <tessel/handdir.h>
#include <tessel/tessel2.h>
#include <tessel/tessel3.h>
#include <tessel/tessel4.h>

#include <platform/clipboard.h>

#include <chrono>
#include <thread>

#include "support/peer.h"
#include "support/tempdir.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class Helpers : public TempDirTest {};

#ifndef _WIN32
int run(const std::string& command) { return peer(command); }

// Answers the requests for the text we own until done() or 10 s.
bool serveClipboardUntil(const std::function<bool()>& done) {
  for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
       std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
    platform::serveClipboard();
    if (done()) return true;
  }
  return false;
}
#endif

Tessel::File openWith(const std::string& bytes) {  // an anonymous file at its start
  Tessel::File f(tmpfile());
  fwrite(bytes.data(), 1, bytes.size(), f.get());
  rewind(f.get());
  return f;
}

}  // namespace

// Replacements go left to right without rescanning what they put in.
TEST(Tessel, TextChecks) {
  for (const char* yes : {"12", "1.5", "."}) EXPECT_TRUE(Tessel::is_numeric(yes)) << yes;
  for (const char* no : {"1.2.3", "-1", "", "1e5"}) EXPECT_FALSE(Tessel::is_numeric(no)) << no;
  EXPECT_EQ(Tessel::chunk2unsigned("NAME") + Tessel::chunk2unsigned("\xFF\x01\x80\xFE"), 0x454D414Eu + 0xFE8001FFu);
  EXPECT_EQ(thrownMessage([] { Tessel::chunk2unsigned("NAMES"); }), "chunk id must have exactly 4 characters");
  EXPECT_EQ(Tessel2::strtr("aaa", "aa", "b") + Tessel2::strtr("a-b-", "-", "--") + Tessel2::strtr("abc", "", "x"),
            "baa--b--abc");
  EXPECT_EQ(Tessel2::strtolower("@AZ[az\xC4"), "@az[az\xC4");
  EXPECT_TRUE(std::string("ab") == std::string("ab") && !(std::string("ab") == std::string("abc")));
}

// Only space, tab and line feed are skipped; EOF is returned once, left to the caller.
TEST_F(Helpers, FilesAreMeasuredCopiedReadWholeByLineOrToTheFirstNonWhiteChar) {
  Tessel::File in = openWith(std::string("ab\xFF\0\r\nz", 7)), out = openWith(">");
  fseek(in.get(), 3, SEEK_SET);
  EXPECT_EQ(Tessel::fileSize(in.get()) + ftell(in.get()), 10ul);  // the position is kept
  fseek(in.get(), 0, SEEK_SET), fseek(out.get(), 0, SEEK_END);
  Tessel::file2file(in.get(), out.get());
  rewind(out.get());  // lines byte for byte: the CR stays, for callers that want it
  EXPECT_EQ(Tessel2::getline(out.get()), std::string(">ab\xFF\0\r", 6));
  EXPECT_EQ(Tessel2::getline(out.get()) + Tessel2::getline(out.get()), "z");
  Tessel::File f = openWith(" \t\nx\r"), spaces = openWith("   ");
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), 'x');
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), '\r');
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), char(0xFF));
  EXPECT_EQ(thrownMessage([&] { Tessel::readFirstNonWhiteChar(f.get()); }), "end of file");
  EXPECT_EQ(thrownMessage([&] { Tessel::readFirstNonWhiteChar(spaces.get()); }), "reach end of file");
  const std::string bytes("line\r\n\xFF\0end", 11);
  writeFile("data/f.txt", bytes);
  EXPECT_EQ(Tessel2::file_get_contents("data/f.txt"), bytes);
  for (const char* unreadable : {"data/missing.txt", "data"})
    EXPECT_EQ(thrownMessage([&] { Tessel2::file_get_contents(unreadable); }),
              "file_get_contents() - can not open file for read");
  EXPECT_TRUE(Tessel::is_file("data/f.txt") && !Tessel::is_file("data/missing.txt") && !Tessel::is_file("data"));
}

// ls in the folder's own order (-U), each name ended by a NUL; several reads of the folder. On
// Windows, where a name holds no line break or backslash, the system's wide listing, in the code
// page the names were made in.
TEST_F(Helpers, HanddirListsWhatLsListsInTheSameOrder) {
  for (int i = 0; i < 300; ++i) writeFile("data/file" + std::to_string(i), "");
  for (const char* odd : {" spaced", "zażółć", ".hidden", "line\nbreak", "back\\slash"})
    writeFile(std::string("data/") + odd, "");
  std::filesystem::create_directory("data/sub");
  std::vector<std::string> expected;
#ifdef _WIN32
  expected = {".", ".."};
  for (const auto& entry : std::filesystem::directory_iterator("data")) {
    const std::wstring wide = entry.path().filename().wstring();
    std::string narrow(4 * wide.size(), '\0');
    narrow.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &narrow[0], int(narrow.size()), 0, 0));
    expected.push_back(narrow);
  }
  ASSERT_EQ(expected.size(), 306u);
#else
  ASSERT_EQ(run("ls -aU --zero data > ls.out"), 0);
  const std::string out = readFile("ls.out");
  for (size_t at = 0, end; (end = out.find('\0', at)) != std::string::npos; at = end + 1)
    expected.push_back(out.substr(at, end - at));
  ASSERT_EQ(expected.size(), 308u);  // with ".", ".." and "sub"
#endif
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

// grep -E in the C locale runs the same engine on the same syntax, except for a few
// extensions the table keeps clear of; on Windows the standard library's must agree.
TEST_F(Helpers, RegAgreesWithGrepE) {
  const char* patterns[] = {"^ab",        "ab$",       "a|b",          "c(at|ow)s?$", "[[:digit:]]+\\.[0-9]{2}",
                            "^$",         "x*",        "(ab){2,3}",    "[^a-z]",      "colou?r",
                            "\\bword\\b", "a.c",       "^(foo|bar)+$", "[]a]",        "\\(",
                            "",           "(",         "a{2,1}",       "[z-a]",       "[[:nope:]]",
                            "(ab)\\1",    "\\w\\s\\w", "\\`c\\W",      "[\\]+$",      "\\<w\\Bord\\>"};
  const char* texts[] = {"abc",       "cab", "",       "cats", "colour", "price 12.50", "a word",
                         "foofoobar", "ABC", "ababab", "(x)",  "]",      "c:\\dir\\"};
  std::string lines;
  for (const char* text : texts) lines += text + std::string("\n");
  writeFile("texts", lines);
  for (const char* pattern : patterns) {
    writeFile("pattern", std::string(pattern) + "\n");
    const int grep = peer("LC_ALL=C grep -En -f pattern texts >matched 2>/dev/null", {"pattern", "texts"}, {"matched"});
    const std::string matched = "\n" + readFile("matched");  // "\nN:text" for each line N that matches
    for (size_t i = 0; i < std::size(texts); ++i) {
      const bool match = matched.find("\n" + std::to_string(i + 1) + ":") != std::string::npos;
      std::string ours;  // the answer or the message thrown
      ours += thrownMessage([&] { ours = Tessel3::reg(pattern, texts[i]) ? "match" : "no match"; });
      EXPECT_EQ(ours, grep == 2 ? "regex compile" : match ? "match" : "no match") << pattern << " / " << texts[i];
    }
  }
}

#ifndef _WIN32  // the X clipboard, with xclip on the other side
// One test, as the display has one clipboard; xclip -i serves in the background until replaced.
TEST_F(Helpers, ClipboardRoundTripAndXclipBothWays) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
  ASSERT_EQ(run("command -v xclip >/dev/null"), 0) << "xclip is not installed (Debian package xclip)";
  const std::string ours = "zażółć gęślą jaźń\nline two\ttab", theirs = "from xclip: ąę \"quoted\"\n";
  Tessel4::setClipboard(ours.c_str());
  EXPECT_EQ(Tessel4::getClipboard(), ours);
  ASSERT_EQ(run("(xclip -o -selection clipboard > from-us.txt; touch read.done) 2>/dev/null &"), 0);
  EXPECT_TRUE(serveClipboardUntil([] { return std::filesystem::exists("read.done"); }));
  EXPECT_EQ(readFile("from-us.txt"), ours);
  writeFile("theirs.txt", theirs);
  ASSERT_EQ(run("xclip -selection clipboard -i theirs.txt >/dev/null 2>&1"), 0);
  EXPECT_TRUE(serveClipboardUntil([&] { return Tessel4::getClipboard() == theirs; }));
  // A clipboard that offers no text reads as empty.
  writeFile("picture.png", "not text");
  ASSERT_EQ(run("xclip -selection clipboard -t image/png -i picture.png >/dev/null 2>&1"), 0);
  EXPECT_TRUE(serveClipboardUntil([] { return Tessel4::getClipboard().empty(); }));
  Tessel4::setClipboard("done");  // ends the last xclip, once the request reaches the server
  EXPECT_EQ(Tessel4::getClipboard(), "done");
}

TEST(ClipboardDeathTest, NoDisplayIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, SDL not started
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        std::exit(thrownMessage([] { Tessel4::getClipboard(); }) + thrownMessage([] { Tessel4::setClipboard("x"); }) ==
                          "can not open Clipboardcan not open Clipboard"
                      ? 0
                      : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif
