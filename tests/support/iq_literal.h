#pragma once
// The decimal rules worked literally, a model for the decimals' tests.
//
// The decimal rules worked literally, one digit per byte, as a slow and obvious
// model to check the fast limb arithmetic against. Magnitudes only; signs are
// handled by the callers. Every function returns false where the number raises
// "IQ: num to big".

#include <cstring>
#include <string>

struct LiteralIQ {
  static const int D = 512;
  unsigned char l[D] = {};  // l[0] hundredths, l[1] tenths, l[2] units, ...

  static LiteralIQ parse(const std::string& text) {  // digits and at most one '.', no sign
    LiteralIQ r;
    size_t point = text.rfind('.');
    size_t intEnd = point == std::string::npos ? text.size() : point;
    int pos = 2;
    for (size_t i = intEnd; i > 0 && pos < D; --i) r.l[pos++] = text[i - 1] - '0';
    if (point != std::string::npos) {
      if (point + 1 < text.size()) r.l[1] = text[point + 1] - '0';
      if (point + 2 < text.size()) r.l[0] = text[point + 2] - '0';
    }
    return r;
  }

  std::string str() const {
    std::string s;
    int top = D - 1;
    while (top > 1 && l[top] == 0) --top;
    for (int i = top; i >= 2; --i)
      if (!(s.empty() && l[i] == 0)) s += char('0' + l[i]);
    s += '.';
    s += char('0' + l[1]);
    s += char('0' + l[0]);
    return s;
  }

  bool isZero() const {
    for (int i = 0; i < D; ++i)
      if (l[i]) return false;
    return true;
  }
  int compare(const LiteralIQ& o) const {
    for (int i = D - 1; i >= 0; --i)
      if (l[i] != o.l[i]) return l[i] < o.l[i] ? -1 : 1;
    return 0;
  }

  bool absPlus(const LiteralIQ& o) {
    int carry = 0;
    for (int i = 0; i < D; ++i) {
      int s = l[i] + o.l[i] + carry;
      l[i] = s % 10;
      carry = s / 10;
    }
    return carry == 0;
  }
  void absMinus(const LiteralIQ& o) {  // requires |this| >= |o|
    int borrow = 0;
    for (int i = 0; i < D; ++i) {
      int s = l[i] - o.l[i] - borrow;
      borrow = s < 0;
      l[i] = s < 0 ? s + 10 : s;
    }
  }
  bool mult(int m) {
    int carry = 0;
    for (int i = 0; i < D; ++i) {
      int p = m * l[i] + carry;
      l[i] = p % 10;
      carry = p / 10;
    }
    return carry == 0;
  }
  // Multiplies by 10^m; digits shifted below the hundredths are cut, and a digit
  // shifted past the top is an overflow.
  bool moveDot(int m) {
    unsigned char t[D] = {};
    for (int i = 0; i < D; ++i) {
      if (i + m >= D && l[i]) return false;
      if (i + m >= 0 && i + m < D) t[i + m] = l[i];
    }
    std::memcpy(l, t, D);
    return true;
  }

  // Partial product per digit of b, each shifted on its own.
  static bool mul(const LiteralIQ& a, const LiteralIQ& b, LiteralIQ& r) {
    r = LiteralIQ();
    for (int i = 0; i < D; ++i) {
      if (!b.l[i]) continue;
      LiteralIQ part = a;
      if (!part.mult(b.l[i]) || !part.moveDot(i - 2) || !r.absPlus(part)) return false;
    }
    return true;
  }
};
