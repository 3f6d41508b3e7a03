// Regular-expression matching over POSIX regcomp/regexec (the standard library's on Windows).
#include <tessel/tessel3.h>

#ifdef _WIN32
#include <cstring>
#include <regex>
#include <string>

namespace {

// MinGW has no POSIX regcomp, and the standard library's extended grammar knows no word
// boundaries, which glibc's accepts (\b, \B, \<, \>). Only whether a pattern matches is asked,
// so the order in which alternatives are tried does not matter, and the ECMAScript grammar,
// which has them, serves once the pattern is written in it. What differs: a backslash in a
// bracket is itself there, and a ] right after the opening one (or its ^) is a member; outside
// brackets a backslash before an ordinary letter stands for the letter, and \` and \' for the
// text's ends.
std::string ecmaScriptOf(const char* pattern) {
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    if (*p == '[') {
      out += *p++;
      if (*p == '^') out += *p++;
      if (*p == ']') out += "\\]", ++p;
      for (; *p && *p != ']'; ++p) {
        if (*p == '[' && p[1] && std::strchr(":=.", p[1])) {  // [:class:], [=x=], [.x.]
          const char end[] = {p[1], ']', 0};
          const char* close = std::strstr(p + 2, end);
          if (!close) throw "regex compile";
          out.append(p, close + 2), p = close + 1;
        } else {
          out += *p == '\\' ? "\\\\" : std::string(1, *p);
        }
      }
      if (!*p) throw "regex compile";
      out += ']';
    } else if (*p == '\\') {
      const char c = *++p;
      if (!c) throw "regex compile";
      if (std::strchr("bBwWsS", c) || (c >= '1' && c <= '9'))
        out += '\\', out += c;
      else if (c == '<' || c == '>')
        out += c == '<' ? "\\b(?=\\w)" : "\\b(?!\\w)";
      else if (c == '`' || c == '\'')
        out += c == '`' ? '^' : '$';
      else if (std::strchr("^$\\.*+?()[]{}|/", c))
        out += '\\', out += c;
      else
        out += c;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

bool Tessel3::reg(const char* pattern, const char* text) {
  if (!pattern || !text) throw "Tessel3::reg: no pattern or no text";
  try {
    const std::regex re(ecmaScriptOf(pattern), std::regex::ECMAScript);  // groups kept for \1
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
