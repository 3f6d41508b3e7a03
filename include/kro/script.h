#pragma once
// Scripts of console command lines.
//
// A script: a text file of console command lines, numbered from 1 and run one
// at a time through the console, with a current line that jumps can move.

#include <tessel/array.h>

class Script {
public:
  // A file that cannot be opened gives a script without lines.
  explicit Script(const char* file);
  ~Script();
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  void fungoto(int lineNr);  // absolute jump
  void jmp(int arg);         // relative to the line being run
  void step();
  void run();
  void stop();

  int currentLine() const { return l; }
  unsigned lineCount() const { return lines.num - 1; }
  const char* lineText(unsigned nr) const { return lines[nr]; }

private:
  void load(const char* file);

  bool runned;
  int l;
  bool lEdited;
  Array<char*> lines;  // entry 0 is null; entries 1..N are owned copies
};
