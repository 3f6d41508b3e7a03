// Fixed-point decimals of 510 integer and 2 fraction digits.
#include <tessel/iq.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

// Limb arrays below are whole numbers of hundredths, least significant limb first.
namespace {

// ---- Types and constants ------------------------------------------------------------------------

const uint32_t BASE = IQ::LIMB_BASE;
const int N = IQ::LIMBS;
// The top limb holds only 8 digits: 10^512 = TOP_LIMIT * BASE^(N-1).
const uint32_t TOP_LIMIT = 100000000u;
const uint32_t POW10[10] = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// Unsigned whole numbers in base 2^64 for the square root's search, where halving
// is a shift. 30 words hold 2^32 times any number.
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
  int compare(const Binary& o) const {
    if (n != o.n) return n < o.n ? -1 : 1;
    for (int i = n - 1; i >= 0; --i)
      if (w[i] != o.w[i]) return w[i] < o.w[i] ? -1 : 1;
    return 0;
  }
  // Bits g to g + 63.
  uint64_t window(int g) const {
    const int at = g / 64, shift = g % 64;
    uint64_t out = at < n ? w[at] >> shift : 0;
    if (shift && at + 1 < n) out |= w[at + 1] << (64 - shift);
    return out;
  }
  Binary shiftedRight(int bits) const {
    Binary out;
    out.n = std::max(0, n - bits / 64);
    for (int i = 0; i < out.n; ++i) out.w[i] = window(bits + 64 * i);
    out.trim();
    return out;
  }
  static Binary of(uint64_t v) {
    Binary b;
    b.w[0] = v;
    b.n = v != 0;
    return b;
  }
  static Binary fromLimbs(const uint32_t* v, int nv) {
    Binary b;
    for (int i = nv - 1; i >= 0; --i) b.mulAdd(BASE, v[i]);
    return b;
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

// v *= m in place (m < BASE); returns the carry limb. The products are split apart
// first, so that only a carry of 0 or 1 runs from limb to limb.
uint32_t mulSmall(uint32_t* v, int n, uint32_t m) {
  uint64_t high = 0;
  uint32_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const uint64_t p = uint64_t(v[i]) * m, pHigh = p / BASE;
    const uint64_t t = p - pHigh * BASE + high + carry;  // below 2 BASE
    carry = t >= BASE;
    v[i] = uint32_t(carry ? t - BASE : t);
    high = pHigh;
  }
  return uint32_t(high + carry);
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

// Moves each column's excess over BASE into the next one, every column at once, so
// that no column waits for the carry from below: afterwards each is below
// BASE + 2^64 / BASE. acc[n] takes the top column's excess.
void spreadColumns(uint64_t* acc, int n) {
  uint64_t below = 0;
  for (int k = 0; k < n; ++k) {
    const uint64_t over = acc[k] / BASE;
    acc[k] = acc[k] - over * BASE + below;
    below = over;
  }
  acc[n] += below;
}

// Where the loader picks among copies of a function (GCC on Linux), the column sums
// also get a copy for AVX2, whose four-lane products make a long product a fifth faster.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define WITH_AVX2_COPY __attribute__((target_clones("avx2", "default")))
#else
#define WITH_AVX2_COPY
#endif

// acc[0..nx+ny] += the column sums of x * y without the product x[0] * y[0]. The
// columns are spread after every 16 rows but the last, before 16 more products below
// 10^18 could overflow them: each column ends below 16 * 10^18 + 2^64 / BASE.
// Rows go in pairs, so that each column is loaded and stored once for two products.
WITH_AVX2_COPY void mulColumns(const uint32_t* x, int nx, const uint32_t* y, int ny, uint64_t* acc) {
  for (int i = 0; i < nx;) {
    for (const int blockEnd = std::min(nx, i + 16); i < blockEnd; i += 2) {
      const uint64_t x0 = x[i], x1 = i + 1 < blockEnd ? x[i + 1] : 0;
      uint64_t* row = acc + i;
      if (i) row[0] += x0 * y[0];
      for (int j = 1; j < ny; ++j) row[j] += x0 * y[j] + x1 * y[j - 1];
      row[ny] += x1 * y[ny - 1];
    }
    if (i < nx) spreadColumns(acc, nx + ny);
  }
}

int compareLimbs(const uint32_t* a, int na, const uint32_t* b, int nb) {
  if (na != nb) return na < nb ? -1 : 1;
  for (int i = na - 1; i >= 0; --i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

// What a signed limb x carries into the next: floor(x / BASE), mostly 0.
int64_t carryOf(int64_t x) { return x >= 0 && x < int64_t(BASE) ? 0 : x / int64_t(BASE) - (x % int64_t(BASE) < 0); }

// q[0..nu-nv] = u / v, long division on limbs (nu >= nv >= 2, v[nv-1] != 0). Each
// quotient limb is estimated in floating point from the remainder's top four limbs
// over the divisor's top three, and its product with the divisor taken off without
// carries: the remainder's limbs are signed and unnormalised, spread before they
// could overflow, so that the subtraction has no chain from limb to limb. An
// estimate can be one off; the next limb's estimate takes the difference up, the
// end puts right the last one.
// One algorithm whose steps share the remainder's limbs: it reads best whole.
void divLimbs(const uint32_t* u, int nu, const uint32_t* v, int nv, uint32_t* q) {
  // Scale both so that the divisor's top limb is at least BASE/2: the remainder's
  // unnormalised limbs, rounded to doubles, then move the estimate by far less than 1.
  const uint32_t scale = BASE / (v[nv - 1] + 1);
  uint32_t un[N + 2], vn[N + 1];
  std::copy(u, u + nu, un);
  un[nu] = mulSmall(un, nu, scale);
  std::copy(v, v + nv, vn);
  mulSmall(vn, nv, scale);

  int64_t rest[N + 2], digits[N + 2];
  std::copy(un, un + nu + 1, rest);
  const double inverse = 1 / ((double(vn[nv - 1]) * BASE + vn[nv - 2]) * BASE + (nv > 2 ? vn[nv - 3] : 0));
  uint64_t sinceSpread = 0;  // sum of |qhat| since the limbs were last spread
  for (int j = nu - nv; j >= 0; --j) {
    const int top = j + nv;
    const double numerator = ((double(rest[top]) * BASE + double(rest[top - 1])) * BASE + double(rest[top - 2])) *
                                 BASE +
                             (top > 2 ? double(rest[top - 3]) : 0);
    const double estimate = numerator * inverse;
    const int64_t qhat = int64_t(estimate) - (estimate < 0 && double(int64_t(estimate)) != estimate);  // floor
    const uint64_t size = uint64_t(qhat < 0 ? -qhat : qhat);
    int64_t* row = rest + j;
    // From the top down, so that the next estimate's limbs are ready first.
    if (qhat >= 0)
      for (int i = nv - 1; i >= 0; --i) row[i] -= int64_t(size * vn[i]);
    else
      for (int i = nv - 1; i >= 0; --i) row[i] += int64_t(size * vn[i]);
    rest[top - 1] = int64_t(__int128(rest[top]) * BASE + rest[top - 1]);  // what is left is below 2 BASE^top
    rest[top] = 0;
    digits[j] = qhat;
    // After a spread the limbs are below BASE + 2^63 / BASE; each step adds below
    // |qhat| BASE, and |qhat| < 2 BASE (in practice qhat <= BASE).
    sinceSpread += size;
    if (sinceSpread > 7 * uint64_t(BASE)) {
      sinceSpread = 0;
      int64_t below = 0;
      for (int i = j; i < top - 1; ++i) {
        const int64_t over = rest[i] / int64_t(BASE);
        rest[i] += below - over * int64_t(BASE);
        below = over;
      }
      rest[top - 1] += below;
    }
  }
  // The remainder, carried into limbs 0..nv-1 and a signed top; then put right.
  for (int pass = 0; pass < 2; ++pass) {  // limbs then within BASE + 10 of 0
    int64_t below = 0;
    for (int i = 0; i < nv; ++i) {
      const int64_t over = rest[i] / int64_t(BASE);
      rest[i] += below - over * int64_t(BASE);
      below = over;
    }
    rest[nv] += below;
  }
  int64_t carry = 0;
  for (int i = 0; i < nv; ++i) {
    const int64_t x = rest[i] + carry;
    carry = carryOf(x);
    un[i] = uint32_t(x - carry * int64_t(BASE));
  }
  carry += rest[nv];
  while (carry != 0 || compareLimbs(un, usedLimbs(un, nv), vn, nv) >= 0) {  // below 0, or not below vn
    const bool add = carry < 0;  // the quotient was too large: add the divisor back
    int64_t c = 0;
    for (int i = 0; i < nv; ++i) {
      const int64_t x = int64_t(un[i]) + (add ? int64_t(vn[i]) : -int64_t(vn[i])) + c;
      c = carryOf(x);
      un[i] = uint32_t(x - c * int64_t(BASE));
    }
    carry += c;
    digits[0] += add ? -1 : 1;
  }
  carry = 0;
  for (int j = 0; j <= nu - nv; ++j) {
    const int64_t x = digits[j] + carry;
    carry = carryOf(x);
    q[j] = uint32_t(x - carry * int64_t(BASE));
  }
}

// out[0..n] = the columns acc[0..n] as mulColumns leaves them, carried into limbs;
// returns the carry out of the top.
uint32_t carryColumns(uint64_t* acc, int n, uint32_t* out) {
  uint64_t carry = 0;
  if (n < 12) {  // few columns: the carry's chain through each division is short
    for (int k = 0; k <= n; ++k) {
      const uint64_t t = acc[k] + carry;
      carry = t / BASE;
      out[k] = uint32_t(t - carry * BASE);
    }
    return uint32_t(carry);
  }
  spreadColumns(acc, n);
  spreadColumns(acc, n);  // each column now below BASE + 19: a carry is 0 or 1
  for (int k = 0; k <= n; ++k) {
    const uint64_t t = acc[k] + carry;
    carry = t >= BASE;
    out[k] = uint32_t(carry ? t - BASE : t);
  }
  return uint32_t(carry);
}

// The product of two magnitudes as schoolbook digit arithmetic forms it: one partial
// product per digit of b, the two fraction digits' partials each truncated by its own
// downward shift. So the result can be 0.01 below the truncated exact product.
// r gets the limbs in use and nr their count; false when a partial product or the
// sum leaves the range.
//
// In limbs that is one product: a * (b * 10^7) / BASE, b * 10^7 being b's whole part
// moved into whole limbs and its two fraction digits into the bottom limb. Only the
// bottom column, a[0] times those digits, would truncate as one; it is replaced by
// the two truncated partials, times BASE.
bool multCore(const uint32_t* a, int na, const uint32_t* b, int nb, uint32_t* r, int& nr) {
  nr = 0;
  if (!na || !nb) return true;
  const uint32_t fraction = b[0] % 100, tenths = fraction / 10, hundredths = fraction % 10;
  if (na <= 2 && nb <= 2) {  // below 10^18 each: three columns, without the arrays' fixed costs
    const uint64_t a0 = a[0], a1 = na > 1 ? a[1] : 0, whole = ((nb > 1 ? uint64_t(b[1]) * BASE : 0) + b[0]) / 100;
    const uint64_t w0 = whole % BASE, w1 = whole / BASE, value = a1 * BASE + a0;
    uint64_t column = a0 * w0 + value * tenths / 10 + value * hundredths / 100;
    const uint32_t r0 = uint32_t(column % BASE);
    column = a0 * w1 + a1 * w0 + column / BASE;
    const uint32_t r1 = uint32_t(column % BASE);
    column = a1 * w1 + column / BASE;
    r[0] = r0, r[1] = r1, r[2] = uint32_t(column % BASE), r[3] = uint32_t(column / BASE);
    nr = usedLimbs(r, 4);
    return true;
  }
  if (na == N && (tenths || hundredths)) {  // a fraction digit's partial must fit before its shift
    uint32_t part[N + 1];
    std::copy(a, a + N, part);
    part[N] = mulSmall(part, N, std::max(tenths, hundredths));
    if (!fitsRange(part, N + 1)) return false;
  }
  uint32_t scaled[N + 1];  // b * 10^7; 10^7 * 100 = BASE, so no digit crosses more than one limb
  scaled[0] = fraction * 10000000u;
  for (int k = 1; k < nb; ++k) scaled[k] = b[k - 1] / 100 + b[k] % 100 * 10000000u;
  scaled[nb] = b[nb - 1] / 100;
  const int ns = usedLimbs(scaled, nb + 1), n = na + ns;

  uint64_t acc[2 * N + 2];
  std::fill(acc, acc + n + 1, 0);
  acc[0] = (a[0] * uint64_t(tenths) / 10 + a[0] * uint64_t(hundredths) / 100) * BASE;
  if (na <= ns)
    mulColumns(a, na, scaled, ns, acc);
  else
    mulColumns(scaled, ns, a, na, acc);
  uint32_t product[2 * N + 2];
  if (carryColumns(acc, n, product) || !fitsRange(product + 1, n)) return false;
  nr = usedLimbs(product + 1, n);
  std::copy(product + 1, product + 1 + nr, r);
  return true;
}

// out = a * b exactly, and its limbs in use (na, nb >= 1, at most N + 1 limbs each).
int mulExact(const uint32_t* a, int na, const uint32_t* b, int nb, uint32_t* out) {
  uint64_t acc[2 * N + 4];
  std::fill(acc, acc + na + nb + 1, 0);
  acc[0] = uint64_t(a[0]) * b[0];
  mulColumns(a, na, b, nb, acc);
  carryColumns(acc, na + nb, out);
  return usedLimbs(out, na + nb);
}

// v[0..n) += add (below BASE); returns the limbs in use, v having room for a new one.
int addSmallLimbs(uint32_t* v, int n, uint32_t add) {
  for (int i = 0; add; ++i) {
    const uint32_t t = (i < n ? v[i] : 0) + add;
    add = t >= BASE;
    v[i] = add ? t - BASE : t;
    n = std::max(n, i + 1);
  }
  return n;
}

// x = (x + m / x) / 2, Newton's step toward floor(sqrt(m)) from above (x > 0, m of nm
// limbs); returns x's limbs in use.
int newtonStep(const uint32_t* m, int nm, uint32_t* x, int nx) {
  uint32_t q[N + 3] = {};
  if (nx == 1) {
    std::copy(m, m + nm, q);
    divSmall(q, nm, x[0]);
  } else if (nm >= nx) {
    divLimbs(m, nm, x, nx, q);
  }
  uint32_t carry = 0;  // q < x, so the sum has at most nx + 1 limbs
  for (int i = 0; i < nx; ++i) {
    const uint32_t t = x[i] + q[i] + carry;
    carry = t >= BASE;
    x[i] = carry ? t - BASE : t;
  }
  x[nx] = carry;
  divSmall(x, nx + 1, 2);
  return usedLimbs(x, nx + 1);
}

// root = floor(sqrt(m)) for m of nm limbs in use (at most N + 1), and its limbs in
// use. Started from the root of m's top half, Newton's step from above leaves at
// most one to take off, which the square shows.
int sqrtLimbs(const uint32_t* m, int nm, uint32_t* root) {
  if (nm <= 2) {
    const uint64_t v = nm ? (nm == 2 ? uint64_t(m[1]) * BASE : 0) + m[0] : 0;
    uint64_t x = uint64_t(std::sqrt(double(v)));
    while (x * x > v) --x;
    while ((x + 1) * (x + 1) <= v) ++x;
    root[0] = uint32_t(x % BASE);
    root[1] = uint32_t(x / BASE);
    return usedLimbs(root, 2);
  }
  const int h = std::max(1, (nm - 2) / 4);  // x = (sqrt(m / BASE^2h) + 1) * BASE^h > sqrt(m)
  uint32_t x[N + 3] = {}, square[2 * N + 6];
  int nx = h + addSmallLimbs(x + h, sqrtLimbs(m + 2 * h, nm - 2 * h, x + h), 1);
  do nx = newtonStep(m, nm, x, nx);
  while (compareLimbs(square, mulExact(x, nx, x, nx, square), m, nm) > 0);
  std::copy(x, x + nx, root);
  return nx;
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
    // Four limbs at a time, without a call: limbs above `used` are 0 in both, so the
    // few copied beyond the longer one change nothing.
    const int n = std::max(used, o.used);
    int i = 0;
    for (; i < n && i + 4 <= N; i += 4) std::memcpy(limb + i, o.limb + i, 4 * sizeof *limb);
    for (; i < n; ++i) limb[i] = o.limb[i];
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
  // n < N when there is a carry: the top limbs are below TOP_LIMIT, their sum has none.
  // Without one the top limb is at least the longer operand's, so not 0.
  limb[std::min(n, N - 1)] += carry;
  used = n + int(carry);
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

// multCore reads all of a and b before it writes, so this may be one of them.
void IQ::setAbsMult(const IQ& a, const IQ& b) {
  const int before = used;
  int nr = 0;
  if (!multCore(a.limb, a.used, b.limb, b.used, limb, nr)) {
    init();
    setError(1);
  }
  if (before > nr) std::fill(limb + nr, limb + before, 0u);
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

void IQ::operator+=(const IQ& o) { addSigned(o, o.minus); }

void IQ::operator-=(const IQ& o) { addSigned(o, !o.minus); }

// this += o with o's sign taken as oMinus.
void IQ::addSigned(const IQ& o, bool oMinus) {
  if (minus == oMinus) {
    absPlus(o);
  } else if (absCompare(o) >= 0) {  // as absMinus, without its second comparison
    uint32_t borrow = 0;            // the left operand's magnitude is at least as large: its sign stays
    for (int i = 0; i < used && (i < o.used || borrow); ++i) {
      const uint32_t take = o.limb[i] + borrow;
      borrow = limb[i] < take;
      limb[i] = borrow ? limb[i] + BASE - take : limb[i] - take;
    }
    trim(used);
  } else {  // o's magnitude less this one, with o's sign and error code
    uint32_t borrow = 0;
    for (int i = 0; i < o.used; ++i) {
      const uint32_t take = limb[i] + borrow;
      borrow = o.limb[i] < take;
      limb[i] = borrow ? o.limb[i] + BASE - take : o.limb[i] - take;
    }
    trim(o.used);
    minus = oMinus;
    error = o.error;
  }
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

  uint32_t q[N + 1];
  int nq = 0;
  if (d.used == 1) {
    std::copy(u, u + nu, q);
    divSmall(q, nu, d.limb[0]);
    nq = nu;
  } else if (nu >= d.used && nu <= 4 && d.used == 2) {  // one 128-bit division
    u128 value = 0;
    for (int i = nu - 1; i >= 0; --i) value = value * BASE + u[i];
    u128 quotient = value / (uint64_t(d.limb[1]) * BASE + d.limb[0]);
    for (nq = 0; nq < 3; ++nq, quotient /= BASE) q[nq] = uint32_t(quotient % BASE);
  } else if (nu >= d.used) {
    divLimbs(u, nu, d.limb, d.used, q);
    nq = nu - d.used + 1;
  }
  if (!fitsRange(q, nq)) setError(1);
  nq = usedLimbs(q, nq);
  std::copy(q, q + nq, limb);
  if (used > nq) std::fill(limb + nq, limb + used, 0u);
  used = nq;
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
// r -= step; step = step / 2. In hundredths the steps are the value V shifted
// right, and r * r truncated as multiplication truncates it is sq(r) =
// floor(r^2 / 100) or one less, beyond the range above every number.
//
// sq only grows with r from r = 50 on, and is below 25 under it. So for V >= 25
// the search asks each time whether r is below one threshold T, the least r with
// sq(r) >= V: T is c = ceil(sqrt(100 V)) or c + 1, which sq(c) decides. The search
// then runs on d = r - T without squares: in chunks of up to 32 steps on d's and
// the steps' top 64 bits, where a decision is certain while |d| exceeds the error
// the cut bits can have, each chunk's sum of steps added exactly in one pass, and
// on plain integers once the steps fit in 60 bits.
IQ& IQ::sqrt() {
  if (minus) throw "IQ::sqrt(-cos);";
  const Binary value = Binary::fromLimbs(limb, used);
  if (value.n == 0 || value.bits() <= 62) {  // V < 2^62: squares fit in 128 bits
    const uint64_t v = value.n ? value.w[0] : 0;
    uint64_t r = 0;
    for (uint64_t step = v; step; step >>= 1) {
      const uint64_t whole = r / 100, tenths = r / 10 % 10, hundredths = r % 10;
      const u128 square = u128(r) * whole + u128(r) * tenths / 10 + u128(r) * hundredths / 100;
      r = square < v ? r + step : r - step;
    }
    init();
    limb[0] = uint32_t(r % BASE);
    limb[1] = uint32_t(r / BASE);
    trim(2);
    return *this;
  }

  uint32_t t[N + 2];  // T
  int nt = 0;
  {
    uint32_t m[N + 1];  // 100 V - 1, whose root plus one is c
    std::copy(limb, limb + used, m);
    m[used] = mulSmall(m, used, 100);
    int nm = usedLimbs(m, used + 1);
    for (int i = 0; m[i]-- == 0; ++i) m[i] = BASE - 1;
    nm = usedLimbs(m, nm);
    nt = addSmallLimbs(t, sqrtLimbs(m, nm, t), 1);
    uint32_t square[N];
    int ns = 0;
    if (multCore(t, nt, t, nt, square, ns) && compareLimbs(square, ns, limb, used) < 0) nt = addSmallLimbs(t, nt, 1);
  }

  // d = r - T in sign and magnitude; r starts at 0.
  Binary d = Binary::fromLimbs(t, nt);
  bool negative = true;
  auto add = [&](const Binary& x, bool xNegative) {  // d += x, signed
    if (negative == xNegative) {
      d += x;
    } else if (d.compare(x) >= 0) {
      d -= x;
    } else {
      Binary rest = x;
      rest -= d;
      d = rest;
      negative = xNegative;
    }
    if (d.n == 0) negative = false;
  };
  const int steps = value.bits();  // step k is V >> k, for k below this
  bool exact = false;              // d is in `last` from when the steps fit in 60 bits
  int64_t last = 0;
  for (int k = 0; k < steps;) {
    const Binary step = value.shiftedRight(k);
    const int cut = std::max(0, step.bits() - 60);
    if (d.bits() - cut > 62) {  // |d| too large for the window: one exact step
      add(step, !negative);
      ++k;
      continue;
    }
    int64_t near = int64_t(d.window(cut));
    if (negative) near = -near;
    if (cut == 0) {  // exact from here on
      for (uint64_t s = step.window(0); k < steps; ++k, s >>= 1) near += near < 0 ? int64_t(s) : -int64_t(s);
      last = near;
      exact = true;
      break;
    }
    // Up to 32 steps on the windows: each cut step is up to 1 short, so after m steps
    // |near - d / 2^cut| < m + 1. Their sum, sum s_i (step >> i) with s_i = +-1, is
    // (weights * step - low) / 2^(m-1): weights = sum s_i 2^(m-1-i), low = sum s_i
    // 2^(m-1-i) (step mod 2^i).
    const uint64_t top = step.window(cut), bottom = step.window(0);
    int64_t weights = 0, low = 0;
    int m = 0;
    for (; m < 32 && k + m < steps && (near > m + 1 || near < -(m + 1)); ++m) {
      const int64_t sign = near < 0 ? 1 : -1;
      near += sign * int64_t(top >> m);
      weights += sign * (int64_t(1) << (31 - m));
      low += sign * (int64_t(bottom & ((uint64_t(1) << m) - 1)) << (31 - m));
    }
    if (m == 0) {
      add(step, !negative);
      ++k;
      continue;
    }
    weights >>= 32 - m;  // weighed from 2^31 down: now from 2^(m-1)
    low >>= 32 - m;
    const bool sumNegative = weights < 0;
    if (sumNegative) low = -low;  // |sum| 2^(m-1) = |weights| step - low, never negative
    Binary sum = step;
    sum.mulAdd(uint64_t(sumNegative ? -weights : weights), low < 0 ? uint64_t(-low) : 0);
    if (low > 0) sum -= Binary::of(uint64_t(low));
    sum = sum.shiftedRight(m - 1);
    add(sum, sumNegative);
    k += m;
  }

  if (!exact) last = negative ? -int64_t(d.window(0)) : int64_t(d.window(0));  // |d| ends small

  // r = T + d, never below 0.
  init();
  std::copy(t, t + nt, limb);
  const uint64_t size = last < 0 ? uint64_t(-last) : uint64_t(last);
  for (uint64_t carry = size, i = 0; carry; ++i) {
    const uint64_t have = limb[i], change = carry % BASE;
    limb[i] = uint32_t(last < 0 ? (have + BASE - change) % BASE : (have + change) % BASE);
    carry = carry / BASE + (last < 0 ? have < change : have + change >= BASE);
  }
  trim(std::min(N, nt + 3));
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
