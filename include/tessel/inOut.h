#pragma once
// A stream that reads and writes; In and Out each bring their own InOutBase.

#include <tessel/in.h>
#include <tessel/out.h>

class InOut : public In, public Out {
public:
  explicit InOut(bool useBuffer) : In(useBuffer) {}

  // In::end and Out::end would be ambiguous here; the reading side is the one
  // that can run out.
  bool end() { return In::end(); }
};
