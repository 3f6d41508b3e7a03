#pragma once
// The developer console.
//
// The developer console: the program's log, an input line that opens over any
// screen, the table of named commands and the interpreter of one command line.

#include <kro/functor.h>
#include <kro/loglog.h>
#include <tessel/array.h>

class Script;

class Cfr : public Loglog {
public:
  // Scripts run by scripts, and commands run by commands, stop at these depths
  // with an error instead of exhausting the stack.
  static constexpr int MAX_SCRIPT_DEPTH = 32;
  static constexpr int MAX_EXEC_DEPTH = 200;

  static Cfr* I();

  // A key-down code; true when the console took it.
  bool keydown(unsigned char key);
  // A typed character; true while the console is open.
  bool keydownTrans(unsigned char key);
  char changeMode();
  // Mode 'A': a dark background over the top half, the log and the input line;
  // 'B': the log only; 'C': nothing.
  void draw2d() override;
  // Registers a command and takes ownership of it.
  void addFun(Functor* function);
  // Interprets and runs one command line; every error ends up in the log.
  int exec(const char* cmd);
  void runScirpt(Script* s);
  void runScirptFile(const char* file);

  char getMode() const { return mode; }
  const char* getInput() const { return newcmd; }
  Script* currentScript() const { return script; }
  unsigned commandCount() const { return functor.num; }
  const char* commandName(unsigned i) const { return functor[i]->getName(); }

  // A budget of command lines for tools that feed the console arbitrary input:
  // once it is spent, lines fail and loops and scripts end. Unlimited by default.
  void setStepLimit(unsigned long long steps);
  bool outOfSteps() const { return stepsLeft == 0; }

protected:
  int execSys(int argc, const char** argv);

  Array<Functor*> functor;
  Script* script;

private:
  Cfr();
  ~Cfr() override;
  void addCmd2History(const char* cmd);
  void complete();

  char mode;
  char newcmd[256];
  char lastCmdHistory[16][256];
  unsigned lastCmdHistoryReaded;
  int execDepth;
  int scriptDepth;
  unsigned long long stepsLeft;
};
