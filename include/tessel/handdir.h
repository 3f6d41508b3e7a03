#pragma once
// Directory listing.
//
// The names of a directory's entries, "." and ".." included, in the order the
// system lists them, read once when the object is made.

#include <tessel/array.h>

#include <cstdint>
#include <string>

class Handdir {
public:
  // name: the directory; '\' counts as '/', and a trailing separator changes
  // nothing. Throws when it can not be listed.
  explicit Handdir(const char* name);

  // The next name; throws past the last one.
  std::string readdir();
  bool is_more() const;
  unsigned filesnum() const;

private:
  bool opendir(const char* name);

  Array<std::string> list;
  std::uint32_t listp;
  std::string dir;  // the directory listed, with '/' separators and one trailing '/'
};
