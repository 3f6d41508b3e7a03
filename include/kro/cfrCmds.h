#pragma once
// The console's built-in commands.
// Arguments arrive after the console has read the line: quotes removed and '$' words
// replaced by their variables' text.

#include <tessel/var.h>

namespace CfrCmds {

void help();
void stop();
void print(int argc, const char** argv);
void runScriptFromFile(int argc, const char** argv);
void jmp(int argc, const char** argv);
void fungoto(int argc, const char** argv);
int funfor(int argc, const char** argv);
int funif(int argc, const char** argv);
int bc(int argc, const char** argv);
int set(Var name, Var value);
int mov(Var var1, Var var2);
int add(Var var1, Var var2);
int sub(Var var1, Var var2);
int mul(Var var1, Var var2);
bool isItTrue(const char* expr);

}  // namespace CfrCmds
