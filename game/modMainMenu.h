#pragma once
// The game's main menu: the first screen, and where Escape leads from anywhere.

#include <kro/modMenu.h>

class ModMainMenu : public ModMenu {
public:
  static ModMainMenu* I();

private:
  ModMainMenu();
};

void runArcade();
void runSurvival();
