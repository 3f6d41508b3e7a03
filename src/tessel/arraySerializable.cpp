// The chunk strategy of each element type of ArraySerializable.
#include <tessel/arraySerializable.h>

template <> ArraySerializableType<char>* ArraySerializable<char>::type = ArraySerializableTypeData<char>::I();
template <>
ArraySerializableType<unsigned char>* ArraySerializable<unsigned char>::type =
    ArraySerializableTypeData<unsigned char>::I();
template <> ArraySerializableType<int>* ArraySerializable<int>::type = ArraySerializableTypeKnow<int>::I();
template <>
ArraySerializableType<unsigned>* ArraySerializable<unsigned>::type = ArraySerializableTypeKnow<unsigned>::I();
template <> ArraySerializableType<float>* ArraySerializable<float>::type = ArraySerializableTypeKnow<float>::I();
