// The shell's pieces: the settings reader, the timer callback, the datafile
// check and the seam record that the end-to-end tests read.
#include "shell/graphics.h"
#include "shell/seam_log.h"
#include "shell/settings.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <tuple>

namespace {

// Five key passes, six once Scale was read; a failed read keeps that value
// and fails all later ones.
TEST(Settings, FileTexts)
{
    const std::pair<const char*, Settings> cases[] = { // sound, windowed, colour, music, mouse, scale
        {"", {true, false, 0, true, 1.0f}},
        {"MouseSensitivity 0.5\nMusic 0 Color 32\n\n  Windowed\t1 Sound 0", {false, true, 32, false, 0.5f}},
        {"Sound 2 Windowed 1 Color 32", {true, false, 0, true, 1.0f}},
        {"Windowed 1 Color 99999999999 Music 0", {true, true, 0, true, 1.0f}},
        {"Volume 7 Sound 0 Windowed 1 Color 15 Music 0", {false, true, 15, true, 1.0f}},
        {"Color 16 Color 24 Sound 0 Music 0 MouseSensitivity -2 Color 32", {false, false, 24, false, -2.0f}},
        {"sound 0 windowed 1 Sound 0", {false, false, 0, true, 1.0f}},
        {"Color 16 Color 24 Scale 0 Sound 0 Music 0 MouseSensitivity -2", {false, false, 24, false, -2.0f, 0}},
        {"Scale 3 Scale 2 Sound 0 Music 0 Windowed 1 Color 8 Color 15", {false, true, 8, false, 1.0f, 2}},
        {"Scale two Sound 0", {true, false, 0, true, 1.0f, 1}},
    };
    for (const auto& [text, e] : cases) {
        std::istringstream in(text);
        Settings s;
        readSettings(in, s);
        EXPECT_EQ(std::tie(e.sound, e.windowed, e.colorDepth, e.music, e.mouseSensitivity, e.scale),
                  std::tie(s.sound, s.windowed, s.colorDepth, s.music, s.mouseSensitivity, s.scale)) << text;
    }
}

// The factor a Scale setting gives on a desktop: 0 the largest that fits (a
// window leaving a tenth for panels), others as asked within 1..16.
TEST(Scale, FactorForTheDesktop)
{
    const std::tuple<int, bool, int, int, int> cases[] = {
        {1, true, 1920, 1080, 1}, {0, true, 1920, 1080, 2}, {0, false, 1920, 1080, 2}, {0, true, 1366, 768, 1},
        {0, false, 1280, 960, 2}, {0, true, 1280, 960, 1}, {0, true, 3840, 2160, 4}, {0, true, 0, 0, 1},
        {3, true, 800, 600, 3}, {-2, true, 1920, 1080, 1}, {99, false, 1920, 1080, 16},
    };
    for (const auto& [scale, windowed, w, h, factor] : cases)
        EXPECT_EQ(factor, chooseScale(scale, windowed, w, h)) << scale << " " << windowed << " " << w << "x" << h;
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

} // namespace
