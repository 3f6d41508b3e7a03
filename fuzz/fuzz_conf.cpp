// Arbitrary bytes as "data/conf.txt", read as at start-up: a word, two integers and a word.
// Nothing may crash or upset the sanitizers; the first word alone decides the texture
// filtering; a file without a digit leaves the window size as it was, and a side that is
// read lies in 1..16384.
#include "shell.h"
#include "workdir.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const file = "data/conf.txt";

bool firstWordIsNice(const std::uint8_t* data, std::size_t size) {
  std::size_t i = 0;
  while (i < size && std::isspace(data[i])) ++i;
  return i < size && std::tolower(data[i]) == 'n';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzwork::enterPrivateFolder("conf", argc, argv);
  if (mkdir("data", 0700) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FILE* out = std::fopen(file, "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();

  // Values no file leads to by chance.
  bool niceTex = size % 2 == 0, fullscreen = size % 3 == 0;
  int width = -12345, height = -54321;
  readSettings(file, niceTex, width, height, fullscreen);

  if (niceTex != firstWordIsNice(data, size)) std::abort();
  bool digit = false;
  for (std::size_t i = 0; i < size && !digit; ++i) digit = std::isdigit(data[i]) != 0;
  if (!digit && (width != -12345 || height != -54321)) std::abort();
  // A side read is always one a window can have.
  if ((width != -12345 && (width < 1 || width > 16384)) || (height != -54321 && (height < 1 || height > 16384)))
    std::abort();
  return 0;
}
