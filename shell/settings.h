// The settings.ini reader.
#pragma once

#include <istream>

struct Settings {
    bool sound = true;
    bool windowed = false;
    int colorDepth = 0;
    bool music = true;
    float mouseSensitivity = 1.0f;
};

// Reads exactly five key passes from `in` into `settings`. The stream's
// failure is sticky: once a read fails, that value and every later one keep
// what `settings` held. A token that names no key uses up its pass.
void readSettings(std::istream& in, Settings& settings);
