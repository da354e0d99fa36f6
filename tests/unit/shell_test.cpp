// The shell's pieces: the settings reader, the timer callback, the datafile
// walk and check, and the seam record that the end-to-end tests read.
#include "shell/datafile_walk.h"
#include "shell/graphics.h"
#include "shell/log.h"
#include "shell/pad.h"
#include "shell/seam_log.h"
#include "shell/settings.h"
#include "shell/x_present.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <sstream>
#include <tuple>

using namespace std::string_literals;

namespace {

// Every line is read; a pair the game cannot take keeps its setting as it
// was and costs no other pair its read, and says why in one log line.
TEST(Settings, FileTexts)
{
    const struct { const char* text; Settings want; int notes; } cases[] = { // sound, windowed, colour, music, mouse, scale, music and sound volumes
        {"", {true, false, 0, true, 1.0f, 1}, 0},
        {"Sound 1\nWindowed 1\nColor 0\nMusic 1\nMouseSensitivity 1.0\n", {true, true, 0, true, 1.0f, 1}, 0},
        {"MouseSensitivity 0.5\nMusic 0 Color 32\n\n  Windowed\t1 Sound 0", {false, true, 32, false, 0.5f, 1}, 0},
        {"# my settings\nScale 2\nVolume 80\nSound 0\nWindowed 1\nColor 16\nMusic 0\nMouseSensitivity -2",
         {false, true, 16, false, -2.0f, 2}, 1},
        {"\xEF\xBB\xBFWindowed 1\r\n; comment\r\nScale 3\r\n\r\nColor=24\r\nSound = 0\r\n", {false, true, 24, true, 1.0f, 3}, 0},
        {"Sound 2 Windowed 1 Color 32", {true, true, 32, true, 1.0f, 1}, 1},
        {"Windowed 2\nWindowed=1\nMouseSensitivity nan\nMouseSensitivity 1e39\nColor 8\nColor 99999999999\nMusic 0",
         {true, true, 0, false, 1.0f, 1}, 5},
        {"Scale -1\nScale 101\nScale two\nScale\nMouseSensitivity -100.5\nSound 0", {false, false, 0, true, 1.0f, 1}, 5},
        {"Scale 100\nMouseSensitivity 100\nColor 15", {true, false, 15, true, 100.0f, 100}, 0},
        {"Color 16 Color 24 Sound 0 Music 0\nColor 32\nColor 13", {false, false, 32, false, 1.0f, 1}, 1},
        {"sound 0 windowed 1 Sound 0", {false, false, 0, true, 1.0f, 1}, 2},
        {"Sound 0 # effects off\nScale 2 ;big\nWindowed #1", {false, false, 0, true, 1.0f, 2}, 1},
        {"MusicVolume 0\nSoundVolume 35\nMusicVolume 101\nSoundVolume -1\nSoundVolume 7.5",
         {true, false, 0, true, 1.0f, 1, 0, 35}, 3},
    };
    for (const auto& [text, e, notes] : cases) {
        std::istringstream in(text);
        Settings s;
        EXPECT_EQ(notes, int(readSettings(in, s).size())) << text;
        EXPECT_EQ(std::tie(e.sound, e.windowed, e.colorDepth, e.music, e.mouseSensitivity, e.scale, e.musicVolume,
                           e.soundVolume),
                  std::tie(s.sound, s.windowed, s.colorDepth, s.music, s.mouseSensitivity, s.scale, s.musicVolume,
                           s.soundVolume))
            << text;
    }
    std::istringstream in("Sound 0\n\nWindowed 2\n");
    Settings s;
    EXPECT_EQ(std::vector<std::string>{"settings.ini line 3: Windowed 2 ignored: the value must be 0 or 1."},
              readSettings(in, s));
}

// The sample file the game ships names every key, and each is taken.
TEST(Settings, TheShippedFile)
{
    std::ifstream in(TARNAVEL_SOURCE_DIR "/data/settings.ini");
    std::stringstream text;
    text << in.rdbuf();
    Settings s;
    EXPECT_EQ(std::vector<std::string>{}, readSettingsFile(TARNAVEL_SOURCE_DIR "/data/settings.ini", s));
    for (const SettingKey& key : settingKeys())
        EXPECT_NE(std::string::npos, ("\n" + text.str()).find(std::string("\n") + key.name + " ")) << key.name;
    EXPECT_EQ(std::make_pair(true, 0), std::make_pair(s.windowed, s.scale));
}

// A file that cannot be read, or one too long, says so in the log; only
// its first part is read.
TEST(Settings, TheFileAsFound)
{
    const std::string path = ::testing::TempDir() + "settings_found.ini";
    const std::string tooLong = std::string(settingsFileLimit - 20, '#') + "\nScale 2\nSound 0 " + std::string(40, 'x');
    const struct { const char* what; std::string text; std::vector<std::string> notes; int scale; } cases[] = {
        {"missing", "", {}, 1},
        {"a directory", "", {path + " cannot be read (Is a directory): the settings keep their defaults."}, 1},
        {"too long", tooLong, {path + " is longer than 64 KB: the rest is ignored."}, 2},
        {"a binary value", "Sound \x01\x02xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         {"settings.ini line 1: Sound ??xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx... ignored: the value must be 0 or 1."}, 1},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(path);
        if (c.notes.size() == 1 && c.text.empty())
            std::filesystem::create_directory(path);
        else if (!c.text.empty())
            std::ofstream(path) << c.text;
        Settings s;
        EXPECT_EQ(c.notes, readSettingsFile(path.c_str(), s)) << c.what;
        EXPECT_EQ(std::make_pair(c.scale, true), std::make_pair(s.scale, s.sound)) << c.what;
    }
    std::filesystem::remove_all(path);
}

// Written back, a file reads as the settings it was written from, keeps
// every line the game does not know in its place, and gains missing keys.
TEST(Settings, WrittenBack)
{
    Settings changed;
    changed.sound = false, changed.windowed = true, changed.colorDepth = 32, changed.music = false;
    changed.mouseSensitivity = 0.1f, changed.scale = 3, changed.musicVolume = 0, changed.soundVolume = 55;
    changed.padSensitivity = -2, changed.padFire = 5, changed.padNextWeapon = -1;
    const char* const texts[] = {
        "", "\xEF\xBB\xBFSound 1\r\nScale\r\n", "Music 0 Color 32\nVolume 7 Sound 1 Windowed 0",
        "# mine\nSound 2\n\n  MouseSensitivity   1.0   \nColor=16\nSound 1\n;end",
    };
    for (const char* text : texts) {
        for (const Settings& want : {Settings(), changed}) {
            std::istringstream in(settingsText(text, want));
            Settings got;
            readSettings(in, got);
            // Every key's value, as the writer puts it.
            EXPECT_EQ(settingsText("", want), settingsText("", got)) << text;
        }
    }
    EXPECT_EQ("# mine\nSound 0\n\n  MouseSensitivity   0.1   \nColor=32\nSound 0\n;end\n"
              "SoundVolume 55\nWindowed 1\nMusic 0\nMusicVolume 0\nScale 3\nPadSensitivity -2\nPadFire 5\nPadNextWeapon -1\n"
              "PadNextWeapon2 3\nPadFireSpecial 2\nPadPause 7\nPadEndGame 6\n", settingsText(texts[3], changed));
    EXPECT_EQ("Music 1 Color 0\nVolume 7 Sound 1 Windowed 0\nSoundVolume 100\nMusicVolume 70\nMouseSensitivity 1\nScale 1\n"
              "PadSensitivity 1\nPadFire 0\nPadNextWeapon 1\nPadNextWeapon2 3\nPadFireSpecial 2\nPadPause 7\nPadEndGame 6\n",
              settingsText(texts[2], Settings()));

    // A value the player wrote another way is left as written.
    EXPECT_EQ(0u, settingsText("PadSensitivity 1.0\nScale 01 Sound 1\n", Settings()).find("PadSensitivity 1.0\nScale 01 Sound 1\n"));

    // Saved through a link into the file it points to; a file without write
    // permission, or a missing directory, is left alone.
    namespace fs = std::filesystem;
    const fs::path path = ::testing::TempDir() + "settings_written.ini", link = path.string() + ".link";
    const auto saved = [&path] { std::ifstream in(path); return std::string(std::istreambuf_iterator<char>(in), {}); };
    { std::ofstream(path) << "# kept\nScale 2\n"; }
    fs::remove(link);
    fs::create_symlink(path, link);
    ASSERT_TRUE(saveSettings(link, changed));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(settingsText("# kept\nScale 2\n", changed), saved());
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(saveSettings(path, Settings()));
    EXPECT_FALSE(saveSettings(link, Settings()));
    EXPECT_EQ(settingsText("# kept\nScale 2\n", changed), saved());
    EXPECT_FALSE(saveSettings(::testing::TempDir() + "no-such-directory/settings.ini", changed));
    fs::remove(link), fs::remove(path);
}

// The factor a Scale setting gives on a desktop: 0 the largest that fits (a
// window in nine tenths of it), a larger one reduced to that with a line in
// the log.
TEST(Scale, FactorForTheDesktop)
{
    const std::tuple<int, bool, int, int, int> cases[] = {
        {1, true, 1920, 1080, 1}, {0, true, 1920, 1080, 2}, {0, false, 1920, 1080, 2}, {0, true, 1366, 768, 1},
        {0, false, 1280, 960, 2}, {0, true, 1280, 960, 1}, {0, true, 3840, 2160, 4}, {0, true, 0, 0, 1},
        {0, true, 1920, 1200, 2}, {2, true, 1920, 1200, 2}, {3, false, 1920, 1440, 3}, {-2, true, 1920, 1080, 1},
        {1, true, 640, 480, 1}, {3, true, 1920, 1200, 2}, {3, true, 1920, 1440, 2}, {99, false, 1920, 1080, 2},
        {2, true, 0, 0, 1},
    };
    const std::string path = ::testing::TempDir() + "scale_log_test.txt";
    openLog(path.c_str());
    for (const auto& [scale, windowed, w, h, factor] : cases)
        EXPECT_EQ(factor, chooseScale(scale, windowed, w, h)) << scale << " " << windowed << " " << w << "x" << h;
    closeLog();
    std::ifstream in(path);
    std::stringstream logged;
    logged << in.rdbuf();
    EXPECT_EQ("Scale 3 does not fit the 1920 x 1200 desktop in a window: 2 is used.\n"
              "Scale 3 does not fit the 1920 x 1440 desktop in a window: 2 is used.\n"
              "Scale 99 does not fit the 1920 x 1080 desktop in full screen: 2 is used.\n"
              "Scale 2 does not fit the 0 x 0 desktop in a window: 1 is used.\n",
              logged.str());
}

// The menus read the pointer as a point of the picture: divided by the
// factor, a centred picture's border clamped to its edge.
TEST(Scale, PointerInThePicture)
{
    const std::tuple<Viewport, int, int, int, int> cases[] = {
        {{1, 0, 0}, 17, 479, 17, 479}, {{2, 0, 0}, 1131, 801, 565, 400},
        {{2, 320, 60}, 100, 30, 0, 0}, {{2, 320, 60}, 1919, 1079, 639, 479}, {{3, 0, 0}, 5, 2, 1, 0},
    };
    const Viewport kept = viewport;
    for (const auto& [v, x, y, px, py] : cases) {
        viewport = v, mouse_x = x, mouse_y = y;
        EXPECT_EQ(std::make_pair(px, py), std::make_pair(allegroSeam.mouseX(), allegroSeam.mouseY())) << x << "," << y;
    }
    viewport = kept;
}

// Each second drains 40 of the bonus, never below 0, and publishes the
// frames counted in it.
TEST(Globals, TheSecondsCallback)
{
    ScopedTestSeam scope;
    const std::tuple<int, int, int> cases[] = {{1500, 7, 1460}, {40, 0, 0}, {25, 61, 0}};
    for (const auto& [bonus, counted, bonusAfter] : cases) {
        bonusScore = bonus, frames = counted, secondsFunc();
        EXPECT_EQ((std::vector<int>{bonusAfter, counted, 0}), (std::vector<int>{bonusScore, fps, frames}));
    }
    EXPECT_EQ(3, seconds.load());
}

// Files as load_datafile returns them, short or with one object of another
// type; the indices the game skips take anything.
TEST(Catalogue, ShortOrMixedUpFilesAreNamedWithTheirObject)
{
    const struct { const CatalogueFile* file; int count, index, type; std::string message; } cases[] = {
        {&spritesCatalogue, SPRITES_COUNT + 1, -1, 0, ""},
        {&spritesCatalogue, 20, -1, 0, "File 'sprites.dat' is incomplete: object 20 is missing."},
        {&miscCatalogue, MISC_COUNT, MISC_UNUSED, DAT_SAMPLE, ""},
        {&miscCatalogue, MISC_COUNT, 7, DAT_BITMAP, "File 'misc.dat' is damaged: object 7 should be a font."},
    };
    int object = 0;
    for (const auto& c : cases) {
        std::vector<DATAFILE> data(c.count + 1, DATAFILE{&object, DAT_DATA, 0, nullptr});
        for (int i = 0; i < std::min(c.count, c.file->count); ++i)
            data[i].type = i == c.index ? c.type : c.file->types[i] ? c.file->types[i] : DAT_DATA;
        data.back() = DATAFILE{nullptr, DAT_END, 0, nullptr};
        const std::string message = c.message.empty() ? "" : c.message + "\nReinstall the game's data files.";
        EXPECT_EQ(message, checkDatafile(data.data(), *c.file));
    }
}

// A picture at each depth the game draws at, written for the X server in
// either channel order: every pixel's colour as Allegro reads it, nothing
// written between the rows.
TEST(XPresent, PicturesInTheDisplaysFormat)
{
    std::mt19937 random(7);
    const PixelLayout layouts[] = {{16, 8, 0}, {0, 8, 16}};
    for (int depth : {15, 16, 24, 32})
        for (const PixelLayout& to : layouts) {
            const int w = 37, h = 5, pitch = 40;
            BITMAP* picture = create_bitmap_ex(depth, w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    putpixel(picture, x, y, static_cast<int>(random() & (depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1)));
            std::vector<uint32_t> out(pitch * h, 0xDEADBEEF);
            convertPicture(picture, out.data(), pitch, to);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < pitch; ++x) {
                    const uint32_t got = out[y * pitch + x];
                    if (x >= w) {
                        EXPECT_EQ(0xDEADBEEF, got) << depth << " " << x << "," << y;
                        continue;
                    }
                    const int c = getpixel(picture, x, y);
                    EXPECT_EQ(std::make_tuple(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)),
                              std::make_tuple(int(got >> to.redShift & 0xFF), int(got >> to.greenShift & 0xFF),
                                              int(got >> to.blueShift & 0xFF)))
                        << depth << " bits, red at " << to.redShift << ", pixel " << x << "," << y;
                }
            destroy_bitmap(picture);
        }
}

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const std::string& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
std::string be(long long v, int bytes) // big-endian
{
    std::string s;
    for (int i = bytes - 1; i >= 0; --i)
        s += static_cast<char>(v >> 8 * i);
    return s;
}
// A plain datafile of (type, data) objects, or nested objects for "FILE".
std::string objects(const std::vector<std::pair<std::string, std::string>>& list)
{
    std::string s = be(long(list.size()), 4);
    for (const auto& [type, data] : list)
        s += type + be(long(data.size()), 4) + be(long(data.size()), 4) + data;
    return s;
}
DatafileWalk walk(const Bytes& b) { return walkDatafile(b); }
std::pair<int, int> verdict(const DatafileWalk& w) { return {w.verdict, w.object}; }

// The generator's files walk whole; cut short at any length, or with any one
// byte changed, they do not. Objects whose headers lie about their sizes
// are found where they lie; Allegro's dat tool's files, packed per object
// and packed whole, walk whole until cut.
TEST(DatafileWalk, FilesCutShortOrAlteredAreFound)
{
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat", "music.dat"}) {
        std::ifstream in(std::string(TARNAVEL_DATA_DIR) + "/" + name, std::ios::binary);
        const Bytes whole{std::istreambuf_iterator<char>(in), {}};
        const int count = int(whole[11]);
        EXPECT_EQ(verdict({DatafileWalk::Whole, 0}), verdict(walk(whole))) << name;
        EXPECT_EQ(verdict({DatafileWalk::CutShort, count - 1}), verdict(walk(Bytes(whole.begin(), whole.end() - 200))));
        for (size_t n = 0, last = 0; n < whole.size(); n += 1 + n / 4) {
            const DatafileWalk w = walk(Bytes(whole.begin(), whole.begin() + long(n)));
            EXPECT_TRUE(w.verdict == DatafileWalk::CutShort && size_t(w.object) >= last) << name << " cut at " << n;
            last = size_t(w.object);
            Bytes altered = whole;
            altered[n] ^= 0x10;
            // Bytes 16 to 19 name the checksum: altered, it goes unused, and the file is as written.
            EXPECT_EQ(n < 16 || n > 19, walk(altered).verdict != DatafileWalk::Whole) << name << " altered at " << n;
        }
    }
    const std::string bmp = be(24, 2) + be(2, 2) + be(1, 2) + std::string(6, 'p'), glyphs = be(8, 2) + be(2, 2) + "ab";
    const std::string font = be(0, 2) + be(1, 2) + '\1' + be(32, 4) + be(33, 4) + glyphs + glyphs;
    const Bytes plain = {'s', 'l', 'h', '.', 'A', 'L', 'L', '.'};
    const std::pair<Bytes, std::pair<int, int>> cases[] = {
        {plain + objects({{"BMP ", bmp}, {"SAMP", be(-8, 2) + be(22050, 2) + be(2, 4) + "abcd"}, {"FONT", font},
                          {"FILE", objects({{"BMP ", bmp}, {"XYZW", "any"}})}, {"FONT", be(0, 2) + be(1, 2) + '\0' + be(32, 4) + be(32, 4) + "colour"}}),
         {DatafileWalk::Whole, 0}},
        {plain + objects({{"SAMP", be(16, 2) + be(22050, 2) + be(2, 4) + "abc"}}), {DatafileWalk::Damaged, 0}},
        {plain + objects({{"XYZW", ""}, {"BMP ", bmp + "p"}}), {DatafileWalk::Damaged, 1}},
        {plain + objects({{"BMP ", be(12, 2) + bmp.substr(2)}}), {DatafileWalk::Damaged, 0}},
        {plain + objects({{"FONT", font.substr(0, font.size() - 1)}}), {DatafileWalk::Damaged, 0}},
        {plain + objects({{"FONT", font + "x"}}), {DatafileWalk::Damaged, 0}},
        {plain + objects({{"FILE", objects({{"BMP ", bmp.substr(1)}})}}), {DatafileWalk::Damaged, 0}},
        {plain + objects({{"BMP ", bmp}}) + "x", {DatafileWalk::Damaged, 1}},
        {plain + be(2, 4) + objects({{"BMP ", bmp}}).substr(4), {DatafileWalk::CutShort, 1}},
        {plain + be(1, 4) + "prop" + be(1, 4) + be(99, 4), {DatafileWalk::CutShort, 0}},
        {Bytes{'s', 'l', 'h', '.', 'A', 'L', 'L', ','} + be(0, 4), {DatafileWalk::NotADatafile, 0}},
        {Bytes{'P', 'K', 3, 4, 0}, {DatafileWalk::NotADatafile, 0}},
        {Bytes{} + "\x73\x6c\x68\x2e\x41\x4c\x4c\x2e\x00\x00\x00\x02\x70\x72\x6f\x70\x4e\x41\x4d\x45\x00\x00\x00\x05\x41\x5f\x42"
                   "\x4d\x50\x42\x4d\x50\x20\x00\x00\x00\x0f\xff\xff\xff\xd6\xff\x00\x18\x00\x04\x00\x03\xff\x00\x01\x00\xf4\xff"
                   "\x06\x0c\x70\x72\x6f\x70\x4e\x41\x4d\x45\x00\x00\x00\x05\x42\x5f\x42\x4d\x50\x42\x4d\x50\x20\x00\x00\x00\x0f"
                   "\xff\xff\xff\xdc\xff\x00\x18\x00\x05\x00\x02\x00\x00\x01\xff\xf4\xff\x00\x06"s, {DatafileWalk::Whole, 0}},
        {Bytes{} + "\x73\x6c\x68\x21\xef\x41\x4c\x4c\x2e\xeb\xf0\x02\x70\x72\xbf\x6f\x70\x4e\x41\x4d\x45\xeb\xf0\x05\x5f\x41\x5f"
                   "\x42\x4d\x50\x04\x00\x20\xeb\xf0\xfd\x2a\x0b\x02\x18\x00\x04\x00\x03\xff\xa3\x00\x00\x19\x0f\x2b\x0c\xf6\xf9"
                   "\x42\x03\x08\x24\x3e\x52\x02\x18\x00\x05\x00\x02\x29\x0f\x6c\x09"s, {DatafileWalk::Whole, 0}},
    };
    for (const auto& [bytes, want] : cases) {
        EXPECT_EQ(want, verdict(walk(bytes))) << std::string(bytes.begin(), bytes.end());
        for (size_t n = 0; want.first == DatafileWalk::Whole && n < bytes.size(); ++n)
            EXPECT_EQ(DatafileWalk::CutShort, walk(Bytes(bytes.begin(), bytes.begin() + long(n))).verdict) << n;
    }
}

// Input taken and pictures shown, in order, each new one (a pointer that
// moved, a new picture) once, with the wall-clock time.
TEST(SeamLog, RecordsWhatTheGameReadAndEachNewPicture)
{
    ScopedTestSeam scope;
    const std::string path = ::testing::TempDir() + "seam_log_test.txt";
    BITMAP* logo = create_bitmap(200, 100);
    ASSERT_TRUE(startSeamLog(path.c_str()));
    int mx, my;
    seam.clearScreen(0), seam.present(logo, 220, 190), seam.present(logo, 220, 190);
    testSeam.pointerX = 30, testSeam.pointerY = 40;
    seam.mouseX(), seam.mouseY(), seam.mouseX(), seam.mouseY(), testSeam.pointerY = 41;
    seam.mouseX(), seam.mouseY(), testSeam.mickeyX = 250;
    seam.mouseMickeys(&mx, &my), seam.mouseMickeys(&mx, &my), stopSeamLog(), seam.mouseY();
    destroy_bitmap(logo);
    std::ifstream in(path);
    std::string events;
    for (std::string line; std::getline(in, line);) // each line's time taken out
        events += std::regex_replace(line, std::regex("^([a-z]+) [0-9]{10}\\.[0-9]{6}"), "$1") + ";";
    EXPECT_EQ("clear;present 220 190 200 100;point 30 40;point 30 41;steer;mickeys 250 0;", events);
    std::remove(path.c_str());
}

// Past its dead zone the stick pulls in proportion, to 0.12 pixels a step
// at either end, times the sensitivity; the picker steps round A..Z, 0..9.
TEST(Pad, StickPullAndLetterPicker)
{
    const struct { int position; float sensitivity, pull; } pulls[] = {
        {0, 1, 0}, {30, 1, 0}, {-30, 5, 0}, {31, 1, 0.0012f}, {78, 1, 0.0594f}, {127, 1, 0.12f}, {-128, 1, -0.12f},
        {-127, 2, -0.24f}, {127, -0.5f, -0.06f}};
    for (const auto& p : pulls)
        EXPECT_NEAR(p.pull, stickPull(p.position, p.sensitivity), 1e-4) << p.position << " " << p.sensitivity;
    const struct { char from; int step; char to; } picks[] = {{'A', 1, 'B'}, {'A', -1, '9'}, {'Z', 1, '0'},
        {'9', 1, 'A'}, {'0', -1, 'Z'}, {'M', 0, 'M'}, {'B', 37, 'C'}, {'a', 0, 'A'}, {'%', -1, 'A'}, {'\0', 1, 'A'}};
    for (const auto& p : picks)
        EXPECT_EQ(p.to, pickLetter(p.from, p.step)) << p.from << " " << p.step;
}

// Each press of a button, let go before the look, counts in its turn; a
// direction (the d-pad or the stick) counts as pushed, then after 50 steps
// held and every 12 more; forgotten, a held one waits to be pushed anew. A
// pad gone is told once.
TEST(Pad, PressesAreKeptAndDirectionsRepeat)
{
    ScopedTestSeam scope;
    std::string keys;
    auto run = [&](int steps) {
        for (int s = 1; s <= steps; ++s) {
            advanceTicks(1), pollPad();
            for (int k; (k = nextKey(menuPadKeys)) != 0;)
                keys += std::to_string(s) + (k == menuPadKeys.down ? "v " : k >> 8 == KEY_ENTER ? "e " : "? ");
        }
    };
    testSeam.padThere = true;
    for (int tap = 0; tap < 2; ++tap) // two taps before the first look
        testSeam.pad.buttons[PAD_A] = true, pollPad(), testSeam.pad.buttons[PAD_A] = false, pollPad();
    testSeam.pad.axes[PAD_DPAD_Y] = 127, run(100);
    EXPECT_EQ("1e 1e 1v 51v 63v 75v 87v 99v ", keys);
    keys.clear(), forgetPresses(), run(100), testSeam.pad.axes[PAD_DPAD_Y] = 0, run(1);
    testSeam.pad.axes[PAD_STICK_Y] = 100, run(1);
    EXPECT_EQ("1v ", keys);
    testSeam.padThere = false, pollPad();
    EXPECT_TRUE(padWentAway());
    EXPECT_FALSE(padWentAway() || padPresent());
}

} // namespace
