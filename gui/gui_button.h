// An image push button with a centred caption; reports a completed left
// click through the `clicked` latch, which the owning screen clears.
#pragma once

#include "gui/gui_object.h"

#include <string>

struct FONT;

class GuiButton final : public GuiObject {
public:
    bool clicked;
    bool pressed;
    bool highlighted; // chosen with the keyboard: drawn as pressed
    // seam.leftPresses() as last seen. A screen that opens sets it to the
    // count of the moment, so that no earlier press counts.
    int pressesSeen;
    std::string caption;
    BITMAP* normalImage;  // borrowed
    BITMAP* pressedImage; // borrowed
    int textColor;
    FONT* font; // borrowed

    GuiButton(int x, int y, BITMAP* normalImage, BITMAP* pressedImage, std::string caption,
              FONT* font, int textColor);

    void Update() override;
    void Draw(BITMAP* target) override;
};
