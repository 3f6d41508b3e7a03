// Fuzz target: arbitrary bytes loaded as chunks in the three forms.
//
// Arbitrary bytes loaded into an object shaped like the top list (sixteen
// children of a name and a score) plus two arrays, in one of the three forms.
// The first byte picks the form: 'c', 't' or 'x' as such, any other byte by
// its value modulo 3; GIFTGUARD_FUZZ_FORM=c|t|x forces one. Loading may throw a
// message and nothing else. What loaded must save, load back and save again
// to the same bytes (in the binary form for some inputs only).
#include <tessel/arraySerializable.h>
#include <tessel/proof.h>
#include <tessel/serializable.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using Stream = Tessel::File;

struct Item : Serializable {
  char name[4] = {};
  unsigned score = 0;
  void loadSave() override {
    assign(chunk2unsigned("NAME"), name, 4);
    assign(chunk2unsigned("SCOR"), &score);
  }
};

struct List : Serializable {
  Item item[16];
  ArraySerializable<int> numbers;
  ArraySerializable<char> text;
  void loadSave() override {
    for (unsigned i = 0; i < 16; ++i) assign(chunk2unsigned("A_EN") + i, &item[i]);
    assign(chunk2unsigned("NUMS"), &numbers);
    assign(chunk2unsigned("TEXT"), &text);
  }
};

char forced = 0;

Stream reading(const uint8_t* data, size_t size) {
  // fmemopen refuses an empty buffer.
  if (size == 0) return Stream(fopen("/dev/null", "rb"));
  return Stream(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
}

std::string saved(List& list) {
  char* buffer = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&buffer, &length);
  if (!out) abort();
  try {
    list.save(out);
  } catch (const char* message) {
    fprintf(stderr, "save failed: %s\n", message);
    abort();
  }
  fclose(out);
  std::string bytes(buffer, length);
  free(buffer);
  return bytes;
}

void reload(List& list, const std::string& bytes) {
  Stream in = reading(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  try {
    list.load(in.get(), 0);
  } catch (const char* message) {
    fprintf(stderr, "saved bytes do not load: %s\n", message);
    abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* form = getenv("GIFTGUARD_FUZZ_FORM");
  if (form && (*form == 'c' || *form == 't' || *form == 'x')) forced = *form;
  // Every chunk operation writes trace lines: open the trace where no file can
  // be made, so that it stays off, and leave no folder behind.
  char folder[] = "/tmp/giftguard-fuzz-XXXXXX";
  char previous[4096];
  if (!mkdtemp(folder) || !getcwd(previous, sizeof previous)) abort();
  const std::string blocker = std::string(folder) + "/proof.txt";
  if (mkdir(blocker.c_str(), 0700) != 0 || chdir(folder) != 0) abort();
  Proof::I();
  if (chdir(previous) != 0) abort();
  rmdir(blocker.c_str());
  rmdir(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char form = forced                                               ? forced
                    : data[0] == 'c' || data[0] == 't' || data[0] == 'x' ? char(data[0])
                                                                         : "ctx"[data[0] % 3];
  Serializable::fileType = form;
  List list;
  Stream in = reading(data + 1, size - 1);
  if (!in) abort();
  try {
    list.load(in.get(), 0);
  } catch (const char*) {
    return 0;  // refused with a message: fine
  }
  if (list.numbers.num > 65536 || list.text.num > 65536) abort();
  // A binary save makes a temporary file per chunk, some fifty here: check it
  // on one input in sixteen, and with short arrays only, or loading gets few runs.
  if (form == 'c' && (size % 16 != 0 || list.numbers.num + list.text.num > 64)) return 0;
  const std::string first = saved(list);
  if (form == 'x' && first.compare(0, 2, "\t<") != 0) abort();  // depth 1, not deeper
  List again;
  reload(again, first);
  if (saved(again) != first) abort();
  return 0;
}
