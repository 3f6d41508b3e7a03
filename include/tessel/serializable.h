#pragma once
// An object that stores itself as a tree of four-character chunks.
// A class describes its fields once, in loadSave, as a fixed sequence of assign calls;
// the same sequence serves loading and saving, in the encoding fileType names.

#include <tessel/tessel.h>

#include <cstdio>

class Serializable : public Tessel {
public:
  // 'x' tag-indented text (the default), 'c' binary chunks, 't' bare values.
  static char fileType;

  // Loads and saves by name close the file on every path, thrown messages included.
  void load(const char* name);
  // sizeToLoad: the bytes of this object in the binary form, 0 for up to the
  // end of the file. The text forms ignore it.
  void load(FILE* hand, unsigned sizeToLoad);
  // Writes a temporary of its own beside the file (name + ".tmp.<process>.<n>"),
  // puts it on the disk and renames it over the file, so that a save that fails
  // or is cut short leaves the old file as it was, and two saves at once leave
  // one of the two whole. A link is followed: its target is replaced and keeps
  // its permission bits, and a target without any write bit is refused. A
  // name that is there but no regular file (a device, a pipe) is written as
  // it is. When it throws, errno holds the system's reason, or 0 when the
  // failure was the object's own.
  void save(const char* name);
  void save(FILE* hand);

protected:
  Serializable() = default;
  Serializable(const Serializable&) = default;
  Serializable& operator=(const Serializable&) = default;
  // Not virtual: no one deletes through this base.
  ~Serializable() = default;

  // Binds chunkID to one variable: fills it while the chunk read has that id,
  // writes the chunk while saving.
  void assign(unsigned chunkID, void* var, unsigned sizeOfObject);
  void assign(unsigned chunkID, Serializable* var);
  void assign(unsigned chunkID, int* var);
  // Written and read as a signed decimal in the text forms: the same 32 bits.
  void assign(unsigned chunkID, unsigned* var);
  void assign(unsigned chunkID, float* var);

  char getChunkCurrentAct() const { return act; }
  unsigned getChunkCurrentChunk() const { return chunk; }
  unsigned getChunkCurrentSize() const { return size; }
  FILE* getChunkCurrentHand() { return hand; }

  virtual void loadSave() = 0;

private:
  unsigned readXmlTag(bool* endTag);
  void parse(unsigned chunkID, void* var, int varType, unsigned varSize);
  void singleVarDataLoad(void* var, int varType, unsigned varSize);
  void singleVarDataSave(void* var, int varType, unsigned varSize);

  void saveInPlace(const char* name);
  void loadChunks(unsigned sizeToLoad);
  void loadTags();
  void saveTagged(unsigned chunkID, void* var, int varType, unsigned varSize);
  void saveChunk(unsigned chunkID, void* var, int varType, unsigned varSize);
  void closeValueTag(unsigned chunkID);

  // Meaningful only while a load or save runs. A completed load clears all
  // four, a completed save act and hand; a failed one leaves them as they were.
  char act = 0;
  unsigned chunk = 0;
  unsigned size = 0;
  FILE* hand = nullptr;

  // Nesting of the saves in progress: the indentation of the text form.
  static unsigned deapth;
};
