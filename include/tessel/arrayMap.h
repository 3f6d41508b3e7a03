#pragma once
// String-keyed map over two parallel arrays, searched linearly in insertion order.
// Keys are owned heap copies; values follow the Array rules.

#include <tessel/array.h>

#include <cstring>

template <typename T> class ArrayMap {
public:
  ArrayMap() : currentID(0) {}
  // Keys are owned: a shallow copy would free them twice.
  ArrayMap(const ArrayMap&) = delete;
  ArrayMap& operator=(const ArrayMap&) = delete;

  ~ArrayMap() { clear(); }

  // Forgets every entry; the storage stays for the next ones, which start from
  // a default value.
  void clear() {
    for (unsigned i = 0; i < key.num; ++i) delete[] key[i];
    key.num = 0;
    val.num = 0;
    currentID = 0;
  }

  bool isKey(const char* k) const { return find(k) < val.num; }

  // Appends without looking for an existing entry.
  void addKey(const char* k) {
    unsigned n = val.num;
    size_t len = strlen(k);
    char* copy = new char[len + 2]();
    memcpy(copy, k, len);
    key[n] = copy;
    key.num = n + 1;
    val[n] = T();  // a slot that clear freed still holds its old value
    val.num = n + 1;
  }

  T& operator[](const char* k) {
    unsigned i = find(k);
    if (i < val.num) return val[i];
    addKey(k);
    return val[val.num - 1];
  }

  // Cursor over the entries in insertion order.
  unsigned size() const { return val.num; }
  void reset() { currentID = 0; }
  void next() { ++currentID; }
  bool currentAtEnd() const { return currentID >= val.num; }
  T& current() {
    if (currentAtEnd()) throw "ArrayMap: cursor past the last entry";
    return val[currentID];
  }

  Array<char*> key;
  Array<T> val;
  unsigned currentID;

private:
  // Index of the first entry with key k, or val.num.
  unsigned find(const char* k) const {
    for (unsigned i = 0; i < val.num; ++i)
      if (strcmp(key[i], k) == 0) return i;
    return val.num;
  }
};
