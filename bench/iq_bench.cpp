// Decimal arithmetic against GMP integers counted in hundredths.
// Operands have the given number of integer digits and two fraction digits;
// multiplication takes operands half as long, division divides by one half as long.
// bench/iq_compare.py runs this together with GNU bc and prints the ratios.
#include <tessel/iq.h>

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <random>
#include <string>
#include <utility>

#include "iq_reference.h"

namespace {

// The operands of one size, the same text for IQ, GMP and bc.
struct Operands {
  std::string a, b, halfA, halfB;
};

std::string number(std::mt19937_64& rng, int integerDigits) {
  std::string s(1, char('1' + rng() % 9));
  for (int i = 1; i < integerDigits; ++i) s += char('0' + rng() % 10);
  return s + "." + char('0' + rng() % 10) + char('1' + rng() % 9);
}

Operands operands(int digits) {
  std::mt19937_64 rng(digits);
  return {number(rng, digits), number(rng, digits), number(rng, digits / 2), number(rng, digits / 2)};
}

// A GMP integer holding the number in hundredths.
struct Hundredths {
  mpz_t v;
  explicit Hundredths(const std::string& text = "0") {
    std::string digits;
    for (char c : text)
      if (c != '.') digits += c;
    mpz_init_set_str(v, digits.c_str(), 10);
  }
  ~Hundredths() { mpz_clear(v); }
};

// Which operands an operation takes: two of the full length, two of half the
// length (multiplication), full by half (division), or one (square root).
enum class Shape { Full, Half, Divide, Single };

std::pair<std::string, std::string> pick(const Operands& o, Shape shape) {
  switch (shape) {
    case Shape::Half: return {o.halfA, o.halfB};
    case Shape::Divide: return {o.a, o.halfB};
    case Shape::Single: return {o.a, o.a};
    default: return {o.a, o.b};
  }
}

// T is IQ, or its earlier version (Ref_op) to show what a change gained.
template <typename T, typename Op> void number_op(benchmark::State& state, Shape shape, Op op) {
  auto texts = pick(operands(int(state.range(0))), shape);
  T a(texts.first.c_str()), b(texts.second.c_str()), c;
  for (auto _ : state) {
    op(c, a, b);
    benchmark::DoNotOptimize(c);
  }
}

template <typename Op> void GMP_op(benchmark::State& state, Shape shape, Op op) {
  auto texts = pick(operands(int(state.range(0))), shape);
  Hundredths a(texts.first), b(texts.second), c, scratch;
  for (auto _ : state) {
    op(c.v, a.v, b.v, scratch.v);
    benchmark::DoNotOptimize(c.v);
  }
}

template <typename Op> void IQ_op(benchmark::State& state, Shape shape, Op op) { number_op<IQ>(state, shape, op); }
template <typename Op> void Ref_op(benchmark::State& state, Shape shape, Op op) {
  number_op<reference::IQ>(state, shape, op);
}

// Each operation once, for IQ and for its earlier version.
const auto addOp = [](auto& c, const auto& a, const auto& b) { c = a, c += b; };
const auto subOp = [](auto& c, const auto& a, const auto& b) { c = a, c -= b; };
const auto mulOp = [](auto& c, const auto& a, const auto& b) { c.setMult(a, b); };
const auto divOp = [](auto& c, const auto& a, const auto& b) { c = a, c /= b; };
const auto sqrtOp = [](auto& c, const auto& a, const auto&) { c = a, c.sqrt(); };

}  // namespace

#define SIZES ->Arg(20)->Arg(100)->Arg(250)->Arg(505)
BENCHMARK_CAPTURE(IQ_op, add, Shape::Full, addOp) SIZES;
BENCHMARK_CAPTURE(Ref_op, add, Shape::Full, addOp) SIZES;
BENCHMARK_CAPTURE(IQ_op, sub, Shape::Full, subOp) SIZES;
BENCHMARK_CAPTURE(Ref_op, sub, Shape::Full, subOp) SIZES;
BENCHMARK_CAPTURE(IQ_op, mul, Shape::Half, mulOp) SIZES;
BENCHMARK_CAPTURE(Ref_op, mul, Shape::Half, mulOp) SIZES;
BENCHMARK_CAPTURE(IQ_op, div, Shape::Divide, divOp) SIZES;
BENCHMARK_CAPTURE(Ref_op, div, Shape::Divide, divOp) SIZES;
BENCHMARK_CAPTURE(IQ_op, sqrt, Shape::Single, sqrtOp) SIZES;
BENCHMARK_CAPTURE(Ref_op, sqrt, Shape::Single, sqrtOp) SIZES;
BENCHMARK_CAPTURE(GMP_op, add, Shape::Full, [](mpz_t c, mpz_t a, mpz_t b, mpz_t) { mpz_add(c, a, b); }) SIZES;
BENCHMARK_CAPTURE(GMP_op, sub, Shape::Full, [](mpz_t c, mpz_t a, mpz_t b, mpz_t) { mpz_sub(c, a, b); }) SIZES;
// A macro's lambda argument and the SIZES after it read best as written.
// clang-format off
BENCHMARK_CAPTURE(GMP_op, mul, Shape::Half, [](mpz_t c, mpz_t a, mpz_t b, mpz_t) {
  mpz_mul(c, a, b);
  mpz_tdiv_q_ui(c, c, 100);
}) SIZES;
BENCHMARK_CAPTURE(GMP_op, div, Shape::Divide, [](mpz_t c, mpz_t a, mpz_t b, mpz_t t) {
  mpz_mul_ui(t, a, 100);
  mpz_tdiv_q(c, t, b);
}) SIZES;
BENCHMARK_CAPTURE(GMP_op, sqrt, Shape::Single, [](mpz_t c, mpz_t a, mpz_t, mpz_t t) {
  mpz_mul_ui(t, a, 100);
  mpz_sqrt(c, t);
}) SIZES;
// clang-format on

namespace {

// Prints the operands of every size so that other tools measure the same numbers.
void printOperands() {
  for (int digits : {20, 100, 250, 505}) {
    Operands o = operands(digits);
    std::printf("%d %s %s %s %s\n", digits, o.a.c_str(), o.b.c_str(), o.halfA.c_str(), o.halfB.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--operands") {
    printOperands();
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
