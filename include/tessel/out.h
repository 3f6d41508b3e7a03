#pragma once
// Output byte stream over a concrete sink's writeData.
// Values are written as raw bytes in memory order; strings without their terminator.

#include <tessel/inOutBase.h>

#include <cstdio>  // before our putc, so that no macro of that name survives
#include <string>

class Out : public InOutBase {
public:
  Out() = default;
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  bool end();
  void putc(char c);
  void write(const void* buffer, unsigned count);

  Out& operator<<(const char& c);
  Out& operator<<(const int& v);
  Out& operator<<(const float& v);
  Out& operator<<(const char* text);
  Out& operator<<(const std::string& text);

protected:
  virtual unsigned writeData(const void* buffer, unsigned count) = 0;
};
