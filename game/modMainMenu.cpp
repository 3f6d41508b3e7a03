// The main menu and the starts of the two rule sets.
#include "modMainMenu.h"

#include "modGame.h"
#include "modTopList.h"
#include "modgamesuperarcade.h"
#include "modgamesupersurvival.h"

#include <kro/cfr.h>
#include <tessel/proof.h>

ModMainMenu* ModMainMenu::I() {
  ProofOb scope("ModMainMenu::I()");
  static ModMainMenu* const instance = new ModMainMenu;
  return instance;
}

ModMainMenu::ModMainMenu() {
  ProofOb scope("ModMainMenu::ModMainMenu()");
  add(new FunctorStaticVoid("Survival", runSurvival));
  add("Top List", ModTopList::I());
  add(new FunctorStaticVoid("Arcade", runArcade));
  add(new FunctorStaticVoid("Quit", Mod::quit));
  Cfr::I()->addFun(new FunctorVar1("gotolevel", ModGame::goToLevel));
}

// Each rule set is made once and kept; starting it again resets it.
void runArcade() {
  ProofOb scope("ModMainMenu::runArcade()");
  static ModGameSuperArcade* const arcade = new ModGameSuperArcade;
  arcade->reset();
  nextMod = arcade;
}

void runSurvival() {
  static ModGameSuperSurvival* const survival = new ModGameSuperSurvival;
  survival->reset();
  nextMod = survival;
}
