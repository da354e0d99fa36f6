// The menu push button: its press/release machine played through scripted
// pointer positions and buttons, and its picture compared pixel for pixel
// with one composed by hand.
#include "gui/gui_button.h"

#include "shell/al.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

static_assert(std::is_abstract_v<GuiObject>, "widgets are polled and drawn through GuiObject");
static_assert(!std::is_destructible_v<GuiObject>, "widgets are deleted through their own type");
static_assert(std::is_final_v<GuiButton>, "GuiButton has no subclasses");

namespace {

struct Bitmaps {
    BITMAP* normal;
    BITMAP* pressed;
    Bitmaps(int nw, int nh, int pw, int ph) : normal(create_bitmap(nw, nh)), pressed(create_bitmap(pw, ph)) {}
    ~Bitmaps()
    {
        destroy_bitmap(normal);
        destroy_bitmap(pressed);
    }
};

const int L = 1, R = 2, M = 4; // mouse_b bits

struct Step {
    int mx, my, buttons;
    bool pressed, clicked; // after this Update
};

struct Scenario {
    const char* what;
    std::vector<Step> steps;
};

TEST(GuiButton, ConstructorTakesWidthFromNormalAndHeightFromPressed)
{
    Bitmaps images(80, 20, 60, 30);
    GuiButton b(100, 50, images.normal, images.pressed, "Play", font, 7);
    EXPECT_EQ(100, b.x);
    EXPECT_EQ(50, b.y);
    EXPECT_EQ(80, b.width);
    EXPECT_EQ(30, b.height);
    EXPECT_FALSE(b.clicked);
    EXPECT_FALSE(b.pressed);
    EXPECT_EQ("Play", b.caption);
}

// Button at (100, 50), 80 by 30: inside is 101..179 by 51..79.
TEST(GuiButton, StateTable)
{
    const Scenario scenarios[] = {
        {"press and release inside", {{140, 65, 0, false, false}, {140, 65, L, true, false}, {140, 65, 0, false, true}}},
        {"press, leave, release, come back",
         {{140, 65, L, true, false}, {200, 65, L, false, false}, {200, 65, 0, false, false}, {140, 65, 0, false, false}}},
        {"press, leave, return holding, release",
         {{140, 65, L, true, false}, {140, 90, L, false, false}, {140, 65, L, true, false}, {140, 65, 0, false, true}}},
        {"moving in with the left button held arms",
         {{20, 65, L, false, false}, {140, 65, L, true, false}, {141, 66, L, true, false}, {141, 66, 0, false, true}}},
        {"right button postpones the click",
         {{140, 65, L, true, false}, {140, 65, L | R, true, false}, {140, 65, R, true, false}, {140, 65, R, true, false},
          {140, 65, 0, false, true}}},
        {"middle button postpones the click", {{140, 65, L | M, true, false}, {140, 65, M, true, false}, {140, 65, 0, false, true}}},
        {"leaving while the right button postpones cancels",
         {{140, 65, L, true, false}, {140, 65, R, true, false}, {250, 65, R, false, false}, {140, 65, 0, false, false}}},
        {"right or middle alone never arms",
         {{140, 65, R, false, false}, {140, 65, 0, false, false}, {140, 65, M, false, false}, {140, 65, R | M, false, false},
          {140, 65, 0, false, false}}},
        {"right held first, then left, arms", {{140, 65, R, false, false}, {140, 65, R | L, true, false}, {140, 65, 0, false, true}}},
        {"press and release between two polls is not seen", {{140, 65, 0, false, false}, {140, 65, 0, false, false}}},
        {"first column is outside", {{100, 65, L, false, false}, {100, 65, 0, false, false}}},
        {"first row is outside", {{140, 50, L, false, false}, {140, 50, 0, false, false}}},
        {"column x + width is outside", {{180, 65, L, false, false}, {180, 65, 0, false, false}}},
        {"row y + height is outside", {{140, 80, L, false, false}, {140, 80, 0, false, false}}},
        {"top-left inner corner is inside", {{101, 51, L, true, false}, {101, 51, 0, false, true}}},
        {"bottom-right inner corner is inside", {{179, 79, L, true, false}, {179, 79, 0, false, true}}},
        {"armed, then onto the last column, disarms", {{179, 65, L, true, false}, {180, 65, L, false, false}, {180, 65, 0, false, false}}},
        {"armed, then onto the first row, disarms", {{140, 51, L, true, false}, {140, 50, L, false, false}, {140, 51, 0, false, false}}},
        {"release outside after an armed press, then a fresh click",
         {{140, 65, L, true, false}, {90, 40, 0, false, false}, {140, 65, L, true, false}, {140, 65, 0, false, true}}},
    };

    Bitmaps images(80, 20, 60, 30);
    for (const Scenario& s : scenarios) {
        ScopedTestSeam scope;
        GuiButton b(100, 50, images.normal, images.pressed, "Play", font, 7);
        int n = 0;
        for (const Step& st : s.steps) {
            testSeam.pointerX = st.mx;
            testSeam.pointerY = st.my;
            testSeam.buttons = st.buttons;
            b.Update();
            ++n;
            EXPECT_EQ(st.pressed, b.pressed) << s.what << ", step " << n;
            EXPECT_EQ(st.clicked, b.clicked) << s.what << ", step " << n;
        }
    }
}

TEST(GuiButton, ClickedStaysLatchedUntilTaken)
{
    ScopedTestSeam scope;
    Bitmaps images(80, 30, 80, 30);
    GuiButton b(100, 50, images.normal, images.pressed, "Play", font, 7);
    auto poll = [&](int mx, int my, int buttons) {
        testSeam.pointerX = mx;
        testSeam.pointerY = my;
        testSeam.buttons = buttons;
        b.Update();
    };
    poll(140, 65, L);
    poll(140, 65, 0);
    ASSERT_TRUE(b.clicked);
    // Whatever the mouse does next, the click waits for its taker.
    poll(0, 0, 0);
    poll(140, 65, L);
    poll(300, 300, L);
    poll(140, 65, R);
    poll(140, 65, 0);
    for (int i = 0; i < 100; ++i)
        poll(140, 65, 0);
    EXPECT_TRUE(b.clicked);
    EXPECT_FALSE(b.pressed);

    b.clicked = false; // taken
    poll(140, 65, 0);
    EXPECT_FALSE(b.clicked);
    poll(140, 65, L);
    poll(140, 65, 0);
    EXPECT_TRUE(b.clicked);
}

// The reference picture: the background, the image's non-mask pixels at
// (x, y), then the caption's ink with its left edge at x + width/2 - len/2
// and its top at y + height/2 - text_height/2.
BITMAP* expectedPicture(int bg, BITMAP* image, int x, int y, const char* caption, int color)
{
    BITMAP* want = create_bitmap(160, 80);
    clear_to_color(want, bg);
    for (int j = 0; j < image->h; ++j)
        for (int i = 0; i < image->w; ++i) {
            int p = getpixel(image, i, j);
            if (p != bitmap_mask_color(image))
                putpixel(want, x + i, y + j, p);
        }
    int len = text_length(font, caption);
    int th = text_height(font);
    BITMAP* ink = create_bitmap(len, th);
    clear_to_color(ink, 0);
    textout_ex(ink, font, caption, 0, 0, 1, -1);
    int left = x + image->w / 2 - len / 2;
    int top = y + image->h / 2 - th / 2;
    for (int j = 0; j < th; ++j)
        for (int i = 0; i < len; ++i)
            if (getpixel(ink, i, j) != 0)
                putpixel(want, left + i, top + j, color);
    destroy_bitmap(ink);
    return want;
}

int differingPixels(BITMAP* a, BITMAP* b)
{
    int n = 0;
    for (int j = 0; j < a->h; ++j)
        for (int i = 0; i < a->w; ++i)
            n += getpixel(a, i, j) != getpixel(b, i, j);
    return n;
}

TEST(GuiButton, DrawsTheImageOfItsStateAndTheCaptionCentred)
{
    // Odd sizes, so that halving rounds; mask-colour holes in both images,
    // one of them under the caption.
    Bitmaps images(41, 17, 41, 17);
    clear_to_color(images.normal, makecol(0, 0, 200));
    rectfill(images.normal, 2, 2, 5, 5, bitmap_mask_color(images.normal));
    rectfill(images.normal, 16, 6, 24, 10, bitmap_mask_color(images.normal));
    clear_to_color(images.pressed, makecol(200, 0, 0));
    rectfill(images.pressed, 30, 10, 40, 16, bitmap_mask_color(images.pressed));
    const int bg = makecol(0, 100, 0);
    const int white = makecol(255, 255, 255);

    GuiButton b(30, 20, images.normal, images.pressed, "Ok", font, white);
    BITMAP* target = create_bitmap(160, 80);
    for (bool pressed : {false, true}) {
        SCOPED_TRACE(pressed ? "pressed" : "normal");
        b.pressed = pressed;
        clear_to_color(target, bg);
        text_mode(makecol(1, 2, 3)); // Draw must make text transparent itself
        b.Draw(target);
        BITMAP* want = expectedPicture(bg, pressed ? images.pressed : images.normal, 30, 20, "Ok", white);
        EXPECT_EQ(0, differingPixels(want, target));
        destroy_bitmap(want);
    }
    destroy_bitmap(target);
}

} // namespace
