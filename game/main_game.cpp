#include "game/main_game.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "gui/gui_button.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/log.h"
#include "shell/music.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const char* const tableFile = "highscores.tav";

} // namespace

// bonusLaunchTime starts below any value of seconds, so that the first
// second in which a launch is due may launch.
MainGameClass::MainGameClass()
    : wave(0), enemySpawns(), exitOpen(false), spritesData(nullptr), explosionData(nullptr),
      miscData(nullptr), sfxData(nullptr), musicData(nullptr), player(nullptr), bonusActive(false),
      bonusIndex(4), bonusLaunchTime(-1), buffer(nullptr), highscores(nullptr), optionsButton(nullptr),
      playButton(nullptr), instructionsButton(nullptr), creditsButton(nullptr), exitButton(nullptr), settings(),
      soundCard(false)
{
    srand(time(0));
    spritesData = loadCheckedDatafile(spritesCatalogue);
    explosionData = loadCheckedDatafile(explosionCatalogue);
    miscData = loadCheckedDatafile(miscCatalogue);
    sfxData = loadCheckedDatafile(sfxCatalogue);
    if (musicOn)
        musicData = loadCheckedDatafile(musicCatalogue, checkMusicFile);

    player = new PlayerShip(spritesData, explosionData, sampleAt(sfxData, SFX_SHIP_FIRES),
                            sampleAt(sfxData, SFX_SHIP_DIES), sampleAt(sfxData, SFX_EXTRA_LIFE));

    const int w = screenWidth;
    const int h = screenHeight;
    fixedObjects.push_back(
        new Object(w / 2 - 70, h - 40, OBJ_HAZARD, bitmapAt(spritesData, SPR_HAZARD_BOTTOM), 0, 0));
    fixedObjects.push_back(
        new Object(0, h / 2 - 37, OBJ_HAZARD, bitmapAt(spritesData, SPR_HAZARD_LEFT), 0, 0));
    fixedObjects.push_back(
        new Object(w - 58, h / 2 - 37, OBJ_HAZARD, bitmapAt(spritesData, SPR_HAZARD_RIGHT), 0, 0));
    fixedObjects.push_back(
        new Object(w / 2 - 21, h - 10, OBJ_EXIT_GATE, bitmapAt(spritesData, SPR_EXIT_GATE), 0, 0));
    fixedObjects.push_back(new Object(-200, -200, OBJ_WANDERING_BONUS,
                                      bitmapAt(spritesData, SPR_WANDERING_BONUS), 4, 4));

    bonusIndex = 4;
    for (EnemySpawn& slot : enemySpawns)
        slot = EnemySpawn{-1, false};

    buffer = create_bitmap(w, h);

    bonusScore = 0;
    wave = 0;
    bonusActive = false;
    exitOpen = false;

    highscores = new HighscoreManager(5, false);
    highscores->ReadFromFile(tableFile);
    for (const std::string& note : highscores->notes)
        logLine(note);

    BITMAP* normal = bitmapAt(miscData, MISC_BUTTON_NORMAL);
    BITMAP* pressed = bitmapAt(miscData, MISC_BUTTON_PRESSED);
    FONT* font = fontAt(miscData, MISC_FONT_LARGE);
    const int color = makecol(200, 200, 200);
    const int x = w - normal->w;
    optionsButton = new GuiButton(x, h - 250, normal, pressed, "Options", font, color);
    playButton = new GuiButton(x, h - 200, normal, pressed, "Play Game", font, color);
    instructionsButton = new GuiButton(x, h - 150, normal, pressed, "Instructions", font, color);
    creditsButton = new GuiButton(x, h - 100, normal, pressed, "Credits", font, color);
    exitButton = new GuiButton(x, h - 50, normal, pressed, "Exit", font, color);
}

// The table is saved before anything is released. The buttons go with the
// entities, before the datafiles whose pictures and font they borrow; the
// music stops before its pieces go.
MainGameClass::~MainGameClass()
{
    saveTable();

    delete player;
    deleteAll(fixedObjects);
    deleteAll(collectables);
    deleteAll(hazards);
    deleteAll(powerUps);
    deleteAll(enemies);
    delete optionsButton;
    delete playButton;
    delete instructionsButton;
    delete creditsButton;
    delete exitButton;

    unload_datafile(spritesData);
    unload_datafile(explosionData);
    unload_datafile(miscData);
    unload_datafile(sfxData);
    stopMusic();
    if (musicData)
        unload_datafile(musicData);

    destroy_bitmap(buffer);
    delete highscores;
}

void MainGameClass::saveTable()
{
    highscores->PrintToFile(tableFile);
    for (const std::string& note : highscores->notes)
        logLine(note);
}

namespace {

// Loads a datafile that is whole and checks it against its catalogue entry;
// answers the message that names the file and the object, or the empty
// string with the file in `data`.
std::string loadDatafile(const CatalogueFile& file, std::string (*checkObjects)(const char*), DATAFILE*& data)
{
    data = nullptr;
    // Allegro's loader trusts the file's every size: a file cut short or
    // altered would crash it. It sees only a file that is whole, and whose
    // objects the file's own check (if any) finds readable.
    std::string problem = checkDatafileFile(file.fileName);
    if (problem.empty() && checkObjects)
        problem = checkObjects(file.fileName);
    if (!problem.empty())
        return problem;
    data = load_datafile(file.fileName);
    if (!data)
        return std::string("Unable to load file '") + file.fileName
               + "'.\nMake sure it is in your game directory.";
    // A short or damaged file would crash the first screen that reads it:
    // refuse it here, naming the file and the object.
    problem = checkDatafile(data, file);
    if (!problem.empty()) {
        unload_datafile(data);
        data = nullptr;
    }
    return problem;
}

} // namespace

DATAFILE* MainGameClass::loadCheckedDatafile(const CatalogueFile& file, std::string (*checkObjects)(const char*))
{
    DATAFILE* data;
    const std::string problem = loadDatafile(file, checkObjects, data);
    if (!problem.empty())
        errorMessageAndExit("%s", problem.c_str());
    return data;
}

std::string MainGameClass::loadMusic()
{
    return musicData ? std::string() : loadDatafile(musicCatalogue, checkMusicFile, musicData);
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
