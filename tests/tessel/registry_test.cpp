// Tests of the object-use registry.
#include <tessel/garbageCollector.h>
#include <tessel/garbageCollectorSuper.h>

#include "support/tempdir.h"

std::string deleted;  // names of deleted objects, in order

struct Named : GarbageCollector {
  explicit Named(char name) : name(name) {}
  ~Named() override { deleted += name; }
  char name;
};

GarbageCollectorSuper* registry() { return GarbageCollectorSuper::I(); }

// The registry is process-wide: every case starts and ends with it empty.
class Registry : public ::testing::Test {
protected:
  void SetUp() override { deleted.clear(); }
  void TearDown() override { EXPECT_EQ(registry()->getNum(), 0u); }
};

TEST_F(Registry, UpdateLeavesTheEntryMovedIntoAFreedSlotForTheNextPass) {
  for (char name : {'X', 'Y', 'Z'}) new Named(name);
  registry()->update();
  EXPECT_EQ(deleted + std::to_string(registry()->getNum()), "XY1");
  registry()->update();
  EXPECT_EQ(deleted, "XYZ");
}

// Users never wrap below zero; a deleted object leaves the list, also when the delete throws.
TEST_F(Registry, ObjectsLiveWhileTheyHaveUsersOrUntilDeletedDirectly) {
  Named *a = new Named('a'), *used = new Named('u'), *direct = new Named('d');
  new Named('b');
  a->startUsingOb();
  a->startUsingOb();
  a->endUsingOb();
  delete direct;
  used->startUsingOb();
  EXPECT_EQ(thrownMessage([&] { delete used; }), "deleting GarbageCollector used by somebody");
  registry()->update();
  EXPECT_EQ(deleted, "dub");
  a->endUsingOb();
#ifdef NDEBUG
  a->endUsingOb();
#else
  EXPECT_DEATH(a->endUsingOb(), "usersCount != 0");
#endif
  EXPECT_EQ(a->getUsersCount(), 0u);
  registry()->update();
  EXPECT_EQ(deleted, "duba");
}
