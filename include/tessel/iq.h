#pragma once
// Signed fixed-point decimal: 510 digits before the point, exactly 2 after it.
// Every result is truncated toward zero to 0.01; a zero can carry a minus sign.
//
// The value is kept as a whole number of hundredths in base-10^9 limbs, least
// significant first, with the count of limbs in use so that small numbers cost
// little. Decimal digit i of the number (i = 0 hundredths, 1 tenths, 2 units,
// ... 511 the digit of 10^509) is digit(i). Arithmetic works on whole limbs, but
// every result, truncation and error is the one that schoolbook digit-by-digit
// arithmetic on those 512 digits gives.

#include <cstdint>
#include <string>

class IQ {
public:
  static const int DIGITS = 512;  // decimal digit positions, hundredths included
  static const int LIMB_DIGITS = 9;
  static const uint32_t LIMB_BASE = 1000000000u;
  static const int LIMBS = (DIGITS + LIMB_DIGITS - 1) / LIMB_DIGITS;  // 57; the top one holds 8 digits

  IQ();
  IQ(const IQ& o) = default;
  IQ(const char* num);
  IQ(unsigned char v);
  IQ(char v);
  IQ(int v);

  void set(const IQ& o);
  void setDec(const char* num);
  std::string getDecF() const;
  void printDecF() const;
  void printDec() const;

  void setMult(const IQ& a, const IQ& b);
  IQ& div(const IQ& o);
  void pow(unsigned n);
  IQ& sqrt();

  void operator+=(const IQ& o);
  void operator-=(const IQ& o);
  void operator*=(const IQ& o);
  IQ& operator/=(const IQ& o);
  IQ operator*(const IQ& o) const;
  const IQ operator+(const IQ& o) const;
  const IQ operator-(const IQ& o) const;
  const IQ operator/(const IQ& o) const;
  const IQ& operator=(const IQ& o);
  const IQ& operator=(const char* num);

  bool operator==(const IQ& o) const;
  bool operator!=(const IQ& o) const;
  bool operator<(const IQ& o) const;
  bool operator<=(const IQ& o) const;

  // Decimal digit i (0 = hundredths); 0 outside 0..511.
  int digit(int i) const;
  int getError() const { return error; }

  bool minus;

protected:
  void absPlus(const IQ& o);
  void absMinus(const IQ& o);
  void mult(unsigned char m);
  void setAbsMult(const IQ& a, const IQ& b);
  void absHardDiv(const IQ& d);
  void absDiv(const IQ& d);
  void absDivf(const IQ& d);
  bool isAbsLessThan(const IQ& o) const;
  bool isAbsLessOrEquThan(const IQ& o) const;
  [[noreturn]] void setError(int code);

  uint32_t limb[LIMBS];  // limbs at and above `used` are 0
  int32_t used;          // limbs in use: the top one is not 0

private:
  void init();
  void addSigned(const IQ& o, bool oMinus);
  void trim(int from);  // recount `used`, looking down from limb `from`
  int absCompare(const IQ& o) const;
  // |this| = (|this| * 10^scale) / |d|, truncated; throws on a zero divisor or overflow.
  void absQuotient(const IQ& d, unsigned scale);

  int32_t error;
};
