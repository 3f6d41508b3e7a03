// Variables and the named ones of the whole program.
#include <tessel/tessel.h>
#include <tessel/var.h>

#include <cstdio>

ArrayMap<Var> Var::global;

namespace {

void printLine(const char* line) { std::printf("%s\n", line); }

Var::LogHook logHook = printLine;

void log(const char* line) { logHook(line); }

// Words of the defaults file hold at most this many characters; the rest of a longer word is dropped.
const size_t WORD_MAX = 255;

template <typename T> T scan(const std::string& text, const char* format) {
  T result = 0;
  std::sscanf(text.c_str(), format, &result);
  return result;
}

}  // namespace

Var::Var(std::string text) : value(std::move(text)) {}

void Var::operator=(std::string text) { value = std::move(text); }

void Var::operator=(unsigned v) { *this = int(v); }

void Var::operator=(int v) { value = std::to_string(v); }

void Var::operator=(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", double(v));
  value = text;
}

bool Var::is_numeric() const {
  size_t i = (!value.empty() && (value[0] == '+' || value[0] == '-')) ? 1 : 0;
  int digits = 0;
  bool point = false;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      if (point) return false;
      point = true;
    } else if (c != ' ' && c != '\t') {
      return false;
    }
  }
  return digits > 0;
}

unsigned Var::toUnsigned() const {
  if (!is_numeric()) throw "not numeric";
  return scan<unsigned>(value, "%u");
}

int Var::toInt() const {
  if (!is_numeric()) throw "not numeric";
  return scan<int>(value, "%d");
}

float Var::toFloat() const {
  if (!is_numeric()) throw "not numeric";
  return scan<float>(value, "%f");
}

IQ Var::toIQ() const {
  if (!is_numeric()) throw "it's not numeric";
  return IQ(value.c_str());
}

Var& Var::get(const char* name) {
  if (!global.isKey(name)) {
    log("Var::get() creating new name");
    log(name);
  }
  return global[name];
}

bool Var::isset(const char* name) { return global.isKey(name); }

void Var::loadGlobal(const char* fileName) {
  log("Var::loadGlobal");
  Tessel::File file(Tessel::openFile(fileName, "r"));
  if (!file) throw "Var::loadGlobal can not read file";
  std::string name, text;
  while (Tessel::readWord(file.get(), name, WORD_MAX) && Tessel::readWord(file.get(), text, WORD_MAX))
    get(name.c_str()) = text;
  file.reset();
  log("Var::loadGlobal end");
}

void Var::clearGlobal() {
  for (unsigned i = 0; i < global.val.num; ++i) global.val[i] = Var();  // release the texts now
  global.clear();
}

void Var::setLogHook(LogHook hook) { logHook = hook ? hook : printLine; }
