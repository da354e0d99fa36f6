#include "shell/settings.h"

#include <string>

namespace {

// Extracts into a scratch value so that a failed read leaves the setting as
// it was (the stream itself stores 0, max or true on some failures).
template <typename T>
void readValue(std::istream& in, T& target)
{
    T value{};
    if (in >> value)
        target = value;
}

} // namespace

void readSettings(std::istream& in, Settings& settings)
{
    int passes = 5;
    for (int pass = 0; pass < passes; ++pass) {
        std::string key;
        in >> key;
        if (key == "Sound")
            readValue(in, settings.sound);
        else if (key == "Windowed")
            readValue(in, settings.windowed);
        else if (key == "Color")
            readValue(in, settings.colorDepth);
        else if (key == "Music")
            readValue(in, settings.music);
        else if (key == "MouseSensitivity")
            readValue(in, settings.mouseSensitivity);
        else if (key == "Scale") {
            readValue(in, settings.scale);
            passes = 6;
        }
    }
}
