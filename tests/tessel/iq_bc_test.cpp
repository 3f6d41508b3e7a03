// Tests of the decimals against GNU bc.
//
// Decimals against GNU bc, one bc process for all operands: every operation on
// operands of every integer length from 0 to 510 digits, overflow included.
#include <tessel/iq.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

const int WIDTH = 510;  // integer digits of a number

// op: '+', '-', '*', '/' at scale 2, 'd' the whole-number quotient of div().
struct Case {
  std::string a, b;
  char op;
};

// A zero's sign is left out: bc has no negative zero.
std::string canonical(const IQ& v) {
  std::string text = v.getDecF();
  return text == "-.00" ? ".00" : text;
}
IQ magnitude(IQ v) {
  v.minus = false;
  return v;
}
std::string unsignedText(const std::string& s) { return s[0] == '-' ? s.substr(1) : s; }
size_t integerDigits(const std::string& bcAnswer) {
  const std::string digits = unsignedText(bcAnswer);
  const size_t point = digits.find('.');
  const size_t n = point == std::string::npos ? digits.size() : point;
  return digits == "0" ? 0 : n;
}

// Exactly `digits` integer digits (the first not 0), two fraction digits, either sign.
std::string operand(std::mt19937_64& rng, int digits) {
  std::string s = rng() % 2 ? "-" : "";
  for (int i = 0; i < digits; ++i) s += char((i == 0 ? '1' : '0') + rng() % (i == 0 ? 9 : 10));
  return s + '.' + char('0' + rng() % 10) + char('0' + rng() % 10);
}

// Each operation takes a left operand of every length. A divisor is at most as long,
// and for every other length at most two digits long, so that quotients of every
// length come up too.
std::vector<Case> makeCases() {
  std::mt19937_64 rng(7);
  std::vector<Case> cases;
  for (char op : std::string("+-*/d"))
    for (int length = 0; length <= WIDTH; ++length) {
      const bool division = op == '/' || op == 'd';
      const int divisor = int(rng() % (length % 2 ? length + 1 : std::min(length + 1, 3)));
      const int other = division ? divisor : int(rng() % (WIDTH + 1));
      Case c{operand(rng, length), operand(rng, other), op};
      if (division && canonical(IQ(c.b.c_str())) == ".00") c.b = "3.00";
      cases.push_back(c);
    }
  return cases;
}

// The largest fraction digit of a number: the partial product it makes with the
// other operand must fit before its shift brings it down.
char largestFractionDigit(const std::string& number) {
  const std::string fraction = number.substr(number.find('.') + 1);
  return std::max(fraction[0], fraction[1]);
}

// One answer line per case; a product adds one line for its largest partial product.
std::string bcProgram(const std::vector<Case>& cases) {
  std::string program = "scale=2\n";
  for (const Case& c : cases) {
    const std::string expression = "(" + c.a + ")" + (c.op == 'd' ? '/' : c.op) + "(" + c.b + ")\n";
    program += c.op == 'd' ? "scale=0\n" + expression + "scale=2\n" : expression;
    if (c.op == '*') program += unsignedText(c.a) + "*" + largestFractionDigit(c.b) + "\n";
  }
  return program + "quit\n";
}

IQ compute(const Case& c) {
  IQ a(c.a.c_str()), b(c.b.c_str());
  switch (c.op) {
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    case '/': return a / b;
    default: return a.div(b);
  }
}

class IQAgainstBc : public TempDirTest {};

TEST_F(IQAgainstBc, EveryOperationOnEveryLengthMatchesBc) {
  ASSERT_EQ(std::system("command -v bc >/dev/null"), 0) << "GNU bc is needed (tools/deps.sh test installs it)";
  const std::vector<Case> cases = makeCases();
  writeFile("cases.bc", bcProgram(cases));
  FILE* bc = popen("BC_LINE_LENGTH=0 bc -q cases.bc", "r");
  ASSERT_NE(bc, nullptr);
  std::vector<std::string> answers;
  static char line[8192];
  while (std::fgets(line, sizeof line, bc)) answers.emplace_back(line, std::strcspn(line, "\n"));
  ASSERT_EQ(pclose(bc), 0);

  int truncatedLower = 0, overflows = 0;
  size_t next = 0;
  for (const Case& c : cases) {
    ASSERT_LT(next, answers.size());
    const std::string answer = answers[next++];
    // A partial product past the top overflows even where the product would fit.
    const bool partialOverflows = c.op == '*' && integerDigits(answers[next++]) > WIDTH;
    SCOPED_TRACE(c.a + " " + c.op + " " + c.b);
    IQ got;
    const std::string thrown = thrownMessage([&] { got = compute(c); });
    if (integerDigits(answer) > WIDTH || partialOverflows) {
      EXPECT_EQ(thrown, "IQ: num to big");
      ++overflows;
      continue;
    }
    ASSERT_EQ(thrown, "");
    const IQ expected(answer.c_str());
    if (c.op == '*' && canonical(got) != canonical(expected)) {
      // Partial products truncate on their own: at most 0.01 toward zero.
      EXPECT_EQ(canonical(magnitude(expected - got)), ".01");
      EXPECT_TRUE(magnitude(got) < magnitude(expected));
      ++truncatedLower;
    } else {
      EXPECT_EQ(canonical(got), canonical(expected));
    }
  }
  EXPECT_EQ(next, answers.size());
  EXPECT_GT(truncatedLower, 0);  // the rules show up on random operands
  EXPECT_GT(overflows, 0);
}

}  // namespace
