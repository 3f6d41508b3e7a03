#pragma once
// A variable set for the lifetime of a scope.
//
// A variable set for the lifetime of a scope and given its old value back when
// the scope ends, thrown messages included: nesting depths and current objects.

template <typename T> class ScopedValue {
public:
  ScopedValue(T& variable, T value) : variable(variable), old(variable) { variable = value; }
  ~ScopedValue() { variable = old; }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

private:
  T& variable;
  T old;
};
