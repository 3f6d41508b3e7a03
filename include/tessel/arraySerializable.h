#pragma once
// Arrays that store themselves in the chunk format.
//
// An Array that stores itself as chunks: its count under ".num", then element
// i under the id that "%4.X" prints for i, spaces made '0' (0000, 001A, FFFF).
// How one element is bound is up to a strategy chosen by the element type:
// raw bytes for character types, typed values for numbers.

#include <tessel/array.h>
#include <tessel/proof.h>
#include <tessel/serializable.h>

#include <type_traits>

template <typename T> class ArraySerializable;

template <typename K> class ArraySerializableType {
public:
  virtual void loadSave(ArraySerializable<K>* a) = 0;

  // Beyond 65535 the ids repeat ("10000" is cut to "1000").
  static constexpr unsigned MAX_ELEMENTS = 65536;
  static constexpr unsigned NUM_ID = 0x6D756E2Eu;  // ".num"

  // What "%4.X" prints for i, spaces made '0', its first four characters;
  // computed, as this runs for every element saved.
  static unsigned elementId(unsigned i) {
    static const char hex[] = "0123456789ABCDEF";
    unsigned first = i;
    while (first > 0xFFFF) first >>= 4;
    return Tessel::chunk2unsigned(hex[first >> 12], hex[first >> 8 & 15], hex[first >> 4 & 15], hex[first & 15]);
  }

  // The inverse of elementId: false for an id that names no element.
  static bool elementIndex(unsigned id, unsigned* i) {
    unsigned index = 0;
    for (int k = 0; k < 4; ++k) {
      const unsigned c = (id >> (8 * k)) & 0xFF;
      unsigned digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return false;
      }
      index = index << 4 | digit;
    }
    *i = index;
    return true;
  }

protected:
  ArraySerializableType() = default;
  ~ArraySerializableType() = default;

  // The algorithm both strategies share; bind(a, id, element) is theirs.
  template <typename Bind> static void describe(ArraySerializable<K>* a, Bind bind);
};

// Each element as one raw byte.
template <typename K> class ArraySerializableTypeData : public ArraySerializableType<K> {
public:
  static ArraySerializableTypeData* I() {
    static ArraySerializableTypeData* instance = new ArraySerializableTypeData;
    return instance;
  }

  void loadSave(ArraySerializable<K>* a) override {
    ProofOb proof("ArraySerializableTypeData<K>::loadSave(*)");
    this->describe(a, [](ArraySerializable<K>* array, unsigned id, K& element) {
      array->assign(id, static_cast<void*>(&element), 1);
    });
  }

private:
  ArraySerializableTypeData() = default;
};

// Each element as an integer or float value.
template <typename K> class ArraySerializableTypeKnow : public ArraySerializableType<K> {
public:
  static ArraySerializableTypeKnow* I() {
    static ArraySerializableTypeKnow* instance = new ArraySerializableTypeKnow;
    return instance;
  }

  void loadSave(ArraySerializable<K>* a) override {
    ProofOb proof("ArraySerializableTypeKnow<K>::loadSave(*)");
    this->describe(a, [](ArraySerializable<K>* array, unsigned id, K& element) { array->assign(id, &element); });
  }

private:
  ArraySerializableTypeKnow() = default;
};

template <typename T> class ArraySerializable : public Array<T>, public Serializable {
  static_assert(std::is_same<T, char>::value || std::is_same<T, unsigned char>::value || std::is_same<T, int>::value ||
                    std::is_same<T, unsigned>::value || std::is_same<T, float>::value,
                "no chunk strategy for this element type");

public:
  using Array<T>::Array;
  // Serializable has a field of that name.
  using Array<T>::size;

  // Set before main, for the five element types that have a strategy.
  static ArraySerializableType<T>* type;

protected:
  void loadSave() override { type->loadSave(this); }

private:
  friend class ArraySerializableType<T>;
  friend class ArraySerializableTypeData<T>;
  friend class ArraySerializableTypeKnow<T>;
};

template <> ArraySerializableType<char>* ArraySerializable<char>::type;
template <> ArraySerializableType<unsigned char>* ArraySerializable<unsigned char>::type;
template <> ArraySerializableType<int>* ArraySerializable<int>::type;
template <> ArraySerializableType<unsigned>* ArraySerializable<unsigned>::type;
template <> ArraySerializableType<float>* ArraySerializable<float>::type;

template <typename K>
template <typename Bind>
void ArraySerializableType<K>::describe(ArraySerializable<K>* a, Bind bind) {
  const char act = a->getChunkCurrentAct();
  // The bare form has no ids to tell the count from an element: a load reads
  // what a save writes, the count and then every element, in one call.
  const bool bare = Serializable::fileType == 't';
  if (act == 'S' || bare || a->getChunkCurrentChunk() == NUM_ID) {
    // Checked before anything is written or grown, so that a damaged count
    // cannot make a load allocate gigabytes, and a load keeps the old count.
    if (act == 'S' && a->num > MAX_ELEMENTS) throw "ArraySerializable - more than 65536 elements";
    unsigned count = a->num;
    a->assign(NUM_ID, &count);
    if (count > MAX_ELEMENTS) throw "ArraySerializable - more than 65536 elements";
    a->num = count;
    a->resize2(count + 1);
    if (act == 'L' && !bare) return;
  }
  if (act == 'L' && !bare) {
    // A chunk fills at most the element its id names: go there directly
    // instead of offering it to every element.
    unsigned i;
    const unsigned id = a->getChunkCurrentChunk();
    if (elementIndex(id, &i) && i < a->num) bind(a, id, (*a)[i]);
    return;
  }
  for (unsigned i = 0; i < a->num; ++i) bind(a, elementId(i), (*a)[i]);
}
