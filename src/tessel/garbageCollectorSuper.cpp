// The object-use registry.
#include <tessel/garbageCollectorSuper.h>

#include <tessel/garbageCollector.h>

GarbageCollectorSuper* GarbageCollectorSuper::I() {
  static GarbageCollectorSuper* instance = new GarbageCollectorSuper;
  return instance;
}

void GarbageCollectorSuper::add(GarbageCollector* ob) {
  list[list.num] = ob;
  ++list.num;
}

void GarbageCollectorSuper::remove(GarbageCollector* ob) {
  if (ob == collecting) return;
  for (unsigned i = list.num; i-- > 0;)
    if (list[i] == ob) {
      removeAt(i);
      return;
    }
}

void GarbageCollectorSuper::removeAt(unsigned i) {
  list[i] = list[list.num - 1];
  --list.num;
}

void GarbageCollectorSuper::update() {
  for (unsigned i = 0; i < list.num; ++i) {
    GarbageCollector* ob = list[i];
    if (ob->getUsersCount() != 0) continue;
    // Out of the list before the delete, so that nothing the destructor does
    // (it may make or register objects) sees a dangling entry.
    removeAt(i);
    collecting = ob;
    delete ob;
    collecting = nullptr;
  }
}

unsigned GarbageCollectorSuper::getNum() const { return list.num; }
