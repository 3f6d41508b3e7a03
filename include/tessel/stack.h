#pragma once
// Stack over Array; element 0 is the bottom, the height is data.num.

#include <tessel/array.h>

template <typename T> class Stack {
public:
  void push(T x) {
    data[data.num] = x;
    ++data.num;
  }

  T pop() {
    if (data.num == 0) throw "pop from empty stack";
    --data.num;
    return data[data.num];
  }

  unsigned getSize() const { return data.num; }
  Array<T> getData() const { return data; }

  Array<T> data;
};
