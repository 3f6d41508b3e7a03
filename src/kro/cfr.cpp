// The developer console: its log, input line, command table and interpreter.
#include <kro/cfr.h>
#include <kro/cfrCmds.h>
#include <kro/keys.h>
#include <kro/kro.h>
#include <kro/mod.h>
#include <kro/script.h>
#include <kro/sound.h>
#include <tessel/message.h>
#include <tessel/scopedValue.h>

#include <GL/gl.h>

#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

// ---- Types and constants ------------------------------------------------------------------------

namespace {

const unsigned INPUT_MOST = 255;  // characters of the input line
const unsigned HISTORY = 16;
const char PROTECTED_SPACE = '\t';  // tabs are gone from the copy once the quote pass runs
const unsigned long long UNLIMITED = ~0ull;

// ---- Internal functions -------------------------------------------------------------------------

bool isTyped(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return c != 0 && std::strchr(" !#$%^&*()-=+[]|;:,<.>/?@'\"\\", c) != nullptr;
}

// Steps 2 to 5 of reading a command line: tabs, quotes, words, '$' and backslashes.
std::vector<std::string> splitCommandLine(const char* line) {
  std::string copy(line);
  for (char& c : copy)
    if (c == '\t') c = ' ';

  bool quoted = false;
  for (size_t i = 0; i < copy.size(); ++i) {
    const bool quote = copy[i] == '"' && (i == 0 || copy[i - 1] != '\\');
    if (quote) quoted = !quoted;
    if (quoted && copy[i] == ' ') copy[i] = PROTECTED_SPACE;
    if (quote) copy[i] = ' ';
  }

  std::vector<std::string> words;
  words.reserve(8);
  for (size_t i = 0; i < copy.size();) {
    if (copy[i] == ' ') {
      ++i;
      continue;
    }
    const size_t end = copy.find(' ', i);
    words.push_back(copy.substr(i, end == std::string::npos ? std::string::npos : end - i));
    i = end == std::string::npos ? copy.size() : end;
  }

  for (size_t w = 1; w < words.size(); ++w) {
    std::string& word = words[w];
    for (char& c : word)
      if (c == PROTECTED_SPACE) c = ' ';
    if (word[0] == '$') word = Var::get(word.c_str() + 1).toString();
    if (word.size() >= 2 && word[0] == '\\' && (word[1] == '$' || word[1] == '\\')) word.erase(0, 1);
  }
  return words;
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

Cfr* Cfr::I() {
  static Cfr* const instance = new Cfr;
  return instance;
}

Cfr::Cfr() : script(nullptr), mode('C'), lastCmdHistoryReaded(0), execDepth(0), scriptDepth(0), stepsLeft(UNLIMITED) {
  newcmd[0] = 0;
  std::memset(lastCmdHistory, 0, sizeof lastCmdHistory);
  Var::setLogHook([](const char* line) { Cfr::I()->echo(line, 2); });

  addFun(new FunctorStaticVoid("help", CfrCmds::help));
  addFun(new FunctorStaticIC("print", CfrCmds::print));
  addFun(new FunctorStaticIC("echo", CfrCmds::print));
  addFun(new FunctorStaticVoid("quit", Mod::quit));
  addFun(new FunctorStaticIntIC("for", CfrCmds::funfor));
  addFun(new FunctorStaticIntIC("if", CfrCmds::funif));
  addFun(new FunctorVar2("set", CfrCmds::set));
  addFun(new FunctorVar2("mov", CfrCmds::mov));
  addFun(new FunctorVar2("add", CfrCmds::add));
  addFun(new FunctorVar2("sub", CfrCmds::sub));
  addFun(new FunctorVar2("mul", CfrCmds::mul));
  addFun(new FunctorStaticIC("run", CfrCmds::runScriptFromFile));
  addFun(new FunctorStaticVoid("stop", CfrCmds::stop));
  addFun(new FunctorStaticVoid("STOP", CfrCmds::stop));
  addFun(new FunctorStaticVoid("end", CfrCmds::stop));
  addFun(new FunctorStaticVoid("END", CfrCmds::stop));
  addFun(new FunctorStaticIC("jmp", CfrCmds::jmp));
  addFun(new FunctorStaticIC("JMP", CfrCmds::jmp));
  addFun(new FunctorStaticIC("goto", CfrCmds::fungoto));
  addFun(new FunctorStaticIntIC("bc", CfrCmds::bc));
}

Cfr::~Cfr() {
  for (unsigned i = 0; i < functor.num; ++i) delete functor[i];
}

char Cfr::changeMode() {
  mode = mode == 'C' ? 'A' : char(mode + 1);
  return mode;
}

void Cfr::addFun(Functor* function) {
  for (unsigned i = 0; i < functor.num; ++i) {
    if (std::strcmp(functor[i]->getName(), function->getName()) == 0) {
      echo("doubled function name's", 3);
      delete functor[i];
      functor[i] = function;
      return;
    }
  }
  functor[functor.num] = function;
  ++functor.num;
}

void Cfr::setStepLimit(unsigned long long steps) { stepsLeft = steps; }

int Cfr::exec(const char* cmd) {
  while (*cmd == ' ') ++cmd;
  if (!*cmd) return 0;
  ScopedValue<int> depth(execDepth, execDepth + 1);
  try {
    if (execDepth > MAX_EXEC_DEPTH) throw "commands nested too deep";
    if (stepsLeft == 0) throw "step limit reached";
    if (stepsLeft != UNLIMITED) --stepsLeft;
    const std::vector<std::string> words = splitCommandLine(cmd);
    std::vector<const char*> argv;
    argv.reserve(words.size() + 1);
    for (const std::string& word : words) argv.push_back(word.c_str());
    argv.push_back(nullptr);
    return execSys(int(words.size()), argv.data());
  } catch (const char* message) {
    echo(("error during exec '" + std::string(cmd) + "': " + message).c_str(), 3);
  } catch (...) {
    echo(("error during exec '" + std::string(cmd) + "'").c_str(), 3);
  }
  return 0;
}

int Cfr::execSys(int argc, const char** argv) {
  if (argc == 0 || !argv[0][0]) {
    echo("", 4);
    return 0;
  }
  for (unsigned i = 0; i < functor.num; ++i)
    if (std::strcmp(functor[i]->getName(), argv[0]) == 0) return functor[i]->run(argc, argv);
  throwMessage(std::string("unknow function \"") + argv[0] + "\"");
}

void Cfr::runScirpt(Script* s) {
  if (scriptDepth >= MAX_SCRIPT_DEPTH) throw "scripts nested too deep";
  ScopedValue<Script*> current(script, s);
  ScopedValue<int> depth(scriptDepth, scriptDepth + 1);
  try {
    s->run();
  } catch (const char*) {
    throw;
  } catch (const std::exception&) {
    throw std::exception();
  } catch (...) {
    throw "unknow error";
  }
}

void Cfr::runScirptFile(const char* file) {
  std::unique_ptr<Script> s(new Script(file));
  try {
    runScirpt(s.get());
  } catch (const char*) {
    throw;
  } catch (...) {
    throw "unknow exception";
  }
}

void Cfr::addCmd2History(const char* cmd) {
  lastCmdHistoryReaded = 0;
  if (!*cmd) return;
  std::memmove(lastCmdHistory[1], lastCmdHistory[0], (HISTORY - 1) * sizeof lastCmdHistory[0]);
  std::strncpy(lastCmdHistory[0], cmd, INPUT_MOST);
  lastCmdHistory[0][INPUT_MOST] = 0;
}

bool Cfr::keydown(unsigned char key) {
  if (key == vk::GRAVE) {
    const char before = mode;
    changeMode();
    if (mode == 'A') kroSound("consoleOpen");
    if (before == 'A') kroSound("consoleClose");  // the input line goes; the log may stay
    return true;
  }
  if (mode != 'A') return false;
  const size_t length = std::strlen(newcmd);
  switch (key) {
    case vk::BACKSPACE:
      if (length) newcmd[length - 1] = 0;
      break;
    case vk::RETURN: {
      const std::string line(newcmd);
      addCmd2History(line.c_str());
      echo(line.c_str(), 4);
      exec(line.c_str());
      newcmd[0] = 0;
      break;
    }
    case vk::UP:
      if (lastCmdHistoryReaded < HISTORY) {
        static_assert(sizeof newcmd == sizeof lastCmdHistory[0], "an entry is copied whole into the line");
        std::memcpy(newcmd, lastCmdHistory[lastCmdHistoryReaded], sizeof newcmd);
        ++lastCmdHistoryReaded;
      }
      break;
    case vk::TAB: complete(); break;
  }
  return true;
}

// Tab: the input line as a prefix of command names, in table order.
void Cfr::complete() {
  const size_t length = std::strlen(newcmd);
  std::vector<const char*> matches;
  for (unsigned i = 0; i < functor.num; ++i)
    if (std::strncmp(functor[i]->getName(), newcmd, length) == 0) matches.push_back(functor[i]->getName());
  if (matches.size() == 1) {
    std::snprintf(newcmd, sizeof newcmd, "%s ", matches[0]);
  } else if (matches.size() > 1) {
    echo(newcmd, 4);
    for (const char* name : matches) echo(name, 5);
  }
}

bool Cfr::keydownTrans(unsigned char key) {
  if (mode != 'A') return false;
  const size_t length = std::strlen(newcmd);
  if (isTyped(key) && length < INPUT_MOST) {
    newcmd[length] = char(key);
    newcmd[length + 1] = 0;
  }
  return true;
}

void Cfr::draw2d() {
  if (mode == 'C') return;
  if (mode == 'A') {
    glColor3f(0.1f, 0.1f, 0.3f);
    glBegin(GL_QUADS);
    glVertex2f(-1, 1);
    glVertex2f(-1, showY - 0.06f);
    glVertex2f(1, showY - 0.06f);
    glVertex2f(1, 1);
    glEnd();
    glColor3f(1, 1, 1);
  }
  Loglog::draw2d();
  if (mode == 'A') {
    glColor3f(0.9f, 0.9f, 0.9f);
    kroPrint(newcmd, -0.99f, -0.05f, 0.05f, 'L');
  }
}
