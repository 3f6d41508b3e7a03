#include <tessel/iq.h>
#include <tessel/var.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/iq_literal.h"
#include "support/tempdir.h"

namespace {

std::string dec(const IQ& v) { return v.getDecF(); }
std::string dec(const char* text) { return IQ(text).getDecF(); }

IQ sum(const char* a, const char* b) { return IQ(a) + IQ(b); }
IQ difference(const char* a, const char* b) { return IQ(a) - IQ(b); }
IQ product(const char* a, const char* b) { return IQ(a) * IQ(b); }
IQ quotient(const char* a, const char* b) { return IQ(a) / IQ(b); }

std::string repeat(char c, size_t n) { return std::string(n, c); }

TEST(IQ, ParsesTruncatingAndFormats) {
  EXPECT_EQ(dec("0.005"), ".00");
  EXPECT_EQ(dec("12.345"), "12.34");
  EXPECT_EQ(dec("+3"), "3.00");
  EXPECT_EQ(dec("5."), "5.00");
  EXPECT_EQ(dec(".5"), ".50");
  EXPECT_EQ(dec("-0.5"), "-.50");
  EXPECT_EQ(dec("007"), "7.00");
  EXPECT_EQ(dec(""), ".00");
  EXPECT_EQ(dec("1.2.3"), "12.30");   // the last point counts; other characters hold no place
  EXPECT_EQ(dec(" 1 2 "), "12.00");
  EXPECT_EQ(dec(nullptr), ".00");
  // More than 510 integer digits: the most significant ones are dropped.
  EXPECT_EQ(dec(("4" + repeat('1', 510) + ".99").c_str()), repeat('1', 510) + ".99");
}

TEST(IQ, ConstructsFromEveryIntegerValue) {
  EXPECT_EQ(dec(IQ(-2147483647 - 1)), "-2147483648.00");
  EXPECT_EQ(dec(IQ(2147483647)), "2147483647.00");
  EXPECT_EQ(dec(IQ((unsigned char)255)), "255.00");
  EXPECT_EQ(dec(IQ((char)-128)), "-128.00");
  EXPECT_EQ(dec(IQ(0)), ".00");
}

TEST(IQ, AddsAndSubtractsWithSignRules) {
  EXPECT_EQ(dec(difference("100", "1")), "99.00");
  EXPECT_EQ(dec(difference("0.01", "0.02")), "-.01");
  EXPECT_EQ(dec(difference("8", "10")), "-2.00");
  EXPECT_EQ(dec(difference("-2", "5")), "-7.00");
  EXPECT_EQ(dec(difference("-5", "-2")), "-3.00");
  EXPECT_EQ(dec(difference("-2", "-5")), "3.00");
  EXPECT_EQ(dec(difference("3", "3")), ".00");
  EXPECT_EQ(dec(difference("-2", "-2")), "-.00");
  EXPECT_EQ(dec(sum("-3", "3")), "-.00");
  EXPECT_EQ(dec(sum("3", "-3")), ".00");
  EXPECT_EQ(dec(sum("999999999.99", "0.01")), "1000000000.00");  // carry across a limb
}

TEST(IQ, OverflowRaisesNumToBig) {
  IQ big(repeat('9', 510).c_str());
  IQ one(1);
  EXPECT_EQ(thrownMessage([&] { big += one; }), "IQ: num to big");
  EXPECT_EQ(big.getError(), 1);
  IQ half(("5" + repeat('0', 300)).c_str());
  EXPECT_EQ(thrownMessage([&] { half *= half; }), "IQ: num to big");
  // A product that digit-wise arithmetic would shift out of the top silently still overflows.
  IQ power(("1" + repeat('0', 300)).c_str());
  EXPECT_EQ(thrownMessage([&] { power *= power; }), "IQ: num to big");
  // The partial product of a fraction digit overflows before its shift brings it back.
  IQ top(repeat('9', 510).c_str());
  EXPECT_EQ(thrownMessage([&] { top *= IQ("0.05"); }), "IQ: num to big");
  IQ largest(repeat('9', 510).c_str());
  EXPECT_EQ(thrownMessage([&] { largest *= IQ("1"); }), "");
}

TEST(IQ, MultiplicationTruncatesEachPartialProduct) {
  EXPECT_EQ(dec(product("0.15", "0.15")), ".01");
  EXPECT_EQ(dec(product("1.99", "1.99")), "3.95");
  EXPECT_EQ(dec(product("2.5", "2.5")), "6.25");
  EXPECT_EQ(dec(product("-2", "3")), "-6.00");
  EXPECT_EQ(dec(product("-2", "-3")), "6.00");
  EXPECT_EQ(dec(product("0", "-3")), "-.00");
  IQ a("1.5");
  a.setMult(a, IQ("2"));  // the target may be an operand
  EXPECT_EQ(dec(a), "3.00");
}

TEST(IQ, DividesTruncatingTowardZero) {
  EXPECT_EQ(dec(quotient("1", "3")), ".33");
  EXPECT_EQ(dec(quotient("2", "-4")), "-.50");
  EXPECT_EQ(dec(quotient("1", "0.07")), "14.28");
  EXPECT_EQ(dec(quotient("10", "4")), "2.50");
  EXPECT_EQ(dec(quotient("-7", "2")), "-3.50");
  EXPECT_EQ(dec(IQ("7").div(IQ("2"))), "3.00");
  EXPECT_EQ(dec(IQ("-7").div(IQ("2"))), "-3.00");
  EXPECT_EQ(dec(IQ("7.99").div(IQ("0.5"))), "15.00");
}

TEST(IQ, DivisionFailuresAreReported) {
  IQ a("5");
  EXPECT_EQ(thrownMessage([&] { a /= IQ("0"); }), "IQ: division by zero");
  EXPECT_EQ(thrownMessage([&] { a.div(IQ("-0.00")); }), "IQ: division by zero");
  IQ huge(("1" + repeat('0', 509)).c_str());
  EXPECT_EQ(thrownMessage([&] { huge /= IQ("0.01"); }), "IQ: num to big");
}

TEST(IQ, PowerMultipliesRepeatedly) {
  IQ a("1.5");
  a.pow(3);
  EXPECT_EQ(dec(a), "3.37");
  IQ b("7");
  b.pow(0);
  EXPECT_EQ(dec(b), "1.00");
  IQ c("-1");
  c.pow(4000000001u);  // settles into a sign flip: odd powers stay negative
  EXPECT_EQ(dec(c), "-1.00");
  IQ d("-0.5");
  d.pow(4000000000u);  // .50, -.25, ... reaches zero with its sign flipping
  EXPECT_EQ(dec(d), ".00");
  IQ e("0.5");
  e.pow(3);
  EXPECT_EQ(dec(e), ".12");
  IQ f("10");
  EXPECT_EQ(thrownMessage([&] { f.pow(600); }), "IQ: num to big");
}

TEST(IQ, SquareRootIsAHalvingSearch) {
  EXPECT_EQ(dec(IQ("16").sqrt()), "3.97");
  EXPECT_EQ(dec(IQ("100").sqrt()), "9.99");
  EXPECT_EQ(dec(IQ("2").sqrt()), "1.41");
  EXPECT_EQ(dec(IQ("0").sqrt()), ".00");
  IQ negative("-4");
  EXPECT_EQ(thrownMessage([&] { negative.sqrt(); }), "IQ::sqrt(-cos);");
  EXPECT_EQ(dec(negative), "-4.00");
  // Squares beyond the range count as too large instead of failing.
  IQ big(("2" + repeat('0', 505)).c_str());
  std::string root = dec(big.sqrt());
  EXPECT_EQ(root.substr(0, 5), "44721");
  EXPECT_EQ(root.size(), 253u + 3u);
}

TEST(IQ, ComparesWithSignedZero) {
  EXPECT_FALSE(IQ("-0") == IQ("0"));
  EXPECT_TRUE(IQ("-0") < IQ("0"));
  EXPECT_TRUE(IQ("0") <= IQ("0"));
  EXPECT_TRUE(IQ("-5") < IQ("-4"));
  EXPECT_FALSE(IQ("-4") < IQ("-5"));
  EXPECT_TRUE(IQ("4") < IQ("5"));
  EXPECT_TRUE(IQ("-4") < IQ("1"));
  EXPECT_TRUE(IQ("1") != IQ("1.01"));
  EXPECT_EQ(IQ(".01").digit(0), 1);
  EXPECT_EQ(IQ(".1").digit(1), 1);
  for (int i = 2; i < 512; i += 37) EXPECT_EQ(IQ(("1" + repeat('0', i - 2)).c_str()).digit(i), 1) << i;
}

TEST(IQ, VariablesConvertToDecimals) {
  EXPECT_EQ(thrownMessage([] { Var("abc").toIQ(); }), "it's not numeric");
  EXPECT_EQ(dec(Var(" 12.5").toIQ()), "12.50");
}

// Random operands of every length against the digit-per-byte model.
class IQAgainstDigits : public ::testing::Test {
protected:
  std::mt19937_64 rng{20261206};

  std::string randomDigits(int integerDigits) {
    std::string s;
    for (int i = 0; i < integerDigits; ++i) s += char('0' + rng() % 10);
    s += '.';
    s += char('0' + rng() % 10);
    s += char('0' + rng() % 10);
    return s;
  }
  int randomLength(int most) { return int(rng() % (most + 1)); }
};

TEST_F(IQAgainstDigits, MultiplicationMatchesDigitArithmetic) {
  for (int n = 0; n < 400; ++n) {
    std::string a = randomDigits(randomLength(n % 4 == 0 ? 300 : 40));
    std::string b = randomDigits(randomLength(n % 4 == 0 ? 300 : 40));
    if (n % 7 == 0) b = "0.0" + std::to_string(rng() % 10);
    LiteralIQ expected;
    bool fits = LiteralIQ::mul(LiteralIQ::parse(a), LiteralIQ::parse(b), expected);
    IQ x(a.c_str()), y(b.c_str());
    if (fits) {
      EXPECT_EQ(dec(x * y), expected.str()) << a << " * " << b;
    } else {
      EXPECT_EQ(thrownMessage([&] { x *= y; }), "IQ: num to big") << a << " * " << b;
    }
  }
}

TEST_F(IQAgainstDigits, SquareRootMatchesTheDigitWiseSearch) {
  std::vector<std::string> values;
  for (int n = 1; n <= 600; ++n) values.push_back(std::to_string(n));
  for (int n = 1; n <= 600; ++n) values.push_back(std::to_string(n / 100) + "." + std::to_string(n % 100 / 10) + std::to_string(n % 10));
  for (int n = 0; n < 40; ++n) values.push_back(randomDigits(randomLength(n < 10 ? 4 : 120)));
  for (const std::string& v : values) {
    LiteralIQ target = LiteralIQ::parse(v);
    // The search with every step in digit arithmetic; r stays non-negative here.
    IQ r, step(v.c_str()), eps("0.01"), two(2);
    while (eps <= step) {
      std::string magnitude = r.getDecF();
      if (magnitude[0] == '-') magnitude.erase(0, 1);
      LiteralIQ lr = LiteralIQ::parse(magnitude), square;
      ASSERT_TRUE(LiteralIQ::mul(lr, lr, square));
      if (square.compare(target) < 0)
        r += step;
      else
        r -= step;
      step /= two;
    }
    EXPECT_EQ(dec(IQ(v.c_str()).sqrt()), dec(r)) << v;
  }
}

}  // namespace
