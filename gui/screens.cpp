// The credits, the instructions picture and the start-up intro.
#include "game/main_game.h"
#include "gui/gui_button.h"
#include "gui/menu_parts.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/seam.h"
#include "shell/version.h"

namespace {

const char* const creditLines[] = {
    "Tarnavel v " TARNAVEL_VERSION,
    "by Ostrevane",
    "",
    "Programming: Brannock",
    "",
    "Graphics: Brannock",
    "",
    "Sound effects: Brannock",
    "",
    "Music: Brannock",
    "",
    "Special thanks to: ",
    "the Brindlecove forum members who",
    "helped me with testing and bug fixing",
    "and",
    "Quincewright Games for \"Varrowdeep\"",
    "",
    "",
    "www.quincewright.example.org",
};
const int creditLineCount = sizeof creditLines / sizeof creditLines[0];
static_assert(creditLineCount == 19, "the credits are nineteen lines");

const int creditsWindowWidth = 250;
const int creditsWindowHeight = 200;
const int creditLineSpacing = 15;
// Pixels per logic step: 10 a second.
const float creditsSpeed = 0.1f;

} // namespace

// Left through Back, Escape or Enter, or the pad's B, A or Start.
void MainGameClass::creditsMenu()
{
    BITMAP* const background = bitmapAt(miscData, MISC_BACKGROUND);
    FONT* const creditsFont = fontAt(miscData, MISC_FONT_SMALL);
    const int lineColor = makecol(255, 255, 255);

    forgetPresses();
    bool heldAtStart = (seam.mouseButtons() & 1) != 0;
    exitButton->Open();
    exitButton->caption = "Back";
    BITMAP* const creditsWindow = create_bitmap(creditsWindowWidth, creditsWindowHeight);
    // Magenta at 15 to 32 bits; index 0 at 8.
    const int maskColor = bitmap_mask_color(creditsWindow);
    float creditsScroll = creditsWindowHeight;
    speedCounter = 0;

    while (!quitRequested) {
        while (speedCounter > 0) {
            exitButton->Update();
            bool back = false;
            if (exitButton->clicked) {
                exitButton->clicked = false;
                back = !heldAtStart;
            }
            for (int key; !back && (key = nextKey(menuPadKeys)) != 0;)
                back = key >> 8 == KEY_ESC || isEnter(key);
            if (back) {
                destroy_bitmap(creditsWindow);
                playMenuClick(sfxData);
                return;
            }
            if (heldAtStart && seam.mouseButtons() == 0)
                heldAtStart = false;
            // Never wraps: once the last line has passed, the window stays empty.
            creditsScroll -= creditsSpeed;
            --speedCounter;
        }

        blit(background, buffer, 0, 0, 0, 0, screenWidth, screenHeight);
        drawHighscoreTable(buffer, creditsFont, *highscores);
        clear_to_color(creditsWindow, maskColor);
        for (int i = 0; i < creditLineCount; ++i) {
            const int y = static_cast<int>(creditLineSpacing * i + creditsScroll);
            textout_centre_ex(creditsWindow, creditsFont, creditLines[i], creditsWindowWidth / 2, y,
                              lineColor, -1);
        }
        draw_sprite(buffer, creditsWindow, 270, screenHeight - creditsWindowHeight);
        exitButton->Draw(buffer);
        drawMenuPointer(buffer, miscData);
        seam.present(buffer, 0, 0);
        waitForTick();
    }
    destroy_bitmap(creditsWindow);
}

void MainGameClass::showInstructions()
{
    BITMAP* const picture = bitmapAt(miscData, MISC_INSTRUCTIONS);

    forgetPresses();
    // Whatever was held when the screen opened must be let go before a key
    // or the left button counts.
    bool heldAtStart = (seam.mouseButtons() & 1) != 0 || seam.keyWaiting();
    int pressesAtStart = seam.leftPresses();
    int steps = 0;
    speedCounter = 0;
    while (!quitRequested) {
        if (heldAtStart && !seam.keyWaiting() && seam.mouseButtons() == 0)
            heldAtStart = false;
        // The second half of a double click that opened the page.
        if (steps < doubleClickSteps)
            pressesAtStart = seam.leftPresses();
        blit(picture, buffer, 0, 0, 0, 0, screenWidth, screenHeight);
        seam.present(buffer, 0, 0);
        const bool clicked = steps >= doubleClickSteps
                             && ((seam.mouseButtons() & 1) != 0 || seam.leftPresses() != pressesAtStart);
        // The closing key stays in the buffer; the main menu empties it.
        if (!heldAtStart && (clicked || seam.keyWaiting() || nextKey(menuPadKeys) != 0))
            return;
        waitForTick();
        steps += speedCounter.exchange(0);
    }
}

void MainGameClass::showIntro()
{
    BITMAP* const logo = bitmapAt(miscData, MISC_LOGO);
    BITMAP* const scratch = create_bitmap(logo->w, logo->h);
    const int grey = makecol(104, 104, 104);
    const int x = screenWidth / 2 - logo->w / 2;
    const int y = screenHeight / 2 - logo->h / 2;

    // Drawn straight to the screen: the grey once, then only the logo's
    // rectangle each frame. The theme begins with the logo.
    playMusic(MUSIC_THEME);
    seam.clearScreen(grey);
    speedCounter = 0;
    int introAlpha = 1;
    int introHold = 400;

    // Fade in to 255 (254 steps), hold (399 steps), fade out to 0 (255 steps);
    // Escape, or the pad's A or Start, ends it, however short the press.
    while (!escapePressed() && introAlpha > 0 && !quitRequested) {
        while (speedCounter > 0) {
            if (introHold == 400) {
                if (++introAlpha > 254)
                    --introHold;
            } else if (introHold == 0) {
                // Ticks that arrive in one batch after the end must not
                // drive the opacity negative for the last frame.
                if (introAlpha > 0)
                    --introAlpha;
            } else {
                --introHold;
            }
            --speedCounter;
        }
        clear_to_color(scratch, grey);
        set_trans_blender(0, 0, 0, introAlpha);
        draw_trans_sprite(scratch, logo, 0, 0);
        seam.present(scratch, x, y);
        waitForTick();
    }
    destroy_bitmap(scratch);
}
