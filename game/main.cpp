#include <kro/kro.h>
#include <tessel/var.h>

#include <cstdio>

int main() {
  debug("winmain start");
  try {
    Var::loadGlobal("data/defvar.txt");
  } catch (const char* message) {
    debug(message);  // start-up goes on without default variables
  }
  std::printf("giftguard: the console is in place; the window and the game come next.\n");
  debug("exit");
  return 0;
}
