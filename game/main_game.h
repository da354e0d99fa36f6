// The one game object: resources, the field, the ship, the table, the menu
// buttons, and every screen as a member function.
#pragma once

#include "shell/settings.h"

#include <string>
#include <vector>

struct BITMAP;
struct CatalogueFile;
struct DATAFILE;
class Bullet;
class Enemy;
class GuiButton;
class HighscoreManager;
class Object;
class PlayerShip;

// One enemy kind's place in the schedule.
struct EnemySpawn {
    int interval; // seconds between entries; negative while the kind is out of play
    bool spawned; // already entered during the current whole second
};

// Deletes every item of an owning list and empties it.
template <typename T>
void deleteAll(std::vector<T*>& items)
{
    for (T* item : items)
        delete item;
    items.clear();
}

class MainGameClass {
public:
    int wave;
    EnemySpawn enemySpawns[7];
    bool exitOpen;
    DATAFILE* spritesData;
    DATAFILE* explosionData;
    DATAFILE* miscData;
    DATAFILE* sfxData;
    DATAFILE* musicData; // null unless the music plays
    PlayerShip* player;
    bool bonusActive;
    int bonusIndex;
    int bonusLaunchTime;
    std::vector<Object*> fixedObjects;
    std::vector<Object*> collectables;
    std::vector<Object*> hazards;
    std::vector<Object*> powerUps;
    std::vector<Enemy*> enemies;
    BITMAP* buffer;
    HighscoreManager* highscores;
    GuiButton* optionsButton;
    GuiButton* playButton;
    GuiButton* instructionsButton;
    GuiButton* creditsButton;
    GuiButton* exitButton;
    // The settings in force, which the Options page changes and saves; the
    // shell sets them and soundCard after construction.
    Settings settings;
    bool soundCard; // a sound card is there: music can play

    MainGameClass();
    ~MainGameClass();
    MainGameClass(const MainGameClass&) = delete;
    MainGameClass& operator=(const MainGameClass&) = delete;

    [[noreturn]] void errorMessageAndExit(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void playGame();
    void nextWave();
    void checkPlayerCollision();
    void checkBullets(std::vector<Bullet>& bullets);
    int mainMenu();
    void creditsMenu();
    void showInstructions();
    void showIntro();
    void optionsMenu();

    // The pieces of playGame, called in its order; tests and the soak
    // driver call them directly.
    void startGame();
    void logicStep();
    void drawFrame();  // drawField, then the picture shown
    void drawField();  // the field and the status line, into buffer
    void gameOver();
    // Places the score in the table under name when it qualifies, and saves.
    void enterScore(const std::string& name);
    // Writes the table to its file; what the save had to report goes to the log.
    void saveTable();
    // Loads music.dat into musicData unless it is there; answers the message
    // that says why it cannot be, with musicData left null.
    std::string loadMusic();

private:
    // Loads a datafile that is whole, then checks it against its catalogue
    // entry; checkObjects, when given, looks at its objects before the load.
    // Ends the process with the file's message otherwise.
    DATAFILE* loadCheckedDatafile(const CatalogueFile& file, std::string (*checkObjects)(const char*) = nullptr);
    // The blocking screen between two waves, shown by nextWave.
    void waveCompletedScreen();
    // Play held still, shown by playGame; padGone: because the pad went.
    bool pausePlay(bool padGone);
};
