// The console's built-in commands.
#include <kro/cfr.h>
#include <kro/cfrCmds.h>
#include <kro/kro.h>
#include <kro/script.h>
#include <tessel/message.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A whole number as "%d" reads it: leading white space, a sign, digits; the
// rest is ignored. A text without a number leaves the value as it was, and a
// number beyond the range of int is held at its end.
bool readInt(const char* text, int& value) {
  char* end = nullptr;
  errno = 0;
  const long long read = std::strtoll(text, &end, 10);
  if (end == text) return false;
  value = read < INT_MIN ? INT_MIN : read > INT_MAX ? INT_MAX : static_cast<int>(read);
  return true;
}

int intOrZero(const char* text) {
  int value = 0;
  readInt(text, value);
  return value;
}

// Each word followed by one space.
std::string joined(int from, int to, const char** argv) {
  std::string text;
  for (int i = from; i < to; ++i) (text += argv[i]) += ' ';
  return text;
}

Script& runningScript(const char* command) {
  Script* script = Cfr::I()->currentScript();
  if (!script) throwMessage(std::string(command) + " work only in script's");
  return *script;
}

int jumpTarget(int argc, const char** argv, const char* command) {
  if (argc != 2) throwMessage(std::string(command) + " needs exactly 1 argument");
  return intOrZero(argv[1]);
}

// The variable named by an argument "$name"; the reference dies with the next new variable.
Var& variableOf(const Var& argument) { return Var::get(argument.toString().c_str() + 1); }

bool namesVariable(const Var& argument) { return argument.toString().c_str()[0] == '$'; }

enum class Operation { Add, Sub, Mul };

int arithmetic(const Var& number, const Var& target, Operation op) {
  if (!number.is_numeric()) throw "arg1 must be numeric";
  if (!namesVariable(target)) throw "arg2 must be Var";
  const Var current = variableOf(target);
  if (!current.is_numeric()) throw "Var after arg2 must be numeric";
  IQ result = current.toIQ();
  switch (op) {
    case Operation::Add: result += number.toIQ(); break;
    case Operation::Sub: result -= number.toIQ(); break;
    case Operation::Mul: result *= number.toIQ(); break;
  }
  const std::string text = result.getDecF();
  debug(text.c_str());
  variableOf(target) = text;
  return 1;
}

}  // namespace

namespace CfrCmds {

void help() {
  Cfr* console = Cfr::I();
  for (unsigned i = 0; i < console->commandCount(); ++i) console->echo(console->commandName(i), 5);
}

void print(int argc, const char** argv) { Cfr::I()->echo(joined(1, argc, argv).c_str(), 5); }

void stop() {
  if (!Cfr::I()->currentScript()) throw "stop work only in script's";
  Cfr::I()->currentScript()->stop();
}

void runScriptFromFile(int argc, const char** argv) {
  Script script(argc > 1 ? argv[1] : "data/test.kro");
  Cfr::I()->runScirpt(&script);
}

void jmp(int argc, const char** argv) {
  Script& script = runningScript(argv[0]);
  script.jmp(jumpTarget(argc, argv, argv[0]));
}

void fungoto(int argc, const char** argv) {
  Script& script = runningScript(argv[0]);
  script.fungoto(jumpTarget(argc, argv, argv[0]));
}

int funfor(int argc, const char** argv) {
  int from = 0, to = -1, step = 1;
  std::string cmd;
  if (argc < 3) throw "pleas give unless 3 args";
  if (std::strlen(argv[1]) > 1) throw "item strlen must be 1";  // an empty one substitutes nothing
  const char item = argv[1][0];
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "do") {
      cmd = joined(i + 1, argc, argv);
      break;
    }
    int* value = word == "to" ? &to : word == "step" ? &step : word == "from" ? &from : nullptr;
    if (value && i + 1 < argc) readInt(argv[++i], *value);
  }
  if (cmd.empty()) throw "pleas enter some cmd";
  if (from < to && step <= 0) throw "for step must be above 0 to reach the bound";

  Cfr* console = Cfr::I();
  for (long long x = from; x < to && !console->outOfSteps(); x += step) {
    std::string line;
    for (size_t c = 0; c < cmd.size(); ++c) {
      if (cmd[c] == '$' && c + 1 < cmd.size() && cmd[c + 1] == item) {
        line += std::to_string(x);
        ++c;
      } else {
        line += cmd[c];
      }
    }
    console->exec(line.c_str());
  }
  return 0;
}

bool isItTrue(const char* expr) { return Cfr::I()->exec(expr) != 0; }

int funif(int argc, const char** argv) {
  int then = 1;
  while (then < argc && std::strcmp(argv[then], "then") != 0) ++then;
  if (then >= argc - 1) throw "wrong use of if";
  const std::string expr = joined(1, then, argv);
  const std::string cmd = joined(then + 1, argc, argv);
  if (isItTrue(expr.c_str())) Cfr::I()->exec(cmd.c_str());
  return 0;
}

int bc(int argc, const char** argv) {
  if (argc != 4) throw "bc needs exactly 3 arguments: number operator number";
  if (std::strlen(argv[2]) != 1) throw "bc operator must be a single character";
  const int a = intOrZero(argv[1]), b = intOrZero(argv[3]);
  const char op = argv[2][0];
  debug("n1=", a);
  debug("op=", int(op));
  debug("n2=", b);
  switch (op) {
    case '=': return a == b;
    case '<': return a < b;
    case '>': return a > b;
  }
  throwMessage(std::string("bc unknow operator ") + op);
}

int set(Var name, Var value) {
  if (!namesVariable(name)) throw "name must start form $";
  variableOf(name) = value;
  return 1;
}

int mov(Var var1, Var var2) {
  if (!namesVariable(var1)) throw "arg1 must be variable";
  if (!namesVariable(var2)) throw "arg2 must be variable";
  const Var source = variableOf(var1);  // a copy: creating the target may move the map
  variableOf(var2) = source;
  return 1;
}

int add(Var var1, Var var2) { return arithmetic(var1, var2, Operation::Add); }
int sub(Var var1, Var var2) { return arithmetic(var1, var2, Operation::Sub); }
int mul(Var var1, Var var2) { return arithmetic(var1, var2, Operation::Mul); }

}  // namespace CfrCmds
