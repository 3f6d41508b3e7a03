#pragma once
// Base of heap objects owned by the registry (GarbageCollectorSuper) from construction on.
// Users announce the start and end of their use; the registry's update deletes whatever
// nobody uses.

class GarbageCollector {
public:
  GarbageCollector();
  // Leaves the registry, so that an object its owner deletes is not deleted
  // again by the next update. Throws when the object still has users: deleting
  // it pulls it from under them.
  virtual ~GarbageCollector() noexcept(false);
  GarbageCollector(const GarbageCollector&) = delete;
  GarbageCollector& operator=(const GarbageCollector&) = delete;

  void startUsingOb();
  // Requires a user; at 0 it asserts, or does nothing when asserts are off.
  void endUsingOb();

  unsigned getUsersCount() const { return usersCount; }

private:
  unsigned usersCount;
  bool usedAtAll;
  unsigned createdTime;  // seconds, as time() gives them
};
