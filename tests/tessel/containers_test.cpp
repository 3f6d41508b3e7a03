// Tests of the containers.
#include <tessel/arrayMap.h>

#include <type_traits>

#include "support/tempdir.h"

TEST(Array, GrowsByDoublingOnWriteResizesExactlyNeverCountsAndRefusesHugeIndexes) {
  Array<int> a;
  const Array<int>& c = a;
  EXPECT_EQ(thrownMessage([&] { c[1]; }), "try to read unallocated data");
  a[5] = 5;
  EXPECT_EQ(a.size(), 8u);
  a[100] = 100;
  a.resize2(3);  // never shrinks
  EXPECT_EQ(a.size(), 128u);
  EXPECT_EQ(c[5] + c[100] + c[127], 105);  // unwritten slots read as zero
  a.num = 7;
  a.resize(6);
  a.resize(8);
  EXPECT_EQ(a.num, 7u);
  EXPECT_EQ(c[5] + c[6], 5);
  Array<char> huge;
  EXPECT_EQ(thrownMessage([&] { huge[0xFFFFFFFFu] = 1; }), "Array: index too large to grow");
  EXPECT_EQ(thrownMessage([&] { huge[0x80000000u] = 1; }), "Array: index too large to grow");
  EXPECT_EQ(thrownMessage([&] { huge.resize2(0x80000001u); }), "Array: capacity too large to grow");
  EXPECT_EQ(huge.size(), 1u);
}

TEST(Array, CopiesTakeEveryAllocatedElement) {
  Array<std::string> a;
  for (unsigned i = 0; i < 4; ++i) a[i] = std::string(1, char('a' + i));
  a.num = 3;
  Array<std::string> copy(a), assigned;
  assigned[9] = "old";
  assigned = a;
  for (Array<std::string>* x : {&copy, &assigned}) {
    EXPECT_EQ(x->num, 3u);
    EXPECT_EQ(x->size(), 4u);
    EXPECT_EQ((*x)[3], "d");
  }
  copy[0] = "changed";
  EXPECT_EQ(a[0], "a");
}

TEST(ArrayMap, LooksUpCaseSensitivelyFindsTheFirstDuplicateWalksInOrder) {
  ArrayMap<int> m;
  char name[] = "x";
  int& v = m[name];
  name[0] = 'z';  // the map keeps its own copy
  EXPECT_EQ(&m["x"], &v);
  EXPECT_FALSE(m.isKey("X"));
  m.addKey("x");
  m.val[1] = 7;
  m["x"] = 3;
  m["a"] = 1;
  int seen = 0;
  for (m.reset(); !m.currentAtEnd(); m.next()) seen = seen * 10 + m.current();
  EXPECT_EQ(seen, 371);
  m.clear();
  EXPECT_EQ(m["y"], 0);  // not the value the slot held before
  static_assert(!std::is_copy_constructible<ArrayMap<int>>::value, "keys would be freed twice");
}
