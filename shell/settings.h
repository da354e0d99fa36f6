// The settings.ini reader.
#pragma once

#include <istream>

struct Settings {
    bool sound = true;
    bool windowed = false;
    int colorDepth = 0;
    bool music = true;
    float mouseSensitivity = 1.0f;
    int scale = 1; // whole factor the picture is enlarged by; 0: the largest that fits
};

// Reads five key passes from `in` into `settings`, six once a pass has read
// "Scale", so that a file without that key reads exactly as it always has.
// The stream's failure is sticky: once a read fails, that value and every
// later one keep what `settings` held. A token that names no key uses up its
// pass.
void readSettings(std::istream& in, Settings& settings);
