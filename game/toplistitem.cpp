// One place of the top list in the chunk format.
#include "toplistitem.h"

void TopListItem::loadSave() {
  assign(chunk2unsigned("NAME"), name, sizeof name);
  assign(chunk2unsigned("SCOR"), &score);
}
