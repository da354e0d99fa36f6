// The README's pictures, taken from the real game object flown by the
// autopilot without a display: the seam composes the screen from what the
// game puts on it (the intro only its logo's rectangle over a grey screen,
// every other screen a whole picture) and keeps the frames wanted as BMP
// files in OUT_DIR; `make screenshots` turns them into small PNGs in docs/.
//   tarnavel_screenshots DATA_DIR OUT_DIR
#include "entities/enemy.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "tools/autopilot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

MainGameClass* game;
std::string outDir;
BITMAP* screenCopy;
BITMAP* busiest;
enum Stage { Intro, Menu, Instructions, Options, Play } stage;
long stageFrames, waveFrames, busiestCount = -1;
int lastWave;

void keep(const char* name, BITMAP* picture)
{
    if (save_bitmap((outDir + "/" + name + ".bmp").c_str(), picture, nullptr) != 0) {
        fprintf(stderr, "cannot write %s/%s.bmp\n", outDir.c_str(), name);
        exit(1);
    }
}

// In wave 5 the ship only roams and fights, and the frame with the most
// enemies and shots on it in 40 s of play is kept.
void watchPlay()
{
    game->player->lives = std::max(game->player->lives, 3);
    waveFrames = game->wave == lastWave ? waveFrames + 1 : 0;
    lastWave = game->wave;
    if (game->wave == 3 && waveFrames == 60)
        keep("wave-completed", screenCopy); // the time bonus being counted
    autopilot.skirmish = game->wave == 5;
    if (game->wave != 5)
        return;
    long count = static_cast<long>(game->player->bullets.size());
    for (const Enemy* e : game->enemies)
        count += 1 + static_cast<long>(e->bullets.size());
    if (count > busiestCount) {
        busiestCount = count;
        blit(screenCopy, busiest, 0, 0, 0, 0, screenWidth, screenHeight);
    }
    if (waveFrames == 4000) {
        keep("busy-wave", busiest);
        autopilot.escape = true;
    }
}

void capture(BITMAP* picture, int x, int y)
{
    draw_sprite(screenCopy, picture, x, y);
    ++stageFrames;
    if (stage == Intro && stageFrames == 300) {
        keep("intro", screenCopy); // the logo at full strength
        autopilot.escape = true;
    } else if (stage == Menu && stageFrames == 400) {
        keep("menu", screenCopy); // the welcome line on its way
        autopilot.choice = 1;
    } else if (stage == Instructions && stageFrames == 1) {
        keep("instructions", screenCopy);
    } else if (stage == Options && stageFrames == 1) {
        keep("options", screenCopy); // then Back, where the autopilot points
    } else if (stage == Play) {
        watchPlay();
    }
    if (autopilot.frames > 1000000) {
        fprintf(stderr, "the autopilot got stuck at wave %d\n", game->wave);
        exit(1);
    }
    autopilotSeam.present(picture, x, y);
}

void clearCapture(int color) { clear_to_color(screenCopy, color); }

void enter(Stage next, int choice)
{
    stage = next;
    stageFrames = 0;
    autopilot.choice = choice;
    autopilot.escape = false;
}

} // namespace

int main(int argc, char** argv)
{
    char* out = argc == 3 ? realpath(argv[2], nullptr) : nullptr;
    if (!out || !enterScratchDir(argv[1]) || !startHeadless()) {
        fprintf(stderr, "usage: tarnavel_screenshots DATA_DIR OUT_DIR (both existing)\n");
        return 2;
    }
    outDir = out;
    free(out);
    screenCopy = create_bitmap(screenWidth, screenHeight);
    busiest = create_bitmap(screenWidth, screenHeight);

    game = new MainGameClass();
    srand(5);
    engageAutopilot(game, 5);
    seam.present = capture;
    seam.clearScreen = clearCapture;
    enter(Intro, 0);
    game->showIntro();
    enter(Menu, -1);
    game->mainMenu();
    enter(Instructions, 0);
    game->showInstructions();
    enter(Options, 3);
    game->optionsMenu();
    enter(Menu, 0);
    stageFrames = 400; // no second picture of the menu
    game->mainMenu();
    enter(Play, 0);
    game->playGame();
    delete game;
    return 0;
}
