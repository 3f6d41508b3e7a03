#pragma once
// Static line and string helpers on std::string.

#include <tessel/tessel.h>

#include <cstdio>
#include <string>

class Tessel2 : public Tessel {
public:
  // The next line without its line feed; a carriage return stays.
  static std::string getline(FILE* hand);
  // The next line of a text file: a carriage return before the line feed is part
  // of the line end, as in files written on Windows. A lone one stays.
  static std::string getTextLine(FILE* hand);
  // Every non-overlapping occurrence of search, left to right; the replacement
  // is not rescanned. An empty search changes nothing.
  static std::string strtr(std::string subject, std::string search, std::string replacement);
  // ASCII only.
  static std::string strtolower(std::string text);
  static std::string file_get_contents(std::string name);
};

bool operator==(const std::string& a, const std::string& b);
