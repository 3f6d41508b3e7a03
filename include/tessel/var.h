#pragma once
// Variables: values held as text, and the named ones of the whole program.
//
// A value held as text that reads back as a number, and the process-wide map of
// named variables shared by the console, scripts and the game.

#include <tessel/arrayMap.h>
#include <tessel/iq.h>

#include <string>

class Var {
public:
  // Receives each debug line the variables write. The engine connects its log here;
  // until then the lines go to standard output.
  using LogHook = void (*)(const char* line);

  Var() = default;
  Var(std::string text);
  Var(const Var& o) = default;
  Var& operator=(const Var& o) = default;
  void operator=(std::string text);
  void operator=(unsigned v);
  void operator=(int v);
  void operator=(float v);

  bool is_numeric() const;
  unsigned toUnsigned() const;
  int toInt() const;
  float toFloat() const;
  IQ toIQ() const;
  std::string toString() const { return value; }
  bool operator==(const std::string& text) const { return value == text; }

  // The variable called name, created empty (with two debug lines) when it is new.
  // The reference stays valid only until the next variable is created.
  static Var& get(const char* name);
  static bool isset(const char* name);
  // Name/value word pairs; throws "Var::loadGlobal can not read file".
  static void loadGlobal(const char* fileName);
  static void setLogHook(LogHook hook);
  // Forgets every variable, so that tools feeding unrelated inputs start each one afresh.
  static void clearGlobal();

private:
  std::string value;
  static ArrayMap<Var> global;
};
