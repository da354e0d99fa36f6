#include "game/main_game.h"

#include "game/catalogue.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

MainGameClass::MainGameClass()
    : wave(0), enemySpawns(), exitOpen(false), spritesData(nullptr), explosionData(nullptr),
      miscData(nullptr), sfxData(nullptr), player(nullptr), bonusActive(false), bonusIndex(4),
      bonusLaunchTime(-1), buffer(nullptr), highscores(nullptr), playButton(nullptr),
      instructionsButton(nullptr), creditsButton(nullptr), exitButton(nullptr)
{
    srand(time(0));
    spritesData = loadCheckedDatafile(spritesCatalogue);
    explosionData = loadCheckedDatafile(explosionCatalogue);
    miscData = loadCheckedDatafile(miscCatalogue);
    sfxData = loadCheckedDatafile(sfxCatalogue);
}

MainGameClass::~MainGameClass()
{
    unload_datafile(spritesData);
    unload_datafile(explosionData);
    unload_datafile(miscData);
    unload_datafile(sfxData);
}

DATAFILE* MainGameClass::loadCheckedDatafile(const CatalogueFile& file)
{
    DATAFILE* data = load_datafile(file.fileName);
    if (!data)
        errorMessageAndExit("Unable to load file '%s'.\nMake sure it is in your game directory.",
                            file.fileName);
    // A short or damaged file would crash the first screen that reads it:
    // refuse it here, naming the file and the object.
    const std::string problem = checkDatafile(data, file);
    if (!problem.empty())
        errorMessageAndExit("%s", problem.c_str());
    return data;
}

void MainGameClass::errorMessageAndExit(const char* format, ...)
{
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    va_list args;
    va_start(args, format);
    showMessage(format, args);
    va_end(args);
    exit(1);
}
