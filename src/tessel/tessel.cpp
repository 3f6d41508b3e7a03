// Helpers over standard-I/O files and chunk ids.
#include <tessel/tessel.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

bool isWhite(int c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

unsigned long Tessel::fileSize(FILE* hand) {
  long at = ftell(hand);
  fseek(hand, 0, SEEK_END);
  long size = ftell(hand);
  fseek(hand, at, SEEK_SET);
  return static_cast<unsigned long>(size);
}

bool Tessel::is_file(const char* name) { return File(openFile(name, "rb")) != nullptr; }

FILE* Tessel::openFile(const char* name, const char* mode) {
  File hand(fopen(name, mode));
  if (!hand) return nullptr;
  struct stat info;
  if (fstat(fileno(hand.get()), &info) != 0) return nullptr;
  if (S_ISDIR(info.st_mode)) {
    hand.reset();
    errno = EISDIR;
    return nullptr;
  }
  return hand.release();
}

int Tessel::createHandle(const char* name, bool append) {
#ifdef _WIN32
  // The bytes as they are given; Windows has no links to refuse here, nor children to hide from.
  const int flags = O_WRONLY | O_CREAT | O_BINARY | (append ? O_APPEND : O_TRUNC);
#else
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
#endif
  return open(name, flags, 0666);
}

FILE* Tessel::createFile(const char* name, const char* mode) {
  const int handle = createHandle(name, mode[0] == 'a');
  if (handle < 0) return nullptr;
  FILE* hand = fdopen(handle, mode);
  if (!hand) close(handle);
  return hand;
}

bool Tessel::is_numeric(const char* text) {
  if (!*text) return false;
  int dots = 0;
  for (const char* p = text; *p; ++p) {
    if (*p == '.') {
      if (++dots > 1) return false;
    } else if (*p < '0' || *p > '9') {
      return false;
    }
  }
  return true;
}

bool Tessel::file2file(FILE* in, FILE* out) {
  fseek(in, 0, SEEK_SET);
  char block[4096];
  size_t got;
  while ((got = fread(block, 1, sizeof block, in)) > 0) fwrite(block, 1, got, out);
  return true;
}

void Tessel::rmPath(char* path) {
  size_t len = strlen(path);
  // A separator at index 0 alone does not count.
  for (size_t i = len; i-- > 1;) {
    if (path[i] == '/' || path[i] == '\\') {
      memmove(path, path + i + 1, len - i);
      return;
    }
  }
}

unsigned Tessel::chunk2unsigned(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
  return unsigned(a) | unsigned(b) << 8 | unsigned(c) << 16 | unsigned(d) << 24;
}

unsigned Tessel::chunk2unsigned(const char* c) {
  if (strlen(c) != 4) throw "chunk id must have exactly 4 characters";
  return chunk2unsigned(c[0], c[1], c[2], c[3]);
}

char Tessel::readFirstNonWhiteChar(FILE* hand) {
  assert(hand);
  // Unlocked: the chunk reader calls this for every tag, and nothing else reads the file meanwhile.
  if (feof_unlocked(hand)) throw "end of file";
  // A first read at the end gives EOF as (char)0xFF, which the caller rejects.
  int c = getc_unlocked(hand);
  while (isWhite(c)) {
    c = getc_unlocked(hand);
    if (feof_unlocked(hand)) throw "reach end of file";
  }
  return char(c);
}

bool Tessel::readWord(FILE* hand, std::string& word, size_t most) {
  word.clear();
  int c;
  while ((c = fgetc(hand)) != EOF && isspace(c)) {
  }
  if (c == EOF) return false;
  for (; c != EOF && !isspace(c); c = fgetc(hand))
    if (word.size() < most) word += char(c);
  if (c != EOF) ungetc(c, hand);
  return true;
}
