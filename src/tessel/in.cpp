// Input byte streams and their read buffer.
#include <tessel/in.h>

#include <cstring>

In::In(bool useBuffer)
    : readBuffer(useBuffer ? new char[readBufferMaxSize()] : nullptr),
      readBufferPkt(readBufferMaxSize()),
      readBufferSize(0),
      useBuffer(useBuffer) {}

unsigned In::read2buffer() {
  readBufferSize = 0;
  readBufferPkt = 0;
  while (readBufferSize == 0 && !sourceEnded()) readBufferSize = readData(readBuffer.get(), readBufferMaxSize());
  return readBufferSize;
}

bool In::end() {
  if (!useBuffer) return sourceEnded();
  if (bufferExhausted()) read2buffer();
  return sourceEnded() && bufferExhausted();
}

char In::getc() {
  if (useBuffer) {
    if (bufferExhausted() && read2buffer() == 0) throw "error: read from closed stream";
    return readBuffer[readBufferPkt++];
  }
  if (sourceEnded()) throw "In read from closed source";
  char c;
  // The end indicator of a source may only show after a read came back empty.
  if (readData(&c, 1) == 0) throw "In read from closed source";
  return c;
}

unsigned In::read(void* buffer, unsigned count) {
  if (!useBuffer) {
    if (sourceEnded()) throw "In read from closed source";
    return readData(buffer, count);
  }
  char* to = static_cast<char*>(buffer);
  unsigned i = 0;
  while (i < count && !end()) {
    unsigned n = readBufferSize - readBufferPkt;
    if (n > count - i) n = count - i;
    memcpy(to + i, readBuffer.get() + readBufferPkt, n);
    readBufferPkt += n;
    i += n;
  }
  return i;
}

std::string In::getLine() {
  std::string line;
  char c = getc();
  while (c != '\n') {
    line += c;
    if (end()) break;
    c = getc();
  }
  return line;
}

In& In::operator>>(char& c) {
  c = getc();
  return *this;
}

In& In::operator>>(int& v) {
  read(&v, sizeof v);
  return *this;
}

In& In::operator>>(float& v) {
  read(&v, sizeof v);
  return *this;
}

In& In::operator>>(std::string& word) {
  char last = 0;
  while (last != ' ' && last != '\t' && last != '\n' && !end()) {
    last = getc();
    word += last;
  }
  return *this;
}
