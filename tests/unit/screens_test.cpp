// The credits, instructions and intro screens on a real game object, driven
// through the recording seam: which clicks and keys end them, where the
// credit lines stand, and the intro's opacity frame by frame.
#include "shell/globals.h"
#include "shell/version.h"
#include "support/screen_fixture.h"

#include <string>
#include <vector>

namespace {

using screens::framesOf;
using screens::MouseAt;

class Credits : public screens::ScreenFixture {
protected:
    int run()
    {
        return framesOf([this] { game->creditsMenu(); });
    }

    std::vector<MouseAt> clickOnBack(int at)
    {
        const GuiButton* b = game->exitButton;
        return {{at, centreX(b), centreY(b), 1}, {at + 2, centreX(b), centreY(b), 0}};
    }

    // Counts the pixels of the credits window's place on the buffer, outside
    // the button, where "white in the buffer" and "white in `expected`" (a
    // picture of the window alone) disagree.
    int windowMismatches(BITMAP* expected) const
    {
        const GuiButton* b = game->exitButton;
        const int white = makecol(255, 255, 255);
        const int left = 270, top = screenHeight - 200;
        int mismatches = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 250; ++x) {
                const int sx = left + x, sy = top + y;
                if (sx >= b->x && sx < b->x + b->width && sy >= b->y && sy < b->y + b->height)
                    continue;
                const bool shown = getpixel(game->buffer, sx, sy) == white;
                const bool wanted = expected && getpixel(expected, x, y) == white;
                mismatches += shown != wanted;
            }
        return mismatches;
    }
};

// The seventeen lines as they stand in the window when line 0's top is at
// `scroll`: each line's top is 15 * i + scroll truncated toward zero.
BITMAP* creditsWindowAt(double scroll, FONT* font, const std::vector<std::string>& lines)
{
    BITMAP* w = create_bitmap(250, 200);
    clear_to_color(w, makecol(0, 0, 0));
    for (size_t i = 0; i < lines.size(); ++i)
        textout_centre_ex(w, font, lines[i].c_str(), 125, static_cast<int>(15.0 * i + scroll),
                          makecol(255, 255, 255), -1);
    return w;
}

const std::vector<std::string> creditLines = {
    "Tarnavel v " TARNAVEL_VERSION, "by Ostrevane", "", "Programming: Brannock", "", "Graphics: Brannock", "",
    "Sound effects: Brannock", "", "Special thanks to: ", "the Brindlecove forum members who",
    "helped me with testing and bug fixing", "and", "Quincewright Games for \"Varrowdeep\"", "", "",
    "www.quincewright.example.org"};

TEST_F(Credits, ClickBegunBeforeTheScreenOpenedIsDiscardedAndTheNextOneLeaves)
{
    const GuiButton* back = game->exitButton;
    testSeam.pointerX = centreX(back);
    testSeam.pointerY = centreY(back);
    testSeam.buttons = 1;
    std::string caption;
    drive({{3, centreX(back), centreY(back), 0}, {10, centreX(back), centreY(back), 1},
           {12, centreX(back), centreY(back), 0}},
          100, [&](int) { caption = game->exitButton->caption; });
    EXPECT_EQ(12, run());
    EXPECT_EQ("Back", caption);
    EXPECT_FALSE(game->exitButton->clicked);
    ASSERT_EQ(1u, playsOf(sampleAt(game->sfxData, SFX_MENU_CLICK)).size());
    EXPECT_EQ(170u, testSeam.restedMs);
}

TEST_F(Credits, EarlyPressCountsAsHeldUntilEveryButtonIsUp)
{
    // Unlike the main menu, the credits wait until no button at all is down:
    // left held at the start, then right alone, then both onto "Back" and
    // released together is still the early press.
    const GuiButton* back = game->exitButton;
    testSeam.pointerX = 10;
    testSeam.pointerY = 10;
    testSeam.buttons = 1;
    soundOn = false;
    drive({{2, 10, 10, 2},
           {4, centreX(back), centreY(back), 3},
           {6, centreX(back), centreY(back), 0},
           {10, centreX(back), centreY(back), 1},
           {12, centreX(back), centreY(back), 0}},
          100);
    EXPECT_EQ(12, run());
    EXPECT_TRUE(testSeam.sounds.empty());
    EXPECT_EQ(0u, testSeam.restedMs);
}

TEST_F(Credits, LinesStandAtTruncatedPositionsAndNeverComeBack)
{
    clear_to_color(misc(MISC_BACKGROUND), makecol(0, 0, 0));
    testSeam.pointerX = 5;
    testSeam.pointerY = 5;
    testSeam.ticksPerPresent = 5; // frame f shows the window after 5 (f - 1) steps
    // Scrolls chosen half-way between whole pixels, clear of the float
    // drift of 0.1 per step: at -0.5 line 0 stands at 0 (not -1) and
    // line 1 at 14 (not 15).
    const struct {
        int frame;
        double scroll;
    } checks[] = {{1, 200.0}, {286, 57.5}, {400, 0.5}, {402, -0.5}, {404, -1.5}};
    std::vector<std::pair<int, int>> mismatches;
    std::vector<int> leftovers;
    drive(clickOnBack(1220), 1300, [&](int frame) {
        for (const auto& c : checks)
            if (c.frame == frame) {
                BITMAP* expected = creditsWindowAt(c.scroll, smallFont(), creditLines);
                mismatches.push_back({frame, windowMismatches(expected)});
                destroy_bitmap(expected);
            }
        if (frame == 1000 || frame == 1201) // 50 s and a minute in: empty
            leftovers.push_back(windowMismatches(nullptr));
    });
    run();
    ASSERT_EQ(5u, mismatches.size());
    for (const auto& m : mismatches)
        EXPECT_EQ(0, m.second) << "frame " << m.first;
    EXPECT_EQ(std::vector<int>({0, 0}), leftovers);
}

TEST_F(Credits, OurOwnLinesFitTheWindow)
{
    for (int line : {10, 13, 16})
        EXPECT_LE(text_length(smallFont(), creditLines[line].c_str()), 250) << creditLines[line];
}

class Instructions : public screens::ScreenFixture {
protected:
    int run()
    {
        return framesOf([this] { game->showInstructions(); });
    }
};

TEST_F(Instructions, PressHeldAtTheStartMustBeReleasedFirst)
{
    testSeam.buttons = 1;
    int picturePixelsWrong = -1;
    drive({{5, 0, 0, 0}, {8, 0, 0, 1}}, 50, [&](int frame) {
        if (frame != 1)
            return;
        BITMAP* picture = misc(MISC_INSTRUCTIONS);
        picturePixelsWrong = 0;
        for (int y = 0; y < picture->h && y < screenHeight; y += 7)
            for (int x = 0; x < picture->w && x < screenWidth; x += 5)
                picturePixelsWrong += getpixel(game->buffer, x, y) != getpixel(picture, x, y);
    });
    EXPECT_EQ(8, run());
    EXPECT_EQ(0, picturePixelsWrong);
}

TEST_F(Instructions, RightButtonAloneNeverClosesAndAKeyDoesStayingInTheBuffer)
{
    drive({{2, 0, 0, 2}, {10, 0, 0, 0}}, 50, [](int frame) {
        if (frame == 15)
            testSeam.keyBuffer.push_back(0x4320);
    });
    EXPECT_EQ(15, run());
    ASSERT_EQ(1u, testSeam.keyBuffer.size());
}

TEST_F(Instructions, KeysPressedBeforeItOpenedAreDiscarded)
{
    testSeam.keyBuffer = {0x3b1b};
    drive({{4, 0, 0, 1}}, 50);
    EXPECT_EQ(4, run());
    EXPECT_TRUE(testSeam.keyBuffer.empty());
}

// The intro puts only the logo's rectangle on the screen; each frame is
// recorded as the opacity it shows and where it stands.
struct IntroFrame {
    int pixel;
    int x;
    int y;
};
std::vector<IntroFrame> introFrames;

void recordIntroFrame(BITMAP* picture, int x, int y)
{
    introFrames.push_back({getpixel(picture, picture->w / 2, picture->h / 2), x, y});
    recordingSeam.present(picture, x, y);
}

// The opacity after `steps` logic steps: from 1 up to 255 in 254 steps, held
// for 399, then down to 0 in 255.
int introAlphaAfter(long steps)
{
    if (steps < 254)
        return 1 + static_cast<int>(steps);
    if (steps <= 653)
        return 255;
    return steps - 653 >= 255 ? 0 : 255 - static_cast<int>(steps - 653);
}

class Intro : public screens::ScreenFixture {
protected:
    int blended[256]; // the logo's white over the grey at each opacity
    BITMAP* logo = nullptr;

    void SetUp() override
    {
        ScreenFixture::SetUp();
        if (HasFatalFailure())
            return;
        logo = misc(MISC_LOGO);
        ASSERT_GT(logo->w, 0);
        clear_to_color(logo, makecol(255, 255, 255));
        BITMAP* dot = create_bitmap(1, 1);
        BITMAP* white = create_bitmap(1, 1);
        clear_to_color(white, makecol(255, 255, 255));
        for (int a = 0; a < 256; ++a) {
            clear_to_color(dot, makecol(104, 104, 104));
            set_trans_blender(0, 0, 0, a);
            draw_trans_sprite(dot, white, 0, 0);
            blended[a] = getpixel(dot, 0, 0);
        }
        destroy_bitmap(dot);
        destroy_bitmap(white);
        introFrames.clear();
        seam.present = recordIntroFrame;
    }

    int run()
    {
        return framesOf([this] { game->showIntro(); });
    }

    // Every recorded frame against the timeline, for a clock that adds
    // `ticks` per frame; returns the frames that show the wrong opacity.
    std::vector<int> wrongFrames(int ticks) const
    {
        std::vector<int> wrong;
        for (size_t f = 0; f < introFrames.size(); ++f)
            if (introFrames[f].pixel != blended[introAlphaAfter(static_cast<long>(ticks) * f)])
                wrong.push_back(static_cast<int>(f) + 1);
        return wrong;
    }
};

TEST_F(Intro, FadesInHoldsAndFadesOutIn908Steps)
{
    drive({}, 2000);
    EXPECT_EQ(909, run()); // the first frame comes before any step
    EXPECT_EQ(909, testSeam.totalTicks);
    EXPECT_EQ(1, testSeam.screenClears);
    EXPECT_EQ(std::vector<int>(), wrongFrames(1));
    // Opacity 1 first, fully opaque for exactly frames 255 to 654, grey last.
    ASSERT_EQ(909u, introFrames.size());
    EXPECT_EQ(blended[1], introFrames.front().pixel);
    EXPECT_EQ(blended[0], introFrames.back().pixel);
    EXPECT_NE(blended[255], introFrames[253].pixel);
    EXPECT_EQ(blended[255], introFrames[254].pixel);
    EXPECT_EQ(blended[255], introFrames[653].pixel);
    EXPECT_NE(blended[255], introFrames[654].pixel);
    for (const IntroFrame& f : introFrames) {
        EXPECT_EQ(screenWidth / 2 - logo->w / 2, f.x);
        EXPECT_EQ(screenHeight / 2 - logo->h / 2, f.y);
    }
}

TEST_F(Intro, SlowFramesKeepTheTimelineAndEndOnGrey)
{
    testSeam.ticksPerPresent = 7;
    drive({}, 500);
    EXPECT_EQ(131, run()); // 7 * 130 = 910 >= 908 steps
    EXPECT_EQ(std::vector<int>(), wrongFrames(7));
    EXPECT_EQ(blended[0], introFrames.back().pixel);
}

TEST_F(Intro, EscapeEndsItAtTheNextFrame)
{
    drive({}, 2000, [](int frame) {
        if (frame == 100)
            testSeam.keys[KEY_ESC] = true;
    });
    EXPECT_EQ(100, run());

    introFrames.clear();
    testSeam.presents = 0;
    testSeam.screenClears = 0;
    EXPECT_EQ(0, run()); // still held: the grey, and no frame
    EXPECT_EQ(1, testSeam.screenClears);
}

} // namespace
