// Tests of the chunk format in its three forms: 'x' tagged text, 'c' binary chunks, 't' bare text.
#include <tessel/arrayMap.h>
#include <tessel/arraySerializable.h>
#include <tessel/proof.h>
#include <tessel/serializable.h>
#include <tessel/tessel.h>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "support/tempdir.h"

namespace {

unsigned id(const char* text) { return Tessel::chunk2unsigned(text); }
std::string le(unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string chunk(const char* name, const std::string& payload) {
  return name + le(unsigned(payload.size())) + payload;
}
std::string tag(const char* name, const std::string& value) {
  return "\t<" + std::string(name) + ">\n\t\t" + value + "\n\t</" + name + ">\n";
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

struct HoldsFailing : Serializable {  // fails halfway through a nested save
  struct Failing : Serializable {
    void loadSave() override { throw "boom"; }
  } child;
  void loadSave() override { assign(id("FAIL"), &child); }
};

struct Chain final : Serializable {  // nested objects, a value at the bottom
  std::unique_ptr<Chain> next;
  int value = 5;
  void loadSave() override { next ? assign(id("DEEP"), next.get()) : assign(id("VALU"), &value); }
};

const std::string EXAMPLE_TEXT =
    "\t<A_EN>\n\t\t<NAME>\n\t\t\t41 42  A  0 \n\t\t</NAME>\n"
    "\t\t<SCOR>\n\t\t\t1234 \n\t\t</SCOR>\n\t</A_EN>\n";
const std::string NOT_CLOSED = "value not followed by its closing XML tag";
const std::string TOO_MANY = "ArraySerializable - more than 65536 elements";

class Chunk : public TempDirTest {
protected:
  void TearDown() override {
    Serializable::fileType = 'x';
    TempDirTest::TearDown();
  }
  static std::string loadBytes(Serializable& into, const std::string& bytes) {  // the message thrown, "" on success
    writeFile("data/in.dat", bytes);
    return thrownMessage([&] { into.load("data/in.dat"); });
  }
  static std::string saved(Serializable& s) {
    s.save("data/out.dat");
    return readFile("data/out.dat");
  }
};

}  // namespace

TEST_F(Chunk, EachFormHasItsBytesAndRoundTrips) {
  const std::pair<char, std::string> forms[] = {{'x', EXAMPLE_TEXT},
                                                {'c', chunk("A_EN", chunk("NAME", std::string("AB\n\0", 4)) +
                                                                        chunk("SCOR", le(1234)))},
                                                {'t', "41 42  A  0 1234 "}};
  for (const auto& [form, bytes] : forms) {
    Serializable::fileType = form;
    Holder h, back, all, allBack;
    memcpy(h.entry.name, "AB\n\0", 4);
    h.entry.score = 1234;
    EXPECT_EQ(saved(h) + saved(h), bytes + bytes) << form << ": a second save differs";
    EXPECT_EQ(loadBytes(back, bytes), "") << form;
    EXPECT_TRUE(memcmp(back.entry.name, "AB\n", 4) == 0 && back.entry.score == 1234u) << form;

    all.extra = allBack.extra = true;
    memcpy(all.entry.name, "\xFF\0\nz", 4);
    all.entry.score = 0xFFFFFFF0u;
    all.own = -7;
    all.f = 1.0f / 3;
    EXPECT_EQ(loadBytes(allBack, saved(all)), "") << form;
    EXPECT_EQ(memcmp(allBack.entry.name, "\xFF\0\nz", 4), 0) << form;
    EXPECT_TRUE(allBack.entry.score == 0xFFFFFFF0u && allBack.own == -7) << form;
    EXPECT_EQ(allBack.f, form == 'c' ? 1.0f / 3 : 0.333333f) << form;
  }
  // Deep enough that a line of tabs outgrows the writer's buffer.
  Serializable::fileType = 'x';
  Chain top, *at = &top;
  for (int i = 0; i < 40; ++i) at = (at->next = std::make_unique<Chain>()).get();
  EXPECT_NE(saved(top).find("\n" + std::string(42, '\t') + "5 \n" + std::string(41, '\t') + "</VALU>"),
            std::string::npos);
}

// Unknown tags are faults, unknown chunks and the surplus of a long one are skipped.
TEST_F(Chunk, ReadersAcceptWhatTheFormatAllowsAndNameTheFault) {
  Holder h, cut, skips, empty;
  EXPECT_EQ(loadBytes(h, "< A_EN>\n<\n NAME>41 42 43 44</NAME>< \t/A_EN>\n"), "");
  EXPECT_EQ(loadBytes(cut, "<A_EN>\n<SCOR>\n5 </SCOR>\n"), "");
  Serializable::fileType = 'c';
  skips.extra = empty.extra = true;
  EXPECT_EQ(loadBytes(skips, chunk("JUNK", "xyz") + chunk("OWN_", le(9) + "..") + chunk("A_EN", chunk("SCOR", le(3)))),
            "");
  EXPECT_EQ(loadBytes(empty, chunk("A_EN", "") + chunk("OWN_", le(77))), "");
  EXPECT_TRUE(std::string(h.entry.name, 4) == "ABCD" && cut.entry.score == 5u && skips.own == 9 &&
              skips.entry.score == 3u && empty.own == 77 && empty.entry.score == 0u);
  const std::string pastEnd = "Serializable::load - chunk past the end of the file or of its parent chunk";
  const std::tuple<char, std::string, std::string> faults[] = {
      {'x', "", "thats not XML tag"},
      {'x', "\t<A_EN>\r\n\t</A_EN>\r\n", "thats not XML tag"},
      {'x', "<A_EN>\n</A_EN>", "thats not XML tag"},
      {'x', "<A_EN >\n", "wrong end of XML tag"},
      {'x', "<A_EN>\n<SKIP>\n1 \n</SKIP>\n", "thats not XML tag"},
      {'x', "<A_EN>\n<SCOR>\n1 \n</NAME>\n", NOT_CLOSED},
      {'x', "<A_EN>\n<SCOR>\n1 \n<SCOR>\n", NOT_CLOSED},
      {'x', "<A_EN>\n<SCOR>\n1 \n", NOT_CLOSED},
      {'x', "<A_EN>\n<SCOR>1", NOT_CLOSED},
      // Sizes past the file, past the parent, a header cut short.
      {'c', "A_EN" + le(100) + "short", pastEnd},
      {'c', chunk("A_EN", "SCOR" + le(4) + "12") + chunk("OWN_", le(1)), pastEnd},
      {'c', chunk("OWN_", le(1)) + "OWN", pastEnd}};
  for (const auto& [form, bytes, message] : faults) {
    Serializable::fileType = form;
    Holder any;
    any.extra = true;
    EXPECT_EQ(loadBytes(any, bytes), message) << bytes;
  }
}

// A failed save leaves the old file, no temporary, the indentation as it was, no file open.
TEST_F(Chunk, FailuresCloseTheFileAndLeaveLaterSavesIntact) {
  Proof::I();  // holds a file of its own from its first use on
  const long before = openFds();
  Holder h;
  memcpy(h.entry.name, "AB\n\0", 4);
  h.entry.score = 1234;
  EXPECT_EQ(loadBytes(h, "not a tag"), "thats not XML tag");
  writeFile("data/out.dat", "old");
  Serializable::fileType = 'q';
  EXPECT_EQ(thrownMessage([&] { h.save("data/out.dat"); }), "wrong fileType");
  EXPECT_EQ(thrownMessage([&] { h.load("data/in.dat"); }), "Serializable::load() - unknow fileType in");
  Serializable::fileType = 'x';
  HoldsFailing failing;
  EXPECT_EQ(thrownMessage([&] { failing.save("data/out.dat"); }), "boom");
  EXPECT_EQ(readFile("data/out.dat"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("data"), {}), 2) << "beside in.dat and out.dat";
  EXPECT_EQ(saved(h), EXAMPLE_TEXT);
  EXPECT_EQ(openFds(), before);

  for (const char* unreadable : {"data/missing.dat", "data"})
    EXPECT_EQ(thrownMessage([&] { h.load(unreadable); }), "Serializable::load - can not open file");
  EXPECT_EQ(thrownMessage([&] { h.save("nofolder/out.dat"); }), "Serializable::save - can not open file");
#ifndef _WIN32  // Windows has no full device
  EXPECT_EQ(thrownMessage([&] { h.save("/dev/full"); }), "Serializable::save - can not write file");
#endif
  EXPECT_EQ(thrownMessage([&] { h.entry.loadSave(); }), "unknow action in Serializable::chunkLoadSave");

  // A binary save needs temporary files: without any left it fails with a message.
  Serializable::fileType = 'c';
  FILE* out = tmpfile();
  ASSERT_EQ(thrownMessage([&] { h.save(out); }), "");  // opens the trace file beforehand
#ifndef _WIN32                                         // the C runtime of Windows has a low limit of its own
  rlimit old;
  getrlimit(RLIMIT_NOFILE, &old);
  const rlimit low = {64, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
#endif
  std::vector<int> spent;
  for (int fd; (fd = dup(0)) >= 0;) spent.push_back(fd);
  const std::string message = thrownMessage([&] { h.save(out); });
  for (int fd : spent) close(fd);
#ifndef _WIN32
  setrlimit(RLIMIT_NOFILE, &old);
#endif
  fclose(out);
  EXPECT_EQ(message, "ChunkSave - can not open temporary file");
}

// The count first, then elements under hexadecimal ids, filled only below the count read so far.
// Counts above the id range are refused before any allocation, and a refused save keeps the file.
TEST_F(Chunk, ArraysCountFirstAndRefuseCountsAboveTheIdRange) {
  ArraySerializable<int> empty, ints, four, early, b;
  ArraySerializable<char> chars;
  chars[0] = 'A';
  chars[1] = '\n';
  chars.num = 2;
  EXPECT_EQ(saved(empty), tag(".num", "0 "));
  EXPECT_EQ(saved(chars), tag(".num", "2 ") + tag("0000", "41 ") + tag("0001", " A "));
  EXPECT_EQ(loadBytes(early, tag("0000", "5 ") + tag(".num", "1 ")), "thats not XML tag");
  Serializable::fileType = 't';
  for (int v : {10, -20, 30}) ints[ints.num++] = v;
  EXPECT_EQ(saved(ints), "3 10 -20 30 ");
  four.num = 4;
  EXPECT_EQ(loadBytes(four, "3 10 -20 30 "), "");
  EXPECT_TRUE(four.size() == 4 && four.num == 3 && four[0] == 10 && four[1] == -20 && four[2] == 30);
  Serializable::fileType = 'c';
  EXPECT_EQ(loadBytes(b, chunk("0000", le(5)) + chunk(".num", le(2)) + chunk("0001", le(6)) + chunk("0002", le(7)) +
                             chunk("001a", le(8)) + chunk("0000", le(9))),
            "");
  EXPECT_TRUE(b.size() == 4 && b.num == 2 && b[0] == 9 && b[1] == 6 && b[2] == 0);  // storage for the count + 1
  // An element's id: the first four characters that "%4.X" prints, spaces made '0'; read back in the range.
  for (unsigned i : {0u, 26u, 4095u, 65535u, 65536u, 0x12345u, 0xFFFFFFFFu}) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.X", i);
    std::replace(text, text + 4, ' ', '0');
    unsigned back = ~0u;
    EXPECT_EQ(ArraySerializableType<int>::elementId(i), Tessel::chunk2unsigned(text[0], text[1], text[2], text[3]))
        << i;
    EXPECT_EQ(ArraySerializableType<int>::elementIndex(ArraySerializableType<int>::elementId(i), &back) && back == i,
              i < 65536)
        << i;
  }
  for (char form : {'x', 'c'}) {
    Serializable::fileType = form;
    auto value = [form](const char* id, unsigned v) {
      return form == 'x' ? tag(id, std::to_string(int(v)) + " ") : chunk(id, le(v));
    };
    ArraySerializable<int> a;
    a[0] = 1;
    a.num = 1;
    EXPECT_EQ(loadBytes(a, value(".num", 0xFFFFFFFFu)) + loadBytes(a, value(".num", 65537)), TOO_MANY + TOO_MANY);
    EXPECT_TRUE(a.num == 1 && a.size() == 1) << form;
    EXPECT_EQ(loadBytes(a, value(".num", 65536) + value("FFFF", 8)), "") << form;
    EXPECT_TRUE(a.num == 65536 && a[65535] == 8) << form;
    writeFile("data/out.dat", "old");
    a.num = 65537;  // refused by a save; a load replaces it
    EXPECT_EQ(thrownMessage([&] { a.save("data/out.dat"); }), TOO_MANY);
    EXPECT_EQ(readFile("data/out.dat"), "old");
    EXPECT_TRUE(loadBytes(a, value(".num", 2)).empty() && a.num == 2) << form;
  }
  Array<char> huge;
  EXPECT_EQ(thrownMessage([&] { huge[0x80000000u] = 1; }) + thrownMessage([&] { huge.resize2(0x80000001u); }),
            "Array: index too large to growArray: capacity too large to grow");
  Array<std::string> strings, assigned;  // copies take the count and every element; resize keeps what fits
  for (const char* text : {"a", "b", "c", "d"}) strings[strings.num++] = text;
  strings.num = 3, assigned[9] = "old", assigned = strings, strings.resize(2), strings.resize(4);
  const Array<std::string> copy(assigned);
  EXPECT_TRUE(copy.num == 3 && copy.size() == 4 && copy[3] == "d" && strings.num == 3 &&
              strings[1] + strings[2] == "b");
  EXPECT_EQ(thrownMessage([&] { copy[4]; }), "try to read unallocated data");
  ArrayMap<int> map;  // walked in insertion order, the first of two alike keys found, fresh values after clear
  map.addKey("x"), map.addKey("x"), map["a"] = 1, map["x"] = 3, map.val[1] = 7;
  int walked = 0;
  for (map.reset(); !map.currentAtEnd(); map.next()) walked = walked * 10 + map.current();
  EXPECT_EQ((map.clear(), walked * 10 + map["y"]), 3710);
}
