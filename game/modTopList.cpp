// The top list: its screen, its file and the names of new results.
#include "modTopList.h"

#include <kro/cfr.h>
#include <kro/kro.h>
#include <kro/modPrompt.h>
#include <kro/sound.h>
#include <tessel/proof.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ModTopList* ModTopList::I() {
  ProofOb scope("ModTopList::I()");
  static ModTopList* const instance = new ModTopList;
  return instance;
}

ModTopList::ModTopList() {
  ProofOb scope("ModTopList::ModTopList()");
  loadFile();
}

ModTopList::~ModTopList() { ProofOb scope("ModTopList::~ModTopList()"); }

namespace {

void logError(const std::string& text) { Cfr::I()->echo(text.c_str(), 3); }

// A save's message with the system's reason, when it gave one.
std::string withReason(const char* message) {
  return errno ? std::string(message) + " (" + std::strerror(errno) + ")" : std::string(message);
}

// More damaged lists than this in one folder are not a player's doing.
constexpr unsigned asideNames = 1000;

#ifdef _WIN32
// Windows has no links to look through here, and its rename never replaces
// (EEXIST when something is there).
bool taken(const std::string& name) {
  struct stat info;
  return stat(name.c_str(), &info) == 0 || errno != ENOENT;
}

int moveWithoutReplacing(const char* from, const char* to) { return std::rename(from, to); }
#else
// Whether anything is at name, a dangling link included; what cannot be
// looked at counts as there, so that nothing unseen is overwritten.
bool taken(const std::string& name) {
  struct stat info;
  return lstat(name.c_str(), &info) == 0 || errno != ENOENT;
}

// Moves from to to unless something is there already: of two starts that
// both found the list damaged, each keeps it under a name of its own, or
// finds it gone. A file system that cannot rename so gets a second name
// made for the file, which fails as well where one is there, then drops the first.
int moveWithoutReplacing(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  return link(from, to) == 0 ? unlink(from) : -1;
}
#endif

}  // namespace

void ModTopList::loadFile() {
  for (TopListItem& entry : item) entry = TopListItem();
  fileUnread = false;
  if (!taken(fileName())) return;  // no list yet
  const std::string failure = readList();
  if (failure.empty()) return;
  logError(std::string("can not read ") + fileName() + ": " + failure);
  for (TopListItem& entry : item) entry = TopListItem();
  keepAside();
}

std::string ModTopList::readList() {
  struct stat info;
  if (stat(fileName(), &info) != 0) return std::strerror(errno);
  // A folder would open and read as an empty list; a pipe would wait for a writer.
  if (!S_ISREG(info.st_mode)) return "not a file";
  File file(std::fopen(fileName(), "rb"));
  if (!file) return std::strerror(errno);
  try {
    load(file.get(), 0);
  } catch (const char* message) {
    return message;
  }
  sort();
  return "";
}

// The first free name of ".bad", ".bad.1", ".bad.2" ...: an earlier damaged
// list is never overwritten, and the first keeps the name players know.
void ModTopList::keepAside() {
  const std::string base = std::string(fileName()) + ".bad";
  std::string reason = "no free name up to " + base + "." + std::to_string(asideNames - 1);
  for (unsigned n = 0; n < asideNames; ++n) {
    const std::string aside = n ? base + "." + std::to_string(n) : base;
    if (moveWithoutReplacing(fileName(), aside.c_str()) == 0) {
      logError("the unreadable top list is kept as " + aside);
      return;
    }
    if (errno == EEXIST) continue;  // an earlier one
    if (errno == ENOENT && !taken(fileName())) {
      logError("the unreadable top list was kept aside by another start");
      return;
    }
    reason = std::strerror(errno);
    break;
  }
  fileUnread = true;
  logError("can not keep the unreadable top list aside: " + reason + "; it will not be saved over");
}

void ModTopList::saveFile() {
  std::string failure = "the file there could not be read";
  if (!fileUnread) {
    try {
      save(fileName());
      return;
    } catch (const char* message) {
      failure = withReason(message);
    }
  }
  logError(std::string("can not save ") + fileName() + ": " + failure + "; the old list stays");
}

void ModTopList::add(unsigned s) {
  ProofOb scope("ModTopList::add(unsigned)");
  if (s <= item[places - 1].score) return;
  newItem = true;
  newScore = s;
  // The prompt starts empty; the list offers the name typed last time instead.
  char kept[sizeof newName];
  std::memcpy(kept, newName, sizeof kept);
  nextMod = ModPrompt::I(newName, sizeof newName, "pleas give your name", this);
  std::memcpy(newName, kept, sizeof kept);
}

void ModTopList::init() {
  ProofOb scope("ModTopList::init()");
  if (newItem) {
    newItem = false;
    item[places - 1].score = newScore;
    std::memcpy(item[places - 1].name, newName, sizeof item[places - 1].name);
    sort();
    saveFile();
    kroSound("nameEntered");
  }
  Mod::init();
}

void ModTopList::keydown(char key) {
  ProofOb scope("ModTopList::keydown()");
  if (key == 'S')
    saveFile();
  else
    Mod::keydown(key);
}

// Exchanges only on a strictly greater score: descending, equal scores kept
// apart unless a higher one passes over them.
void ModTopList::sort() {
  ProofOb scope("ModTopList::sort()");
  for (unsigned i = 0; i < places; ++i)
    for (unsigned j = i + 1; j < places; ++j)
      if (item[j].score > item[i].score) {
        const TopListItem swap = item[i];
        item[i] = item[j];
        item[j] = swap;
      }
}

void ModTopList::loadSave() {
  ProofOb scope("ModTopList::loadSave()");
  const unsigned first = chunk2unsigned("A_EN");
  for (unsigned i = 0; i < places; ++i) assign(first + i, &item[i]);
}

void ModTopList::draw2d() {
  ProofOb scope("ModTopList::draw2d()");
  kroPrint("Top List", 0, 0.85f, 0.2f, 'C');
  float y = 0.7f;
  for (unsigned i = 0; i < places; ++i, y -= 0.1f) {
    char text[32];
    std::snprintf(text, sizeof text, "%u)", i);
    kroPrint(text, -0.7f, y, 0.1f, 'R');
    char name[5] = {};
    std::memcpy(name, item[i].name, 4);
    kroPrint(name, -0.6f, y, 0.1f, 'L');
    std::snprintf(text, sizeof text, "0x%X", item[i].score);
    kroPrint(text, 0.9f, y, 0.1f, 'R');
  }
}
