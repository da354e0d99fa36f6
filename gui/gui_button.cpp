#include "gui/gui_button.h"

#include "shell/al.h"
#include "shell/seam.h"

#include <utility>

GuiButton::GuiButton(int x, int y, BITMAP* normalImage, BITMAP* pressedImage, std::string caption,
                     FONT* font, int textColor)
    : GuiObject(x, y, normalImage->w, pressedImage->h),
      clicked(false),
      pressed(false),
      highlighted(false),
      pressesSeen(0),
      quietSteps(0),
      caption(std::move(caption)),
      normalImage(normalImage),
      pressedImage(pressedImage),
      textColor(textColor),
      font(font)
{
}

void GuiButton::Open()
{
    pressesSeen = seam.leftPresses();
    quietSteps = doubleClickSteps;
    pressed = clicked = false;
}

void GuiButton::Update()
{
    const int mx = seam.mouseX();
    const int my = seam.mouseY();
    // A press released before this step still arms the button; its
    // release then completes the click at the next step.
    const int presses = seam.leftPresses();
    const int buttons = seam.mouseButtons() | (presses != pressesSeen ? 1 : 0);
    pressesSeen = presses;
    if (quietSteps > 0) {
        --quietSteps;
        pressed = false;
        return;
    }
    // Strict on all four sides: the first and the one-past-last column and
    // row are outside.
    const bool inside = mx > x && mx < x + width && my > y && my < y + height;

    if (!inside) {
        pressed = false;
    } else if (!pressed) {
        if (buttons & 1)
            pressed = true;
    } else if (buttons == 0) {
        // Armed and every button up; any button still held postpones this.
        pressed = false;
        clicked = true;
    }
}

void GuiButton::Draw(BITMAP* target)
{
    text_mode(-1);
    masked_blit(pressed || highlighted ? pressedImage : normalImage, target, 0, 0, x, y, width, height);
    textout_centre(target, font, caption.c_str(), x + width / 2, y + height / 2 - text_height(font) / 2,
                   textColor);
}
