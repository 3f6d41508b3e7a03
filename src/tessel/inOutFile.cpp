// Byte streams over files.
#include <tessel/inOutFile.h>

#include <tessel/tessel.h>

#include <cstring>

InOutFile::InOutFile(const char* name, const char* mode) : InOut(true), hand(nullptr), forReading(true) {
  if (!name || !*name || !mode || !*mode) throw "InOutFile: empty file name or mode";
  forReading = mode[0] == 'r' || std::strchr(mode, '+');
  hand = Tessel::openFile(name, mode);
  if (!hand) throw "can not open file";
}

InOutFile::InOutFile() : InOut(true), hand(nullptr), forReading(true) {}

InOutFile::~InOutFile() {
  if (hand) fclose(hand);
}

// A failed read or write counts as the end too: its indicator never clears, and
// without it a reader would wait forever for an end that never comes.
bool InOutFile::endOfStream() { return !hand || feof(hand) || ferror(hand); }

unsigned InOutFile::readData(void* buffer, unsigned count) { return unsigned(fread(buffer, 1, count, hand)); }

unsigned InOutFile::writeData(const void* buffer, unsigned count) { return unsigned(fwrite(buffer, 1, count, hand)); }
