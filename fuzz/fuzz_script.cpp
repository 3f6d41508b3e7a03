// Arbitrary bytes as a script file: read into lines, then run by the console.
// The lines must be the file's, split at every line feed, a carriage return
// before it included (a text line ends at its first zero byte); the run, with its jumps, loops and nested runs, ends
// within a budget of lines, and nothing may crash or upset the sanitizers.
#include <kro/cfr.h>
#include <kro/script.h>
#include <tessel/var.h>

#include "workdir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const file = "fuzz.kro";

void checkLines(const std::string& text) {
  const Script script(file);
  size_t start = 0;
  unsigned nr = 1;
  for (;; ++nr) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (nr > script.lineCount()) std::abort();  // a line lost
    std::string line = text.substr(start, end - start);
    if (end < text.size() && !line.empty() && line.back() == '\r') line.pop_back();
    if (std::strcmp(script.lineText(nr), line.c_str()) != 0) std::abort();
    if (end == text.size()) break;
    start = end + 1;
  }
  if (script.lineCount() != nr || script.currentLine() != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Without data/ the log keeps to the screen, which goes nowhere.
  fuzzwork::enterPrivateFolder("script", argc, argv);
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  Cfr::I();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FILE* out = std::fopen(file, "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();
  const std::string text(reinterpret_cast<const char*>(data), size);
  checkLines(text);

  Cfr* console = Cfr::I();
  Var::clearGlobal();  // each input starts without the variables of the ones before
  console->setStepLimit(500);
  try {
    console->runScirptFile(file);
  } catch (const char* message) {
    if (!message || !*message) std::abort();
  }
  if (console->currentScript() != nullptr) std::abort();  // every script has ended
  return 0;
}
