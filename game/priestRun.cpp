// The running priest.
#include "priestRun.h"

#include "priestArmorHead.h"

PriestRun::PriestRun() : EnemyRun(3) { new PriestArmorHead(this); }
