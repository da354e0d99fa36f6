#include "shell/graphics.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

Viewport viewport;

namespace {

bool setSize(int driver, int colorDepth, int width, int height)
{
    // The desktop's own depth first: a picture at any other is converted on
    // its way to the screen, every frame.
    const int desktop = desktop_color_depth();
    const int candidates[] = {desktop, 16, 15, 32, 24};
    for (int i = 0; i < 5; ++i) {
        const int depth = candidates[i];
        if ((depth != 15 && depth != 16 && depth != 24 && depth != 32) || (i > 0 && depth == desktop))
            continue;
        set_color_depth(colorDepth != 0 ? colorDepth : depth);
        if (set_gfx_mode(driver, width, height, 0, 0) == 0)
            return true;
        // A depth from the settings is the player's explicit choice: one try.
        if (colorDepth != 0)
            return false;
    }
    return false;
}

} // namespace

int chooseScale(int scale, bool windowed, int desktopWidth, int desktopHeight)
{
    const int room = windowed ? 9 : 10;
    const int fitting = std::max(1, std::min(desktopWidth * room / 10 / screenWidth,
                                             desktopHeight * room / 10 / screenHeight));
    if (scale == 0)
        return fitting;
    if (scale > fitting) {
        logLine("Scale " + std::to_string(scale) + " does not fit the " + std::to_string(desktopWidth) + " x "
                + std::to_string(desktopHeight) + " desktop " + (windowed ? "in a window" : "in full screen")
                + ": " + std::to_string(fitting) + " is used.");
        return fitting;
    }
    return std::max(scale, 1);
}

void setGraphicsMode(bool windowed, int colorDepth, int scale)
{
    const int driver = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    if (scale > 1) {
        int width = screenWidth * scale;
        int height = screenHeight * scale;
        // Full screen keeps the desktop's resolution: many monitors refuse
        // or blur a mode switch.
        int desktopWidth, desktopHeight;
        if (!windowed && get_desktop_resolution(&desktopWidth, &desktopHeight) == 0 && desktopWidth >= width
            && desktopHeight >= height) {
            width = desktopWidth;
            height = desktopHeight;
        }
        if (setSize(driver, colorDepth, width, height)) {
            viewport = Viewport{scale, (width - screenWidth * scale) / 2, (height - screenHeight * scale) / 2};
            return;
        }
    }
    viewport = Viewport();
    if (!setSize(driver, colorDepth, screenWidth, screenHeight))
        errorMessage("Unable to set graphics mode\n%s", allegro_error);
}

void showMessage(const char* format, va_list args)
{
    char text[1024];
    vsnprintf(text, sizeof text, format, args);
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    logLine(line);
    // The text is data, never a format: a '%' in Allegro's reason stays a '%'.
    allegro_message("%s", text);
}

void errorMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    showMessage(format, args);
    va_end(args);
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    exit(1);
}
