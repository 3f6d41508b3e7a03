// Arbitrary bytes as "data/toplist.dat", loaded by the top list as at start-up.
// The first byte picks the form of the file: 'c', 't' or 'x' as such, any other
// byte by its value modulo 3; GIFTGUARD_FUZZ_FORM=c|t|x forces one. The rest
// is the file.
//
// A file that loads stays where it is, gives a sorted list, and saves and
// loads back to the same list. A file that does not load is kept aside as
// "data/toplist.dat.bad" with every byte it had, and the list is empty.
#include <kro/cfr.h>
#include <tessel/proof.h>
#include <tessel/serializable.h>
#include <tessel/tessel.h>

#include "modTopList.h"
#include "workdir.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char* const aside = "data/toplist.dat.bad";
char forced = 0;

struct Entry {
  char name[4];
  unsigned score;
  bool operator!=(const Entry& o) const { return score != o.score || std::memcmp(name, o.name, 4) != 0; }
};

void snapshot(Entry (&entries)[ModTopList::places]) {
  for (unsigned i = 0; i < ModTopList::places; ++i) {
    std::memcpy(entries[i].name, ModTopList::I()->entry(i).name, 4);
    entries[i].score = ModTopList::I()->entry(i).score;
  }
}

std::string contents(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write(const char* name, const std::uint8_t* data, std::size_t size) {
  FILE* file = std::fopen(name, "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
}

void checkLoaded(bool roundTrip) {
  ModTopList* list = ModTopList::I();
  if (Tessel::is_file(aside)) std::abort();  // a file that loads is not put aside
  Entry loaded[ModTopList::places];
  snapshot(loaded);
  for (unsigned i = 1; i < ModTopList::places; ++i)
    if (loaded[i].score > loaded[i - 1].score) std::abort();  // best first
  if (!roundTrip) return;
  list->keydown('S');
  list->loadFile();
  Entry again[ModTopList::places];
  snapshot(again);
  for (unsigned i = 0; i < ModTopList::places; ++i)
    if (again[i] != loaded[i]) std::abort();  // what was saved comes back
  if (Tessel::is_file(aside)) std::abort();
}

void checkRefused(const std::uint8_t* data, std::size_t size) {
  for (unsigned i = 0; i < ModTopList::places; ++i) {
    const TopListItem& entry = ModTopList::I()->entry(i);
    if (entry.score != 0 || std::memcmp(entry.name, "\0\0\0\0", 4) != 0) std::abort();
  }
  // Nothing of the unreadable file is lost.
  if (contents(aside) != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const char* form = std::getenv("GIFTGUARD_FUZZ_FORM");
  if (form && (*form == 'c' || *form == 't' || *form == 'x')) forced = *form;
  fuzzwork::enterPrivateFolder("toplist", argc, argv);
  // A folder in the way of "proof.txt" keeps the trace off, and the console
  // made before data/ exists keeps its log off the disk: both would grow
  // with every input.
  if (mkdir("proof.txt", 0700) != 0) std::abort();
  Proof::I();
  Cfr::I();
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  if (mkdir("data", 0700) != 0) std::abort();
  ModTopList::I();  // no file yet: an empty list
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char form = forced                                               ? forced
                    : data[0] == 'c' || data[0] == 't' || data[0] == 'x' ? char(data[0])
                                                                         : "ctx"[data[0] % 3];
  Serializable::fileType = form;
  write(ModTopList::fileName(), data + 1, size - 1);

  ModTopList::I()->loadFile();
  // A binary save makes a temporary file per chunk: check it on one input in four.
  if (Tessel::is_file(ModTopList::fileName()))
    checkLoaded(form != 'c' || size % 4 == 0);
  else
    checkRefused(data + 1, size - 1);

  std::remove(ModTopList::fileName());
  std::remove(aside);
  return 0;
}
