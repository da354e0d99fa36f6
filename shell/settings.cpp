#include "shell/settings.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

const std::vector<SettingKey>& settingKeys()
{
    // Color takes the depths the art is drawn right at: 8 bits has no
    // translucency and shows the mask colour round the sprites.
    static const std::vector<SettingKey> keys = {
        {"Sound", &Settings::sound, nullptr, nullptr, 0, 1, {}, "0 or 1"},
        {"SoundVolume", nullptr, &Settings::soundVolume, nullptr, 0, 100, {}, "a whole number from 0 to 100"},
        {"Windowed", &Settings::windowed, nullptr, nullptr, 0, 1, {}, "0 or 1"},
        {"Color", nullptr, &Settings::colorDepth, nullptr, 0, 0, {0, 15, 16, 24, 32}, "0, 15, 16, 24 or 32"},
        {"Music", &Settings::music, nullptr, nullptr, 0, 1, {}, "0 or 1"},
        {"MusicVolume", nullptr, &Settings::musicVolume, nullptr, 0, 100, {}, "a whole number from 0 to 100"},
        {"MouseSensitivity", nullptr, nullptr, &Settings::mouseSensitivity, -100, 100, {},
         "a number from -100 to 100"},
        {"Scale", nullptr, &Settings::scale, nullptr, 0, 100, {}, "a whole number from 0 to 100"},
    };
    return keys;
}

namespace {

// The whole token must be the number: "1x", "nan" and "1e39" are refused.
bool parseWhole(const std::string& text, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

bool parseReal(const std::string& text, float& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtof(text.c_str(), &end);
    return errno == 0 && end != text.c_str() && *end == '\0' && std::isfinite(value);
}

// Sets the key's field from text; false, with the field unchanged, when
// the value is not one the key takes.
bool store(const SettingKey& key, const std::string& text, Settings& settings)
{
    if (key.real) {
        float value;
        if (!parseReal(text, value) || value < key.low || value > key.high)
            return false;
        settings.*key.real = value;
        return true;
    }
    if (key.flag) {
        if (text != "0" && text != "1")
            return false;
        settings.*key.flag = text == "1";
        return true;
    }
    long value;
    if (!parseWhole(text, value))
        return false;
    bool taken = key.only.empty() ? value >= key.low && value <= key.high : false;
    for (int allowed : key.only)
        taken = taken || value == allowed;
    if (taken)
        settings.*key.whole = static_cast<int>(value);
    return taken;
}

const SettingKey* findKey(const std::string& name)
{
    for (const SettingKey& key : settingKeys())
        if (name == key.name)
            return &key;
    return nullptr;
}

} // namespace

std::vector<std::string> readSettings(std::istream& in, Settings& settings)
{
    std::vector<std::string> notes;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        for (char& c : line)
            if (c == '=' || c == '\r')
                c = ' ';
        std::istringstream words(line);
        std::string name, value;
        if (!(words >> name) || name[0] == '#' || name[0] == ';')
            continue;
        const std::string where = "settings.ini line " + std::to_string(number) + ": ";
        do {
            const bool hasValue = static_cast<bool>(words >> value);
            const SettingKey* key = findKey(name);
            if (!key)
                notes.push_back(where + "unknown key '" + name + "' ignored.");
            else if (!hasValue)
                notes.push_back(where + name + " has no value; ignored.");
            else if (!store(*key, value, settings))
                notes.push_back(where + name + " " + value + " ignored: the value must be " + key->expected + ".");
        } while (words >> name);
    }
    return notes;
}
