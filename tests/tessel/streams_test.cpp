// Tests of the file byte streams.
#include <tessel/inOutFile.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// In-memory source that ends like a file: once a read came back short.
class MemIn : public In {
public:
  MemIn(std::string bytes, bool buffered) : In(buffered), bytes(std::move(bytes)) {}
  std::vector<unsigned> reads;

protected:
  bool endOfStream() override { return shortRead; }
  unsigned readData(void* buffer, unsigned count) override {
    unsigned n = unsigned(std::min<size_t>(count, bytes.size() - at));
    memcpy(buffer, bytes.data() + at, n);
    at += n;
    shortRead = n < count;
    reads.push_back(n);
    return n;
  }

private:
  std::string bytes;
  size_t at = 0;
  bool shortRead = false;
};

TEST(StreamsMem, RefillsWholeBlocksAndReadStopsAtTheEnd) {
  MemIn in(std::string(599, 'x') + 'y', true);
  std::vector<char> got(1000);
  EXPECT_EQ(in.read(got.data(), 1000), 600u);
  EXPECT_EQ(got[599], 'y');
  EXPECT_EQ(in.reads, (std::vector<unsigned>{256, 256, 88}));
  EXPECT_TRUE(in.end());
  EXPECT_EQ(thrownMessage([&] { in.getc(); }), "error: read from closed stream");
}

TEST(StreamsMem, WordsAndLinesKeepWhatTheyStopAt) {
  MemIn in("ab cd\tef\r\ng", true);
  std::string a = ">", b;
  in >> a >> b;
  EXPECT_EQ(a + b, ">ab cd\t");
  EXPECT_EQ(in.getLine(), "ef\r");
  EXPECT_EQ(in.getLine(), "g");
  EXPECT_TRUE(in.end());
}

TEST(StreamsMem, UnbufferedReadsThrowOnceTheSourceEnded) {
  MemIn in("a", false);
  EXPECT_EQ(in.getc(), 'a');
  // The source has not said it ended, but the empty read must not yield a byte.
  EXPECT_EQ(thrownMessage([&] { in.getc(); }), "In read from closed source");
  char buf[4];
  EXPECT_EQ(thrownMessage([&] { in.read(buf, 4); }), "In read from closed source");
}

class Streams : public TempDirTest {};

TEST_F(Streams, ValuesRoundTripAsRawBytes) {
  InOutFile("values", "wb") << 1 << 2.5f << 'z' << "ab";
  EXPECT_EQ(readFile("values").substr(0, 4), std::string("\x01\x00\x00\x00", 4));
  InOutFile f("values", "rb");
  int i = 0;
  float x = 0;
  char c = 0;
  f >> i >> x >> c;
  EXPECT_TRUE(i == 1 && x == 2.5f && c == 'z');
  EXPECT_EQ(f.getLine(), "ab");
}

TEST_F(Streams, FailuresAreMessagesNotHangs) {
  for (const char* unreadable : {"missing", "data"})
    EXPECT_EQ(thrownMessage([&] { InOutFile f(unreadable, "rb"); }), "can not open file");
  const char* bad[][2] = {{"", "rb"}, {nullptr, "rb"}, {"x", ""}};
  for (auto& c : bad) EXPECT_EQ(thrownMessage([&] { InOutFile f(c[0], c[1]); }), "InOutFile: empty file name or mode");
  writeFile("empty", "");
  EXPECT_TRUE(InOutFile("empty", "rb").end());
  {
    // Nothing to read, and no read tried: its writing side stays usable.
    InOutFile w("w", "wb");
    EXPECT_TRUE(w.end());
    EXPECT_EQ(thrownMessage([&] { w.getc(); }), "error: read from closed stream");
    w << "still writable";
  }
  EXPECT_EQ(readFile("w"), "still writable");
  InOutFile full("/dev/full", "wb");
  EXPECT_EQ(thrownMessage([&] { full << std::string(1 << 16, 'x'); }), "write to out of stream\n");
}
