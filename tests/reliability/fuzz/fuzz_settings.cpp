// Fuzz target: settings.ini, any bytes. The reader must neither crash nor
// invoke undefined behaviour, and must read a value only where the stream
// rules say so: an input without any of the five keys leaves every default.
#include "shell/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    Settings settings;
    readSettings(in, settings);

    // The same bytes read twice give the same settings.
    std::istringstream again(text);
    Settings second;
    readSettings(again, second);
    if (settings.sound != second.sound || settings.windowed != second.windowed ||
        settings.colorDepth != second.colorDepth || settings.music != second.music ||
        std::memcmp(&settings.mouseSensitivity, &second.mouseSensitivity, sizeof(float)) != 0)
        abort();

    // No key named: no value can have been taken.
    const Settings defaults;
    const bool anyKey = text.find("Sound") != std::string::npos ||
                        text.find("Windowed") != std::string::npos ||
                        text.find("Color") != std::string::npos ||
                        text.find("Music") != std::string::npos ||
                        text.find("MouseSensitivity") != std::string::npos;
    if (!anyKey && (settings.sound != defaults.sound || settings.windowed != defaults.windowed ||
                    settings.colorDepth != defaults.colorDepth || settings.music != defaults.music ||
                    settings.mouseSensitivity != defaults.mouseSensitivity))
        abort();
    return 0;
}
