// Arbitrary command lines into the console, then the same text as a script file run by the console.
// A budget of lines ends loops and jumps that are long by design; nothing may crash or
// upset the sanitizers.
#include <kro/cfr.h>
#include <tessel/var.h>

#include "workdir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // A folder without data/: the log keeps to the screen, and scripts are written here.
  fuzzwork::enterPrivateFolder("console", argc, argv);
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  Cfr::I();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Cfr* console = Cfr::I();
  const std::string text(reinterpret_cast<const char*>(data), size);

  Var::clearGlobal();  // each input starts without the variables of the ones before
  console->setStepLimit(300);
  size_t start = 0;
  for (int lines = 0; start <= text.size() && lines < 64; ++lines) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    console->exec(line.c_str());
    start = end + 1;
  }

  if (FILE* script = std::fopen("fuzz.kro", "wb")) {
    std::fwrite(text.data(), 1, text.size(), script);
    std::fclose(script);
  }
  console->setStepLimit(300);
  console->exec("run fuzz.kro");
  if (console->currentScript() != nullptr) std::abort();  // every script has ended
  return 0;
}
