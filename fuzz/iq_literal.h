#pragma once
// The decimal rules worked literally, one digit per byte: a slow and obvious model
// to check the fast limb arithmetic against. Magnitudes only; the callers handle
// signs. Every function returns false where the number raises "IQ: num to big".

#include <string>

struct LiteralIQ {
  static const int D = 512;
  unsigned char l[D] = {};  // l[0] hundredths, l[1] tenths, l[2] units, ...

  static LiteralIQ parse(const std::string& text) {  // digits and at most one '.', no sign
    LiteralIQ r;
    const size_t point = text.rfind('.'), intEnd = point == std::string::npos ? text.size() : point;
    for (size_t i = intEnd, pos = 2; i > 0 && pos < D; --i) r.l[pos++] = text[i - 1] - '0';
    if (point != std::string::npos && point + 1 < text.size()) r.l[1] = text[point + 1] - '0';
    if (point != std::string::npos && point + 2 < text.size()) r.l[0] = text[point + 2] - '0';
    return r;
  }

  std::string str() const {
    int top = D - 1;
    while (top > 1 && l[top] == 0) --top;
    std::string s;
    for (int i = top; i >= 2; --i) s += char('0' + l[i]);
    return s + '.' + char('0' + l[1]) + char('0' + l[0]);
  }

  int compare(const LiteralIQ& o) const {
    for (int i = D - 1; i >= 0; --i)
      if (l[i] != o.l[i]) return l[i] < o.l[i] ? -1 : 1;
    return 0;
  }

  bool absPlus(const LiteralIQ& o) {
    int carry = 0;
    for (int i = 0; i < D; ++i) {
      const int s = l[i] + o.l[i] + carry;
      l[i] = s % 10;
      carry = s / 10;
    }
    return carry == 0;
  }
  void absMinus(const LiteralIQ& o) {  // requires |this| >= |o|
    for (int i = 0, borrow = 0; i < D; ++i) {
      const int s = l[i] - o.l[i] - borrow;
      borrow = s < 0;
      l[i] = s < 0 ? s + 10 : s;
    }
  }

  // The partial product of each digit of b is shifted on its own: digits shifted
  // below the hundredths are cut, and a digit shifted past the top is an overflow.
  static bool mul(const LiteralIQ& a, const LiteralIQ& b, LiteralIQ& r) {
    r = LiteralIQ();
    for (int i = 0; i < D; ++i) {
      if (!b.l[i]) continue;
      LiteralIQ part;
      int carry = 0;
      for (int j = 0, at = i - 2; j < D; ++j, ++at) {
        const int p = a.l[j] * b.l[i] + carry;
        carry = p / 10;
        if (at >= D && p % 10) return false;
        if (at >= 0 && at < D) part.l[at] = p % 10;
      }
      if (carry || !r.absPlus(part)) return false;
    }
    return true;
  }
};
