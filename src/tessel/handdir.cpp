// Directory listing over POSIX opendir/readdir.
#include <tessel/handdir.h>

#include <dirent.h>

#include <cerrno>
#include <memory>

namespace {

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

Handdir::Handdir(const char* name) : listp(0) { opendir(name); }

std::string Handdir::readdir() {
  if (!is_more()) throw "Handdir::readdir past the last entry";
  return list[listp++];
}

bool Handdir::is_more() const { return listp < list.num; }

unsigned Handdir::filesnum() const { return list.num; }

bool Handdir::opendir(const char* name) {
  listp = 0;
  list.num = 0;
  // An empty name would list the root folder.
  if (!name || !*name) throw "Handdir::opendir -> FindFirstFile";
  dir = name;
  for (char& c : dir)
    if (c == '\\') c = '/';
  if (dir.back() != '/') dir += '/';

  std::unique_ptr<DIR, DirCloser> hand(::opendir(dir.c_str()));
  if (!hand) throw "Handdir::opendir -> FindFirstFile";
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(hand.get());
    if (!entry) {
      if (errno != 0) throw "Handdir::opendir -> FindNextFile";
      break;
    }
    list[list.num] = entry->d_name;
    ++list.num;
  }
  if (::closedir(hand.release()) != 0) throw "FindClose";
  return true;
}
