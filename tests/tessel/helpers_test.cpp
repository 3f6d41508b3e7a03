// Tests of the file and string helpers.
#include <tessel/tessel2.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using File = Tessel::File;

// An anonymous file holding bytes, positioned at its start.
File openWith(const std::string& bytes) {
  File f(tmpfile());
  fwrite(bytes.data(), 1, bytes.size(), f.get());
  rewind(f.get());
  return f;
}

std::string stripped(std::string path) {
  Tessel::rmPath(&path[0]);
  return path.c_str();
}

TEST(Tessel, TextChecks) {
  for (const char* yes : {"12", "1.5", "."}) EXPECT_TRUE(Tessel::is_numeric(yes)) << yes;
  for (const char* no : {"1.2.3", "-1", "", "1e5"}) EXPECT_FALSE(Tessel::is_numeric(no)) << no;
  EXPECT_EQ(stripped("a/b\\c.txt"), "c.txt");
  EXPECT_EQ(stripped("/root"), "/root");
  EXPECT_EQ(stripped("dir/"), "");
  EXPECT_EQ(Tessel::chunk2unsigned("NAME"), 0x454D414Eu);
  EXPECT_EQ(Tessel::chunk2unsigned("\xFF\x01\x80\xFE"), 0xFE8001FFu);
  EXPECT_EQ(thrownMessage([] { Tessel::chunk2unsigned("NAMES"); }), "chunk id must have exactly 4 characters");
}

TEST(Tessel, ReadFirstNonWhiteCharSkipsOnlySpaceTabAndLineFeed) {
  File f = openWith(" \t\nx\r");
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), 'x');
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), '\r');
  EXPECT_EQ(Tessel::readFirstNonWhiteChar(f.get()), char(0xFF));  // EOF, left to the caller
  EXPECT_EQ(thrownMessage([&] { Tessel::readFirstNonWhiteChar(f.get()); }), "end of file");
  File spaces = openWith("   ");
  EXPECT_EQ(thrownMessage([&] { Tessel::readFirstNonWhiteChar(spaces.get()); }), "reach end of file");
}

TEST(Tessel, FilesAreMeasuredCopiedAndReadByLine) {
  File in = openWith(std::string("ab\xFF\0\r\nz", 7));
  fseek(in.get(), 3, SEEK_SET);
  EXPECT_EQ(Tessel::fileSize(in.get()), 7ul);
  EXPECT_EQ(ftell(in.get()), 3);
  File out = openWith(">");
  fseek(out.get(), 0, SEEK_END);
  Tessel::file2file(in.get(), out.get());
  rewind(out.get());
  EXPECT_EQ(Tessel2::getline(out.get()), std::string(">ab\xFF\0\r", 6));
  EXPECT_EQ(Tessel2::getline(out.get()), "z");
  EXPECT_EQ(Tessel2::getline(out.get()), "");
}

TEST(Tessel2, StrtrReplacesLeftToRightWithoutRescanning) {
  EXPECT_EQ(Tessel2::strtr("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Tessel2::strtr("a-b-", "-", "--"), "a--b--");
  EXPECT_EQ(Tessel2::strtr("abc", "", "x"), "abc");
  EXPECT_EQ(Tessel2::strtolower("@AZ[az\xC4"), "@az[az\xC4");
}

class Helpers : public TempDirTest {};

TEST_F(Helpers, FilesAreReadWhole) {
  std::string bytes("line\r\n\xFF\0end", 11);
  writeFile("data/f.txt", bytes);
  EXPECT_EQ(Tessel2::file_get_contents("data/f.txt"), bytes);
  for (const char* unreadable : {"data/missing.txt", "data"})
    EXPECT_EQ(thrownMessage([&] { Tessel2::file_get_contents(unreadable); }),
              "file_get_contents() - can not open file for read");
  EXPECT_TRUE(Tessel::is_file("data/f.txt"));
  EXPECT_FALSE(Tessel::is_file("data/missing.txt") || Tessel::is_file("data"));
}
