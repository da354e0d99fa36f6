#include "game/main_game.h"

int MainGameClass::mainMenu() { return 1; }
