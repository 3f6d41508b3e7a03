// IQ against its earlier version (iq_reference.h): random operations on operands of every
// length, each run through both, and every outcome compared: the digits and sign of the
// target, the message thrown and the error code, also when an operation throws.
//
// usage: iq_differential [operations per kind, default 1000000] [seed, default 1] [kind, default all]
// Prints the count of operations, of those that throw and of differences per kind; exits with 1 on any difference.
#include <tessel/iq.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "iq_reference.h"

namespace {

std::mt19937_64 rng;

int below(int n) { return n > 0 ? int(rng() % unsigned(n)) : 0; }

// Any length from 0 to 510 integer digits; short ones and ones at the top of the range often.
int length() {
  const int kind = below(16);
  return kind == 0 ? 500 + below(11) : kind == 1 ? below(40) : below(511);
}

// `digits` integer digits and two fraction digits, either sign. Runs of nines and of zeros
// come often, so that carries, borrows and corrections cross many limbs.
std::string operand(int digits, bool sign = true) {
  const int style = below(4);
  auto digit = [&] {
    if (style == 1 && below(8)) return '9';
    if (style == 2 && below(8)) return '0';
    return char('0' + below(10));
  };
  std::string s = sign && below(2) ? "-" : "";
  for (int i = 0; i < digits; ++i) s += digit();
  s += '.';
  s += digit();
  s += digit();
  return s;
}

struct Outcome {
  std::string value, message;
  int error;
  bool operator!=(const Outcome& o) const { return value != o.value || message != o.message || error != o.error; }
};

// Runs op(x, y) on the two operands parsed into T, and tells what became of x.
template <typename T, typename Op> Outcome outcome(const std::string& a, const std::string& b, Op op) {
  T x(a.c_str());
  const T y(b.c_str());
  std::string message;
  try {
    op(x, y);
  } catch (const char* thrown) {
    message = thrown;
  }
  return {x.getDecF(), message, x.getError()};
}

struct Kind {
  const char* name;
  std::pair<std::string, std::string> (*operands)();
  // Generic lambdas can not be passed as function pointers to both types: one per type.
  void (*ours)(IQ&, const IQ&);
  void (*theirs)(reference::IQ&, const reference::IQ&);
  long long differences = 0, thrown = 0;
};

template <typename T> void add(T& x, const T& y) { x += y; }
template <typename T> void sub(T& x, const T& y) { x -= y; }
template <typename T> void mul(T& x, const T& y) {
  const T a(x);
  x.setMult(a, y);
}
template <typename T> void mulInPlace(T& x, const T& y) { x *= y; }
template <typename T> void quotient(T& x, const T& y) { x /= y; }
template <typename T> void whole(T& x, const T& y) { x.div(y); }
template <typename T> void root(T& x, const T&) { x.sqrt(); }
template <typename T> void power(T& x, const T& y) {
  x.pow(unsigned(y.digit(2) + 10 * y.digit(3) + 100 * y.digit(4)) % 300);
}
template <typename T> void compare(T& x, const T& y) { x = T(int(x < y) + 2 * int(x <= y) + 4 * int(x == y)); }

// Operand lengths: any pair for sums, pairs whose product is near the range (and
// beyond it) for products, divisors up to a little longer than the dividend.
std::pair<std::string, std::string> anyPair() {
  const int n = length();
  return {operand(n), operand(below(4) ? length() : n)};
}
std::pair<std::string, std::string> productPair() {
  const int n = length();
  return {operand(n), operand(below(514 - n))};
}
std::pair<std::string, std::string> shortPair() {  // at most two limbs each, up to the limbs' edge
  return {operand(below(18)), operand(below(18))};
}
std::pair<std::string, std::string> divisionPair() {
  const int n = length();
  return {operand(n), operand(std::min(510, below(n + 3)))};
}
std::pair<std::string, std::string> single() { return {operand(length(), below(8) == 0), ""}; }
std::pair<std::string, std::string> powerPair() {  // a short base, an exponent below 300
  return {operand(below(4)), operand(3, false)};
}

}  // namespace

int main(int argc, char** argv) {
  const long long count = argc > 1 ? std::atoll(argv[1]) : 1000000;
  rng.seed(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
  Kind kinds[] = {{"add", anyPair, add<IQ>, add<reference::IQ>},
                  {"sub", anyPair, sub<IQ>, sub<reference::IQ>},
                  {"mul", productPair, mul<IQ>, mul<reference::IQ>},
                  {"mul short", shortPair, mul<IQ>, mul<reference::IQ>},
                  {"mul in place", productPair, mulInPlace<IQ>, mulInPlace<reference::IQ>},
                  {"quotient (/=)", divisionPair, quotient<IQ>, quotient<reference::IQ>},
                  {"whole quotient (div)", divisionPair, whole<IQ>, whole<reference::IQ>},
                  {"sqrt", single, root<IQ>, root<reference::IQ>},
                  {"pow", powerPair, power<IQ>, power<reference::IQ>},
                  {"compare", anyPair, compare<IQ>, compare<reference::IQ>}};
  long long total = 0;
  for (Kind& k : kinds) {
    if (argc > 3 && std::string(argv[3]) != k.name) continue;
    for (long long i = 0; i < count; ++i) {
      const auto [a, b] = k.operands();
      const Outcome ours = outcome<IQ>(a, b, k.ours), theirs = outcome<reference::IQ>(a, b, k.theirs);
      k.thrown += !theirs.message.empty();
      if (ours != theirs && k.differences++ < 5)
        std::printf("%s differs: %s, %s: %s %s %d, reference %s %s %d\n", k.name, a.c_str(), b.c_str(),
                    ours.value.c_str(), ours.message.c_str(), ours.error, theirs.value.c_str(), theirs.message.c_str(),
                    theirs.error);
    }
    std::printf("%-22s %lld operations (%lld throw), %lld differences\n", k.name, count, k.thrown, k.differences);
    std::fflush(stdout);
    total += k.differences;
  }
  return total ? 1 : 0;
}
