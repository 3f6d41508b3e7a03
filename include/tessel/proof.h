#pragma once
// The profiler: a scope trace in "proof.txt".
//
// Scope trace: each time an instrumented operation is entered or left, one line
// naming every open scope, outermost first, goes to "proof.txt". The last lines
// of the file tell where the program was.

#include <tessel/stack.h>

#include <cstddef>
#include <cstring>
#include <string>

class Proof {
public:
  // Created on the first call, which creates "proof.txt"; never destroyed, so
  // that scopes closing late in the process still have it.
  static Proof* I() { return instance ? instance : create(); }

  // The name is kept, not copied: it must outlive its scope (a literal).
  // Without a trace only the depth is kept: nothing will ever name the scopes.
  void start(const char* name) {
    if (file < 0)
      ++untraced;
    else
      open(name);
  }
  // Pops the innermost scope whatever the name.
  void stop(const char*) {
    if (file >= 0)
      close();
    else if (untraced == 0)
      throw "pop from empty stack";
    else
      --untraced;
  }
  void save() {
    if (file >= 0) writeLine();
  }
  // Writes out what is pending; done at exit and, as far as the system lets a
  // dying process write, when the program crashes.
  void flush();

  ~Proof();
  Proof(const Proof&) = delete;
  Proof& operator=(const Proof&) = delete;

private:
  Proof();
  static Proof* create();
  void open(const char* name);
  void close();
  void writeLine();

  static Proof* instance;
  Stack<const char*> stack;
  unsigned untraced = 0;  // the open scopes while the trace is disabled
  int file = -1;          // -1: the trace is disabled
  std::string line;       // the open scopes, as the next line names them
  // Lines not yet written: the trace costs a write per buffer, not per line.
  char pending[1 << 16];
  size_t used = 0;
};

// Opens the scope fun for its own lifetime, exceptions included. The name is
// not copied: pass a literal.
class ProofOb {
public:
  explicit ProofOb(const char* fun) : fun(fun) {
    Proof* proof = Proof::I();
    proof->start(fun);
    proof->save();
  }
  ~ProofOb() {
    Proof* proof = Proof::I();
    proof->stop(fun);
    proof->save();
  }
  ProofOb(const ProofOb&) = delete;
  ProofOb& operator=(const ProofOb&) = delete;

private:
  const char* fun;
};
