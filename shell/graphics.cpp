#include "shell/graphics.h"

#include "shell/al.h"
#include "shell/globals.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void setGraphicsMode(bool windowed, int colorDepth)
{
    static const int candidates[] = {16, 15, 32, 24};
    const int driver = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    bool set = false;
    for (int depth : candidates) {
        set_color_depth(colorDepth != 0 ? colorDepth : depth);
        set = set_gfx_mode(driver, screenWidth, screenHeight, 0, 0) == 0;
        // A depth from the settings is the player's explicit choice: one try.
        if (set || colorDepth != 0)
            break;
    }
    if (!set)
        errorMessage("Unable to set graphics mode\n%s", allegro_error);
}

void showMessage(const char* format, va_list args)
{
    char text[1024];
    vsnprintf(text, sizeof text, format, args);
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
