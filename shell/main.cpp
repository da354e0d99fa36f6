// Entry point: start-up in its fixed order, the menu dispatch loop, shutdown.
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/catalogue.h"
#include "shell/log.h"
#include "shell/music.h"
#include "shell/seam.h"
#include "shell/settings.h"
#include "shell/version.h"

#include <aldumb.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

// A logout, `kill` or Ctrl+C leaves the game as Exit does. The handler only
// sets the flag: the signal may land anywhere inside Allegro or Xlib.
void requestQuit(int) { quitRequested = true; }
void closeButtonPressed() { quitRequested = true; }
// On Allegro's input thread; play pauses when it sees the flag.
void focusLeft() { focusLost = true; }

// Shows a message that comes before the graphics mode (it goes to the log
// too, once the log is open) and ends the process with status 1.
[[noreturn]] void stopEarly(const std::string& message)
{
    logLine(message);
    allegro_message("%s", message.c_str());
    exit(1);
}

// One game per working directory: two would each save their own table over
// the other's. The lock belongs to the process (flock on the directory
// itself, which needs no file and works where nothing may be written), so a
// game that was killed leaves none behind. Where the directory takes no lock
// the game runs without one.
bool anotherGameRunsHere()
{
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The descriptor stays open, and the lock with it, until the process ends.
    return fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

void takeQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = requestQuit;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Installs Allegro or ends the process. An X server that resets when its
// last client leaves drops a connection still being set up, so a named
// display is asked again a few times; a failed allegro_init cleans up after
// itself. Without a system driver Allegro's installers and its text mode
// would crash, so the message goes to the terminal.
void startAllegro()
{
    constexpr int attempts = 10;
    const char* display = getenv("DISPLAY");
    const bool named = display != nullptr && *display != '\0';
    for (int attempt = 1; allegro_init() != 0; ++attempt) {
        if (!named)
            stopEarly("Unable to open a display: DISPLAY is not set.");
        if (attempt == attempts)
            stopEarly("Unable to open the display '" + std::string(display) + "'.");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

} // namespace

int main()
{
    // Before anything is written, the log included. The message goes where
    // Allegro puts messages: a message box, or the terminal.
    if (anotherGameRunsHere()) {
        allegro_init();
        stopEarly("Tarnavel is already running.");
    }
    openLog("Log.txt");
    auto done = [](const char* next) { logText(std::string("Done!\n") + next); };

    Settings settings;
    for (const std::string& note : readSettingsFile(settingsFileName, settings))
        logLine(note);
    soundOn = settings.sound;
    soundVolume = settings.soundVolume;
    musicOn = settings.music && settings.musicVolume > 0;
    musicVolume = settings.musicVolume;
    mouseSens = settings.mouseSensitivity;

    logText("Installing Allegro and setting graphics mode... ");
    startAllegro();
    // Allegro's own handlers for these end the process with abort().
    takeQuitSignals();
    atexit(&dumb_exit);
    if (install_keyboard() != 0)
        errorMessage("Unable to find any keyboard.");
    if (install_mouse() < 2)
        errorMessage("Unable to find a two-button mouse.");
    install_timer();
    // Without a card Allegro installs a silent driver: the music is not
    // even loaded then.
    const bool soundCard = install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) == 0 && digi_card != DIGI_NONE;
    if (!soundCard && musicOn) {
        logLine("No sound card: the game plays no music.");
        musicOn = false;
    }
    set_window_title("Tarnavel v " TARNAVEL_VERSION);
    set_close_button_callback(closeButtonPressed);
    int desktopWidth = 0;
    int desktopHeight = 0;
    get_desktop_resolution(&desktopWidth, &desktopHeight);
    setGraphicsMode(settings.windowed, settings.colorDepth,
                    chooseScale(settings.scale, settings.windowed, desktopWidth, desktopHeight));
    // Play pauses when the window loses the keyboard focus.
    if (set_display_switch_callback(SWITCH_OUT, focusLeft) != 0)
        logLine("The window's focus cannot be followed: play does not pause when it goes elsewhere.");
    set_color_conversion(COLORCONV_TOTAL);
    text_mode(-1);
    install_int_ex(timerFunc, BPS_TO_TIMER(100));
    install_int_ex(secondsFunc, SECS_TO_TIMER(1));
    dumb_register_dat_s3m(DAT_ID('S', '3', 'M', ' '));
    // Read without DUMB's seek points: 3 ms instead of 16 at every start,
    // and taking the loop up again after the jingle then costs under 10 ms.
    dumb_register_dat_xm_quick(DAT_XM_MODULE);
    done("Creating level... ");

    MainGameClass* game = new MainGameClass();
    game->settings = settings;
    game->soundCard = soundCard;
    if (game->musicData)
        startMusic(game->musicData, musicVolume);
    done("Running menus... ");

    startSeam(game->buffer);
    game->showIntro();
    int choice = 2;
    while (choice != 1 && !quitRequested) {
        choice = game->mainMenu();
        if (choice == 2)
            game->playGame();
        else if (choice == 3)
            game->creditsMenu();
        else if (choice == 4)
            game->showInstructions();
        else if (choice == 5)
            game->optionsMenu();
    }
    done("Freeing memory... ");

    delete game;
    done("Shutting down.");
    closeLog();
    return 0;
}
END_OF_MAIN()
