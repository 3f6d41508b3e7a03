#pragma once
// Process-wide registry of GarbageCollector objects; it owns them and deletes the unused ones on update.
// Order in the list carries no meaning.

#include <tessel/array.h>

class GarbageCollector;

class GarbageCollectorSuper {
public:
  static GarbageCollectorSuper* I();

  void add(GarbageCollector* ob);
  // Takes a deleted object out of the list; nothing when it is not there.
  void remove(GarbageCollector* ob);
  // An entry moved into a freed slot waits for the next update.
  void update();
  unsigned getNum() const;

  GarbageCollectorSuper(const GarbageCollectorSuper&) = delete;
  GarbageCollectorSuper& operator=(const GarbageCollectorSuper&) = delete;

private:
  GarbageCollectorSuper() = default;
  ~GarbageCollectorSuper() = default;  // frees the list, never the objects

  // Fills slot i with the last entry.
  void removeAt(unsigned i);

  Array<GarbageCollector*> list;
  // The object update is deleting, already out of the list: its destructor's
  // remove need not search for it.
  GarbageCollector* collecting = nullptr;
};
