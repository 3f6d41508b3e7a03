// The music for the screen the player sees, chosen once a frame by the shell.
#include "soundtrack.h"

#include "modGame.h"
#include "modgameover.h"

const char* soundtrackFor(const Mod* current) {
  if (!current || dynamic_cast<const ModGameOver*>(current)) return nullptr;
  if (const ModGame* game = dynamic_cast<const ModGame*>(current)) return game->kalvor ? "bossMusic" : "playMusic";
  return "menuMusic";
}
