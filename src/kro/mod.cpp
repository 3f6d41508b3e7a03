// The module interface's shared state and the quit request.
#include <kro/mod.h>
#include <tessel/proof.h>

Mod* nextMod = nullptr;
int scrwidth = 1024;
int scrheight = 768;
bool keys[256] = {};

namespace {
Mod::QuitHandler quitHandler = nullptr;
bool requested = false;
}  // namespace

void Mod::quit() {
  ProofOb scope("Mod::quit");
  requested = true;
  if (quitHandler) quitHandler();
}

void Mod::setQuitHandler(QuitHandler handler) { quitHandler = handler; }

bool Mod::quitRequested() { return requested; }
