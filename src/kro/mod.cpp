#include <kro/mod.h>
#include <tessel/proof.h>

Mod* nextMod = nullptr;

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
