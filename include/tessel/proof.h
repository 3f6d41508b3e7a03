#pragma once
// The profiler: a scope trace in "proof.txt".
//
// Scope trace: each time an instrumented operation is entered or left, one line
// naming every open scope, outermost first, goes to "proof.txt". The last lines
// of the file tell where the program was.

#include <tessel/stack.h>
#include <tessel/tessel.h>

#include <cstdio>

class Proof {
public:
  // Created on the first call, which creates "proof.txt"; never destroyed, so
  // that scopes closing late in the process still have it.
  static Proof* I();

  void start(const char* name);
  // Pops the innermost scope whatever the name.
  void stop(const char* name);
  void save();
  // Not needed in normal runs: the standard library flushes the file at exit.
  void flush();

  ~Proof();
  Proof(const Proof&) = delete;
  Proof& operator=(const Proof&) = delete;

private:
  Proof();

  Stack<char*> stack;  // owned copies of the names
  Tessel::File hand;   // null: the trace is disabled
};

// Opens the scope fun for its own lifetime, exceptions included. The name is
// not copied: pass a literal.
class ProofOb {
public:
  explicit ProofOb(const char* fun);
  ~ProofOb();
  ProofOb(const ProofOb&) = delete;
  ProofOb& operator=(const ProofOb&) = delete;

private:
  const char* fun;
};
