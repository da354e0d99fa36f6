// The menu button's states, and the menu, credits, instructions and intro
// played with scripted mouse and keys on a real game object.
#include "gui/menu_parts.h"
#include "shell/settings.h"
#include "support/game_fixture.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

using namespace std::string_literals;

namespace {

const int L = 1, R = 2; // mouse_b bits

// The first pixel that is not black in [x0, x1) by [y0, y1), looking along
// the rows or down the columns; (x1, y1) when there is none.
Spot inkAt(BITMAP* b, int x0, int y0, int x1, int y1, bool byRows)
{
    for (int i = byRows ? y0 : x0; i < (byRows ? y1 : x1); ++i)
        for (int j = byRows ? x0 : y0; j < (byRows ? x1 : y1); ++j)
            if (getpixel(b, byRows ? j : i, byRows ? i : j) != makecol(0, 0, 0))
                return byRows ? Spot{j, i} : Spot{i, j};
    return Spot{x1, y1};
}

// Button at (100, 50), 80 by 30: inside is 101..179 by 51..79. Each step gives
// pointer and buttons, then the state and the picture drawn (normal or pressed).
TEST(GuiButton, StateTable)
{
    struct Step { int mx, my, buttons; bool pressed, clicked; };
    const std::pair<const char*, std::vector<Step>> scenarios[] = {
        {"leaving disarms", {{140, 65, L, true, false}, {200, 65, L, false, false}, {140, 65, 0, false, false}}},
        {"the right button defers", {{140, 65, L, true, false}, {140, 65, R, true, false}, {140, 65, 0, false, true}}},
        {"the right button alone never arms", {{140, 65, R, false, false}, {140, 65, 0, false, false}}},
        {"the edge rows and columns are outside", {{100, 65, L, false, false}, {140, 50, L, false, false},
            {180, 65, L, false, false}, {140, 80, L, false, false}, {140, 80, 0, false, false}}},
        {"the inner corners are in", {{101, 51, L, true, false}, {179, 79, L, true, false}, {179, 79, 0, false, true}}},
        {"a click latches until taken", {{140, 65, L, true, false}, {140, 65, 0, false, true}, {0, 0, 0, false, true}}},
    };
    ScopedTestSeam scope;
    BITMAP* images[3] = {create_bitmap(80, 30), create_bitmap(80, 30), create_bitmap(200, 100)};
    clear_to_color(images[0], makecol(0, 0, 200)), clear_to_color(images[1], makecol(200, 0, 0));
    for (const auto& s : scenarios) {
        GuiButton b(100, 50, images[0], images[1], "Play", font, makecol(255, 255, 255));
        for (const Step& st : s.second) {
            testSeam.pointerX = st.mx, testSeam.pointerY = st.my, testSeam.buttons = st.buttons;
            b.Update(), b.Draw(images[2]);
            EXPECT_EQ(std::make_pair(st.pressed, st.clicked), std::make_pair(b.pressed, b.clicked)) << s.first;
            EXPECT_EQ(getpixel(images[st.pressed], 1, 1), getpixel(images[2], 101, 51)) << s.first;
        }
    }
    // Opened with its screen: a press in the first steps, a double click's
    // second half, does nothing; one after them does.
    GuiButton b(100, 50, images[0], images[1], "Back", font, 0);
    testSeam.pointerX = 140, testSeam.pointerY = 65, testSeam.buttons = 0;
    b.Open(), ++testSeam.leftPresses;
    for (int step = 0; step < doubleClickSteps; ++step)
        b.Update();
    EXPECT_FALSE(b.pressed || b.clicked);
    testSeam.buttons = L, b.Update(), testSeam.buttons = 0, b.Update();
    EXPECT_TRUE(b.clicked);
    for (BITMAP* b : images)
        destroy_bitmap(b);
}

class Screens : public GameFixture {
protected:
    MouseAt on(const GuiButton* b, int f, int held) { return {f, b->x + b->width / 2, b->y + b->height / 2, held}; }
    // Press at frame `at` and release two frames later over b, after `before`.
    std::vector<MouseAt> click(const GuiButton* b, int at, std::vector<MouseAt> before = {})
    {
        before.insert(before.end(), {on(b, at, L), on(b, at + 2, 0)});
        return before;
    }
    void start(const MouseAt& m)
    {
        testSeam.leftPresses += (m.buttons & tap) != 0;
        testSeam.pointerX = m.x, testSeam.pointerY = m.y, testSeam.buttons = m.buttons & ~tap;
    }
    void blackBackground() { clear_to_color(bitmapAt(game->miscData, MISC_BACKGROUND), makecol(0, 0, 0)); }
};

// The mouse as the menu opens, then the script; a key is typed at every
// frame, and Escape held, to no effect.
TEST_F(Screens, MainMenuChoices)
{
    GuiButton *play = game->playButton, *credits = game->creditsButton, *exit = game->exitButton;
    struct { const char* what; MouseAt start; std::vector<MouseAt> then; bool sound; int frames, code; } cases[] = {
        {"Options", {}, click(game->optionsButton, 5), true, 7, 5},
        {"Play Game", {}, click(play, 5), true, 7, 2},
        {"a press and release between two steps", {}, {on(play, 5, tap)}, true, 6, 2},
        {"a tap before the menu opened", on(play, 0, tap), click(exit, 5), true, 7, 1},
        {"Instructions", {}, click(game->instructionsButton, 5), true, 7, 4},
        {"Credits", {}, click(credits, 5), true, 7, 3},
        {"Exit", {}, click(exit, 5), true, 7, 1},
        {"without sound no click and no wait", {}, click(exit, 5), false, 7, 1},
        {"a press held as the menu opens is discarded", on(play, 0, L), click(play, 10, {on(play, 3, 0)}), true, 12, 2},
        {"dragged onto a button", {0, 9, 9, L}, click(exit, 20, {on(credits, 2, L), on(credits, 4, 0)}), true, 22, 1},
        {"it ends with the left button up, whatever the right does", {0, 10, 10, L},
         {{2, 10, 10, R}, on(play, 4, L | R), on(play, 6, 0)}, true, 6, 2},
        {"sliding off cancels", {}, click(exit, 10, {on(credits, 2, L), {4, 9, 9, L}, on(credits, 6, 0)}), true, 12, 1},
    };
    testSeam.keys[KEY_ESC] = true;
    for (const auto& c : cases) {
        start(c.start), testSeam.sounds.clear(), testSeam.restedMs = 0, soundOn = c.sound, exit->caption = "Back";
        int code = 0;
        const int frames = runScreen([&] { code = game->mainMenu(); }, c.then, 100,
                                     [](int) { testSeam.keyBuffer.push_back(keyCode(KEY_SPACE, ' ')); });
        EXPECT_EQ((std::vector<int>{c.frames, c.code, c.sound, c.sound ? 170 : 0}),
                  (std::vector<int>{frames, code, int(playsOf(sfx(SFX_MENU_CLICK)).size()), int(testSeam.restedMs)}))
            << c.what;
        EXPECT_EQ("Exit", exit->caption);
    }
}

// One key a frame. Nothing is chosen until the first arrow: the first Down
// takes the top button, the first Up the bottom one, and the choice wraps
// round and starts afresh at every visit. The chosen button shows its
// pressed picture.
TEST_F(Screens, MainMenuByKeys)
{
    const int U = KEY_UP, D = KEY_DOWN, E = KEY_ENTER;
    const struct { std::vector<int> keys; int code; } cases[] = {
        {{D, E}, 5}, {{U, E}, 1}, {{D, D, D, D, D, D, KEY_ENTER_PAD}, 5}, {{D, U, E}, 1},
        {{E, U, KEY_SPACE, U, E}, 3}, {{E, D, D, E}, 2},
    };
    GuiButton* const buttons[] = {game->optionsButton, game->playButton, game->instructionsButton,
                                  game->creditsButton, game->exitButton};
    for (const auto& c : cases) {
        int code = 0, shown = -2;
        const int frames = runScreen([&] { code = game->mainMenu(); }, {}, 50, [&](int frame) {
            // After the first key, the first button or the last shows pressed.
            if (frame == 2 + (c.keys[0] == E))
                for (int i = 0; i < 5; ++i)
                    if (getpixel(game->buffer, buttons[i]->x + 3, buttons[i]->y + 20)
                        == getpixel(buttons[i]->pressedImage, 3, 20))
                        shown = shown == -2 ? i : -1;
            if (frame <= int(c.keys.size()))
                testSeam.keyBuffer.push_back(keyCode(c.keys[frame - 1], 0));
        });
        const int first = c.keys[c.keys[0] == E];
        EXPECT_EQ((std::vector<int>{int(c.keys.size()), c.code, first == D ? 0 : 4}),
                  (std::vector<int>{frames, code, shown}))
            << c.code;
    }
}

// The menu puts back only the places it draws anew: once the pointer has
// moved and the keys have moved the highlight on, the picture below the
// welcome line is the one a whole redraw makes.
TEST_F(Screens, MainMenuLeavesNoTrails)
{
    BITMAP* const whole = create_bitmap(screenWidth, screenHeight);
    BITMAP* const pointer = bitmapAt(game->miscData, MISC_POINTER);
    FONT* const small = fontAt(game->miscData, MISC_FONT_SMALL);
    GuiButton* const buttons[] = {game->optionsButton, game->playButton, game->instructionsButton,
                                  game->creditsButton, game->exitButton};
    int mismatches = -1;
    testSeam.pointerX = 300, testSeam.pointerY = 200;
    runScreen([&] { game->mainMenu(); }, {}, 10, [&](int frame) {
        if (frame == 2 || frame == 3)
            testSeam.keyBuffer.push_back(keyCode(KEY_DOWN, 0)), testSeam.pointerX = 100, testSeam.pointerY = 390;
        if (frame == 5) {
            blit(bitmapAt(game->miscData, MISC_BACKGROUND), whole, 0, 0, 0, 0, screenWidth, screenHeight);
            drawHighscoreTable(whole, small, *game->highscores);
            for (GuiButton* b : buttons)
                b->Draw(whole);
            draw_sprite(whole, pointer, 98, 388);
            mismatches = 0;
            for (int y = text_height(small); y < screenHeight; ++y)
                for (int x = 0; x < screenWidth; ++x)
                    mismatches += getpixel(whole, x, y) != getpixel(game->buffer, x, y);
        }
        quitRequested = frame == 6;
    });
    quitRequested = false;
    EXPECT_EQ(0, mismatches);
    destroy_bitmap(whole);
}

// The line moves a pixel a step from the right edge and re-enters there 50
// pixels after its end has left the screen. The table's rows, all alike,
// stand 15 pixels apart from y 400.
TEST_F(Screens, MainMenuWelcomeLineAndTable)
{
    const char* welcome = "Welcome to Tarnavel, an Ostrevane Production. "
                          "Please support the developer by passing this game on to your friends.";
    FONT* f = fontAt(game->miscData, MISC_FONT_SMALL);
    for (HighscoreEntry& e : game->highscores->entries)
        e.name = "Wq100%", e.score = -7;
    std::vector<int> lineStart;
    int rowInk = 0, rowMismatches = 0;
    testSeam.pointerX = 600, testSeam.pointerY = 200;
    blackBackground();
    runScreen([&] { game->mainMenu(); }, {}, 10, [&](int frame) {
        quitRequested = frame == 3;
        lineStart.push_back(inkAt(game->buffer, 0, 0, screenWidth, text_height(f), false).x);
        testSeam.ticksPerPresent = frame == 1 ? 40 : screenWidth + text_length(f, welcome) + 51;
        for (int y = 400; frame == 2 && y < 415; ++y)
            for (int x = 0; x < 200; ++x)
                for (int i = 0; i < 5; ++i)
                    rowInk += getpixel(game->buffer, x, y) != makecol(0, 0, 0),
                        rowMismatches += getpixel(game->buffer, x, y) != getpixel(game->buffer, x, y + 15 * i);
    });
    ASSERT_GE(lineStart.size(), 3u);
    EXPECT_EQ(screenWidth, lineStart[0]); // drawn at 640: off the screen
    EXPECT_TRUE(lineStart[1] >= 600 && lineStart[1] < 610) << lineStart[1];
    EXPECT_EQ(lineStart[1], lineStart[2]); // a cycle later
    EXPECT_TRUE(rowInk > 0 && rowMismatches == 0) << rowInk << " " << rowMismatches;
    quitRequested = false;
}

// A press held as the credits open counts until every button is up; Escape
// and Enter leave too, other keys do not. The lines scroll 0.1 pixels a
// step: the first line's top stands at 150.5 in the window after 495 steps,
// at 140.5 after 100 more.
TEST_F(Screens, CreditsScrollAndLeaveByBackOnceAnEarlyPressIsOver)
{
    GuiButton* back = game->exitButton;
    const struct { MouseAt start; std::vector<MouseAt> then; int key; } cases[] = {
        {on(back, 0, L), click(back, 10, {on(back, 3, 0)}), 0},
        {on(back, 0, tap), {on(back, 12, tap)}, 0},
        {{0, 10, 10, L}, click(back, 10, {{2, 10, 10, R}, on(back, 4, L | R), on(back, 6, 0)}), 0},
        {{}, {}, KEY_ESC}, {{}, {}, KEY_ENTER},
    };
    blackBackground();
    for (const auto& c : cases) {
        start(c.start);
        std::vector<int> firstLine;
        EXPECT_EQ(12, runScreen([&] { game->creditsMenu(); }, c.then, 100, [&](int frame) {
            testSeam.ticksPerPresent = frame == 1 ? 495 : 100;
            if (frame == 2 || frame == 3) // the window at (270, 280), less the button's columns
                firstLine.push_back(inkAt(game->buffer, 270, 280, back->x, screenHeight, true).y);
            testSeam.keyBuffer.push_back(keyCode(frame == 12 && c.key ? c.key : KEY_SPACE, 0));
        }));
        EXPECT_EQ((std::vector<int>{firstLine.at(1) + 10, firstLine.at(1)}), firstLine);
    }
    EXPECT_EQ(5u, playsOf(sfx(SFX_MENU_CLICK)).size());
}

// What was held as it opened must be let go first; the right button does
// nothing; a tap in the first steps is a double click's second half; the
// closing key stays for the menu.
TEST_F(Screens, InstructionsCloseOnALeftClickOrAKey)
{
    const struct { int startButtons; bool keyBefore; std::vector<MouseAt> script; int keyAt, frames; } cases[] = {
        {L, true, {{5, 0, 0, 0}, {8, 0, 0, L}}, 0, 8}, {0, false, {{35, 0, 0, R}, {40, 0, 0, 0}}, 45, 45},
        {0, false, {{6, 0, 0, tap}}, 0, 6}, {0, false, {}, 40, 40}};
    for (const auto& c : cases) {
        testSeam.buttons = c.startButtons, testSeam.keyBuffer.assign(c.keyBefore, keyCode(KEY_ESC, 27)), ++testSeam.leftPresses;
        EXPECT_EQ(c.frames, runScreen([&] { game->showInstructions(); }, c.script, 50, [&](int frame) {
            testSeam.leftPresses += frame == 20 && c.script.empty();
            if (frame == c.keyAt)
                testSeam.keyBuffer.push_back(keyCode(KEY_SPACE, ' '));
        }));
        EXPECT_EQ(c.keyAt ? 1u : 0u, testSeam.keyBuffer.size());
    }
}

// 254 steps of fading in, 399 held, 255 fading out; Escape ends it, held or
// pressed and released between two frames; other keys do not.
TEST_F(Screens, IntroRuns908StepsUnlessEscapeIsPressed)
{
    const struct { int ticksPerFrame, escapeAt, key, frames; } cases[] = {
        {4, 0, KEY_ESC, 908 / 4 + 1}, {1, 100, 0, 100}, {1, 50, KEY_ESC, 50}, {4, 50, KEY_SPACE, 908 / 4 + 1}};
    for (const auto& c : cases) {
        testSeam.ticksPerPresent = c.ticksPerFrame, testSeam.keys[KEY_ESC] = false;
        EXPECT_EQ(c.frames, runScreen([&] { game->showIntro(); }, {}, 2000, [&](int frame) {
            testSeam.keys[KEY_ESC] = frame == c.escapeAt && !c.key;
            if (frame == c.escapeAt && c.key)
                testSeam.keyBuffer.push_back(keyCode(c.key, 27));
        }));
    }
}

// Left (-1) or Right (+1) on each row, from a setting, as the row then
// reads; the largest factor that fits is 3. No other row changes.
TEST(Options, EachRowsSteps)
{
    const struct { int row; const char* setting; int step; const char* shows; } cases[] = {
        {OPTION_SOUND, "Sound 1", -1, "Off"}, {OPTION_SOUND, "Sound 1", 1, "On"}, {OPTION_SOUND, "Sound 0", 1, "On"},
        {OPTION_SOUND_VOLUME, "SoundVolume 100", 1, "100"}, {OPTION_SOUND_VOLUME, "SoundVolume 100", -1, "90"},
        {OPTION_SOUND_VOLUME, "SoundVolume 35", 1, "40"}, {OPTION_SOUND_VOLUME, "SoundVolume 35", -1, "30"},
        {OPTION_SOUND_VOLUME, "SoundVolume 5", -1, "0"}, {OPTION_SOUND_VOLUME, "SoundVolume 0", -1, "0"},
        {OPTION_MUSIC, "Music 1", -1, "Off"}, {OPTION_MUSIC_VOLUME, "MusicVolume 70", 1, "80"},
        {OPTION_WINDOW, "Windowed 0", -1, "Window"}, {OPTION_WINDOW, "Windowed 1", 1, "Full screen"},
        {OPTION_WINDOW, "Windowed 1", -1, "Window"},
        {OPTION_SCALE, "Scale 1", -1, "Auto (3)"}, {OPTION_SCALE, "Scale 0", 1, "1"},
        {OPTION_SCALE, "Scale 0", -1, "Auto (3)"}, {OPTION_SCALE, "Scale 3", 1, "3"}, {OPTION_SCALE, "Scale 5", -1, "2"},
        {OPTION_MOUSE, "MouseSensitivity 1", 1, "1.25"}, {OPTION_MOUSE, "MouseSensitivity 1", -1, "0.75"},
        {OPTION_MOUSE, "MouseSensitivity 2", 1, "2.5"}, {OPTION_MOUSE, "MouseSensitivity 0.3", 1, "0.5"},
        {OPTION_MOUSE, "MouseSensitivity 0.3", -1, "0.25"}, {OPTION_MOUSE, "MouseSensitivity 0.1", -1, "0.1"},
        {OPTION_MOUSE, "MouseSensitivity 5", 1, "5"}, {OPTION_MOUSE, "MouseSensitivity 100", -1, "5"},
        {OPTION_MOUSE, "MouseSensitivity -1", 1, "-1.25"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.setting);
        Settings s;
        readSettings(in, s);
        const Settings next = stepOption(s, c.row, c.step, 3);
        EXPECT_EQ(c.shows, optionText(next, c.row, 3)) << c.setting << " " << c.step;
        EXPECT_LE(next.scale, 3) << c.setting;
        for (int row = 0; row < OPTION_BACK; ++row)
            EXPECT_TRUE(row == c.row || optionText(next, row, 3) == optionText(s, row, 3)) << c.setting;
    }
}

// The Options page, a key a frame (0 none) and the mouse: the first row is
// chosen as it opens, and a row whose arrow is clicked. Each change is
// applied and saved at once, the file's other lines kept; a mode that cannot
// be set changes nothing, and the page says so, as it does of music without
// a sound card. Escape, Enter on Back and the Back button return.
TEST_F(Screens, OptionsApplyAndSaveEachChangeAtOnce)
{
    const int U = KEY_UP, D = KEY_DOWN, Lt = KEY_LEFT, Rt = KEY_RIGHT, E = KEY_ESC;
    auto arrow = [](int row, int step, int frame, int buttons) {
        return MouseAt{frame, step < 0 ? 328 : 468, 220 + 26 * row + 12, buttons};
    };
    const struct {
        const char* start; std::vector<int> keys; MouseAt mouseStart; std::vector<MouseAt> mouse; bool modeWorks;
        int frames; const char* rows; std::vector<std::pair<bool, int>> modes; bool said; int clicks;
    } cases[] = {
        {"", {KEY_ENTER, Rt, Lt, E}, {}, {}, true, 4, "Off 100 On 70 Full screen 1 1 1 ", {}, false, 0},
        {"", {U, KEY_ENTER}, {}, {}, true, 2, "On 100 On 70 Full screen 1 1 1 ", {}, false, 1},
        {"", {D, Rt, Lt, Lt, E}, {}, {}, true, 5, "On 80 On 70 Full screen 1 1 1 ", {}, false, 3},
        {"", {D, D, D, D, Lt, E}, {}, {}, true, 6, "On 100 On 70 Window 1 1 1 ", {{true, 1}}, false, 1},
        {"", {D, D, D, D, Lt, E}, {}, {}, false, 6, "On 100 On 70 Full screen 1 1 1 ", {{true, 1}}, true, 1},
        {"Windowed 1", {U, U, U, U, Lt, E}, {}, {}, true, 6, "On 100 On 70 Window Auto (1) 1 1 ", {{true, 0}}, false, 1},
        {"", {0, 0, 0, 0, 0, 0, 0, 0, Lt, E}, {}, {arrow(6, 1, 2, L), arrow(6, 1, 4, 0), arrow(1, -1, 5, tap)},
         true, 10, "On 80 On 70 Full screen 1 1.25 1 ", {}, false, 3},
        {"", {}, {}, click(game->exitButton, 3), true, 5, "On 100 On 70 Full screen 1 1 1 ", {}, false, 1},
        {"", {0, 0, 0, 0, 0, 0, 0, 0, E}, arrow(0, -1, 0, L), {arrow(0, -1, 3, 0), arrow(0, -1, 6, tap)}, true, 9,
         "Off 100 On 70 Full screen 1 1 1 ", {}, false, 0},
        {"", {U, U, Rt, E}, {}, {}, true, 4, "On 100 On 70 Full screen 1 1 1.25 ", {}, false, 1},
        {"Music 0", {D, D, Rt, E}, {}, {}, true, 4, "On 100 On 70 Full screen 1 1 1 ", {}, true, 1},
    };
    for (const auto& c : cases) {
        const std::string before = "# mine\n"s + c.start + "\n";
        std::ofstream("settings.ini") << before;
        std::istringstream in(before);
        Settings initial;
        readSettings(in, initial), game->settings = initial;
        soundOn = game->settings.sound, soundVolume = 100, mouseSens = 1;
        testSeam.screenModes.clear(), testSeam.screenModeWorks = c.modeWorks, testSeam.sounds.clear();
        start(c.mouseStart);
        bool said = false;
        const int frames = runScreen([&] { game->optionsMenu(); }, c.mouse, 50, [&](int frame) {
            int gold = 0; // the message line
            for (int y = 432; y < 447; ++y)
                for (int x = 154; x < 480; ++x)
                    gold += getpixel(game->buffer, x, y) == makecol(255, 200, 70);
            said = gold > 0;
            if (frame <= int(c.keys.size()) && c.keys[frame - 1])
                testSeam.keyBuffer.push_back(keyCode(c.keys[frame - 1], 0));
        });
        std::ifstream file("settings.ini");
        const std::string after((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::istringstream saved(after);
        Settings read;
        readSettings(saved, read);
        std::string rows, savedRows, startRows;
        for (int row = 0; row < OPTION_BACK; ++row) {
            rows += optionText(game->settings, row, 1) + " ", savedRows += optionText(read, row, 1) + " ";
            startRows += optionText(initial, row, 1) + " ";
        }
        EXPECT_EQ(std::make_tuple(c.frames, std::string(c.rows), c.modes, c.said, c.clicks),
                  std::make_tuple(frames, rows, testSeam.screenModes, said, int(playsOf(sfx(SFX_MENU_CLICK)).size())))
            << c.rows;
        EXPECT_EQ(rows, savedRows);
        EXPECT_EQ(rows != startRows, after != before) << after;
        EXPECT_EQ(0u, after.rfind("# mine\n", 0)) << after;
        EXPECT_EQ(std::make_tuple(soundOn, soundVolume, mouseSens),
                  std::make_tuple(game->settings.sound, game->settings.soundVolume, game->settings.mouseSensitivity));
        EXPECT_FALSE(musicOn);
    }
}

} // namespace
