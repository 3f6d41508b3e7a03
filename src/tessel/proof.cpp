// The profiler's scope trace.
#include <tessel/proof.h>

#include <tessel/tessel.h>

#include <csignal>
#include <cstdlib>

#include <unistd.h>

Proof* Proof::instance = nullptr;

namespace {

#ifdef _WIN32
// The C runtime's signals: no sigaction, and no bus errors.
const int crashes[] = {SIGSEGV, SIGFPE, SIGILL, SIGABRT};
void (*before[sizeof crashes / sizeof crashes[0]])(int);

void restore(size_t i) { signal(crashes[i], before[i]); }
void install(size_t i, void (*handler)(int)) { before[i] = signal(crashes[i], handler); }
#else
// The signals that end a program that went wrong, and what they did before.
const int crashes[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction before[sizeof crashes / sizeof crashes[0]];

void restore(size_t i) { sigaction(crashes[i], &before[i], nullptr); }
void install(size_t i, void (*handler)(int)) {
  struct sigaction flushing = {};
  flushing.sa_handler = handler;
  sigemptyset(&flushing.sa_mask);
  sigaction(crashes[i], &flushing, &before[i]);
}
#endif

// Writes the lines still pending, then lets the signal do what it did before
// (the default, or a sanitizer's report). Only write(2) and sigaction here.
void flushOnCrash(int signal) {
  Proof::I()->flush();
  for (size_t i = 0; i < sizeof crashes / sizeof crashes[0]; ++i)
    if (crashes[i] == signal) restore(i);
  raise(signal);
}

}  // namespace

Proof* Proof::create() {
  instance = new Proof;
  return instance;
}

// Without "proof.txt" (read-only folder, a folder or a link of that name) the
// program still runs, untraced.
Proof::Proof() : file(Tessel::createHandle("proof.txt", false)) {
  if (file < 0) return;
  std::atexit([] { Proof::I()->flush(); });
  for (size_t i = 0; i < sizeof crashes / sizeof crashes[0]; ++i) install(i, flushOnCrash);
}

Proof::~Proof() {
  flush();
  if (file >= 0) ::close(file);
}

namespace {

// All of it, or as much as the disk takes: a trace that loses its end on a
// full disk is still a trace.
void writeAll(int file, const char* bytes, size_t count) {
  for (size_t done = 0; done < count;) {
    const ssize_t wrote = ::write(file, bytes + done, count - done);
    if (wrote <= 0) return;
    done += size_t(wrote);
  }
}

}  // namespace

void Proof::open(const char* name) {
  stack.push(name);
  line.append("=> ").append(name).push_back(' ');
}

void Proof::close() { line.resize(line.size() - std::strlen(stack.pop()) - 4); }

void Proof::writeLine() {
  const size_t length = line.size() + 1;
  if (used + length > sizeof pending) flush();
  if (length > sizeof pending) {  // deeper than any real nesting: written as it is
    writeAll(file, line.data(), line.size());
    writeAll(file, "\n", 1);
    return;
  }
  std::memcpy(pending + used, line.data(), line.size());
  pending[used + line.size()] = '\n';
  used += length;
}

void Proof::flush() {
  writeAll(file, pending, used);
  used = 0;
}
