// The console's interpreter: typical command lines, a loop and a long script.
// It runs in a fresh folder without data/, so the log has no file and measures
// the interpreter itself; Log_echo* show what each log line costs on top.
// Standard output goes to /dev/null: a terminal would measure the terminal.
#include <kro/cfr.h>
#include <kro/functor.h>
#include <kro/script.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

void nothing(int, const char**) {}

Cfr* console() {
  static Cfr* c = [] {
    Cfr* made = Cfr::I();
    made->addFun(new FunctorStaticIC("nop", nothing));
    return made;
  }();
  return c;
}

void execLine(benchmark::State& state, const char* line) {
  Cfr* c = console();
  for (auto _ : state) benchmark::DoNotOptimize(c->exec(line));
}

// Parsing and dispatch alone: five words to a command that does nothing.
void Exec_fiveWords(benchmark::State& state) { execLine(state, "nop alpha \"b c\" \\$d e"); }
// Five words, one of them read from a variable.
void Exec_fiveWordsWithVariable(benchmark::State& state) {
  Var::get("d") = std::string("value");
  execLine(state, "nop alpha \"b c\" $d e");
}
void Exec_set(benchmark::State& state) { execLine(state, "set \\$x 5"); }
// bc writes three debug lines: most of its time is the log.
void Exec_bc(benchmark::State& state) { execLine(state, "bc 1 < 2"); }
void Exec_for100(benchmark::State& state) { execLine(state, "for i to 100 do set \\\\$y \\$i"); }

// 1,000 lines; each is written to the log before it runs.
void Script_1000lines(benchmark::State& state) {
  {
    std::ofstream out("bench.kro");
    for (int i = 0; i < 1000; ++i) out << "set \\$z " << i << "\n";
  }
  Cfr* c = console();
  for (auto _ : state) c->runScirptFile("bench.kro");
  state.SetItemsProcessed(state.iterations() * 1000);
}

// One log line, without and with the file (appended and closed per line).
void Log_echoScreen(benchmark::State& state) {
  Loglog log;  // in the folder without data/: no file
  for (auto _ : state) log.echo("n1=1", 2);
}
void Log_echoWithFile(benchmark::State& state) {
  std::filesystem::create_directory("data");
  Loglog log;
  for (auto _ : state) log.echo("n1=1", 2);
  std::filesystem::remove_all("data");
}

}  // namespace

BENCHMARK(Exec_fiveWords);
BENCHMARK(Exec_fiveWordsWithVariable);
BENCHMARK(Exec_set);
BENCHMARK(Exec_bc);
BENCHMARK(Exec_for100);
BENCHMARK(Script_1000lines);
BENCHMARK(Log_echoScreen);
BENCHMARK(Log_echoWithFile);

int main(int argc, char** argv) {
  char folder[] = "/tmp/giftguard-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::filesystem::current_path(folder);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The report goes to standard error; the log's copy on standard output is dropped.
  static benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
  reporter.SetOutputStream(&std::cerr);
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
