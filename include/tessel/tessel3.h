#pragma once
// Regular-expression matching.

class Tessel3 {
public:
  // Whether pattern, a POSIX extended regular expression, matches anywhere in
  // text. Throws "regex compile" when the pattern does not compile.
  static bool reg(const char* pattern, const char* text);
};
