#pragma once
// The music for the screen the player sees.

class Mod;

// The field's loop in play, its tense variant while a boss event is under way
// (from the limousine's arrival until the boss is gone), nothing on the
// game-over screen so that its own sound stands alone, and the menu's loop on
// every other screen: menu, rule sets, story pages, top list and prompt.
const char* soundtrackFor(const Mod* current);
