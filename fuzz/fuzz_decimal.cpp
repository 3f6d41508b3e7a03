// Fuzz target: arbitrary text into decimals and variables.
//
// Arbitrary text into decimals and variables: parsing, the numeric conversions
// and the arithmetic must never crash, and products and sums must agree with
// digit-per-byte arithmetic.
#include <tessel/iq.h>
#include <tessel/var.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "iq_literal.h"

namespace {

std::string magnitude(const IQ& v) {
  std::string text = v.getDecF();
  return text[0] == '-' ? text.substr(1) : text;
}

void checkProduct(const IQ& a, const IQ& b) {
  LiteralIQ expected;
  const bool fits = LiteralIQ::mul(LiteralIQ::parse(magnitude(a)), LiteralIQ::parse(magnitude(b)), expected);
  try {
    IQ product = a * b;
    if (!fits || magnitude(product) != expected.str() || product.minus != (a.minus != b.minus)) std::abort();
  } catch (const char*) {
    if (fits) std::abort();
  }
}

void checkSum(const IQ& a, const IQ& b) {
  LiteralIQ expected = LiteralIQ::parse(magnitude(a));
  bool fits = true;
  const LiteralIQ other = LiteralIQ::parse(magnitude(b));
  if (a.minus == b.minus) {
    fits = expected.absPlus(other);
  } else if (expected.compare(other) >= 0) {
    expected.absMinus(other);
  } else {
    LiteralIQ larger = other;
    larger.absMinus(expected);
    expected = larger;
  }
  try {
    IQ sum = a + b;
    if (!fits || magnitude(sum) != expected.str()) std::abort();
  } catch (const char*) {
    if (fits) std::abort();
  }
}

template <typename F> void guarded(F&& f) {
  try {
    f();
  } catch (const char*) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Var::setLogHook([](const char*) {});
  // Two texts separated by the first line feed.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\n');
  const std::string first = input.substr(0, cut);
  const std::string second = cut == std::string::npos ? "3" : input.substr(cut + 1);

  Var var(first);
  guarded([&] { var.toInt(); });
  guarded([&] { var.toUnsigned(); });
  guarded([&] { var.toFloat(); });
  IQ a(first.c_str()), b(second.c_str());
  guarded([&] { a = var.toIQ(); });
  if (IQ(a.getDecF().c_str()) != a) std::abort();  // formatting reads back

  checkSum(a, b);
  checkProduct(a, b);
  guarded([&] { IQ(a) /= b; });
  guarded([&] { IQ(a).div(b); });
  guarded([&] { IQ(a).sqrt(); });
  guarded([&] { IQ(b).pow(unsigned(size) % 64); });
  (void)(a < b);
  (void)(a <= b);
  return 0;
}
