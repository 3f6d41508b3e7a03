// The profiler's scope trace.
#include <tessel/proof.h>

#include <cstring>

Proof* Proof::I() {
  static Proof* instance = new Proof;
  return instance;
}

// Without "proof.txt" (read-only folder, a folder or a link of that name) the
// program still runs, untraced.
Proof::Proof() : hand(Tessel::createFile("proof.txt", "w")) {}

Proof::~Proof() {
  while (stack.getSize() > 0) delete[] stack.pop();
}

void Proof::start(const char* name) {
  size_t len = strlen(name);
  char* copy = new char[len + 1];
  memcpy(copy, name, len + 1);
  stack.push(copy);
}

void Proof::stop(const char*) { delete[] stack.pop(); }

void Proof::save() {
  if (!hand) return;
  for (unsigned i = 0; i < stack.getSize(); ++i) fprintf(hand.get(), "=> %s ", stack.data[i]);
  fputc('\n', hand.get());
}

void Proof::flush() {
  if (hand) fflush(hand.get());
}

ProofOb::ProofOb(const char* fun) : fun(fun) {
  Proof::I()->start(fun);
  Proof::I()->save();
}

ProofOb::~ProofOb() {
  Proof::I()->stop(fun);
  Proof::I()->save();
}
