// Arbitrary bytes as "data/defvar.txt": whitespace-separated pairs of a name and a value, at most 255 bytes a word.
// Every pair must end up as a variable (the last pair of a name wins; a name ends at its
// first zero byte), a lone last word is dropped, and nothing may crash or upset the
// sanitizers.
#include <tessel/var.h>

#include "workdir.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const file = "data/defvar.txt";

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> found;
  size_t i = 0;
  for (;;) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size()) return found;
    const size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    found.push_back(text.substr(start, std::min<size_t>(i - start, 255)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzwork::enterPrivateFolder("defvar", argc, argv);
  if (mkdir("data", 0700) != 0) std::abort();
  Var::setLogHook([](const char*) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FILE* out = std::fopen(file, "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();

  Var::clearGlobal();
  try {
    Var::loadGlobal(file);
  } catch (const char*) {
    std::abort();  // the file is there to read
  }

  const std::vector<std::string> all = words(std::string(reinterpret_cast<const char*>(data), size));
  std::map<std::string, std::string> expected;
  for (size_t k = 0; k + 1 < all.size(); k += 2) expected[all[k].c_str()] = all[k + 1];
  for (const auto& [name, value] : expected)
    if (!Var::isset(name.c_str()) || !(Var::get(name.c_str()) == value)) std::abort();
  return 0;
}
