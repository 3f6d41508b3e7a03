// Benchmark of the chunk format's saves and loads.
//
// Saving and loading arrays of ints in the chunk format, against writing and
// reading the same numbers with a plain fprintf/fscanf loop.
//
//   chunk_bench [--trace=null|off] [benchmark flags]
//
// Every chunk operation opens profiler scopes, and each scope writes lines to
// "proof.txt". --trace=null (the default) sends them to /dev/null: the
// formatting is paid, the disk is not. --trace=off leaves the trace without a
// file, so that only the scope bookkeeping remains.
#include <tessel/arraySerializable.h>
#include <tessel/proof.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string folder;

std::string path(const char* name) { return folder + "/" + name; }

std::vector<int> numbers(unsigned n) {
  std::vector<int> v(n);
  unsigned x = 12345;
  for (int& e : v) {
    x = x * 1103515245u + 12345u;
    e = int(x) / 7;
  }
  return v;
}

void fill(ArraySerializable<int>& a, const std::vector<int>& v) {
  for (unsigned i = 0; i < v.size(); ++i) a[i] = v[i];
  a.num = unsigned(v.size());
}

void BM_ChunkSave(benchmark::State& state) {
  Serializable::fileType = char(state.range(0));
  ArraySerializable<int> a;
  fill(a, numbers(unsigned(state.range(1))));
  const std::string file = path("save.dat");
  for (auto _ : state) a.save(file.c_str());
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_ChunkLoad(benchmark::State& state) {
  Serializable::fileType = char(state.range(0));
  const std::vector<int> v = numbers(unsigned(state.range(1)));
  ArraySerializable<int> a;
  fill(a, v);
  const std::string file = path("load.dat");
  a.save(file.c_str());
  for (auto _ : state) {
    ArraySerializable<int> back;
    back.load(file.c_str());
    benchmark::DoNotOptimize(back.getData());
    if (back.num != v.size() || back[back.num - 1] != v.back()) state.SkipWithError("wrong load");
  }
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_PlainFprintf(benchmark::State& state) {
  const std::vector<int> v = numbers(unsigned(state.range(0)));
  const std::string file = path("plain.txt");
  for (auto _ : state) {
    FILE* f = fopen(file.c_str(), "wb");
    for (int e : v) fprintf(f, "%d\n", e);
    fclose(f);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PlainFscanf(benchmark::State& state) {
  const std::vector<int> v = numbers(unsigned(state.range(0)));
  const std::string file = path("plain.txt");
  FILE* out = fopen(file.c_str(), "wb");
  for (int e : v) fprintf(out, "%d\n", e);
  fclose(out);
  std::vector<int> back(v.size());
  for (auto _ : state) {
    FILE* f = fopen(file.c_str(), "rb");
    for (int& e : back)
      if (fscanf(f, "%d", &e) != 1) state.SkipWithError("short read");
    fclose(f);
    benchmark::DoNotOptimize(back.data());
  }
  if (back != v) state.SkipWithError("wrong read");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void forms(benchmark::internal::Benchmark* b) {
  b->ArgNames({"form", "n"});
  for (char form : {'x', 'c'})
    for (int n : {1000, 65536}) b->Args({form, n});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ChunkSave)->Apply(forms);
BENCHMARK(BM_ChunkLoad)->Apply(forms);
BENCHMARK(BM_PlainFprintf)->Arg(1000)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFscanf)->Arg(1000)->Arg(65536)->Unit(benchmark::kMillisecond);

// Points the descriptor that has name open at /dev/null.
bool toDevNull(const std::string& name) {
  const int null = open("/dev/null", O_WRONLY);
  for (int fd = 0; null >= 0 && fd < 1024; ++fd) {
    char target[4096];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, size_t(n)) == name) return dup2(null, fd) == fd && close(null) == 0;
  }
  return false;
}

// The trace file is opened once, by the first scope, in the working folder:
// open it here, in a folder of our own, before anything is measured.
bool setUp(const char* trace) {
  char pattern[] = "/tmp/giftguard-bench-XXXXXX";
  if (!mkdtemp(pattern)) return false;
  folder = pattern;
  const std::string proof = path("proof.txt");
  if (strcmp(trace, "off") == 0 && mkdir(proof.c_str(), 0700) != 0) return false;  // no file can take that name
  char previous[4096];
  if (!getcwd(previous, sizeof previous) || chdir(folder.c_str()) != 0) return false;
  Proof::I();
  // The trace never follows a link at its name: its descriptor is sent to /dev/null once open.
  return chdir(previous) == 0 && (strcmp(trace, "null") != 0 || toDevNull(proof));
}

void tearDown() {
  for (const char* name : {"save.dat", "load.dat", "plain.txt"}) remove(path(name).c_str());
  remove(path("proof.txt").c_str());
  rmdir(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* trace = "null";
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (strncmp(argv[i], "--trace=", 8) == 0) {
      trace = argv[i] + 8;
    } else {
      args.push_back(argv[i]);
    }
  }
  if (strcmp(trace, "null") != 0 && strcmp(trace, "off") != 0) {
    fprintf(stderr, "--trace must be null or off\n");
    return 2;
  }
  if (!setUp(trace)) {
    perror("chunk_bench: temporary folder");
    return 1;
  }
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::AddCustomContext("trace", trace);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tearDown();
  return 0;
}
