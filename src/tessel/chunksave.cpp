// The buffered payload of a binary chunk being written.
#include <tessel/chunksave.h>

namespace {

void putLittleEndian(unsigned value, FILE* out) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  fwrite(bytes, 1, sizeof bytes, out);
}

}  // namespace

ChunkSave::ChunkSave(unsigned chunk) : chunk(chunk), hand(tmpfile()) {
  if (!hand) throw "ChunkSave - can not open temporary file";
}

void ChunkSave::save(FILE* handOut) {
  unsigned long payload = fileSize(hand.get());
  // The size field has 32 bits; a larger payload would be cut silently.
  if (payload > 0xFFFFFFFFul) throw "ChunkSave - chunk too large";
  putLittleEndian(chunk, handOut);
  putLittleEndian(static_cast<unsigned>(payload), handOut);
  file2file(hand.get(), handOut);
  // A payload that did not reach the temporary file, or not back, would
  // leave a chunk shorter than its header says.
  if (ferror(hand.get())) throw "ChunkSave - can not write temporary file";
}
