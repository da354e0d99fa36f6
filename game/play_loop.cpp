#include "game/main_game.h"

void MainGameClass::playGame() {}
void MainGameClass::startGame() {}
void MainGameClass::logicStep() {}
void MainGameClass::drawFrame() {}
void MainGameClass::gameOver() {}
