// The profiler's scope trace.
#include <tessel/proof.h>

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

Proof* Proof::instance = nullptr;

namespace {

// The signals that end a program that went wrong, and what they did before.
const int crashes[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction before[sizeof crashes / sizeof crashes[0]];

// Writes the lines still pending, then lets the signal do what it did before
// (the default, or a sanitizer's report). Only write(2) and sigaction here.
void flushOnCrash(int signal) {
  Proof::I()->flush();
  for (size_t i = 0; i < sizeof crashes / sizeof crashes[0]; ++i)
    if (crashes[i] == signal) sigaction(signal, &before[i], nullptr);
  raise(signal);
}

}  // namespace

Proof* Proof::create() {
  instance = new Proof;
  return instance;
}

// Without "proof.txt" (read-only folder, a folder or a link of that name) the
// program still runs, untraced.
Proof::Proof() : file(::open("proof.txt", O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666)) {
  if (file < 0) return;
  std::atexit([] { Proof::I()->flush(); });
  struct sigaction flushing = {};
  flushing.sa_handler = flushOnCrash;
  sigemptyset(&flushing.sa_mask);
  for (size_t i = 0; i < sizeof crashes / sizeof crashes[0]; ++i) sigaction(crashes[i], &flushing, &before[i]);
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
