// The chunk format: loading and saving objects in its three forms.
#include <tessel/serializable.h>

#include <tessel/chunksave.h>
#include <tessel/proof.h>
#include <tessel/scopedValue.h>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <platform/files.h>
#endif

// Binary values are read and written in memory order, which must be the
// file's little-endian order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian only");

// ---- Types and constants ------------------------------------------------------------------------

namespace {

enum VarType { RAW = 0, NESTED = 1, INTEGER = 2, FLOAT = 3 };

const char* const PAST_END = "Serializable::load - chunk past the end of the file or of its parent chunk";
const char* const VALUE_NOT_CLOSED = "value not followed by its closing XML tag";
const char* const CANNOT_OPEN = "Serializable::save - can not open file";
const char* const CANNOT_WRITE = "Serializable::save - can not write file";
const char* const CANNOT_REPLACE = "Serializable::save - can not replace file";

using File = Tessel::File;

// Text of the tag form gathered and written at once: per chunk of a text save
// one write before the value and one after, rather than one per piece.
class Line {
public:
  explicit Line(FILE* out) : out(out) {}
  Line& put(char c) {
    if (n == sizeof text) write();
    text[n++] = c;
    return *this;
  }
  Line& tabs(unsigned count) {
    while (count--) put('\t');
    return *this;
  }
  Line& tag(const char* opening, unsigned id) {
    while (*opening) put(*opening++);
    for (int k = 0; k < 4; ++k) put(char(id >> (8 * k)));  // reading order
    return put('>').put('\n');
  }
  void write() {
    fwrite(text, 1, n, out);
    n = 0;
  }

private:
  FILE* out;
  char text[64];
  size_t n = 0;
};

void flushOut(FILE* file, bool durable);

// ---- The system's part of a replacement ---------------------------------------------------------

#ifdef _WIN32
int openNew(const std::string& name) { return open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666); }
// A file that may be written makes a new one that may be; owners are the folder's business.
void carryOver(int, const struct stat&) {}
bool readLink(const std::string&, std::string&) { return false; }
bool syncData(FILE* file) { return _commit(fileno(file)) == 0; }
bool replaceWith(const std::string& from, const std::string& to) { return platform::replaceFile(from, to); }
// The replacement is written through, its folder entry included.
void syncFolderOf(const std::string&) {}
#else
int openNew(const std::string& name) {
  return open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}
void carryOver(int handle, const struct stat& info) {
  fchmod(handle, mode_t(info.st_mode & 07777));
  if (fchown(handle, info.st_uid, info.st_gid) != 0) errno = 0;  // only root may give a file away
}
bool readLink(const std::string& path, std::string& to) {
  char text[4096];
  const ssize_t got = readlink(path.c_str(), text, sizeof text);
  if (got < 0) return false;
  to.assign(text, size_t(got));
  return true;
}
bool syncData(FILE* file) { return fsync(fileno(file)) == 0; }
bool replaceWith(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }
void syncFolderOf(const std::string& name);
#endif

// The new content of a file, written beside it and put in its place only once
// it is complete and on the disk: until then the old file stays byte for byte.
// A link is followed to the file it names, which is replaced; the link stays.
// The temporary is this save's alone, made where nothing stood, so two saves
// at once each put a whole file in place. One that does not commit removes it.
class Replacement {
public:
  explicit Replacement(const char* name) : target(finalTarget(name)) {
    const Kept kept = keptFrom(target);
    for (unsigned attempt = 0; !file && attempt < 100; ++attempt) {
      temporary = target + ".tmp." + std::to_string(getpid()) + "." + std::to_string(made++);
      const int handle = openNew(temporary);
      if (handle < 0 && errno == EEXIST) continue;
      if (handle < 0) throw CANNOT_OPEN;
      if (kept.there) carryOver(handle, kept.info);
      file.reset(fdopen(handle, "wb"));
      if (!file) {
        close(handle);
        discard();
        throw CANNOT_OPEN;
      }
    }
    if (!file) throw CANNOT_OPEN;
  }
  ~Replacement() {
    if (!pending) return;
    const int cause = errno;  // the caller reports the failure that led here
    file.reset();
    discard();
    errno = cause;
  }
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  FILE* hand() const { return file.get(); }

  void commit() {
    flushOut(file.get(), true);
    if (fclose(file.release()) != 0) throw CANNOT_WRITE;
    if (!replaceWith(temporary, target)) throw CANNOT_REPLACE;
    pending = false;
    syncFolderOf(target);
  }

private:
  // What the new file keeps of the old one.
  struct Kept {
    bool there = false;
    struct stat info = {};
  };

  // A file made read-only is refused, as opening it for writing would have
  // been; root, whom no permission stops, is held back by the bits alone.
  static Kept keptFrom(const std::string& target) {
    Kept kept;
    struct stat info;
    if (stat(target.c_str(), &info) != 0) return kept;
    if ((info.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) {
      errno = EACCES;
      throw CANNOT_OPEN;
    }
    kept = {true, info};
    return kept;
  }

  // The file a chain of links ends at; name itself when it is no link.
  static std::string finalTarget(const char* name) {
    std::string path = name;
    for (int hops = 0; hops < 40; ++hops) {
      std::string next;
      if (!readLink(path, next)) return path;
      if (next.size() == 4096) break;
      const size_t slash = path.rfind('/');
      path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
    }
    errno = ELOOP;
    throw CANNOT_OPEN;
  }

  void discard() { remove(temporary.c_str()); }

  static unsigned made;
  std::string target;
  std::string temporary;
  File file;
  bool pending = true;
};

unsigned Replacement::made = 0;

}  // namespace

// ---- State --------------------------------------------------------------------------------------

char Serializable::fileType = 'x';
unsigned Serializable::deapth = 0;

// ---- Internal functions -------------------------------------------------------------------------

namespace {

// A full disk shows only when the buffer goes out; it must not pass for success.
void flushOut(FILE* file, bool durable) {
  if (fflush(file) != 0 || ferror(file)) throw CANNOT_WRITE;
  if (durable && !syncData(file)) throw CANNOT_WRITE;
}

#ifndef _WIN32
// Makes a rename durable: the folder's entry is on disk when this returns.
// A folder that cannot be synced leaves the rename done, only less certain.
void syncFolderOf(const std::string& name) {
  const size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  const int handle = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (handle < 0) return;
  fsync(handle);
  close(handle);
}
#endif

// Runs a save into an open file: what it throws is the object's own failure,
// and errno must not offer a stale reason for it.
template <typename Save> void ownFailures(Save save) {
  try {
    save();
  } catch (...) {
    errno = 0;
    throw;
  }
}

// Only a regular file can be swapped for a new one; a device, a pipe or a
// folder is opened as it is, and refuses or takes the bytes as it always did.
bool replaceable(const char* name) {
  struct stat info;
  return stat(name, &info) != 0 || S_ISREG(info.st_mode);
}

unsigned fromLittleEndian(const unsigned char* b) { return Tessel::chunk2unsigned(b[0], b[1], b[2], b[3]); }

bool isKnownKind(int varType) { return varType >= RAW && varType <= FLOAT; }

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

void Serializable::load(const char* name) {
  File file(openFile(name, "rb"));
  if (!file) throw "Serializable::load - can not open file";
  load(file.get(), 0);
}

void Serializable::load(FILE* hand, unsigned sizeToLoad) {
  ProofOb proof("Serializable::load(FILE*,unsigned)");
  if (fileType != 'c' && fileType != 't' && fileType != 'x') throw "Serializable::load() - unknow fileType in";
  act = 'L';
  this->hand = hand;
  if (fileType == 'c') {
    loadChunks(sizeToLoad);
  } else if (fileType == 'x') {
    loadTags();
  } else {
    loadSave();  // bare values: each assign takes the next one, whatever its id
  }
  act = 0;
  chunk = 0;
  size = 0;
  this->hand = nullptr;
}

void Serializable::save(const char* name) {
  if (!replaceable(name)) {
    saveInPlace(name);
    return;
  }
  Replacement next(name);
  ownFailures([&] { save(next.hand()); });
  next.commit();
}

void Serializable::saveInPlace(const char* name) {
  File file(fopen(name, "wb"));
  if (!file) throw CANNOT_OPEN;
  ownFailures([&] { save(file.get()); });
  flushOut(file.get(), false);
  if (fclose(file.release()) != 0) throw CANNOT_WRITE;
}

void Serializable::save(FILE* hand) {
  ProofOb proof("Serializable::save(File*)");
  act = 'S';
  this->hand = hand;
  {
    // A save that throws must not leave every later text file indented deeper.
    ScopedValue<unsigned> nested(deapth, deapth + 1);
    loadSave();
  }
  act = 0;
  this->hand = nullptr;
}

// Chunk after chunk up to the end of this object's bytes. Sizes are checked
// against that end, so that a damaged size neither reads past the file nor
// lets a nested object read its parent's bytes.
void Serializable::loadChunks(unsigned sizeToLoad) {
  const long start = ftell(hand);
  const long fileEnd = static_cast<long>(fileSize(hand));
  const long end = sizeToLoad ? start + static_cast<long>(sizeToLoad) : fileEnd;
  if (end > fileEnd) throw PAST_END;
  for (long at = start; at < end;) {
    unsigned char header[8];
    if (end - at < long(sizeof header) || fread(header, 1, sizeof header, hand) != sizeof header) throw PAST_END;
    chunk = fromLittleEndian(header);
    size = fromLittleEndian(header + 4);
    const long next = at + long(sizeof header) + long(size);
    if (next > end) throw PAST_END;
    loadSave();
    // Skips unknown chunks, and what a known one holds beyond its value.
    fseek(hand, next, SEEK_SET);
    at = next;
  }
}

void Serializable::loadTags() {
  bool endTag = false;
  while (!feof_unlocked(hand) && !endTag) {
    unsigned id = 0;
    try {
      id = readXmlTag(&endTag);
    } catch (char signal) {
      if (signal == 'e') break;  // the end of the input ends the object
      throw "unknow char error catched by Serializable::load()";
    } catch (const char*) {
      throw;
    } catch (...) {
      throw "unknow error catched by Serializable::load()";
    }
    if (endTag) break;  // closes the chunk that holds this object
    chunk = id;
    loadSave();
    chunk = 0;
  }
}

unsigned Serializable::readXmlTag(bool* endTag) {
  ProofOb proof("Serializable::readXmlTag()");
  char c;
  try {
    c = readFirstNonWhiteChar(hand);
  } catch (...) {
    throw 'e';
  }
  if (c != '<') throw "thats not XML tag";
  c = readFirstNonWhiteChar(hand);
  const bool closing = c == '/';
  // The id starts at the first character after the whitespace, which is read already.
  unsigned char id[4];
  unsigned have = 0;
  if (!closing) id[have++] = static_cast<unsigned char>(c);
  // Byte by byte, unlocked: cheaper than fread for four bytes, and this runs per tag.
  for (; have < 4; ++have) {
    const int got = getc_unlocked(hand);
    if (got == EOF) throw "wrong end of XML tag";
    id[have] = static_cast<unsigned char>(got);
  }
  if (getc_unlocked(hand) != '>') throw "wrong end of XML tag";
  if (endTag) *endTag = closing;
  return fromLittleEndian(id);
}

void Serializable::parse(unsigned chunkID, void* var, int varType, unsigned varSize) {
  ProofOb proof("Serializable::parse()");
  if (act == 'L') {
    switch (fileType) {
      case 'c':
        if (chunk == chunkID) singleVarDataLoad(var, varType, varSize);
        return;
      case 'x':
        if (chunk != chunkID) return;
        singleVarDataLoad(var, varType, varSize);
        // A nested object has consumed its closing tag already.
        if (varType != NESTED) closeValueTag(chunkID);
        return;
      case 't': singleVarDataLoad(var, varType, varSize); return;
      default: throw "wrong fileType";
    }
  }
  if (act == 'S') {
    switch (fileType) {
      case 'c': saveChunk(chunkID, var, varType, varSize); return;
      case 'x': saveTagged(chunkID, var, varType, varSize); return;
      case 't': singleVarDataSave(var, varType, varSize); return;
      default: throw "wrong fileType";
    }
  }
  throw "unknow action in Serializable::chunkLoadSave";
}

void Serializable::closeValueTag(unsigned chunkID) {
  bool endTag = false;
  unsigned id = 0;
  try {
    id = readXmlTag(&endTag);
  } catch (char) {
    throw VALUE_NOT_CLOSED;  // the input ended after the value
  }
  if (!endTag || id != chunkID) throw VALUE_NOT_CLOSED;
}

void Serializable::singleVarDataLoad(void* var, int varType, unsigned varSize) {
  ProofOb proof("Serializable::singleVarDataLoad()");
  if (!isKnownKind(varType)) throw "unknow var type";
  if (varType == NESTED) {
    Serializable* nested = static_cast<Serializable*>(var);
    if (fileType != 'c') {
      nested->load(hand, 0);
    } else if (size > 0) {
      nested->load(hand, size);
    }
    // An empty binary payload holds nothing; 0 would mean the rest of the file.
    return;
  }
  if (fileType == 'c') {
    // Exactly the variable's bytes, whatever the stored size.
    const size_t got = fread(var, 1, varSize, hand);
    (void)got;
    return;
  }
  if (varType == RAW) {
    unsigned char* bytes = static_cast<unsigned char*>(var);
    for (unsigned i = 0; i < varSize; ++i) {
      unsigned byte;
      if (fscanf(hand, "%X", &byte) == 1) bytes[i] = static_cast<unsigned char>(byte);
    }
  } else if (varType == INTEGER) {
    const int got = fscanf(hand, "%d", static_cast<int*>(var));
    (void)got;
  } else {
    const int got = fscanf(hand, "%f", static_cast<float*>(var));
    (void)got;
  }
}

void Serializable::singleVarDataSave(void* var, int varType, unsigned varSize) {
  ProofOb proof("Serializable::singleVarDataSave()");
  if (!isKnownKind(varType)) throw "unknow var type";
  if (varType == NESTED) {
    static_cast<Serializable*>(var)->save(hand);
    return;
  }
  if (fileType == 'c') {
    fwrite(var, 1, varSize, hand);
    return;
  }
  if (varType == RAW) {
    const unsigned char* bytes = static_cast<const unsigned char*>(var);
    for (unsigned i = 0; i < varSize; ++i) fprintf(hand, "%2X ", unsigned(bytes[i]));
  } else if (varType == INTEGER) {
    fprintf(hand, "%d ", *static_cast<const int*>(var));
  } else {
    fprintf(hand, "%f ", double(*static_cast<const float*>(var)));
  }
}

// The payload goes to a temporary file first: its size comes before it.
void Serializable::saveChunk(unsigned chunkID, void* var, int varType, unsigned varSize) {
  ChunkSave buffer(chunkID);
  FILE* out = hand;
  hand = buffer.getHand();
  try {
    singleVarDataSave(var, varType, varSize);
  } catch (...) {
    hand = out;
    throw;
  }
  hand = out;
  buffer.save(hand);
}

void Serializable::saveTagged(unsigned chunkID, void* var, int varType, unsigned varSize) {
  // A nested object indents its own chunks one level deeper.
  const bool value = varType != NESTED;
  Line opening(hand);
  opening.tabs(deapth).tag("<", chunkID);
  if (value) opening.tabs(deapth + 1);
  opening.write();
  singleVarDataSave(var, varType, varSize);
  Line closing(hand);
  if (value) closing.put('\n');
  closing.tabs(deapth).tag("</", chunkID).write();
}

void Serializable::assign(unsigned chunkID, void* var, unsigned sizeOfObject) {
  ProofOb proof("Serializable::assign()");
  parse(chunkID, var, RAW, sizeOfObject);
}

void Serializable::assign(unsigned chunkID, Serializable* var) {
  ProofOb proof("Serializable::assign()");
  parse(chunkID, var, NESTED, 0);
}

void Serializable::assign(unsigned chunkID, int* var) {
  ProofOb proof("Serializable::assign()");
  parse(chunkID, var, INTEGER, 4);
}

void Serializable::assign(unsigned chunkID, unsigned* var) {
  ProofOb proof("Serializable::assign()");
  parse(chunkID, var, INTEGER, 4);
}

void Serializable::assign(unsigned chunkID, float* var) {
  ProofOb proof("Serializable::assign()");
  parse(chunkID, var, FLOAT, 4);
}
