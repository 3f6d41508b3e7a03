#include <tessel/iq.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

// Limb arrays below are whole numbers of hundredths, least significant limb first.
namespace {

const uint32_t BASE = IQ::LIMB_BASE;
const int N = IQ::LIMBS;
// The top limb holds only 8 digits: 10^512 = TOP_LIMIT * BASE^(N-1).
const uint32_t TOP_LIMIT = 100000000u;
const uint32_t POW10[10] = {1u,      10u,      100u,      1000u,      10000u,
                            100000u, 1000000u, 10000000u, 100000000u, 1000000000u};
// Room for a product of two numbers, with spare limbs for carries.
const int WIDE = 2 * N + 2;

int usedLimbs(const uint32_t* v, int n) {
  while (n > 0 && v[n - 1] == 0) --n;
  return n;
}

// Whether v (n limbs) is below 10^512, the range of a number.
bool fitsRange(const uint32_t* v, int n) {
  for (int i = N; i < n; ++i)
    if (v[i]) return false;
  return n < N || v[N - 1] < TOP_LIMIT;
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
uint32_t divSmall(uint32_t* v, int n, uint32_t d) {
  uint64_t rem = 0;
  for (int i = n - 1; i >= 0; --i) {
    uint64_t t = rem * BASE + v[i];
    v[i] = uint32_t(t / d);
    rem = t % d;
  }
  return uint32_t(rem);
}

// acc[0..n) += v[0..nv); acc must have room for the final carry (n > nv).
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
  uint64_t acc[WIDE + 1] = {};
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
void divLimbs(const uint32_t* u, int nu, const uint32_t* v, int nv, uint32_t* q) {
  // Scale both so that the divisor's top limb is at least BASE/2.
  const uint32_t scale = BASE / (v[nv - 1] + 1);
  uint32_t un[WIDE + 1] = {}, vn[WIDE] = {};
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
// False when a partial product or the sum leaves the range.
bool multCore(const uint32_t* a, const uint32_t* b, uint32_t* r) {
  uint32_t whole[N];  // b's digits from position 2 up: b / 100
  std::copy(b, b + N, whole);
  const uint32_t fraction = divSmall(whole, N, 100);
  const int na = usedLimbs(a, N), nw = usedLimbs(whole, N);

  uint32_t sum[WIDE + 1] = {};
  if (na && nw) mulLimbs(a, na, whole, nw, sum);

  const uint32_t digits[2] = {fraction / 10, fraction % 10};  // tenths, hundredths
  const uint32_t shifts[2] = {10, 100};
  for (int k = 0; k < 2; ++k) {
    if (!digits[k] || !na) continue;
    uint32_t part[N + 1];
    std::copy(a, a + na, part);
    part[na] = mulSmall(part, na, digits[k]);
    if (!fitsRange(part, na + 1)) return false;
    divSmall(part, na + 1, shifts[k]);
    addInto(sum, WIDE + 1, part, na + 1);
  }
  if (!fitsRange(sum, WIDE + 1)) return false;
  std::copy(sum, sum + N, r);
  return true;
}

}  // namespace

IQ::IQ() { init(); }

IQ::IQ(const char* num) { setDec(num); }

IQ::IQ(unsigned char v) : IQ(int(v)) {}

IQ::IQ(char v) : IQ(int(v)) {}

IQ::IQ(int v) {
  init();
  minus = v < 0;
  const uint64_t hundredths = (minus ? uint64_t(-int64_t(v)) : uint64_t(v)) * 100;
  limb[0] = uint32_t(hundredths % BASE);
  limb[1] = uint32_t(hundredths / BASE);
}

void IQ::init() {
  std::fill(limb, limb + N, 0u);
  minus = false;
  error = 0;
}

void IQ::set(const IQ& o) { *this = o; }

const IQ& IQ::operator=(const IQ& o) {
  std::copy(o.limb, o.limb + N, limb);
  minus = o.minus;
  error = o.error;
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
}

std::string IQ::getDecF() const {
  char all[N * LIMB_DIGITS];  // every digit, most significant first, with the top limb's spare one
  for (int i = 0; i < N; ++i) {
    uint32_t v = limb[i];
    for (int k = 0; k < LIMB_DIGITS; ++k, v /= 10) all[N * LIMB_DIGITS - 1 - (i * LIMB_DIGITS + k)] = char('0' + v % 10);
  }
  const char* integer = all;
  const char* point = all + N * LIMB_DIGITS - 2;
  while (integer < point && *integer == '0') ++integer;

  std::string out;
  out.reserve(DIGITS + 2);
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
  for (int i = N - 1; i >= 0; --i)
    if (limb[i] != o.limb[i]) return limb[i] < o.limb[i] ? -1 : 1;
  return 0;
}

bool IQ::isAbsZero() const { return usedLimbs(limb, N) == 0; }

bool IQ::isAbsLessThan(const IQ& o) const { return absCompare(o) < 0; }

bool IQ::isAbsLessOrEquThan(const IQ& o) const { return absCompare(o) <= 0; }

void IQ::absPlus(const IQ& o) {
  uint32_t carry = 0;
  for (int i = 0; i < N; ++i) {
    uint32_t t = limb[i] + o.limb[i] + carry;
    carry = t >= BASE;
    limb[i] = carry ? t - BASE : t;
  }
  if (limb[N - 1] >= TOP_LIMIT) {  // a carry out of the top digit: keep the digits, drop the carry
    limb[N - 1] -= TOP_LIMIT;
    setError(1);
  }
}

void IQ::absMinus(const IQ& o) {
  if (isAbsLessThan(o)) setError(2);
  uint32_t borrow = 0;
  for (int i = 0; i < N; ++i) {
    const uint32_t take = o.limb[i] + borrow;
    borrow = limb[i] < take;
    limb[i] = borrow ? limb[i] + BASE - take : limb[i] - take;
  }
}

void IQ::mult(unsigned char m) {
  const uint32_t carry = mulSmall(limb, N, m);
  if (carry || limb[N - 1] >= TOP_LIMIT) {
    limb[N - 1] %= TOP_LIMIT;
    setError(1);
  }
}

void IQ::setAbsMult(const IQ& a, const IQ& b) {
  uint32_t r[N];
  if (!multCore(a.limb, b.limb, r)) {
    init();
    setError(1);
  }
  std::copy(r, r + N, limb);
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
  const int nd = usedLimbs(d.limb, N);
  if (nd == 0) setError(8);
  uint32_t u[N + 1];
  std::copy(limb, limb + N, u);
  u[N] = mulSmall(u, N, POW10[scale]);
  const int nu = usedLimbs(u, N + 1);

  uint32_t q[N + 1] = {};
  if (nd == 1) {
    std::copy(u, u + N + 1, q);
    divSmall(q, N + 1, d.limb[0]);
  } else if (nu >= nd) {
    divLimbs(u, nu, d.limb, nd, q);
  }
  if (!fitsRange(q, N + 1)) setError(1);
  std::copy(q, q + N, limb);
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

// Whether r * r, as multiplication truncates it, is below v (v not negative).
// A square beyond the range is above every number, so it is not below v.
bool squareIsBelow(const IQ& r, const IQ& v) {
  const int digitsOfR = usedLimbs(r.limb, N) * IQ::LIMB_DIGITS;
  const int digitsOfV = usedLimbs(v.limb, N) * IQ::LIMB_DIGITS;
  if (digitsOfR > digitsOfV / 2 + 2 * IQ::LIMB_DIGITS) return false;  // far too large to be below
  uint32_t square[N];
  if (!multCore(r.limb, r.limb, square)) return false;
  for (int i = N - 1; i >= 0; --i)
    if (square[i] != v.limb[i]) return square[i] < v.limb[i];
  return false;
}

// A halving search, not an exact root: the square root of 16 gives 3.97.
IQ& IQ::sqrt() {
  if (minus) throw "IQ::sqrt(-cos);";
  const IQ eps("0.01"), two(2);
  IQ r, step(*this);
  while (eps <= step) {
    if (squareIsBelow(r, *this))
      r += step;
    else
      r -= step;
    step /= two;
  }
  set(r);
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
