// Tests of the decimals.
#include <tessel/iq.h>
#include <tessel/var.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/iq_literal.h"
#include "support/tempdir.h"

namespace {

std::string dec(const IQ& v) { return v.getDecF(); }
std::string dec(const char* text) { return IQ(text).getDecF(); }
std::string repeat(char c, size_t n) { return std::string(n, c); }
using Cases = std::vector<std::pair<IQ, std::string>>;

void expectAll(const Cases& cases) {
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(dec(cases[i].first), cases[i].second) << "case " << i;
}

TEST(IQ, ParsesTruncatingAndFormats) {
  expectAll({{IQ("0.005"), ".00"},
             {IQ("12.345"), "12.34"},
             {IQ("-0.5"), "-.50"},
             {IQ("007"), "7.00"},
             {IQ(""), ".00"},
             {IQ(nullptr), ".00"},
             {IQ(" 1 2 "), "12.00"},
             {IQ("1.2.3"), "12.30"},  // the last point counts; other characters hold no place
             {IQ(-2147483647 - 1), "-2147483648.00"},
             {IQ((unsigned char)255), "255.00"},
             {IQ((char)-128), "-128.00"},
             {IQ(0), ".00"},
             {Var(" 12.5").toIQ(), "12.50"}});
  // More than 510 integer digits: the most significant ones are dropped.
  EXPECT_EQ(dec(("4" + repeat('1', 510) + ".99").c_str()), repeat('1', 510) + ".99");
  EXPECT_EQ(thrownMessage([] { Var("abc").toIQ(); }), "it's not numeric");
}

TEST(IQ, ArithmeticFollowsTheSignAndTruncationRules) {
  const IQ a("-2"), b("-5"), three("3");
  IQ self("1.5");
  self.setMult(self, IQ("2"));  // the target may be an operand
  expectAll({{IQ("0.01") - IQ("0.02"), "-.01"},
             {IQ("8") - IQ("10"), "-2.00"},
             {a - IQ("5"), "-7.00"},
             {b - a, "-3.00"},
             {a - b, "3.00"},
             {three - three, ".00"},
             {a - a, "-.00"},
             {IQ("-3") + three, "-.00"},
             {three + IQ("-3"), ".00"},
             {IQ("999999999.99") + IQ("0.01"), "1000000000.00"},  // carry across a limb
             // each partial product is truncated on its own
             {IQ("0.15") * IQ("0.15"), ".01"},
             {IQ("1.99") * IQ("1.99"), "3.95"},
             {a * three, "-6.00"},
             {a * IQ("-3"), "6.00"},
             {IQ("0") * IQ("-3"), "-.00"},
             {self, "3.00"},
             // division truncates toward zero; div() keeps the integer part
             {IQ("1") / three, ".33"},
             {IQ("2") / IQ("-4"), "-.50"},
             {IQ("1") / IQ("0.07"), "14.28"},
             {IQ("-7") / IQ("2"), "-3.50"},
             {IQ("7").div(IQ("2")), "3.00"},
             {IQ("-7").div(IQ("2")), "-3.00"},
             {IQ("7.99").div(IQ("0.5")), "15.00"}});
}

TEST(IQ, OverflowRaisesNumToBig) {
  const std::string nines = repeat('9', 510);
  IQ big(nines.c_str());
  EXPECT_EQ(thrownMessage([&] { big += IQ(1); }), "IQ: num to big");
  EXPECT_EQ(big.getError(), 1);
  IQ half(("5" + repeat('0', 300)).c_str());
  EXPECT_EQ(thrownMessage([&] { half *= half; }), "IQ: num to big");
  // A product that digit-wise arithmetic would shift out of the top silently still overflows.
  IQ power(("1" + repeat('0', 300)).c_str());
  EXPECT_EQ(thrownMessage([&] { power *= power; }), "IQ: num to big");
  // The partial product of a fraction digit overflows before its shift brings it back.
  IQ top(nines.c_str());
  EXPECT_EQ(thrownMessage([&] { top *= IQ("0.05"); }), "IQ: num to big");
  IQ largest(nines.c_str());
  EXPECT_EQ(thrownMessage([&] { largest *= IQ("1"); }), "");
}

TEST(IQ, DivisionFailuresAreReported) {
  IQ a("5");
  EXPECT_EQ(thrownMessage([&] { a /= IQ("0"); }), "IQ: division by zero");
  EXPECT_EQ(thrownMessage([&] { a.div(IQ("-0.00")); }), "IQ: division by zero");
  IQ huge(("1" + repeat('0', 509)).c_str());
  EXPECT_EQ(thrownMessage([&] { huge /= IQ("0.01"); }), "IQ: num to big");
}

TEST(IQ, PowerMultipliesRepeatedly) {
  // -1 settles into a sign flip, odd powers staying negative; -0.5 reaches zero with its sign flipping.
  const struct {
    const char* base;
    unsigned exponent;
    const char* expected;
  } powers[] = {{"1.5", 3, "3.37"},
                {"7", 0, "1.00"},
                {"0.5", 3, ".12"},
                {"-1", 4000000001u, "-1.00"},
                {"-0.5", 4000000000u, ".00"}};
  for (const auto& p : powers) {
    IQ v(p.base);
    v.pow(p.exponent);
    EXPECT_EQ(dec(v), p.expected) << p.base;
  }
  IQ f("10");
  EXPECT_EQ(thrownMessage([&] { f.pow(600); }), "IQ: num to big");
}

TEST(IQ, SquareRootIsAHalvingSearch) {
  expectAll({{IQ("16").sqrt(), "3.97"}, {IQ("100").sqrt(), "9.99"}, {IQ("2").sqrt(), "1.41"}, {IQ("0").sqrt(), ".00"}});
  IQ negative("-4");
  EXPECT_EQ(thrownMessage([&] { negative.sqrt(); }), "IQ::sqrt(-cos);");
  EXPECT_EQ(dec(negative), "-4.00");
  // Squares beyond the range count as too large instead of failing.
  std::string root = dec(IQ(("2" + repeat('0', 505)).c_str()).sqrt());
  EXPECT_EQ(root.substr(0, 5), "44721");
  EXPECT_EQ(root.size(), 253u + 3u);
}

TEST(IQ, ComparesWithSignedZero) {
  EXPECT_FALSE(IQ("-0") == IQ("0"));
  EXPECT_TRUE(IQ("-0") < IQ("0") && IQ("0") <= IQ("0") && IQ("1") != IQ("1.01"));
  EXPECT_TRUE(IQ("-5") < IQ("-4") && IQ("4") < IQ("5") && IQ("-4") < IQ("1"));
  EXPECT_FALSE(IQ("-4") < IQ("-5"));
  EXPECT_EQ(IQ(".01").digit(0) + IQ(".1").digit(1), 2);
  for (int i = 2; i < 512; i += 37) EXPECT_EQ(IQ(("1" + repeat('0', i - 2)).c_str()).digit(i), 1) << i;
}

// Random operands of every length against the digit-per-byte model.
std::mt19937_64 rng{20261206};
std::string randomDigits(int most) {
  std::string s;
  for (int i = int(rng() % (most + 1)); i > 0; --i) s += char('0' + rng() % 10);
  return s + '.' + char('0' + rng() % 10) + char('0' + rng() % 10);
}

TEST(IQAgainstDigits, MultiplicationMatchesDigitArithmetic) {
  for (int n = 0; n < 400; ++n) {
    std::string a = randomDigits(n % 4 == 0 ? 300 : 40), b = randomDigits(n % 4 == 0 ? 300 : 40);
    if (n % 7 == 0) b = "0.0" + std::to_string(rng() % 10);
    LiteralIQ expected;
    IQ x(a.c_str()), y(b.c_str());
    if (LiteralIQ::mul(LiteralIQ::parse(a), LiteralIQ::parse(b), expected))
      EXPECT_EQ(dec(x * y), expected.str()) << a << " * " << b;
    else
      EXPECT_EQ(thrownMessage([&] { x *= y; }), "IQ: num to big") << a << " * " << b;
  }
}

// The search done plainly with exact squares, against the fast binary one.
TEST(IQAgainstDigits, SquareRootMatchesTheDigitWiseSearch) {
  std::vector<std::string> values;
  for (int n = 1; n <= 600; ++n) {
    values.push_back(std::to_string(n));
    values.push_back(std::to_string(n / 100) + "." + std::to_string(n % 100 / 10) + std::to_string(n % 10));
  }
  for (int n = 0; n < 40; ++n) values.push_back(randomDigits(n < 10 ? 4 : 120));
  for (const std::string& v : values) {
    const LiteralIQ target = LiteralIQ::parse(v);
    IQ r, step(v.c_str()), eps("0.01"), two(2);
    for (; eps <= step; step /= two) {
      std::string magnitude = r.getDecF();
      if (magnitude[0] == '-') magnitude.erase(0, 1);
      LiteralIQ lr = LiteralIQ::parse(magnitude), square;
      ASSERT_TRUE(LiteralIQ::mul(lr, lr, square));
      if (square.compare(target) < 0)
        r += step;
      else
        r -= step;
    }
    EXPECT_EQ(dec(IQ(v.c_str()).sqrt()), dec(r)) << v;
  }
}

}  // namespace
