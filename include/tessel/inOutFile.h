#pragma once
// Buffered byte stream over a file opened with a standard mode string.

#include <tessel/inOut.h>

#include <cstdio>

class InOutFile : public InOut {
public:
  InOutFile(const char* name, const char* mode);
  ~InOutFile() override;

protected:
  // For derived streams that set hand themselves.
  InOutFile();

  bool endOfStream() override;
  unsigned readData(void* buffer, unsigned count) override;
  unsigned writeData(const void* buffer, unsigned count) override;
  bool readable() override { return forReading; }

  FILE* hand;  // owned; closed by the destructor

private:
  bool forReading;  // the mode allows reading: "r..." or any "...+"
};
