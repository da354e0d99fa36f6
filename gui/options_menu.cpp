// The Options page: every setting but the colour depth, changed with the
// mouse or the keys, applied and saved to settings.ini at once.
#include "game/main_game.h"
#include "gui/gui_button.h"
#include "gui/menu_parts.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/log.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/seam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const rowNames[OPTION_ROWS] = {
    "Sound", "Sound volume", "Music", "Music volume", "Window", "Scale", "Mouse sensitivity", "Pad sensitivity", "Back",
};

// Steering factors a player tells apart, by size; the sign is kept.
const float sensitivities[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f, 2.5f, 3.0f, 4.0f, 5.0f};

// A volume one step of 10 up or down, on the tens, within 0..100.
int stepVolume(int volume, int step)
{
    const int tens = step > 0 ? volume / 10 + 1 : (volume + 9) / 10 - 1;
    return std::clamp(tens * 10, 0, 100);
}

// The next factor of the list above or below the size of `value`; the value
// itself beyond either end.
float stepSensitivity(float value, int step)
{
    const float size = std::fabs(value);
    float next = size;
    for (float s : sensitivities)
        if (step > 0 ? s > size && next == size : s < size)
            next = s;
    return value < 0 ? -next : next;
}

// The page's layout: a panel with a row for each setting, the arrows on
// either side of its value, and two lines of text below.
const int panelLeft = 140, panelTop = 196, panelRight = 484, panelBottom = 474;
const int labelX = 154, firstRowY = 220, rowSpacing = 26;
const int leftArrowX = 318, rightArrowX = 458, valueX = 398;
const int arrowWidth = 20, arrowHeight = 24;
const int messageY = 432, hintY = 452;

// An arrow pointing left (-1) or right (+1) on the mask colour.
BITMAP* arrowImage(int direction, int color)
{
    BITMAP* image = create_bitmap(arrowWidth, arrowHeight);
    clear_to_color(image, bitmap_mask_color(image));
    const int tip = direction < 0 ? 4 : arrowWidth - 5;
    const int base = direction < 0 ? arrowWidth - 5 : 4;
    triangle(image, tip, arrowHeight / 2, base, 4, base, arrowHeight - 5, color);
    return image;
}

// Music as `s` asks for it. Answers why it cannot play, or an empty string;
// `refused` when the change cannot be made at all (music.dat unreadable).
std::string applyMusic(MainGameClass& game, const Settings& s, bool& refused)
{
    refused = false;
    if (!s.music || s.musicVolume == 0) {
        stopMusic();
        musicOn = false;
        return std::string();
    }
    if (!game.soundCard)
        return "No sound card: the game plays no music.";
    // Not loaded when the game started without music.
    std::string problem = game.loadMusic();
    if (!problem.empty()) {
        std::replace(problem.begin(), problem.end(), '\n', ' ');
        logLine(problem);
        refused = true;
        return "music.dat cannot be read: see Log.txt.";
    }
    if (musicOn) {
        setMusicVolume(s.musicVolume);
    } else {
        startMusic(game.musicData, s.musicVolume);
        playMusic(MUSIC_THEME);
        musicOn = true;
    }
    return std::string();
}

int fittingScaleNow(bool windowed)
{
    int width = 0;
    int height = 0;
    get_desktop_resolution(&width, &height);
    return fittingScale(windowed, width, height);
}

// Left (-1) or Right (+1) on a row: the setting changed, applied and saved.
// Answers what the page says about it, or an empty string.
std::string changeOption(MainGameClass& game, int row, int step)
{
    const int fitting = fittingScaleNow(game.settings.windowed);
    const Settings next = stepOption(game.settings, row, step, fitting);
    if (optionText(next, row, fitting) == optionText(game.settings, row, fitting))
        return std::string();
    std::string note;
    if (row == OPTION_WINDOW || row == OPTION_SCALE) {
        if (!seam.screenMode(next.windowed, next.scale))
            return "That mode cannot be set: the last one is back.";
    } else if (row == OPTION_MUSIC || row == OPTION_MUSIC_VOLUME) {
        bool refused;
        note = applyMusic(game, next, refused);
        if (refused)
            return note;
    }
    game.settings = next;
    soundOn = next.sound;
    soundVolume = next.soundVolume;
    musicVolume = next.musicVolume;
    mouseSens = next.mouseSensitivity;
    // The effects' level, heard as it is set.
    if ((row == OPTION_SOUND || row == OPTION_SOUND_VOLUME) && soundOn)
        seam.playSample(sampleAt(game.sfxData, SFX_MENU_CLICK), 200, 128, 1000);
    if (!saveSettings(settingsFileName, next)) {
        logLine(std::string("Unable to save ") + settingsFileName + ": the change lasts until the game ends.");
        return "Not saved: settings.ini cannot be written.";
    }
    return note;
}

} // namespace

Settings stepOption(const Settings& settings, int row, int step, int fitting)
{
    Settings s = settings;
    switch (row) {
    case OPTION_SOUND:
        s.sound = step > 0;
        break;
    case OPTION_SOUND_VOLUME:
        s.soundVolume = stepVolume(s.soundVolume, step);
        break;
    case OPTION_MUSIC:
        s.music = step > 0;
        break;
    case OPTION_MUSIC_VOLUME:
        s.musicVolume = stepVolume(s.musicVolume, step);
        break;
    case OPTION_WINDOW:
        s.windowed = step < 0;
        break;
    case OPTION_SCALE: {
        // Auto, then 1 up to the largest factor that fits.
        const int shown = std::min(s.scale, fitting);
        s.scale = step > 0 ? std::min(shown + 1, fitting) : std::max(shown - 1, 0);
        break;
    }
    case OPTION_MOUSE:
        s.mouseSensitivity = stepSensitivity(s.mouseSensitivity, step);
        break;
    case OPTION_PAD:
        s.padSensitivity = stepSensitivity(s.padSensitivity, step);
        break;
    }
    return s;
}

std::string optionText(const Settings& s, int row, int fitting)
{
    switch (row) {
    case OPTION_SOUND:
        return s.sound ? "On" : "Off";
    case OPTION_SOUND_VOLUME:
        return std::to_string(s.soundVolume);
    case OPTION_MUSIC:
        return s.music ? "On" : "Off";
    case OPTION_MUSIC_VOLUME:
        return std::to_string(s.musicVolume);
    case OPTION_WINDOW:
        return s.windowed ? "Window" : "Full screen";
    case OPTION_SCALE:
        return s.scale == 0 ? "Auto (" + std::to_string(fitting) + ")" : std::to_string(std::min(s.scale, fitting));
    case OPTION_MOUSE:
    case OPTION_PAD: {
        char text[32];
        snprintf(text, sizeof text, "%g", row == OPTION_MOUSE ? s.mouseSensitivity : s.padSensitivity);
        return text;
    }
    }
    return std::string();
}

// Up and Down choose a row (the first on opening), Left and Right change it,
// and so do the arrows beside each value; Back, Escape or Enter on Back
// return to the menu. The pad's directions, A, Start and B stand for the
// arrow keys, Enter and Escape.
void MainGameClass::optionsMenu()
{
    BITMAP* const background = bitmapAt(miscData, MISC_BACKGROUND);
    FONT* const large = fontAt(miscData, MISC_FONT_LARGE);
    FONT* const small = fontAt(miscData, MISC_FONT_SMALL);
    const int grey = makecol(200, 200, 200);
    const int white = makecol(255, 255, 255);
    const int gold = makecol(255, 200, 70);
    const int blue = makecol(140, 210, 255);

    BITMAP* const images[4] = {arrowImage(-1, blue), arrowImage(-1, gold), arrowImage(1, blue), arrowImage(1, gold)};
    const int settingRows = OPTION_BACK;
    std::vector<GuiButton> arrows;
    for (int row = 0; row < settingRows; ++row) {
        const int y = firstRowY + row * rowSpacing;
        arrows.emplace_back(leftArrowX, y, images[0], images[1], "", small, grey);
        arrows.emplace_back(rightArrowX, y, images[2], images[3], "", small, grey);
    }

    forgetPresses();
    bool heldAtStart = (seam.mouseButtons() & 1) != 0;
    for (GuiButton& arrow : arrows)
        arrow.Open();
    exitButton->Open();
    exitButton->caption = "Back";
    int chosen = 0;
    std::string message;
    // The largest factor that fits; it changes only with a change made here.
    int fitting = fittingScaleNow(settings.windowed);
    speedCounter = 0;

    bool back = false;
    while (!back && !quitRequested) {
        while (!back && speedCounter > 0) {
            int row = -1;
            int step = 0;
            for (size_t i = 0; i < arrows.size(); ++i) {
                arrows[i].Update();
                if (arrows[i].clicked && !heldAtStart && row < 0) {
                    row = static_cast<int>(i / 2);
                    step = i % 2 ? 1 : -1;
                }
                arrows[i].clicked = false;
            }
            exitButton->Update();
            back = exitButton->clicked && !heldAtStart;
            exitButton->clicked = false;
            // One change a step; the keys after it wait for the next.
            for (int key; !back && row < 0 && (key = nextKey(menuPadKeys)) != 0;) {
                const int scancode = key >> 8;
                if (upOrDown(key) != 0)
                    chosen = stepChoice(chosen, OPTION_ROWS, upOrDown(key));
                else if ((scancode == KEY_LEFT || scancode == KEY_RIGHT) && chosen != OPTION_BACK) {
                    row = chosen;
                    step = scancode == KEY_LEFT ? -1 : 1;
                } else {
                    back = scancode == KEY_ESC || (isEnter(key) && chosen == OPTION_BACK);
                }
            }
            if (row >= 0) {
                chosen = row;
                message = changeOption(*this, row, step);
                fitting = fittingScaleNow(settings.windowed);
            }
            if (heldAtStart && seam.mouseButtons() == 0)
                heldAtStart = false;
            --speedCounter;
        }
        if (back)
            break;
        exitButton->highlighted = chosen == OPTION_BACK;

        blit(background, buffer, 0, 0, 0, 0, screenWidth, screenHeight);
        drawHighscoreTable(buffer, small, *highscores);
        drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
        set_trans_blender(0, 0, 0, 204);
        rectfill(buffer, panelLeft, panelTop, panelRight, panelBottom, makecol(6, 8, 22));
        solid_mode();
        rect(buffer, panelLeft, panelTop, panelRight, panelBottom, makecol(80, 100, 160));
        textout_ex(buffer, small, "OPTIONS", labelX, panelTop + 6, gold, -1);
        for (int row = 0; row < settingRows; ++row) {
            const int y = firstRowY + row * rowSpacing;
            const int textY = y + (arrowHeight - text_height(large)) / 2;
            if (row == chosen) {
                rectfill(buffer, panelLeft + 6, y - 2, panelRight - 6, y + arrowHeight + 1, makecol(44, 54, 92));
                rect(buffer, panelLeft + 6, y - 2, panelRight - 6, y + arrowHeight + 1, makecol(90, 108, 160));
                rectfill(buffer, panelLeft + 9, y + 4, panelLeft + 11, y + arrowHeight - 5, blue);
            }
            textout_ex(buffer, large, rowNames[row], labelX, textY, row == chosen ? white : grey, -1);
            textout_centre_ex(buffer, large, optionText(settings, row, fitting).c_str(), valueX, textY,
                              row == chosen ? gold : grey, -1);
        }
        for (GuiButton& arrow : arrows)
            arrow.Draw(buffer);
        textout_ex(buffer, small, message.c_str(), labelX, messageY, gold, -1);
        textout_ex(buffer, small, "Up/Down choose, Left/Right change, Esc returns", labelX, hintY, grey, -1);
        exitButton->Draw(buffer);
        drawMenuPointer(buffer, miscData);
        seam.present(buffer, 0, 0);
        waitForTick();
    }
    exitButton->highlighted = false;
    arrows.clear();
    for (BITMAP* image : images)
        destroy_bitmap(image);
    if (back)
        playMenuClick(sfxData);
}
