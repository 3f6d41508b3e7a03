// Output byte streams.
#include <tessel/out.h>

#include <cstring>

bool Out::end() { return endOfStream(); }

void Out::putc(char c) { write(&c, 1); }

void Out::write(const void* buffer, unsigned count) {
  const char* from = static_cast<const char*>(buffer);
  unsigned done = 0;
  while (done < count) {
    done += writeData(from + done, count - done);
    if (end()) throw "write to out of stream\n";
  }
}

Out& Out::operator<<(const char& c) {
  write(&c, 1);
  return *this;
}

Out& Out::operator<<(const int& v) {
  write(&v, sizeof v);
  return *this;
}

Out& Out::operator<<(const float& v) {
  write(&v, sizeof v);
  return *this;
}

Out& Out::operator<<(const char* text) {
  write(text, unsigned(strlen(text)));
  return *this;
}

Out& Out::operator<<(const std::string& text) {
  write(text.data(), unsigned(text.size()));
  return *this;
}
