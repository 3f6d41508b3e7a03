// Regular-expression matching over POSIX regcomp/regexec.
#include <tessel/tessel3.h>

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
