// The title menu: background, scrolling welcome line, high-score table and
// the five buttons. Returns the chosen MenuChoice code to the shell, Exit
// when the game is asked to quit.
#include "game/main_game.h"
#include "gui/gui_button.h"
#include "gui/menu_parts.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/seam.h"

namespace {

const char* const welcomeText =
    "Welcome to Tarnavel, an Ostrevane Production. "
    "Please support the developer by passing this game on to your friends.";

// Until the line's end is more than this far past the left edge it keeps
// moving; then it re-enters at the right edge.
const int welcomeTrail = 50;

} // namespace

void drawHighscoreTable(BITMAP* target, FONT* font, HighscoreManager& table)
{
    const int headerColor = makecol(255, 255, 255);
    const int rowColor = makecol(200, 200, 200);
    textout_ex(target, font, "NAME", 5, 385, headerColor, -1);
    textout_right_ex(target, font, "SCORE", 120, 385, headerColor, -1);
    const int rows = table.Size();
    for (int i = 0; i < rows; ++i) {
        const HighscoreEntry entry = table.GetEntry(i);
        const int y = 400 + 15 * i;
        // A name is never a format: "%" shows as typed.
        textout_ex(target, font, entry.name.c_str(), 5, y, rowColor, -1);
        textprintf_right_ex(target, font, 120, y, rowColor, -1, "%d", entry.score);
    }
}

void drawMenuPointer(BITMAP* target, const DATAFILE* miscData)
{
    draw_sprite(target, bitmapAt(miscData, MISC_POINTER), seam.mouseX() - 2, seam.mouseY() - 2);
}

int stepChoice(int chosen, int count, int step)
{
    if (chosen < 0)
        return step > 0 ? 0 : count - 1;
    return (chosen + step + count) % count;
}

int upOrDown(int key)
{
    const int scancode = key >> 8;
    return scancode == KEY_UP ? -1 : scancode == KEY_DOWN ? 1 : 0;
}

bool isEnter(int key) { return key >> 8 == KEY_ENTER || key >> 8 == KEY_ENTER_PAD; }

void playMenuClick(const DATAFILE* sfxData)
{
    if (!soundOn)
        return;
    seam.playSample(sampleAt(sfxData, SFX_MENU_CLICK), 200, 128, 1000);
    seam.rest(170);
}

int MainGameClass::mainMenu()
{
    // Updated, looked at, drawn and chosen with the keys in this order; codes
    // are the MenuChoice of each: 5 Options, 2 Play Game, 4 Instructions,
    // 3 Credits, 1 Exit.
    GuiButton* const buttons[] = {optionsButton, playButton, instructionsButton, creditsButton, exitButton};
    const int codes[] = {5, 2, 4, 3, 1};
    const int count = 5;
    BITMAP* const background = bitmapAt(miscData, MISC_BACKGROUND);
    FONT* const menuFont = fontAt(miscData, MISC_FONT_SMALL);
    const int welcomeColor = makecol(20, 20, 20);
    const int welcomeRestart = -welcomeTrail - text_length(menuFont, welcomeText);

    playMusic(MUSIC_THEME);
    forgetPresses();
    // A press that began before the menu opened (a click that ended the
    // last screen, say) must not choose anything when it is released.
    bool heldAtStart = (seam.mouseButtons() & 1) != 0;
    for (GuiButton* button : buttons)
        button->Open();
    exitButton->caption = "Exit";
    int welcomeX = screenWidth;
    // Nothing is chosen with the keys until the first arrow.
    int chosen = -1;
    // The background goes into the buffer whole once. After that a frame
    // puts back only the places it draws differently (the welcome line's
    // strip, the buttons, the pointer's last place) and draws the table
    // again on itself: a whole copy in every frame cost more than all the
    // rest of the menu.
    blit(background, buffer, 0, 0, 0, 0, screenWidth, screenHeight);
    BITMAP* const pointer = bitmapAt(miscData, MISC_POINTER);
    int pointerX = 0, pointerY = 0;
    const auto restore = [&](int x, int y, int w, int h) { blit(background, buffer, x, y, x, y, w, h); };
    speedCounter = 0;

    while (!quitRequested) {
        while (speedCounter > 0) {
            for (GuiButton* button : buttons)
                button->Update();
            int pick = -1;
            for (int i = 0; i < count && pick < 0; ++i) {
                if (!buttons[i]->clicked)
                    continue;
                buttons[i]->clicked = false;
                if (!heldAtStart)
                    pick = i;
            }
            for (int key; pick < 0 && (key = nextKey(menuPadKeys)) != 0;) {
                if (upOrDown(key) != 0)
                    chosen = stepChoice(chosen, count, upOrDown(key));
                else if (isEnter(key) && chosen >= 0)
                    pick = chosen;
            }
            for (int i = 0; i < count; ++i)
                buttons[i]->highlighted = i == chosen && pick < 0;
            if (pick >= 0) {
                playMenuClick(sfxData);
                return codes[pick];
            }
            // After the buttons, so that the release completing an early
            // press is itself discarded.
            if (heldAtStart && (seam.mouseButtons() & 1) == 0)
                heldAtStart = false;
            if (--welcomeX < welcomeRestart)
                welcomeX = screenWidth;
            --speedCounter;
        }

        restore(0, 0, screenWidth, text_height(menuFont));
        restore(pointerX, pointerY, pointer->w, pointer->h);
        for (GuiButton* button : buttons)
            restore(button->x, button->y, button->width, button->height);
        textout_ex(buffer, menuFont, welcomeText, welcomeX, 0, welcomeColor, -1);
        drawHighscoreTable(buffer, menuFont, *highscores);
        for (GuiButton* button : buttons)
            button->Draw(buffer);
        pointerX = seam.mouseX() - 2, pointerY = seam.mouseY() - 2;
        draw_sprite(buffer, pointer, pointerX, pointerY);
        seam.present(buffer, 0, 0);
        waitForTick();
    }
    return 1; // closed: leave as Exit does
}
