#pragma once
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
  void moveDot(int m) {
    unsigned char t[D] = {};
    for (int i = 0; i < D; ++i)
      if (i + m >= 0 && i + m < D) t[i + m] = l[i];
    std::memcpy(l, t, D);
  }

  // Partial product per digit of b, each shifted on its own.
  static bool mul(const LiteralIQ& a, const LiteralIQ& b, LiteralIQ& r) {
    r = LiteralIQ();
    for (int i = 0; i < D; ++i) {
      if (!b.l[i]) continue;
      LiteralIQ part = a;
      if (!part.mult(b.l[i])) return false;
      part.moveDot(i - 2);
      if (!r.absPlus(part)) return false;
    }
    return true;
  }

  // Long division of whole numbers of hundredths: floor(a * 10^scale / d), by
  // repeated subtraction of the shifted divisor, on a wider digit array.
  static std::string divide(const LiteralIQ& a, const LiteralIQ& d, int scale) {
    const int W = D + 4;
    int u[W] = {}, v[W] = {}, q[W] = {};
    for (int i = 0; i < D; ++i) u[i + scale] = a.l[i], v[i] = d.l[i];
    auto geqShifted = [&](int s) {  // u >= v * 10^s
      for (int i = W - 1; i >= 0; --i) {
        int vi = i - s >= 0 ? v[i - s] : 0;
        if (u[i] != vi) return u[i] > vi;
      }
      return true;
    };
    for (int s = W - 1; s >= 0; --s) {
      bool fits = true;
      for (int i = W - 1; i >= W - s && fits; --i)
        if (v[i]) fits = false;  // divisor shifted out of the array: cannot fit
      if (!fits) continue;
      while (geqShifted(s)) {
        int borrow = 0;
        for (int i = s; i < W; ++i) {
          int x = u[i] - v[i - s] - borrow;
          borrow = x < 0;
          u[i] = x < 0 ? x + 10 : x;
        }
        ++q[s];
      }
    }
    std::string text;
    for (int i = W - 1; i >= 0; --i)
      if (!(text.empty() && q[i] == 0)) text += char('0' + q[i]);
    return text.empty() ? "0" : text;  // a whole number of hundredths
  }
};
