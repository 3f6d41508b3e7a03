// Tests of the decimals: the rules by example, and every operation on every length against bc.
#include <tessel/iq.h>
#include <tessel/var.h>

#include <random>
#include <sstream>

#include "support/peer.h"
#include "support/tempdir.h"

namespace {

std::string dec(const IQ& v) { return v.getDecF(); }
IQ power(const char* base, unsigned exponent) {
  IQ v(base);
  v.pow(exponent);
  return v;
}

// What bc has not: minus zero, truncated partial products, roots, powers, text that is not a number.
TEST(IQ, RulesByExample) {
  const std::pair<const char*, const char*> parsed[] = {{"0.005", ".00"},  {"12.345", "12.34"}, {"-0.5", "-.50"},
                                                        {"007", "7.00"},   {"", ".00"},         {" 1 2 ", "12.00"},
                                                        {"1.2.3", "12.30"}};
  for (const auto& [text, value] : parsed) EXPECT_EQ(dec(IQ(text)), value) << text;
  IQ self("1.5");
  self.setMult(self, IQ("2"));  // the target may be an operand
  const std::pair<IQ, const char*> cases[] = {{IQ(nullptr), ".00"},
                                              {IQ(-2147483647 - 1), "-2147483648.00"},
                                              {IQ((unsigned char)255), "255.00"},
                                              {IQ((char)-128), "-128.00"},
                                              {Var(" 12.5").toIQ(), "12.50"},
                                              {IQ("-2") - IQ("-2"), "-.00"},
                                              {IQ("-3") + IQ("3"), "-.00"},
                                              {IQ("3") + IQ("-3"), ".00"},
                                              {IQ("0") * IQ("-3"), "-.00"},
                                              {IQ("0.15") * IQ("0.15"), ".01"},
                                              {IQ("9999999999999999.99") * IQ("9999999999999999.99"),
                                               "99999999999999999799999999999999.99"},
                                              {IQ("9999999999999999.99") * IQ("12345678901234567.89"),
                                               "123456789012345678776543210987654.31"},
                                              {self, "3.00"},
                                              {power("1.5", 3), "3.37"},
                                              {power("7", 0), "1.00"},
                                              {power("-1", 4000000001u), "-1.00"},
                                              {power("-0.5", 4000000000u), ".00"},
                                              {IQ("16").sqrt(), "3.97"},
                                              {IQ("0").sqrt(), ".00"},
                                              {IQ("10000000000000000.02").div(IQ("5000000000000000.01")), "2.00"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(dec(value), text);
  // The most significant of over 510 digits are dropped; squares beyond the range count as too large.
  EXPECT_EQ(dec(("4" + std::string(510, '1') + ".99").c_str()), std::string(510, '1') + ".99");
  const std::string root = dec(IQ(("2" + std::string(505, '0')).c_str()).sqrt());
  EXPECT_EQ(root.substr(0, 5) + std::to_string(root.size()), "44721256");
  testing::internal::CaptureStdout();
  IQ("-12.34").printDecF();
  IQ("-12.34").printDec();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "-12.34-12");
}

// An overflow, also of a partial product, throws and keeps the digits that fit.
TEST(IQ, FailuresAreMessages) {
  const std::string nines(510, '9');
  auto ten = [](int zeros, const char* lead = "1") { return IQ((lead + std::string(zeros, '0')).c_str()); };
  IQ big(nines.c_str()), half(("5" + nines.substr(1)).c_str()), negative("-4");
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { big += IQ(1); }, "IQ: num to big"},
      {[&] { half.div(IQ("0.5")); }, "IQ: num to big"},
      {[&] { ten(300, "5") *= ten(300, "5"); }, "IQ: num to big"},
      {[&] { ten(300) *= ten(300); }, "IQ: num to big"},
      {[&] { IQ(nines.c_str()) *= IQ("0.05"); }, "IQ: num to big"},
      {[&] { IQ(nines.c_str()) *= IQ("1"); }, ""},
      {[&] { ten(509) /= IQ("0.01"); }, "IQ: num to big"},
      {[] { IQ("10").pow(600); }, "IQ: num to big"},
      {[] { IQ("5") /= IQ("0"); }, "IQ: division by zero"},
      {[] { IQ("5").div(IQ("-0.00")); }, "IQ: division by zero"},
      {[&] { negative.sqrt(); }, "IQ::sqrt(-cos);"},
      {[] { Var("abc").toIQ(); }, "it's not numeric"}};
  for (const auto& [body, message] : cases) EXPECT_EQ(thrownMessage(body), message);
  EXPECT_EQ(std::to_string(big.getError()) + dec(big) + dec(negative), "1.00-4.00");
  EXPECT_EQ(dec(half), "1" + std::string(508, '9') + "8.00");
}

TEST(IQ, ComparesWithSignedZeroAndGivesDigits) {
  EXPECT_TRUE(IQ("-0") < IQ("0") && IQ("0") <= IQ("0") && IQ("1") != IQ("1.01") && !(IQ("-0") == IQ("0")));
  EXPECT_TRUE(IQ("-5") < IQ("-4") && IQ("4") < IQ("5") && IQ("-4") < IQ("1") && !(IQ("-4") < IQ("-5")));
  std::string digits;
  for (int i : {-1, 0, 1, 2, 3, 4, 512}) digits += char('0' + IQ("98.76").digit(i));
  EXPECT_EQ(digits, "0678900");
  for (int i = 2; i < 512; i += 37) EXPECT_EQ(IQ(("1" + std::string(i - 2, '0')).c_str()).digit(i), 1) << i;
}

// Exactly `digits` integer digits (the first not 0), two fraction digits, either sign.
std::string operand(std::mt19937_64& rng, int digits) {
  std::string s = rng() % 2 ? "-" : "";
  for (int i = 0; i < digits; ++i) s += char((i == 0 ? '1' : '0') + rng() % (i == 0 ? 9 : 10));
  return s + '.' + char('0' + rng() % 10) + char('0' + rng() % 10);
}
std::string noZeroSign(const IQ& v) { return dec(v) == "-.00" ? ".00" : dec(v); }  // bc has no minus zero
size_t integerDigits(std::string bcAnswer) {
  if (bcAnswer[0] == '-') bcAnswer.erase(0, 1);
  return bcAnswer == "0" ? 0 : std::min(bcAnswer.find('.'), bcAnswer.size());
}

class IQAgainstBc : public TempDirTest {};

// One bc run: each operation ('d' is div()) on left operands of 0 to 510 digits, divisors as long or
// of at most two digits; a product adds a line for its largest partial product, which must fit too.
TEST_F(IQAgainstBc, EveryOperationOnEveryLengthMatchesBc) {
  ASSERT_EQ(peer("command -v bc >/dev/null"), 0) << "GNU bc is needed (tools/deps.sh test installs it)";
  std::mt19937_64 rng(7);
  struct Case {
    std::string a, b;
    char op;
  };
  std::vector<Case> cases;
  std::string program = "scale=2\n";
  for (char op : std::string("+-*/d"))
    for (int length = 0; length <= 510; ++length) {
      const bool division = op == '/' || op == 'd';
      const int divisor = int(rng() % (length % 2 ? length + 1 : std::min(length + 1, 3)));
      const int other = division ? divisor : int(rng() % 511);
      Case c{operand(rng, length), operand(rng, other), op};
      if (division && noZeroSign(IQ(c.b.c_str())) == ".00") c.b = "3.00";
      cases.push_back(c);
      const std::string expression = "(" + c.a + ")" + (op == 'd' ? '/' : op) + "(" + c.b + ")\n";
      program += op == 'd' ? "scale=0\n" + expression + "scale=2\n" : expression;
      if (op == '*') program += "(" + c.a + ")*" + std::max(c.b[c.b.size() - 2], c.b.back()) + "\n";
    }
  writeFile("cases.bc", program + "quit\n");
  ASSERT_EQ(peer("BC_LINE_LENGTH=0 bc -q cases.bc >answers.txt", {"cases.bc"}, {"answers.txt"}), 0);
  std::istringstream answers(readFile("answers.txt"));

  int truncatedLower = 0, overflows = 0;
  std::string answer, partial;
  for (const Case& c : cases) {
    ASSERT_TRUE(std::getline(answers, answer) && (c.op != '*' || std::getline(answers, partial)));
    SCOPED_TRACE(c.a + " " + c.op + " " + c.b);
    IQ a(c.a.c_str()), b(c.b.c_str()), got;
    const std::string thrown = thrownMessage([&] {
      got = c.op == '+' ? a + b : c.op == '-' ? a - b : c.op == '*' ? a * b : c.op == '/' ? a / b : a.div(b);
    });
    if (integerDigits(answer) > 510 || (c.op == '*' && integerDigits(partial) > 510)) {
      EXPECT_EQ(thrown, "IQ: num to big");
      ++overflows;
      continue;
    }
    ASSERT_EQ(thrown, "");
    const IQ expected(answer.c_str());
    if (c.op == '*' && noZeroSign(got) != noZeroSign(expected)) {
      // Partial products truncate on their own: at most 0.01 toward zero.
      EXPECT_EQ(noZeroSign(expected - got), expected.minus ? "-.01" : ".01");
      ++truncatedLower;
    } else {
      EXPECT_EQ(noZeroSign(got), noZeroSign(expected));
    }
  }
  EXPECT_FALSE(std::getline(answers, answer));
  EXPECT_GT(truncatedLower, 0);  // the rules show up on random operands
  EXPECT_GT(overflows, 0);
}

}  // namespace
