// The decimals before the faster limb arithmetic: see iq_reference.h.
#include "iq_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace reference {

// Limb arrays below are whole numbers of hundredths, least significant limb first.
namespace {

// ---- Types and constants ------------------------------------------------------------------------

const uint32_t BASE = IQ::LIMB_BASE;
const int N = IQ::LIMBS;
// The top limb holds only 8 digits: 10^512 = TOP_LIMIT * BASE^(N-1).
const uint32_t TOP_LIMIT = 100000000u;
const uint32_t POW10[10] = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u, 1000000000u};
// Room for a product of two numbers, with a spare limb for carries.
const int WIDE = 2 * N + 1;

// Unsigned whole numbers in base 2^64 for the square root's search, where halving
// is a shift. 30 words hold 10^514, and the square of anything the search squares.
using u128 = unsigned __int128;
struct Binary {
  static const int WORDS = 30;
  uint64_t w[WORDS];
  int n = 0;  // words in use

  void trim() {
    while (n > 0 && w[n - 1] == 0) --n;
  }
  int bits() const { return n ? 64 * (n - 1) + (64 - __builtin_clzll(w[n - 1])) : 0; }
  void mulAdd(uint64_t m, uint64_t add) {  // this = this * m + add
    u128 carry = add;
    for (int i = 0; i < n; ++i) {
      carry += u128(w[i]) * m;
      w[i] = uint64_t(carry);
      carry >>= 64;
    }
    if (carry) w[n++] = uint64_t(carry);
  }
  void operator+=(const Binary& o) {
    uint64_t carry = 0;
    int i = 0;
    for (; i < o.n; ++i) {
      u128 t = u128(i < n ? w[i] : 0) + o.w[i] + carry;
      w[i] = uint64_t(t);
      carry = uint64_t(t >> 64);
    }
    for (; carry && i < n; ++i) carry = ++w[i] == 0;
    n = std::max(n, o.n);
    if (carry) w[n++] = 1;
  }
  void operator-=(const Binary& o) {  // requires this >= o
    uint64_t borrow = 0;
    for (int i = 0; i < n; ++i) {
      const uint64_t sub = (i < o.n ? o.w[i] : 0);
      const uint64_t t = w[i] - sub - borrow;
      borrow = (w[i] < sub) || (w[i] - sub < borrow);
      w[i] = t;
    }
    trim();
  }
  void halve() {
    for (int i = 0; i < n; ++i) w[i] = (w[i] >> 1) | (i + 1 < n ? w[i + 1] << 63 : 0);
    trim();
  }
  int compare(const Binary& o) const {
    if (n != o.n) return n < o.n ? -1 : 1;
    for (int i = n - 1; i >= 0; --i)
      if (w[i] != o.w[i]) return w[i] < o.w[i] ? -1 : 1;
    return 0;
  }
  static void square(const Binary& a, Binary& out) {
    out.n = 2 * a.n;
    std::fill(out.w, out.w + out.n, 0);
    for (int i = 0; i < a.n; ++i) {
      u128 carry = 0;
      for (int j = 0; j < a.n; ++j) {
        carry += u128(a.w[i]) * a.w[j] + out.w[i + j];
        out.w[i + j] = uint64_t(carry);
        carry >>= 64;
      }
      out.w[i + a.n] = uint64_t(carry);
    }
    out.trim();
  }
  static Binary fromLimbs(const uint32_t* v, int nv) {
    Binary b;
    for (int i = nv - 1; i >= 0; --i) b.mulAdd(BASE, v[i]);
    return b;
  }
  // Base-10^9 limbs of this number, which must be below 10^512.
  void toLimbs(uint32_t* out) const {
    Binary rest = *this;
    std::fill(out, out + N, 0);
    for (int k = 0; rest.n > 0; ++k) {
      uint64_t rem = 0;
      for (int i = rest.n - 1; i >= 0; --i) {
        u128 t = (u128(rem) << 64) | rest.w[i];
        rest.w[i] = uint64_t(t / BASE);
        rem = uint64_t(t % BASE);
      }
      rest.trim();
      out[k] = uint32_t(rem);
    }
  }
};

// ---- Internal functions -------------------------------------------------------------------------

int usedLimbs(const uint32_t* v, int n) {
  while (n > 0 && v[n - 1] == 0) --n;
  return n;
}

// Whether v (n limbs) is below 10^512, the range of a number.
bool fitsRange(const uint32_t* v, int n) {
  n = usedLimbs(v, n);
  return n < N || (n == N && v[N - 1] < TOP_LIMIT);
}

// v *= m in place; returns the carry limb.
uint32_t mulSmall(uint32_t* v, int n, uint32_t m) {
  uint64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    uint64_t t = uint64_t(v[i]) * m + carry;
    v[i] = uint32_t(t % BASE);
    carry = t / BASE;
  }
  return uint32_t(carry);
}

// v /= d in place (0 < d < BASE); returns the remainder.
template <typename Divisor> uint32_t divSmall(uint32_t* v, int n, Divisor d) {
  uint64_t rem = 0;
  for (int i = n - 1; i >= 0; --i) {
    uint64_t t = rem * BASE + v[i];
    v[i] = uint32_t(t / d);
    rem = t % d;
  }
  return uint32_t(rem);
}

// Constant divisors let the compiler replace the division by a multiplication.
template <uint32_t D> uint32_t divSmallBy(uint32_t* v, int n) {
  return divSmall(v, n, std::integral_constant<uint64_t, D>());
}

// acc[0..n) += v[0..nv) with carry; acc must have room for the final carry (n > nv).
void addInto(uint32_t* acc, int n, const uint32_t* v, int nv) {
  uint32_t carry = 0;
  for (int i = 0; i < n && (i < nv || carry); ++i) {
    uint32_t t = acc[i] + (i < nv ? v[i] : 0) + carry;
    carry = t >= BASE;
    acc[i] = carry ? t - BASE : t;
  }
}

// out[0..na+nb) = a * b. Products are summed in 64-bit columns and the columns
// are carried every 16 rows, before 16 products of up to 10^18 could overflow them.
void mulLimbs(const uint32_t* a, int na, const uint32_t* b, int nb, uint32_t* out) {
  const int n = na + nb;
  uint64_t acc[WIDE];
  std::fill(acc, acc + n, 0);
  auto carryColumns = [&] {
    uint64_t carry = 0;
    for (int k = 0; k < n; ++k) {
      uint64_t t = acc[k] + carry;
      acc[k] = t % BASE;
      carry = t / BASE;
    }
  };
  for (int i = 0; i < na;) {
    const int blockEnd = std::min(na, i + 16);
    for (; i < blockEnd; ++i) {
      const uint64_t ai = a[i];
      if (!ai) continue;
      uint64_t* row = acc + i;
      for (int j = 0; j < nb; ++j) row[j] += ai * b[j];
    }
    carryColumns();
  }
  for (int k = 0; k < n; ++k) out[k] = uint32_t(acc[k]);
}

// q[0..nu-nv] = u / v, long division on limbs (nu >= nv >= 2, v[nv-1] != 0).
// Each quotient limb is estimated from the top two limbs and corrected at most twice.
// One algorithm whose steps share the scaled operands: it reads best whole.
void divLimbs(const uint32_t* u, int nu, const uint32_t* v, int nv, uint32_t* q) {
  // Scale both so that the divisor's top limb is at least BASE/2.
  const uint32_t scale = BASE / (v[nv - 1] + 1);
  uint32_t un[N + 2] = {}, vn[N] = {};
  std::copy(u, u + nu, un);
  un[nu] = mulSmall(un, nu, scale);
  std::copy(v, v + nv, vn);
  mulSmall(vn, nv, scale);

  const uint64_t vTop = vn[nv - 1], vNext = vn[nv - 2];
  for (int j = nu - nv; j >= 0; --j) {
    const uint64_t top = uint64_t(un[j + nv]) * BASE + un[j + nv - 1];
    uint64_t qhat = top / vTop, rhat = top % vTop;
    while (qhat >= BASE || qhat * vNext > rhat * BASE + un[j + nv - 2]) {
      --qhat;
      rhat += vTop;
      if (rhat >= BASE) break;
    }
    // un[j..j+nv] -= qhat * vn
    int64_t borrow = 0;
    uint64_t carry = 0;
    for (int i = 0; i < nv; ++i) {
      const uint64_t p = qhat * vn[i] + carry;
      carry = p / BASE;
      int64_t t = int64_t(un[i + j]) - int64_t(p % BASE) - borrow;
      borrow = t < 0;
      un[i + j] = uint32_t(t < 0 ? t + BASE : t);
    }
    int64_t t = int64_t(un[j + nv]) - int64_t(carry) - borrow;
    if (t < 0) {  // qhat was one too large: add the divisor back
      --qhat;
      uint32_t c = 0;
      for (int i = 0; i < nv; ++i) {
        uint32_t s = un[i + j] + vn[i] + c;
        c = s >= BASE;
        un[i + j] = c ? s - BASE : s;
      }
      t += c;  // the carry out of the add-back cancels the borrow: the top limb is 0 again
    }
    un[j + nv] = uint32_t(t);
    q[j] = uint32_t(qhat);
  }
}

// The product of two magnitudes as schoolbook digit arithmetic forms it: one partial
// product per digit of b, the two fraction digits' partials each truncated by its own
// downward shift. So the result can be 0.01 below the truncated exact product.
// r gets the limbs in use and nr their count; false when a partial product or the
// sum leaves the range.
bool multCore(const uint32_t* a, int na, const uint32_t* b, int nb, uint32_t* r, int& nr) {
  uint32_t whole[N];  // b's digits from position 2 up: b / 100
  std::copy(b, b + nb, whole);
  const uint32_t fraction = divSmallBy<100>(whole, nb);
  const int nw = usedLimbs(whole, nb);
  const int n = std::max(na + nw, na + 1) + 1;

  uint32_t sum[WIDE + 1];
  std::fill(sum, sum + n, 0);
  if (na && nw) mulLimbs(a, na, whole, nw, sum);

  const uint32_t digits[2] = {fraction / 10, fraction % 10};  // tenths, hundredths
  for (int k = 0; k < 2; ++k) {
    if (!digits[k] || !na) continue;
    uint32_t part[N + 1];
    std::copy(a, a + na, part);
    part[na] = mulSmall(part, na, digits[k]);
    if (!fitsRange(part, na + 1)) return false;
    if (k == 0)
      divSmallBy<10>(part, na + 1);
    else
      divSmallBy<100>(part, na + 1);
    addInto(sum, n, part, na + 1);
  }
  if (!fitsRange(sum, n)) return false;
  nr = usedLimbs(sum, n);
  std::copy(sum, sum + nr, r);
  return true;
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

IQ::IQ() {
  std::fill(limb, limb + N, 0u);
  used = 0;
  minus = false;
  error = 0;
}

IQ::IQ(const char* num) : IQ() { setDec(num); }

IQ::IQ(unsigned char v) : IQ(int(v)) {}

IQ::IQ(char v) : IQ(int(v)) {}

IQ::IQ(int v) : IQ() {
  minus = v < 0;
  const uint64_t hundredths = (minus ? uint64_t(-int64_t(v)) : uint64_t(v)) * 100;
  limb[0] = uint32_t(hundredths % BASE);
  limb[1] = uint32_t(hundredths / BASE);
  trim(2);
}

void IQ::init() {
  std::fill(limb, limb + used, 0u);
  used = 0;
  minus = false;
  error = 0;
}

void IQ::trim(int from) { used = usedLimbs(limb, from); }

void IQ::set(const IQ& o) { *this = o; }

const IQ& IQ::operator=(const IQ& o) {
  if (this != &o) {
    std::copy(o.limb, o.limb + o.used, limb);
    if (used > o.used) std::fill(limb + o.used, limb + used, 0u);
    used = o.used;
    minus = o.minus;
    error = o.error;
  }
  return *this;
}

const IQ& IQ::operator=(const char* num) {
  setDec(num);
  return *this;
}

int IQ::digit(int i) const {
  if (i < 0 || i >= DIGITS) return 0;
  return int(limb[i / LIMB_DIGITS] / POW10[i % LIMB_DIGITS] % 10);
}

// Units first leftwards from the point, then tenths and hundredths; characters
// that are not digits hold no position, so a sign or space inside is skipped.
void IQ::setDec(const char* num) {
  init();
  if (!num) return;
  if (*num == '+') {
    ++num;
  } else if (*num == '-') {
    minus = true;
    ++num;
  }
  const char* end = num + std::strlen(num);
  const char* point = std::strrchr(num, '.');
  auto place = [this](int pos, char c) { limb[pos / LIMB_DIGITS] += uint32_t(c - '0') * POW10[pos % LIMB_DIGITS]; };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

  int pos = 2;
  for (const char* c = point ? point : end; c > num && pos < DIGITS;) {
    --c;
    if (isDigit(*c)) place(pos++, *c);
  }
  if (point) {
    pos = 1;
    for (const char* c = point + 1; c < end && pos >= 0; ++c)
      if (isDigit(*c)) place(pos--, *c);
  }
  trim(N);
}

std::string IQ::getDecF() const {
  const int limbs = std::max(used, 1);
  char all[N * LIMB_DIGITS];  // the digits of the limbs in use, most significant first
  char* const last = all + limbs * LIMB_DIGITS;
  for (int i = 0; i < limbs; ++i) {
    uint32_t v = limb[i];
    for (int k = 1; k <= LIMB_DIGITS; ++k, v /= 10) last[-(i * LIMB_DIGITS + k)] = char('0' + v % 10);
  }
  const char* integer = all;
  const char* point = last - 2;
  while (integer < point && *integer == '0') ++integer;

  std::string out;
  out.reserve(size_t(point - integer) + 4);
  if (minus) out += '-';
  out.append(integer, point);
  out += '.';
  out.append(point, 2);
  return out;
}

void IQ::printDecF() const { std::fputs(getDecF().c_str(), stdout); }

void IQ::printDec() const {
  std::string text = getDecF();
  text.resize(text.size() - 3);  // drop the point and the fraction
  std::fputs(text.c_str(), stdout);
}

void IQ::setError(int code) {
  error = code;
  switch (code) {
    case 1: throw "IQ: num to big";
    case 2: throw "IQ: lesser minus bigger";
    case 4: throw "IQ: that sall not happend";
    case 8: throw "IQ: division by zero";
    default: throw "IQ: unknow error";
  }
}

int IQ::absCompare(const IQ& o) const {
  if (used != o.used) return used < o.used ? -1 : 1;
  for (int i = used - 1; i >= 0; --i)
    if (limb[i] != o.limb[i]) return limb[i] < o.limb[i] ? -1 : 1;
  return 0;
}

bool IQ::isAbsLessThan(const IQ& o) const { return absCompare(o) < 0; }

bool IQ::isAbsLessOrEquThan(const IQ& o) const { return absCompare(o) <= 0; }

void IQ::absPlus(const IQ& o) {
  const int n = std::max(used, o.used);
  uint32_t carry = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t t = limb[i] + o.limb[i] + carry;
    carry = t >= BASE;
    limb[i] = carry ? t - BASE : t;
  }
  if (carry) limb[n] = carry;  // n < N: the top limbs are below TOP_LIMIT, their sum has no carry
  trim(std::min(n + 1, N));
  if (used == N && limb[N - 1] >= TOP_LIMIT) {  // a carry out of the top digit: keep the digits, drop the carry
    limb[N - 1] -= TOP_LIMIT;
    trim(N);
    setError(1);
  }
}

void IQ::absMinus(const IQ& o) {
  if (isAbsLessThan(o)) setError(2);
  uint32_t borrow = 0;
  for (int i = 0; i < used && (i < o.used || borrow); ++i) {
    const uint32_t take = o.limb[i] + borrow;
    borrow = limb[i] < take;
    limb[i] = borrow ? limb[i] + BASE - take : limb[i] - take;
  }
  trim(used);
}

void IQ::mult(unsigned char m) {
  const int n = used;
  const uint32_t carry = mulSmall(limb, n, m);
  // Only a carry out of the top limb is lost; one into a new limb is a digit.
  const bool lost = carry && n == N;
  if (carry && !lost) limb[n] = carry;
  trim(std::min(n + 1, N));
  if (lost || (used == N && limb[N - 1] >= TOP_LIMIT)) {
    limb[N - 1] %= TOP_LIMIT;
    trim(N);
    setError(1);
  }
}

void IQ::setAbsMult(const IQ& a, const IQ& b) {
  uint32_t r[N];
  int nr = 0;
  if (!multCore(a.limb, a.used, b.limb, b.used, r, nr)) {
    init();
    setError(1);
  }
  std::copy(r, r + nr, limb);
  if (used > nr) std::fill(limb + nr, limb + used, 0u);
  used = nr;
}

void IQ::setMult(const IQ& a, const IQ& b) {
  const bool negative = a.minus != b.minus;
  error = 0;
  setAbsMult(a, b);
  minus = negative;
}

void IQ::operator*=(const IQ& o) {
  IQ product;
  product.setMult(*this, o);
  set(product);
}

IQ IQ::operator*(const IQ& o) const {
  IQ product;
  product.setMult(*this, o);
  return product;
}

void IQ::operator+=(const IQ& o) {
  if (minus == o.minus) {
    absPlus(o);
  } else if (!isAbsLessThan(o)) {
    absMinus(o);  // the left operand's magnitude is at least as large: its sign stays
  } else {
    IQ larger(o);
    larger.absMinus(*this);
    set(larger);
  }
}

void IQ::operator-=(const IQ& o) {
  IQ negated(o);
  negated.minus = !o.minus;
  *this += negated;
}

const IQ IQ::operator+(const IQ& o) const {
  IQ r(*this);
  r += o;
  return r;
}

const IQ IQ::operator-(const IQ& o) const {
  IQ r(*this);
  r -= o;
  return r;
}

const IQ IQ::operator/(const IQ& o) const {
  IQ r(*this);
  r /= o;
  return r;
}

void IQ::absQuotient(const IQ& d, unsigned scale) {
  if (d.used == 0) setError(8);
  uint32_t u[N + 1];
  std::copy(limb, limb + used, u);
  u[used] = mulSmall(u, used, POW10[scale]);
  const int nu = usedLimbs(u, used + 1);

  uint32_t q[N + 1] = {};
  if (d.used == 1) {
    std::copy(u, u + nu, q);
    divSmall(q, nu, d.limb[0]);
  } else if (nu >= d.used) {
    divLimbs(u, nu, d.limb, d.used, q);
  }
  if (!fitsRange(q, N + 1)) setError(1);
  std::copy(q, q + N, limb);
  trim(N);
}

void IQ::absHardDiv(const IQ& d) { absDiv(d); }

// The whole-number part of |this| / |d|.
void IQ::absDiv(const IQ& d) {
  absQuotient(d, 0);
  mult(100);
  minus = false;
}

// |this| / |d| truncated to two fraction digits: 100 * this / d in hundredths.
void IQ::absDivf(const IQ& d) {
  absQuotient(d, 2);
  minus = false;
}

IQ& IQ::div(const IQ& o) {
  const bool negative = minus != o.minus;
  absDiv(o);
  minus = negative;
  return *this;
}

IQ& IQ::operator/=(const IQ& o) {
  const bool negative = minus != o.minus;
  absDivf(o);
  minus = negative;
  return *this;
}

// Repeated multiplication by the base, each step truncated. The magnitudes move
// monotonically, so the sequence settles on a value (or on a sign flip for a
// negative base) or overflows; once it settles the remaining steps are skipped.
void IQ::pow(unsigned n) {
  const IQ base(*this);
  IQ previous, current(1);
  for (unsigned k = 1; k <= n; ++k) {
    IQ next = current * base;
    if (next == current) break;
    if (k >= 2 && next == previous) {
      if ((n - k) % 2 == 1) next = current;
      current = next;
      break;
    }
    previous = current;
    current = next;
  }
  set(current);
}

// A halving search, not an exact root: the square root of 16 gives 3.97.
// r = 0, step = the value; while 0.01 <= step: r += step if r * r < value, else
// r -= step; step = step / 2. In hundredths the steps are the value shifted right,
// and r never drops below 0 (the first step sets it to the value, the later ones
// add up to less), so the search runs on binary whole numbers. r * r, truncated
// as multiplication truncates it, is floor(r^2 / 100) or one less; only when
// floor(r^2 / 100) equals the value does the exact product decide. A square beyond
// the range is above every number.
IQ& IQ::sqrt() {
  if (minus) throw "IQ::sqrt(-cos);";
  const Binary value = Binary::fromLimbs(limb, used);
  Binary low = value;  // 100 * value: squares below it are below the value
  low.mulAdd(100, 0);
  Binary high = low;  // 100 * value + 100: squares from it on are not below
  high.mulAdd(1, 100);
  const int tooManyBits = (high.bits() + 3) / 2 + 1;

  Binary r, step = value, square;
  auto squareIsBelow = [&] {
    if (r.bits() > tooManyBits) return false;
    Binary::square(r, square);
    if (square.compare(low) < 0) return true;
    if (square.compare(high) >= 0) return false;
    IQ root, exact;
    r.toLimbs(root.limb);
    root.trim(N);
    int n = 0;
    if (!multCore(root.limb, root.used, root.limb, root.used, exact.limb, n)) return false;
    exact.used = n;
    return exact.isAbsLessThan(*this);
  };
  while (step.n > 0) {
    if (squareIsBelow())
      r += step;
    else
      r -= step;
    step.halve();
  }
  init();
  r.toLimbs(limb);
  trim(N);
  return *this;
}

bool IQ::operator==(const IQ& o) const { return minus == o.minus && absCompare(o) == 0; }

bool IQ::operator!=(const IQ& o) const { return !(*this == o); }

bool IQ::operator<(const IQ& o) const {
  if (minus && o.minus) return absCompare(o) > 0;
  if (minus != o.minus) return minus;
  return absCompare(o) < 0;
}

bool IQ::operator<=(const IQ& o) const { return *this < o || *this == o; }

}  // namespace reference
