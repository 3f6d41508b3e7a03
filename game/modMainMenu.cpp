#include "modMainMenu.h"

#include <tessel/proof.h>

ModMainMenu* ModMainMenu::I() {
  ProofOb scope("ModMainMenu::I()");
  static ModMainMenu* const instance = new ModMainMenu;
  return instance;
}

ModMainMenu::ModMainMenu() {
  ProofOb scope("ModMainMenu::ModMainMenu()");
  add(new FunctorStaticVoid("Survival", runSurvival));
  add("Top List", static_cast<Mod*>(nullptr));  // the top list's screen arrives with the game
  add(new FunctorStaticVoid("Arcade", runArcade));
  add(new FunctorStaticVoid("Quit", Mod::quit));
}

// The rule sets arrive with the game; until then the entries do nothing.
void runArcade() { ProofOb scope("ModMainMenu::runArcade()"); }

void runSurvival() {}
