#include "game/main_game.h"

void MainGameClass::nextWave() {}
