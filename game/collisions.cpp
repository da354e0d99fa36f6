#include "game/main_game.h"

void MainGameClass::checkPlayerCollision() {}
void MainGameClass::checkBullets(std::vector<Bullet>&) {}
