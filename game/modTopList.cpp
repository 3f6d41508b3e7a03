#include "modTopList.h"

#include <kro/cfr.h>
#include <kro/kro.h>
#include <kro/modPrompt.h>
#include <tessel/proof.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

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

}  // namespace

void ModTopList::loadFile() {
  for (TopListItem& entry : item) entry = TopListItem();
  if (!is_file(fileName())) return;
  try {
    load(fileName());
    sort();
    return;
  } catch (const char* message) {
    logError(std::string("can not read ") + fileName() + ": " + message);
  }
  for (TopListItem& entry : item) entry = TopListItem();
  const std::string aside = std::string(fileName()) + ".bad";
  if (std::rename(fileName(), aside.c_str()) == 0)
    logError("the unreadable top list is kept as " + aside);
  else
    logError("can not keep the unreadable top list aside: " + std::string(std::strerror(errno)));
}

namespace {

// A save's message with the system's reason, when it gave one.
std::string withReason(const char* message) {
  return errno ? std::string(message) + " (" + std::strerror(errno) + ")" : std::string(message);
}

}  // namespace

void ModTopList::saveFile() {
  try {
    save(fileName());
  } catch (const char* message) {
    logError(std::string("can not save ") + fileName() + ": " + withReason(message) + "; the old list stays");
  }
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
