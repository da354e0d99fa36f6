#include "shell/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

const std::vector<SettingKey>& settingKeys()
{
    // Color takes the depths the art is drawn right at: 8 bits has no
    // translucency and shows the mask colour round the sprites.
    constexpr const char* button = "a button's number from 0 to 31, or -1 for none";
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
        {"PadSensitivity", nullptr, nullptr, &Settings::padSensitivity, -100, 100, {}, "a number from -100 to 100"},
        {"PadFire", nullptr, &Settings::padFire, nullptr, -1, 31, {}, button},
        {"PadNextWeapon", nullptr, &Settings::padNextWeapon, nullptr, -1, 31, {}, button},
        {"PadNextWeapon2", nullptr, &Settings::padNextWeapon2, nullptr, -1, 31, {}, button},
        {"PadFireSpecial", nullptr, &Settings::padFireSpecial, nullptr, -1, 31, {}, button},
        {"PadPause", nullptr, &Settings::padPause, nullptr, -1, 31, {}, button},
        {"PadEndGame", nullptr, &Settings::padEndGame, nullptr, -1, 31, {}, button},
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

namespace {

// Where each word of a line stands (start, length), as both the reader and
// the writer see them: words are parted by blanks, tabs, '=' and carriage
// returns, and a word starting with '#' or ';' begins a comment that runs
// to the line's end.
std::vector<std::pair<size_t, size_t>> wordsOf(const std::string& line)
{
    const auto isGap = [](char c) { return c == ' ' || c == '\t' || c == '=' || c == '\r' || c == '\v' || c == '\f'; };
    std::vector<std::pair<size_t, size_t>> words;
    for (size_t i = 0; i < line.size();) {
        if (isGap(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#' || line[i] == ';')
            break;
        const size_t start = i;
        while (i < line.size() && !isGap(line[i]))
            ++i;
        words.emplace_back(start, i - start);
    }
    return words;
}

// A word of the file as the log shows it: printable, and short.
std::string quoted(const std::string& word)
{
    std::string shown = word.substr(0, 32);
    for (char& c : shown)
        if (c < 32 || c > 126)
            c = '?';
    return shown + (word.size() > shown.size() ? "..." : "");
}

} // namespace

std::vector<std::string> readSettings(std::istream& in, Settings& settings)
{
    std::vector<std::string> notes;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        const std::string where = "settings.ini line " + std::to_string(number) + ": ";
        const auto words = wordsOf(line);
        for (size_t w = 0; w < words.size(); w += 2) {
            const std::string name = line.substr(words[w].first, words[w].second);
            const bool hasValue = w + 1 < words.size();
            const std::string value = hasValue ? line.substr(words[w + 1].first, words[w + 1].second) : "";
            const SettingKey* key = findKey(name);
            if (!key)
                notes.push_back(where + "unknown key '" + quoted(name) + "' ignored.");
            else if (!hasValue)
                notes.push_back(where + name + " has no value; ignored.");
            else if (!store(*key, value, settings))
                notes.push_back(where + name + " " + quoted(value) + " ignored: the value must be " + key->expected
                                + ".");
        }
    }
    return notes;
}

std::vector<std::string> readSettingsFile(const char* path, Settings& settings)
{
    const auto unreadable = [path](int error) {
        return std::vector<std::string>{std::string(path) + " cannot be read (" + strerror(error)
                                        + "): the settings keep their defaults."};
    };
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::vector<std::string>{} : unreadable(errno);
    std::string text(settingsFileLimit + 1, '\0');
    size_t size = 0;
    while (size < text.size()) {
        const ssize_t n = ::read(fd, &text[size], text.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return unreadable(error);
        }
        if (n == 0)
            break;
        size += static_cast<size_t>(n);
    }
    ::close(fd);
    text.resize(size);
    std::vector<std::string> tooLong;
    if (size > settingsFileLimit) {
        const size_t lastLine = text.rfind('\n', settingsFileLimit);
        text.resize(lastLine == std::string::npos ? 0 : lastLine);
        tooLong.push_back(std::string(path) + " is longer than " + std::to_string(settingsFileLimit / 1024)
                          + " KB: the rest is ignored.");
    }
    std::istringstream in(text);
    std::vector<std::string> notes = readSettings(in, settings);
    notes.insert(notes.end(), tooLong.begin(), tooLong.end());
    return notes;
}

namespace {

// The shortest text that reads back as the same value.
std::string valueText(const SettingKey& key, const Settings& settings)
{
    if (key.flag)
        return settings.*key.flag ? "1" : "0";
    if (key.whole)
        return std::to_string(settings.*key.whole);
    const float value = settings.*key.real;
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtof(text, nullptr) == value)
            break;
    }
    return text;
}

// The line with each known key's value replaced, `seen` marking the keys
// met; words are found as the reader finds them.
std::string rewriteLine(const std::string& line, const Settings& settings, std::vector<bool>& seen)
{
    const auto words = wordsOf(line);
    if (words.empty())
        return line;
    std::string result = line;
    // Pairs as the reader takes them, from the last back, so that earlier
    // positions stay valid.
    for (int w = static_cast<int>(words.size() - 1) & ~1; w >= 0; w -= 2) {
        const std::string name = line.substr(words[w].first, words[w].second);
        const std::vector<SettingKey>& keys = settingKeys();
        for (size_t k = 0; k < keys.size(); ++k) {
            if (name != keys[k].name)
                continue;
            seen[k] = true;
            const std::string value = valueText(keys[k], settings);
            // A value written another way ("1.0" for 1) stays as the player wrote it.
            Settings written = settings;
            const bool same = w + 1 < static_cast<int>(words.size())
                              && store(keys[k], line.substr(words[w + 1].first, words[w + 1].second), written)
                              && valueText(keys[k], written) == value;
            if (same)
                continue;
            if (w + 1 < static_cast<int>(words.size()))
                result.replace(words[w + 1].first, words[w + 1].second, value);
            else
                result.insert(words[w].first + words[w].second, " " + value);
        }
    }
    return result;
}

} // namespace

std::string settingsText(const std::string& present, const Settings& settings)
{
    const std::vector<SettingKey>& keys = settingKeys();
    std::vector<bool> seen(keys.size(), false);
    std::string text;
    // A byte-order mark would hide the first key from this walk.
    std::istringstream lines(present.compare(0, 3, "\xEF\xBB\xBF") == 0 ? present.substr(3) : present);
    std::string line;
    while (std::getline(lines, line))
        text += rewriteLine(line, settings, seen) + "\n";
    for (size_t k = 0; k < keys.size(); ++k)
        if (!seen[k])
            text += std::string(keys[k].name) + " " + valueText(keys[k], settings) + "\n";
    return text;
}

bool saveSettings(const std::string& given, const Settings& settings)
{
    // A file kept elsewhere through a link is written there: the rename
    // below would put a plain file in the link's place.
    std::string path = given;
    struct stat link;
    char target[PATH_MAX];
    if (::lstat(given.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && ::realpath(given.c_str(), target))
        path = target;
    // A file the player made read-only is theirs: left alone, as a file in a
    // read-only directory is.
    struct stat old;
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && (::access(path.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        return false;
    std::string present;
    {
        std::ifstream in(path, std::ios::binary);
        present.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string text = settingsText(present, settings);
    const std::string sibling = path + ".tmp";
    ::unlink(sibling.c_str()); // a leftover of a killed save
    const int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (exists)
        ::fchmod(fd, (old.st_mode & 07777) | S_IRUSR | S_IWUSR); // it must read back next time
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(sibling.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(sibling.c_str());
    return ok;
}
