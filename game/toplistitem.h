#pragma once
// One place of the top list: four bytes of name (zero-ended when shorter) and a score.

#include <tessel/serializable.h>

class TopListItem : public Serializable {
public:
  TopListItem() = default;
  TopListItem(const TopListItem&) = default;
  TopListItem& operator=(const TopListItem&) = default;

  void loadSave() override;

  char name[4] = {};
  unsigned score = 0;
};
