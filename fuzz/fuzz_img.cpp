// Fuzz target: arbitrary bytes as BMP and TGA files.
//
// Arbitrary bytes as BMP and TGA files: a reader either loads a picture whose
// pixels the input really holds or throws a message; never a crash, a
// sanitizer report or an allocation larger than the input warrants.
//
// The first byte chooses the reader (even BMP, odd TGA); the rest is the file.
// FUZZ_IMG_ONLY=bmp or FUZZ_IMG_ONLY=tga pins the reader for a session on one
// format.
#include <kro/img.h>
#include <tessel/tessel.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int pinned = -1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* only = std::getenv("FUZZ_IMG_ONLY")) pinned = std::strcmp(only, "tga") == 0 ? 1 : 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;  // fmemopen needs at least one byte
  const bool tga = pinned >= 0 ? pinned == 1 : (data[0] & 1) != 0;
  std::vector<std::uint8_t> file(data + 1, data + size);
  Tessel::File stream(fmemopen(file.data(), file.size(), "rb"));
  if (!stream) std::abort();
  Img img(1, 1);
  try {
    if (tga)
      img.load2tga(stream.get());
    else
      img.load2bmp(stream.get());
  } catch (const char* message) {
    if (!message || !*message) std::abort();
    // A failed read leaves the picture as it was.
    if (img.getWidth() != 1 || img.getHeight() != 1) std::abort();
    return 0;
  }
  // Every pixel came from the input: 3 bytes each for BMP, 4 for TGA.
  const std::uint64_t pixels = std::uint64_t(img.getWidth()) * img.getHeight();
  if (pixels > Img::MAX_PIXELS || pixels * (tga ? 4 : 3) > file.size()) std::abort();
  unsigned sum = 0;
  for (std::uint64_t k = 0; k < pixels * 4; ++k) sum += img.getData()[k];
  if (!tga && pixels && img.getA(0, 0) != 255) std::abort();
  return sum == 0xFFFFFFFFu;  // keeps the read of every byte
}
