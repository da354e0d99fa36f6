#include "game/main_game.h"

void MainGameClass::creditsMenu() {}
void MainGameClass::showInstructions() {}
void MainGameClass::showIntro() {}
