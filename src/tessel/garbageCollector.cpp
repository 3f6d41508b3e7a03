// Objects owned by the object-use registry.
#include <tessel/garbageCollector.h>

#include <tessel/garbageCollectorSuper.h>

#include <cassert>
#include <ctime>

GarbageCollector::GarbageCollector() : usersCount(0), usedAtAll(false), createdTime(unsigned(time(nullptr))) {
  GarbageCollectorSuper::I()->add(this);
}

GarbageCollector::~GarbageCollector() noexcept(false) {
  // First: the memory goes even when the check below throws.
  GarbageCollectorSuper::I()->remove(this);
  if (usersCount != 0) throw "deleting GarbageCollector used by somebody";
}

void GarbageCollector::startUsingOb() {
  ++usersCount;
  usedAtAll = true;
}

void GarbageCollector::endUsingOb() {
  assert(usersCount != 0);
  // Wrapping to 4 billion users would keep the object for good.
  if (usersCount != 0) --usersCount;
}
