#pragma once
// Input byte stream over a concrete source's readData, optionally through a 256-byte read buffer.
// Values are raw bytes in memory order, not text.

#include <tessel/inOutBase.h>

#include <cstdio>  // before our getc, so that no macro of that name survives
#include <memory>
#include <string>

class In : public InOutBase {
public:
  explicit In(bool useBuffer);
  In(const In&) = delete;
  In& operator=(const In&) = delete;

  bool end();
  char getc();
  // Buffered: up to count bytes, fewer only at the end. Unbuffered: one readData.
  unsigned read(void* buffer, unsigned count);
  // Up to the first line feed (dropped) or the end; a carriage return stays.
  std::string getLine();

  In& operator>>(char& c);
  In& operator>>(int& v);
  In& operator>>(float& v);
  // Appends one word including the space, tab or line feed that ends it.
  In& operator>>(std::string& word);

protected:
  virtual unsigned readData(void* buffer, unsigned count) = 0;
  // False for a source opened only for writing: it has ended for reading from the
  // start, and is never asked for data (a failed read could spoil its writing side).
  virtual bool readable() { return true; }

  std::unique_ptr<char[]> readBuffer;
  unsigned readBufferPkt;   // next unread byte
  unsigned readBufferSize;  // valid bytes
  bool useBuffer;

private:
  static unsigned readBufferMaxSize() { return 256; }
  bool bufferExhausted() const { return readBufferSize <= readBufferPkt; }
  bool sourceEnded() { return !readable() || endOfStream(); }
  unsigned read2buffer();
};
