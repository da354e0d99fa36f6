// settings.ini: key and value pairs, one pair to a line as a rule.
#pragma once

#include <istream>
#include <string>
#include <vector>

struct Settings {
    bool sound = true;
    bool windowed = false;
    int colorDepth = 0; // 0: chosen at start-up
    bool music = true;
    float mouseSensitivity = 1.0f; // negative steers the other way
    int scale = 1;                 // whole factor the picture is enlarged by; 0: the largest that fits
    int musicVolume = 70;          // 0..100; by default the music sits under the effects
    int soundVolume = 100;         // 0..100, the effects' own volumes scaled by it
    float padSensitivity = 1.0f;   // the stick's steering; negative steers the other way
    // The gamepad's buttons in play, by number; -1: none.
    int padFire = 0;
    int padNextWeapon = 1;
    int padNextWeapon2 = 3;
    int padFireSpecial = 2;
    int padPause = 7;
    int padEndGame = 6;
};

// The file in the working directory: read at start-up, written by the
// Options page.
constexpr const char* settingsFileName = "settings.ini";

// One key of the file: its name, the field it sets (one of the three) and
// the values it takes. A new setting is a new row.
struct SettingKey {
    const char* name;
    bool Settings::*flag;  // 0 or 1
    int Settings::*whole;  // a whole number from low to high, or one of `only`
    float Settings::*real; // a finite number from low to high
    double low, high;
    std::vector<int> only;
    const char* expected; // what the log says the value should have been
};

// Every key, in the order the sample file lists them.
const std::vector<SettingKey>& settingKeys();

// Reads every line of `in`. Blank lines, comments (from a word starting with
// '#' or ';' to the line's end), a byte-order mark and carriage returns are
// skipped; "Key value" and "Key=value" both read, and an older file's
// several pairs on one line too. A key the game does not know, a value that
// does not parse or is out of range, or a key without a value leaves its
// setting as it was and the reading goes on. Answers one line for Log.txt
// per pair left out, saying which line and key and why.
std::vector<std::string> readSettings(std::istream& in, Settings& settings);

// The first settingsFileLimit bytes of the file at path, read as above; a
// missing file leaves the defaults without a word, one that cannot be read
// or is longer says so.
constexpr size_t settingsFileLimit = 64 * 1024;
std::vector<std::string> readSettingsFile(const char* path, Settings& settings);

// The text of a settings file holding `settings`, made from the file's
// present text: every line keeps its place, a known key's value is replaced
// by the setting's where it differs (in every place it stands), and keys the text lacks are
// added at its end. Comments, blank lines and keys the game does not know
// stay as they were. Reads back as `settings`.
std::string settingsText(const std::string& present, const Settings& settings);

// Writes settingsText of the file at path whole: a new file, flushed and
// renamed over the old one, so that a crash leaves the old file or the new,
// never part of one; through a link, the file it points to. False, with the
// old file untouched, on any failure and for a file without write permission.
bool saveSettings(const std::string& path, const Settings& settings);
