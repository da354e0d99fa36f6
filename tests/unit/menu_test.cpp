// The title menu played through with scripted mouse input on a real game
// object: which click counts, what each button returns, the click sound, the
// welcome line's cycle and the table as drawn.
#include "highscores/highscore_manager.h"
#include "shell/globals.h"
#include "support/screen_fixture.h"

#include <algorithm>
#include <string>

namespace {

using screens::framesOf;
using screens::MouseAt;

const char* const welcomeText =
    "Welcome to Tarnavel, an Ostrevane Production. "
    "Please support the developer by passing this game on to your friends.";

class MainMenu : public screens::ScreenFixture {
protected:
    int choice = 0;

    int run()
    {
        return framesOf([this] { choice = game->mainMenu(); });
    }

    // Press at frame `at`, release two frames later, over `b`.
    std::vector<MouseAt> clickOn(const GuiButton* b, int at)
    {
        return {{at, centreX(b), centreY(b), 1}, {at + 2, centreX(b), centreY(b), 0}};
    }

    static std::vector<MouseAt> join(std::vector<MouseAt> a, const std::vector<MouseAt>& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    // Leftmost column in rows [top, bottom) of the buffer that holds colour c,
    // or -1.
    int leftmostOf(int c, int top, int bottom) const
    {
        int best = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < (best < 0 ? game->buffer->w : best); ++x)
                if (getpixel(game->buffer, x, y) == c) {
                    best = x;
                    break;
                }
        return best;
    }
};

TEST_F(MainMenu, EachButtonReturnsItsCodeOnTheStepThatCompletesTheClick)
{
    const struct {
        GuiButton* button;
        int code;
    } cases[] = {{game->playButton, 2}, {game->instructionsButton, 4},
                 {game->creditsButton, 3}, {game->exitButton, 1}};
    soundOn = false;
    for (const auto& c : cases) {
        testSeam.presents = 0;
        drive(clickOn(c.button, 5), 50);
        EXPECT_EQ(7, run()) << c.button->caption; // released after frame 7
        EXPECT_EQ(c.code, choice) << c.button->caption;
        for (GuiButton* b : {game->playButton, game->instructionsButton, game->creditsButton,
                             game->exitButton})
            EXPECT_FALSE(b->clicked) << b->caption;
    }
    EXPECT_EQ(0u, testSeam.restedMs);
    EXPECT_TRUE(testSeam.sounds.empty());
}

TEST_F(MainMenu, ClickBegunBeforeTheMenuOpenedIsDiscardedAndTheNextOneCounts)
{
    GuiButton* play = game->playButton;
    testSeam.pointerX = centreX(play);
    testSeam.pointerY = centreY(play);
    testSeam.buttons = 1; // held, say, from the click that ended the last screen
    drive(join({{3, centreX(play), centreY(play), 0}}, clickOn(play, 10)), 100);
    EXPECT_EQ(12, run());
    EXPECT_EQ(2, choice);
}

TEST_F(MainMenu, EarlyPressDraggedOntoAButtonIsDiscardedToo)
{
    GuiButton* credits = game->creditsButton;
    testSeam.pointerX = 10;
    testSeam.pointerY = 10;
    testSeam.buttons = 1;
    drive(join({{2, centreX(credits), centreY(credits), 1}, {4, centreX(credits), centreY(credits), 0}},
               clickOn(game->exitButton, 20)),
          100);
    EXPECT_EQ(22, run());
    EXPECT_EQ(1, choice);
}

TEST_F(MainMenu, EarlyPressEndsWhenTheLeftButtonIsUpWhateverTheRightDoes)
{
    GuiButton* play = game->playButton;
    testSeam.pointerX = 10;
    testSeam.pointerY = 10;
    testSeam.buttons = 1;
    soundOn = false;
    drive({{2, 10, 10, 2}, {4, centreX(play), centreY(play), 3}, {6, centreX(play), centreY(play), 0}},
          100);
    EXPECT_EQ(6, run());
    EXPECT_EQ(2, choice);
}

TEST_F(MainMenu, SlidingOffCancelsAndAHeldRightButtonDefersTheClick)
{
    GuiButton* credits = game->creditsButton;
    GuiButton* exit = game->exitButton;
    drive({{2, centreX(credits), centreY(credits), 1},
           {4, 20, 20, 1},                            // off while held
           {6, centreX(credits), centreY(credits), 0}, // released back over it: nothing
           {10, centreX(exit), centreY(exit), 1},
           {12, centreX(exit), centreY(exit), 3},      // right button joins
           {14, centreX(exit), centreY(exit), 2},      // left up, right still down
           {18, centreX(exit), centreY(exit), 0}},
          100);
    EXPECT_EQ(18, run());
    EXPECT_EQ(1, choice);
}

TEST_F(MainMenu, KeysAreDiscardedAndDoNothing)
{
    testSeam.keyBuffer = {0x3b1b, 0x4320}; // Escape and space, pressed before
    testSeam.keys[KEY_ESC] = true;
    bool emptiedOnEntry = false;
    drive(clickOn(game->playButton, 200), 300, [&](int frame) {
        if (frame == 1)
            emptiedOnEntry = testSeam.keyBuffer.empty();
        testSeam.keyBuffer.push_back(0x4320);
    });
    EXPECT_EQ(202, run());
    EXPECT_TRUE(emptiedOnEntry);
    EXPECT_EQ(2, choice);
}

TEST_F(MainMenu, ClickSoundAndWaitOnlyWithSoundOn)
{
    SAMPLE* click = sampleAt(game->sfxData, SFX_MENU_CLICK);
    drive(clickOn(game->creditsButton, 1), 50);
    run();
    EXPECT_EQ(3, choice);
    ASSERT_EQ(1u, testSeam.sounds.size());
    ASSERT_EQ(1u, playsOf(click).size());
    EXPECT_EQ(200, testSeam.sounds[0].volume);
    EXPECT_EQ(128, testSeam.sounds[0].pan);
    EXPECT_EQ(1000, testSeam.sounds[0].frequency);
    EXPECT_EQ(170u, testSeam.restedMs);

    soundOn = false;
    testSeam.sounds.clear();
    testSeam.restedMs = 0;
    testSeam.presents = 0;
    drive(clickOn(game->creditsButton, 1), 50);
    run();
    EXPECT_EQ(3, choice);
    EXPECT_TRUE(testSeam.sounds.empty());
    EXPECT_EQ(0u, testSeam.restedMs);
}

TEST_F(MainMenu, ExitCaptionIsRestoredOnEveryVisit)
{
    game->exitButton->caption = "Back";
    std::string shown;
    drive(clickOn(game->playButton, 3), 50, [&](int) { shown = game->exitButton->caption; });
    run();
    EXPECT_EQ("Exit", shown);
}

TEST_F(MainMenu, WelcomeLineCycleIsScreenWidthPlusTextWidthPlus51Steps)
{
    clear_to_color(misc(MISC_BACKGROUND), makecol(0, 0, 0));
    FONT* font = smallFont();
    const int ink = makecol(20, 20, 20);
    const int rows = text_height(font);
    // Where the line's ink starts relative to the x it is drawn at.
    BITMAP* probe = create_bitmap(text_length(font, welcomeText) + 8, rows);
    clear_to_color(probe, makecol(0, 0, 0));
    textout_ex(probe, font, welcomeText, 0, 0, ink, -1);
    int offset = -1;
    for (int x = 0; x < probe->w && offset < 0; ++x)
        for (int y = 0; y < rows; ++y)
            if (getpixel(probe, x, y) == ink) {
                offset = x;
                break;
            }
    destroy_bitmap(probe);
    ASSERT_GE(offset, 0);

    const int cycle = screenWidth + text_length(font, welcomeText) + 51;
    testSeam.pointerX = 5;
    testSeam.pointerY = 300;
    std::vector<int> framesAt600; // frames that show the line drawn at x = 600
    std::vector<int> framesWithoutLine;
    const int lastFrame = 2 * cycle + 50;
    drive(clickOn(game->exitButton, lastFrame), lastFrame + 5, [&](int frame) {
        const int left = leftmostOf(ink, 0, rows);
        if (left == 600 + offset)
            framesAt600.push_back(frame);
        if (left < 0)
            framesWithoutLine.push_back(frame);
    });
    run();
    EXPECT_EQ(1, choice);
    // Frame f shows the line after f - 1 steps from x = 640.
    ASSERT_EQ(3u, framesAt600.size());
    EXPECT_EQ(41, framesAt600[0]);
    EXPECT_EQ(cycle, framesAt600[1] - framesAt600[0]);
    EXPECT_EQ(cycle, framesAt600[2] - framesAt600[1]);
    // Off screen at x = 640, on the first frame of each cycle; its ink shows
    // from the step that brings the ink's first column onto the screen.
    ASSERT_FALSE(framesWithoutLine.empty());
    EXPECT_EQ(1, framesWithoutLine.front());
    EXPECT_NE(framesWithoutLine.end(),
              std::find(framesWithoutLine.begin(), framesWithoutLine.end(), 1 + cycle));
    EXPECT_EQ(framesWithoutLine.end(),
              std::find(framesWithoutLine.begin(), framesWithoutLine.end(), 2 + offset));
}

TEST_F(MainMenu, TableRowsAreDrawnAtTheirPlacesAsPlainText)
{
    clear_to_color(misc(MISC_BACKGROUND), makecol(0, 0, 0));
    HighscoreManager* table = game->highscores;
    const std::vector<std::pair<std::string, int>> rows = {
        {"100%", 123456}, {"%d%s%n", 2000}, {"Brannock", 300}, {"None", 0}, {"x", -7}};
    int i = 0;
    for (HighscoreEntry& e : table->entries) {
        e.name = rows[i].first;
        e.score = rows[i].second;
        ++i;
    }
    testSeam.pointerX = 600;
    testSeam.pointerY = 10;

    // What the lower left corner must show: the header and five rows at
    // their fixed places, every name exactly as stored.
    FONT* font = smallFont();
    BITMAP* expected = create_bitmap(screenWidth, screenHeight);
    clear_to_color(expected, makecol(0, 0, 0));
    textout_ex(expected, font, "NAME", 5, 385, makecol(255, 255, 255), -1);
    textout_right_ex(expected, font, "SCORE", 120, 385, makecol(255, 255, 255), -1);
    for (int r = 0; r < 5; ++r) {
        textout_ex(expected, font, rows[r].first.c_str(), 5, 400 + 15 * r, makecol(200, 200, 200), -1);
        const std::string score = std::to_string(rows[r].second);
        textout_right_ex(expected, font, score.c_str(), 120, 400 + 15 * r, makecol(200, 200, 200), -1);
    }

    int differing = -1;
    drive(clickOn(game->exitButton, 3), 20, [&](int frame) {
        if (frame != 2)
            return;
        differing = 0;
        for (int y = 300; y < screenHeight; ++y)
            for (int x = 0; x < 200; ++x)
                differing += getpixel(game->buffer, x, y) != getpixel(expected, x, y);
    });
    run();
    destroy_bitmap(expected);
    EXPECT_EQ(0, differing);
}

} // namespace
