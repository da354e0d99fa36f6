#include "shell/graphics.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/log.h"
#include "shell/raw_mouse.h"
#include "shell/x_focus.h"
#include "shell/x_present.h"

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

int fittingScale(bool windowed, int desktopWidth, int desktopHeight)
{
    const int room = windowed ? 9 : 10;
    return std::max(1, std::min(desktopWidth * room / 10 / screenWidth, desktopHeight * room / 10 / screenHeight));
}

int chooseScale(int scale, bool windowed, int desktopWidth, int desktopHeight)
{
    const int fitting = fittingScale(windowed, desktopWidth, desktopHeight);
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

namespace {

// The mode for the picture enlarged by `scale`; sets viewport when it is set.
bool setScaledMode(bool windowed, int colorDepth, int scale)
{
    const int driver = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    int width = screenWidth * scale;
    int height = screenHeight * scale;
    // Full screen keeps the desktop's resolution: many monitors refuse or
    // blur a mode switch.
    int desktopWidth, desktopHeight;
    if (scale > 1 && !windowed && get_desktop_resolution(&desktopWidth, &desktopHeight) == 0
        && desktopWidth >= width && desktopHeight >= height) {
        width = desktopWidth;
        height = desktopHeight;
    }
    if (!setSize(driver, colorDepth, width, height))
        return false;
    viewport = Viewport{scale, (width - screenWidth * scale) / 2, (height - screenHeight * scale) / 2};
    return true;
}

} // namespace

void setGraphicsMode(bool windowed, int colorDepth, int scale)
{
    if (scale > 1 && setScaledMode(windowed, colorDepth, scale))
        return;
    if (!setScaledMode(windowed, colorDepth, 1))
        errorMessage("Unable to set graphics mode\n%s", allegro_error);
}

bool changeGraphicsMode(bool windowed, int scale)
{
    int desktopWidth = 0;
    int desktopHeight = 0;
    get_desktop_resolution(&desktopWidth, &desktopHeight);
    const int factor = chooseScale(scale, windowed, desktopWidth, desktopHeight);
    const bool wasWindowed = is_windowed_mode() != 0;
    const int wasScale = viewport.scale;
    // Every loaded picture is at the depth in force: the new mode keeps it.
    const int depth = get_color_depth();
    releaseRawMouse();
    const bool changed = setScaledMode(windowed, depth, factor);
    if (!changed) {
        logLine(std::string("Unable to set the ") + (windowed ? "window" : "full screen") + " at Scale "
                + std::to_string(factor) + ": " + allegro_error);
        if (!setScaledMode(wasWindowed, depth, wasScale))
            setGraphicsMode(wasWindowed, depth, 1);
    }
    followViewport();
    focusWindow();
    return changed;
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
