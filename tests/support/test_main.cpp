// Unit tests run headless: Allegro without a system driver, memory bitmaps,
// and the recording seam in place of mouse, keyboard, sound and screen.
#include "shell/al.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    return RUN_ALL_TESTS();
}
