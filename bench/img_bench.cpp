// Benchmark of Img's costly operations against their straightforward versions.
//
// Img's costly operations against the straightforward algorithms of
// img_literal.h, on 256 × 256 and 1024 × 1024 pictures. Both versions of an
// operation start from the same picture and the same rand() seed; after the
// run their last results are compared byte for byte (exit status 1 when any
// pair differs) and the medians are printed as a table.
//
//   build/bench/img_bench     (5 repetitions each; medians of the process's CPU
//                              time, which counts the literal fill's own thread)
#include "img_literal.h"

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Op = std::function<bool(Img&)>;  // true/false for cristal's result, else true

struct Case {
  const char* name;
  std::function<void(Img&)> prepare;  // the input picture, drawn into a zero one
  Op ours, literal;
};

struct Line {
  int x1, y1, x2, y2;
  std::uint32_t colour;
};

std::vector<Line> lines(unsigned size) {
  std::mt19937 rng(size);
  std::vector<Line> all(1000);
  for (Line& l : all)
    l = {int(rng() % size), int(rng() % size), int(rng() % size), int(rng() % size),
         std::uint32_t(0x80000000u | (rng() & 0xFFFFFF))};
  return all;
}

void noise(Img& img) {
  std::mt19937 rng(img.getWidth());
  for (unsigned y = 0; y < img.getHeight(); ++y)
    for (unsigned x = 0; x < img.getWidth(); ++x) img.get(int(x), int(y)) = rng();
}

// Walls on 30 % of the pixels: one large winding area and many small ones.
void maze(Img& img) {
  std::mt19937 rng(7);
  for (unsigned y = 0; y < img.getHeight(); ++y)
    for (unsigned x = 0; x < img.getWidth(); ++x) img.get(int(x), int(y)) = rng() % 10 < 3 ? 0xFF000000u : 0;
  img.get(int(img.getWidth() / 2), int(img.getHeight() / 2)) = 0;
}

// A crystal line across the middle and start points eight rows from it.
void crystalSeed(Img& img) {
  const int w = int(img.getWidth()), mid = int(img.getHeight() / 2);
  for (int x = 0; x < w; ++x) {
    img.getA(x, mid) = 255;
    img.getA(x, mid - 8) = img.getA(x, mid + 8) = 1;
  }
}

// The recursion of the literal fill goes as deep as the area is large.
void onLargeStack(const std::function<void()>& body) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, std::size_t(1) << 30);
  pthread_t thread;
  auto run = [](void* f) -> void* {
    (*static_cast<const std::function<void()>*>(f))();
    return nullptr;
  };
  if (pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)) != 0) std::abort();
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

template <typename F> Op always(F f) {
  return [f](Img& img) {
    f(img);
    return true;
  };
}

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"lineto", [](Img&) {},
       [](Img& img) {
         for (const Line& l : lines(img.getWidth())) img.lineto(l.x1, l.y1, l.x2, l.y2, l.colour);
         return true;
       },
       [](Img& img) {
         for (const Line& l : lines(img.getWidth())) literal::lineto(img, l.x1, l.y1, l.x2, l.y2, l.colour);
         return true;
       }},
      {"fill", maze, always([](Img& img) { img.fill(int(img.getWidth() / 2), int(img.getHeight() / 2), 0xFF00FF00); }),
       always([](Img& img) {
         onLargeStack([&] { literal::fill(img, int(img.getWidth() / 2), int(img.getHeight() / 2), 0xFF00FF00); });
       })},
      {"mask", noise, always([](Img& img) { img.smoth(); }),
       always([](Img& img) { literal::mask(img, 0.1f, 0.1f, 0.1f, 0.1f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f); })},
      {"perlinNoise", [](Img&) {}, always([](Img& img) { img.perlinNoise(5, 2); }),
       always([](Img& img) { literal::perlinNoise(img, 5, 2); })},
      {"cristal", crystalSeed, [](Img& img) { return img.cristal(300, 2000, 0xFF3080C0); },
       [](Img& img) { return literal::cristal(img, 300, 2000, 0xFF3080C0); }},
      {"texgenkd", [](Img&) {}, always([](Img& img) { img.texgenkd(); }), always(literal::texgenkd)},
      {"texgencastw1", [](Img&) {}, always([](Img& img) { img.texgencastw1(); }), always(literal::texgencastw1)},
      {"texgencastf", [](Img&) {}, always([](Img& img) { img.texgencastf(); }), always(literal::texgencastf)},
      {"texgenroad1", [](Img&) {}, always([](Img& img) { img.texgenroad1(); }), always(literal::texgenroad1)},
  };
  return all;
}

// The last result of every benchmark, by name and size: the pixels and the
// operation's own result.
std::map<std::string, std::vector<unsigned char>> results;

void measure(benchmark::State& state, const Case* c, bool literal) {
  const unsigned size = unsigned(state.range(0));
  Img input(size, size), work(size, size);
  c->prepare(input);
  const std::size_t bytes = std::size_t(size) * size * 4;
  bool answer = false;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(work.getData(), input.getData(), bytes);  // no copy constructor: it prints
    std::srand(1);
    state.ResumeTiming();
    answer = (literal ? c->literal : c->ours)(work);
  }
  std::vector<unsigned char> out(work.getData(), work.getData() + bytes);
  out.push_back(answer);
  results[std::string(c->name) + (literal ? "/literal/" : "/ours/") + std::to_string(size)] = std::move(out);
}

// Prints as usual and keeps the medians for the closing table.
class MedianReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : cases())
    for (bool literal : {false, true})
      benchmark::RegisterBenchmark((std::string(c.name) + (literal ? "/literal" : "/ours")).c_str(), measure, &c,
                                   literal)
          ->Arg(256)
          ->Arg(1024)
          ->Unit(benchmark::kMillisecond)
          ->MeasureProcessCPUTime()
          ->Repetitions(5)
          ->ReportAggregatesOnly(true);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  int status = 0;
  std::printf("\n| operation | picture | ours (ms) | literal (ms) | literal / ours | same bytes |\n");
  std::printf("|---|---|---:|---:|---:|---|\n");
  for (const Case& c : cases())
    for (unsigned size : {256u, 1024u}) {
      const std::string tail = "/" + std::to_string(size);
      const auto ours = results.find(c.name + std::string("/ours") + tail);
      const auto theirs = results.find(c.name + std::string("/literal") + tail);
      if (ours == results.end() || theirs == results.end()) continue;
      const bool same = ours->second == theirs->second;
      if (!same) status = 1;
      const double a = reporter.medians[c.name + std::string("/ours") + tail];
      const double b = reporter.medians[c.name + std::string("/literal") + tail];
      std::printf("| %s | %u × %u | %.3f | %.3f | %.1f× | %s |\n", c.name, size, size, a, b, a > 0 ? b / a : 0.0,
                  same ? "yes" : "NO");
    }
  return status;
}
