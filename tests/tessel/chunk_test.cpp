// Tests of the chunk format.
#include <tessel/proof.h>
#include <tessel/serializable.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

unsigned id(const char* text) { return Tessel::chunk2unsigned(text); }
std::string le(unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string chunk(const char* name, const std::string& payload) {
  return name + le(unsigned(payload.size())) + payload;
}

struct Entry : Serializable {
  char name[4] = {};
  unsigned score = 0;
  void loadSave() override {
    assign(id("NAME"), name, 4);
    assign(id("SCOR"), &score);
  }
};

// The example object: an entry under "A_EN"; with extra, values of its own.
struct Holder : Serializable {
  Entry entry;
  int own = 0;
  float f = 0;
  bool extra = false;
  void loadSave() override {
    assign(id("A_EN"), &entry);
    if (!extra) return;
    assign(id("OWN_"), &own);
    assign(id("FLT_"), &f);
  }
};

// Fails halfway through a nested save.
struct HoldsFailing : Serializable {
  struct Failing : Serializable {
    void loadSave() override { throw "boom"; }
  } child;
  void loadSave() override { assign(id("FAIL"), &child); }
};

const std::string EXAMPLE_TEXT =
    "\t<A_EN>\n\t\t<NAME>\n\t\t\t41 42  A  0 \n\t\t</NAME>\n"
    "\t\t<SCOR>\n\t\t\t1234 \n\t\t</SCOR>\n\t</A_EN>\n";
const std::string EXAMPLE_BINARY = chunk("A_EN", chunk("NAME", std::string("AB\n\0", 4)) + chunk("SCOR", le(1234)));
const std::string PAST_END = "Serializable::load - chunk past the end of the file or of its parent chunk";
const std::string NOT_CLOSED = "value not followed by its closing XML tag";

long openFiles() {
  using It = std::filesystem::directory_iterator;
  return std::distance(It("/proc/self/fd"), It());
}

class Chunk : public TempDirTest {
protected:
  void TearDown() override {
    Serializable::fileType = 'x';
    TempDirTest::TearDown();
  }
  static void fillExample(Holder& h) {
    memcpy(h.entry.name, "AB\n\0", 4);
    h.entry.score = 1234;
  }
  // The message thrown, "" on success.
  static std::string loadBytes(Serializable& into, const std::string& bytes) {
    writeFile("data/in.dat", bytes);
    return thrownMessage([&] { into.load("data/in.dat"); });
  }
  static std::string saved(Serializable& s) {
    s.save("data/out.dat");
    return readFile("data/out.dat");
  }
};

}  // namespace

TEST_F(Chunk, ExampleObjectHasTheSameBytesInEachFormAndLoadsBack) {
  const std::pair<char, std::string> forms[] = {{'x', EXAMPLE_TEXT}, {'c', EXAMPLE_BINARY}, {'t', "41 42  A  0 1234 "}};
  for (const auto& [form, bytes] : forms) {
    Serializable::fileType = form;
    Holder h, back;
    fillExample(h);
    EXPECT_EQ(saved(h), bytes) << form;
    EXPECT_EQ(saved(h), bytes) << form << ": a second save differs";
    EXPECT_EQ(loadBytes(back, bytes), "") << form;
    EXPECT_TRUE(memcmp(back.entry.name, "AB\n", 4) == 0 && back.entry.score == 1234u) << form;
  }
}

TEST_F(Chunk, ValuesRoundTripAndFloatsKeepEveryBitOnlyInBinary) {
  for (char form : {'x', 't', 'c'}) {
    Serializable::fileType = form;
    Holder h, back;
    h.extra = back.extra = true;
    memcpy(h.entry.name, "\xFF\0\nz", 4);
    h.entry.score = 0xFFFFFFF0u;
    h.own = -7;
    h.f = 1.0f / 3;
    EXPECT_EQ(loadBytes(back, saved(h)), "") << form;
    EXPECT_EQ(memcmp(back.entry.name, "\xFF\0\nz", 4), 0) << form;
    EXPECT_TRUE(back.entry.score == 0xFFFFFFF0u && back.own == -7) << form;
    EXPECT_EQ(back.f, form == 'c' ? 1.0f / 3 : 0.333333f) << form;
  }
}

TEST_F(Chunk, TextReaderAcceptsWhatTheFormatAllowsAndNamesTheFault) {
  Holder h;
  EXPECT_EQ(loadBytes(h, "< A_EN>\n<\n NAME>41 42 43 44</NAME>< \t/A_EN>\n"), "");
  EXPECT_EQ(std::string(h.entry.name, 4), "ABCD");
  // Input ending inside a nested object ends that object.
  Holder cut;
  EXPECT_EQ(loadBytes(cut, "<A_EN>\n<SCOR>\n5 </SCOR>\n"), "");
  EXPECT_EQ(cut.entry.score, 5u);

  // Closing tags must end with \n as the writer's do; unknown tags cannot be skipped;
  // a value must be closed by its own tag.
  const std::pair<const char*, std::string> faults[] = {{"", "thats not XML tag"},
                                                        {"\t<A_EN>\r\n\t</A_EN>\r\n", "thats not XML tag"},
                                                        {"<A_EN>\n</A_EN>", "thats not XML tag"},
                                                        {"<A_EN >\n", "wrong end of XML tag"},
                                                        {"<A_EN>\n<SKIP>\n1 \n</SKIP>\n", "thats not XML tag"},
                                                        {"<A_EN>\n<SCOR>\n1 \n</NAME>\n", NOT_CLOSED},
                                                        {"<A_EN>\n<SCOR>\n1 \n<SCOR>\n", NOT_CLOSED},
                                                        {"<A_EN>\n<SCOR>\n1 \n", NOT_CLOSED},
                                                        {"<A_EN>\n<SCOR>1", NOT_CLOSED}};
  for (const auto& [text, message] : faults) {
    Holder any;
    EXPECT_EQ(loadBytes(any, text), message) << text;
  }
}

TEST_F(Chunk, BinaryReaderSkipsWhatItDoesNotKnowAndStaysInsideItsChunks) {
  Serializable::fileType = 'c';
  Holder h;
  h.extra = true;
  // Unknown chunks are skipped; an int stored in 6 bytes is read as 4 and skipped to its end.
  EXPECT_EQ(loadBytes(h, chunk("JUNK", "xyz") + chunk("OWN_", le(9) + "..") + chunk("A_EN", chunk("SCOR", le(3)))), "");
  EXPECT_TRUE(h.own == 9 && h.entry.score == 3u);

  // An empty nested payload loads nothing instead of the rest of the file.
  Holder empty;
  empty.extra = true;
  EXPECT_EQ(loadBytes(empty, chunk("A_EN", "") + chunk("OWN_", le(77))), "");
  EXPECT_TRUE(empty.own == 77 && empty.entry.score == 0u);

  Holder bad;  // sizes past the file, past the parent, a header cut short
  EXPECT_EQ(loadBytes(bad, "A_EN" + le(100) + "short"), PAST_END);
  EXPECT_EQ(loadBytes(bad, chunk("A_EN", "SCOR" + le(4) + "12") + chunk("OWN_", le(1))), PAST_END);
  EXPECT_EQ(loadBytes(bad, chunk("OWN_", le(1)) + "OWN"), PAST_END);
}

TEST_F(Chunk, FailuresCloseTheFileAndLeaveLaterSavesIntact) {
  Proof::I();  // holds a file of its own from its first use on
  const int before = openFiles();
  Holder h;
  fillExample(h);
  EXPECT_EQ(loadBytes(h, "not a tag"), "thats not XML tag");
  writeFile("data/out.dat", "old");
  Serializable::fileType = 'q';
  EXPECT_EQ(thrownMessage([&] { h.save("data/out.dat"); }), "wrong fileType");
  EXPECT_EQ(thrownMessage([&] { h.load("data/in.dat"); }), "Serializable::load() - unknow fileType in");
  Serializable::fileType = 'x';
  HoldsFailing failing;
  EXPECT_EQ(thrownMessage([&] { failing.save("data/out.dat"); }), "boom");
  EXPECT_EQ(openFiles(), before);
  // A save that fails, before its first byte or halfway, leaves the file it
  // was to replace as it was, and no temporary beside it.
  EXPECT_EQ(readFile("data/out.dat"), "old");
  EXPECT_FALSE(std::filesystem::exists("data/out.dat.tmp"));
  // The failed nested save left the indentation as it was.
  EXPECT_EQ(saved(h), EXAMPLE_TEXT);

  for (const char* unreadable : {"data/missing.dat", "data"})
    EXPECT_EQ(thrownMessage([&] { h.load(unreadable); }), "Serializable::load - can not open file");
  EXPECT_EQ(thrownMessage([&] { h.save("nofolder/out.dat"); }), "Serializable::save - can not open file");
  EXPECT_EQ(thrownMessage([&] { h.save("/dev/full"); }), "Serializable::save - can not write file");
  EXPECT_EQ(thrownMessage([&] { h.entry.loadSave(); }), "unknow action in Serializable::chunkLoadSave");
}

TEST_F(Chunk, BinarySaveWithoutTemporaryFilesFailsWithAMessage) {
  Serializable::fileType = 'c';
  Holder h;
  FILE* out = tmpfile();
  // The same save works while files can be opened (and opens the trace file beforehand).
  ASSERT_EQ(thrownMessage([&] { h.save(out); }), "");
  rlimit old;
  getrlimit(RLIMIT_NOFILE, &old);
  const rlimit low = {64, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> spent;
  for (int fd; (fd = dup(0)) >= 0;) spent.push_back(fd);
  const std::string message = thrownMessage([&] { h.save(out); });
  for (int fd : spent) close(fd);
  setrlimit(RLIMIT_NOFILE, &old);
  fclose(out);
  EXPECT_EQ(message, "ChunkSave - can not open temporary file");
}
