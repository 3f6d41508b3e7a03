// Regular-expression matching over POSIX regcomp/regexec (the standard library's on Windows).
#include <tessel/tessel3.h>

#ifdef _WIN32
#include <regex>

// MinGW has no POSIX regcomp: the standard library's extended grammar is POSIX's.
bool Tessel3::reg(const char* pattern, const char* text) {
  if (!pattern || !text) throw "Tessel3::reg: no pattern or no text";
  try {
    const std::regex re(pattern, std::regex::extended | std::regex::nosubs);
    return std::regex_search(text, re);
  } catch (const std::regex_error&) {
    throw "regex compile";
  }
}
#else
#include <regex.h>

#include <memory>
#include <new>

namespace {

// Frees what a successful regcomp built.
struct CompiledRegex {
  regex_t* re;
  ~CompiledRegex() { regfree(re); }
};

}  // namespace

bool Tessel3::reg(const char* pattern, const char* text) {
  if (!pattern || !text) throw "Tessel3::reg: no pattern or no text";
  std::unique_ptr<regex_t> re(new (std::nothrow) regex_t());
  if (!re) throw "regex compile";
  // Extended syntax; only whether it matches, not where.
  if (regcomp(re.get(), pattern, REG_EXTENDED | REG_NOSUB) != 0) throw "regex compile";
  CompiledRegex compiled{re.get()};
  return regexec(re.get(), text, 0, nullptr, 0) == 0;
}
#endif
