// An image push button with a centred caption; reports a completed left
// click through the `clicked` latch, which the owning screen clears.
#pragma once

#include "gui/gui_object.h"

#include <string>

struct FONT;

constexpr int doubleClickSteps = 30;

class GuiButton final : public GuiObject {
public:
    bool clicked;
    bool pressed;
    bool highlighted; // chosen with the keyboard: drawn as pressed
    // seam.leftPresses() as last seen, so that a press released between
    // two steps still counts.
    int pressesSeen;
    int quietSteps; // steps left in which no press counts (see Open)
    std::string caption;
    BITMAP* normalImage;  // borrowed
    BITMAP* pressedImage; // borrowed
    int textColor;
    FONT* font; // borrowed

    GuiButton(int x, int y, BITMAP* normalImage, BITMAP* pressedImage, std::string caption,
              FONT* font, int textColor);

    // Called by a screen as it opens: no earlier press counts, nor one in
    // its first doubleClickSteps steps, which is the second half of a
    // double click that opened the screen (Back in the credits stands where
    // Exit does in the menu).
    void Open();

    void Update() override;
    void Draw(BITMAP* target) override;
};
