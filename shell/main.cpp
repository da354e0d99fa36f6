// Entry point: start-up in its fixed order, the menu dispatch loop, shutdown.
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/seam.h"
#include "shell/settings.h"
#include "shell/version.h"

#include <aldumb.h>

#include <cstdlib>
#include <fstream>

int main()
{
    // Local, not static: a fatal exit() must not flush the unfinished line,
    // so the log keeps exactly what was written up to its last line end.
    std::ofstream log("Log.txt", std::ios::out | std::ios::trunc);
    auto done = [&log](const char* next) {
        log << "Done!\n" << std::flush << next;
    };

    Settings settings;
    {
        std::ifstream file("settings.ini");
        readSettings(file, settings);
    }
    soundOn = settings.sound;
    musicOn = settings.music;
    mouseSens = settings.mouseSensitivity;

    log << "Installing Allegro and setting graphics mode... ";
    // Without a system driver (no display to open) Allegro's installers and
    // its text mode would crash: the game stops as it does without a
    // keyboard, the message going to the terminal.
    if (allegro_init() != 0) {
        allegro_message("%s", "Unable to find any keyboard.");
        exit(1);
    }
    atexit(&dumb_exit);
    if (install_keyboard() != 0)
        errorMessage("Unable to find any keyboard.");
    if (install_mouse() < 2)
        errorMessage("Unable to find a two-button mouse.");
    install_timer();
    install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);
    set_window_title("Tarnavel v " TARNAVEL_VERSION);
    setGraphicsMode(settings.windowed, settings.colorDepth);
    set_color_conversion(COLORCONV_TOTAL);
    text_mode(-1);
    install_int_ex(timerFunc, BPS_TO_TIMER(100));
    install_int_ex(secondsFunc, SECS_TO_TIMER(1));
    dumb_register_dat_s3m(DAT_ID('S', '3', 'M', ' '));
    done("Creating level... ");

    MainGameClass* game = new MainGameClass();
    done("Running menus... ");

    startSeam();
    game->showIntro();
    int choice = 2;
    while (choice != 1) {
        choice = game->mainMenu();
        if (choice == 2)
            game->playGame();
        else if (choice == 3)
            game->creditsMenu();
        else if (choice == 4)
            game->showInstructions();
    }
    done("Freeing memory... ");

    delete game;
    done("Shutting down.");
    log.close();
    return 0;
}
END_OF_MAIN()
