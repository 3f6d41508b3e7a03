#pragma once
// Static helpers over standard-I/O files and chunk ids.
// Chunk readers and writers derive from it to call these unqualified.

#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
// The Windows C runtime's names for the unlocked reads of one thread's file.
#define getc_unlocked _getc_nolock
#define feof_unlocked feof
#endif

class Tessel {
public:
  // A file that closes itself on every way out of its scope, thrown messages included.
  struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  using File = std::unique_ptr<FILE, FileCloser>;

  Tessel() = default;

  // Leaves the file position where it was.
  static unsigned long fileSize(FILE* hand);
  // Whether name is a regular file that can be opened for binary reading.
  static bool is_file(const char* name);
  // fopen for files only: a folder, which opens for reading here, gives null
  // with errno EISDIR, as it does when opened for writing.
  static FILE* openFile(const char* name, const char* mode);
  // fopen for writing, "w" or "a", that never follows a link at name: a link
  // planted there (in a folder shared with others) fails with ELOOP instead
  // of sending the writes to the file it names.
  static FILE* createFile(const char* name, const char* mode);
  // The same as a descriptor, truncated or appended to; -1 with errno on failure.
  static int createHandle(const char* name, bool append);
  // Digits with at most one '.'; no sign, no exponent, not empty.
  static bool is_numeric(const char* text);
  // Copies all of in, from its start, to out's current position.
  static bool file2file(FILE* in, FILE* out);
  // Drops the directories in place ("data/log.txt" -> "log.txt").
  static void rmPath(char* path);
  static unsigned chunk2unsigned(unsigned char a, unsigned char b, unsigned char c, unsigned char d);
  // Exactly four characters, the first one lowest.
  static unsigned chunk2unsigned(const char* c);
  // Skips spaces, tabs and line feeds (not carriage returns).
  static char readFirstNonWhiteChar(FILE* hand);
  // The next word separated by white space, of at most `most` characters: the rest
  // of a longer word is dropped. The white space after it stays unread. False at the end.
  static bool readWord(FILE* hand, std::string& word, size_t most);
};
