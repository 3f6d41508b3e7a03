#pragma once
// The buffered payload of a binary chunk being written.
//
// The payload buffer of one chunk being written in the binary form: the
// payload's size is known only once it is written, so it goes to an anonymous
// temporary file first, and save puts the header and then the payload out.

#include <tessel/tessel.h>

#include <cstdio>

// Seals ChunkSave: a class deriving from it would have to construct this
// virtual base itself, and only ChunkSave may.
class ChunkSave_lock {
  friend class ChunkSave;
  ChunkSave_lock() = default;
  ChunkSave_lock(const ChunkSave_lock&) = default;
};

class ChunkSave : public Tessel, virtual public ChunkSave_lock {
public:
  // Throws when no temporary file can be made.
  explicit ChunkSave(unsigned chunk);

  // The id, the payload size (4 bytes each, little-endian), then the payload.
  void save(FILE* handOut);

  // Where the payload is written.
  FILE* getHand() const { return hand.get(); }

private:
  unsigned chunk;
  File hand;
};
