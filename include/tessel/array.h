#pragma once
// Growable array.
// Writing past the capacity grows the storage to the next power of two; the count of
// elements in use (num) is kept by the owner, never by the array itself. Pointer
// elements are not owned.

#include <memory>

template <typename T> class Array {
public:
  Array() : num(0), tab(new T[1]()), s(1) {}

  // Never without storage, even when asked for none.
  explicit Array(unsigned capacity) : num(0), tab(new T[capacity ? capacity : 1]()), s(capacity ? capacity : 1) {}

  // Copies every allocated element, not only the first num.
  Array(const Array& o) : num(o.num), tab(copyOf(o, o.s)), s(o.s) {}

  Array& operator=(const Array& o) {
    if (this != &o) {
      T* fresh = copyOf(o, o.s);
      delete[] tab;
      tab = fresh;
      s = o.s;
      num = o.num;
    }
    return *this;
  }

  virtual ~Array() {
    delete[] tab;
    tab = nullptr;
    s = 0;
  }

  // Capacity, not the count in use.
  unsigned size() const { return s; }
  const T* getData() const { return tab; }

  void resize(unsigned n) {
    T* fresh = copyOf(*this, n);
    delete[] tab;
    tab = fresh;
    s = n;
  }

  void resize2(unsigned n) {
    // Doubling past 2^31 would wrap to 0 and loop forever.
    if (n > MAX_CAPACITY) throw "Array: capacity too large to grow";
    unsigned p = 1;
    while (p < n) p *= 2;
    if (s < p) resize(p);
  }

  T& operator[](unsigned i) {
    if (i >= s) {
      if (i >= MAX_CAPACITY) throw "Array: index too large to grow";
      resize2(i + 1);
    }
    return tab[i];
  }

  const T& operator[](unsigned i) const {
    if (i >= s) throw "try to read unallocated data";
    return tab[i];
  }

  unsigned num;

protected:
  T* tab;
  unsigned s;

private:
  static const unsigned MAX_CAPACITY = 0x80000000u;

  // New storage of n elements holding the first min(n, from.s) elements of from.
  // Value-initialised, so that slots nobody wrote hold zero rather than garbage.
  static T* copyOf(const Array& from, unsigned n) {
    std::unique_ptr<T[]> fresh(new T[n]());
    unsigned keep = n < from.s ? n : from.s;
    for (unsigned i = 0; i < keep; ++i) fresh[i] = from.tab[i];
    return fresh.release();
  }
};
