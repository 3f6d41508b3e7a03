#pragma once
// Root of the byte streams: a concrete stream says when it has ended.

class InOutBase {
public:
  virtual ~InOutBase() = default;

protected:
  virtual bool endOfStream() = 0;
};
