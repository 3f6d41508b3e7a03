// Tests of arrays in the chunk format.
#include <tessel/arraySerializable.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string le(unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string chunk(const char* name, const std::string& payload) {
  return name + le(unsigned(payload.size())) + payload;
}
std::string tag(const char* name, const std::string& value) {
  return "\t<" + std::string(name) + ">\n\t\t" + value + "\n\t</" + name + ">\n";
}

using Ids = ArraySerializableType<int>;
const std::string TOO_MANY = "ArraySerializable - more than 65536 elements";

class ArrayChunks : public TempDirTest {
protected:
  void TearDown() override {
    Serializable::fileType = 'x';
    TempDirTest::TearDown();
  }
  template <typename T> std::string saved(ArraySerializable<T>& a) {
    a.save("data/a.dat");
    return readFile("data/a.dat");
  }
  template <typename T> std::string loadBytes(ArraySerializable<T>& a, const std::string& bytes) {
    writeFile("data/a.dat", bytes);
    return thrownMessage([&] { a.load("data/a.dat"); });
  }
};

}  // namespace

// Ids are the index in hexadecimal, four characters kept: above FFFF they repeat.
TEST(ArrayChunkIds, AreWhatTheFormatPrintsAndReadBack) {
  const std::pair<unsigned, const char*> ids[] = {{0, "0000"},          {26, "001A"},    {0xBCDE, "BCDE"},
                                                  {0xFFFF, "FFFF"},     {65536, "1000"}, {0x56789, "5678"},
                                                  {0xFFFFFFFFu, "FFFF"}};
  for (const auto& [index, text] : ids) EXPECT_EQ(le(Ids::elementId(index)), text) << index;
  for (unsigned i = 0; i < 65536; ++i) {
    unsigned back = ~0u;
    ASSERT_TRUE(Ids::elementIndex(Ids::elementId(i), &back) && back == i) << i;
  }
  unsigned ignored;
  for (const char* other : {"001a", ".num", "00G0", " 001"})
    EXPECT_FALSE(Ids::elementIndex(Tessel::chunk2unsigned(other), &ignored)) << other;
}

TEST_F(ArrayChunks, CountComesFirstThenEachElementInItsForm) {
  ArraySerializable<int> empty;
  EXPECT_EQ(saved(empty), tag(".num", "0 "));
  ArraySerializable<char> chars;
  chars[0] = 'A';
  chars[1] = '\n';
  chars.num = 2;
  EXPECT_EQ(saved(chars), tag(".num", "2 ") + tag("0000", "41 ") + tag("0001", " A "));
  Serializable::fileType = 't';
  ArraySerializable<int> ints;
  for (int v : {10, -20, 30}) ints[ints.num++] = v;
  EXPECT_EQ(saved(ints), "3 10 -20 30 ");
  // The bare form has no ids: loading reads the count first, as saving wrote it.
  ArraySerializable<int> four;
  four.num = 4;
  EXPECT_EQ(loadBytes(four, "3 10 -20 30 "), "");
  EXPECT_TRUE(four.num == 3 && four[0] == 10 && four[1] == -20 && four[2] == 30);
}

TEST_F(ArrayChunks, RoundTripInEachForm) {
  for (char form : {'x', 'c', 't'}) {
    Serializable::fileType = form;
    ArraySerializable<int> ints, ints2;
    ArraySerializable<float> floats, floats2;
    ArraySerializable<unsigned char> bytes, bytes2;
    for (unsigned i = 0; i < 300; ++i) {
      ints[i] = int(i * 7919) - 1000000;
      floats[i] = 1.0f / float(i + 3);
      bytes[i] = static_cast<unsigned char>(i);
    }
    ints.num = floats.num = bytes.num = 300;
    ASSERT_EQ(loadBytes(ints2, saved(ints)) + loadBytes(floats2, saved(floats)) + loadBytes(bytes2, saved(bytes)), "");
    ASSERT_EQ(ints2.num, 300u);
    EXPECT_EQ(ints2.size(), 512u);
    for (unsigned i = 0; i < 300; ++i) {
      ASSERT_TRUE(ints2[i] == ints[i] && bytes2[i] == bytes[i]) << form << i;
      ASSERT_NEAR(floats2[i], floats[i], form == 'c' ? 0 : 1e-6) << form << i;
    }
  }
}

TEST_F(ArrayChunks, OnlyElementsBelowTheCountReadSoFarAreFilled) {
  ArraySerializable<int> a;
  EXPECT_EQ(loadBytes(a, tag(".num", "3 ") + tag("0000", "5 ") + tag("0001", "6 ") + tag("0002", "7 ")), "");
  EXPECT_TRUE(a.num == 3 && a.size() == 4 && a[2] == 7);
  // In the tagged form a chunk nobody binds cannot be skipped.
  ArraySerializable<int> early;
  EXPECT_EQ(loadBytes(early, tag("0000", "5 ") + tag(".num", "1 ")), "thats not XML tag");

  Serializable::fileType = 'c';
  ArraySerializable<int> b;
  EXPECT_EQ(loadBytes(b, chunk("0000", le(5)) + chunk(".num", le(2)) + chunk("0001", le(6)) + chunk("0002", le(7)) +
                             chunk("001a", le(8)) + chunk("0000", le(9))),
            "");
  EXPECT_TRUE(b.num == 2 && b[0] == 9 && b[1] == 6 && b[2] == 0);
}

TEST_F(ArrayChunks, CountsAboveTheIdRangeAreRefusedBeforeAnyAllocation) {
  for (char form : {'x', 'c'}) {
    Serializable::fileType = form;
    auto value = [form](const char* id, unsigned v) {
      return form == 'x' ? tag(id, std::to_string(int(v)) + " ") : chunk(id, le(v));
    };
    ArraySerializable<int> a;
    a[0] = 1;
    a.num = 1;
    EXPECT_EQ(loadBytes(a, value(".num", 0xFFFFFFFFu)), TOO_MANY) << form;
    EXPECT_EQ(loadBytes(a, value(".num", 65537)), TOO_MANY) << form;
    EXPECT_TRUE(a.num == 1 && a.size() == 1) << form;
    // The largest count still works, up to the element FFFF.
    EXPECT_EQ(loadBytes(a, value(".num", 65536) + value("FFFF", 8)), "") << form;
    EXPECT_TRUE(a.num == 65536 && a[65535] == 8) << form;

    // A refused save keeps the file it would have replaced.
    writeFile("data/out.dat", "old");
    a.num = 65537;
    EXPECT_EQ(thrownMessage([&] { a.save("data/out.dat"); }), TOO_MANY);
    EXPECT_EQ(readFile("data/out.dat"), "old");
  }
}
