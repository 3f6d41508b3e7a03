#pragma once
// The sixteen best survival results, best first: a screen, and the file "data/toplist.dat" in the chunk format.
// A result that earns a place asks for a name and is sorted in when the list becomes
// current again.

#include "toplistitem.h"

#include <kro/mod.h>
#include <tessel/serializable.h>

#include <string>

class ModTopList : public Mod, public Serializable {
public:
  static ModTopList* I();
  static const char* fileName() { return "data/toplist.dat"; }
  static constexpr unsigned places = 16;

  void add(unsigned s);
  void init() override;
  void keydown(char key) override;
  void draw2d() override;
  void loadSave() override;
  void sort();

  // Reads the list afresh from its file, sorted; without a file it is empty.
  // A file that cannot be read is logged and kept aside under a name of its
  // own (".bad", ".bad.1", ...); one that cannot be moved is never saved over.
  void loadFile();
  const TopListItem& entry(unsigned i) const { return item[i]; }

private:
  ModTopList();
  ~ModTopList() override;
  // Through Serializable::save, which writes beside the list and renames
  // over it: the file is always the old list or the new one. A failure is
  // logged and the old file stays.
  void saveFile();
  // "" when the file loaded, else why it did not.
  std::string readList();
  void keepAside();

  TopListItem item[places];
  bool newItem = false;
  // The prompt's buffer: four name bytes and its terminator.
  char newName[5] = {};
  unsigned newScore = 0;
  // The file there could not be read nor moved aside: a save would lose it.
  bool fileUnread = false;
};
