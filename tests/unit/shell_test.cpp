// The shell's pieces: the settings reader, the timer callback, the datafile
// check and the seam record that the end-to-end tests read.
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

// Five key passes; a failed read keeps that value and fails all later ones.
TEST(Settings, FileTexts)
{
    const std::pair<const char*, Settings> cases[] = { // sound, windowed, colour, music, mouse
        {"", {true, false, 0, true, 1.0f}},
        {"MouseSensitivity 0.5\nMusic 0 Color 32\n\n  Windowed\t1 Sound 0", {false, true, 32, false, 0.5f}},
        {"Sound 2 Windowed 1 Color 32", {true, false, 0, true, 1.0f}},
        {"Windowed 1 Color 99999999999 Music 0", {true, true, 0, true, 1.0f}},
        {"Volume 7 Sound 0 Windowed 1 Color 15 Music 0", {false, true, 15, true, 1.0f}},
        {"Color 16 Color 24 Sound 0 Music 0 MouseSensitivity -2 Color 32", {false, false, 24, false, -2.0f}},
        {"sound 0 windowed 1 Sound 0", {false, false, 0, true, 1.0f}},
    };
    for (const auto& [text, e] : cases) {
        std::istringstream in(text);
        Settings s;
        readSettings(in, s);
        EXPECT_EQ(std::tie(e.sound, e.windowed, e.colorDepth, e.music, e.mouseSensitivity),
                  std::tie(s.sound, s.windowed, s.colorDepth, s.music, s.mouseSensitivity)) << text;
    }
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

// Input taken and pictures shown, in order, each new one once, with the
// wall-clock time.
TEST(SeamLog, RecordsWhatTheGameReadAndEachNewPicture)
{
    ScopedTestSeam scope;
    const std::string path = ::testing::TempDir() + "seam_log_test.txt";
    BITMAP* logo = create_bitmap(200, 100);
    ASSERT_TRUE(startSeamLog(path.c_str()));
    int mx, my;
    seam.clearScreen(0), seam.present(logo, 220, 190), seam.present(logo, 220, 190);
    seam.mouseX(), seam.mouseY(), testSeam.mickeyX = 250;
    seam.mouseMickeys(&mx, &my), seam.mouseMickeys(&mx, &my), stopSeamLog(), seam.mouseY();
    destroy_bitmap(logo);
    std::ifstream in(path);
    std::string events;
    for (std::string line; std::getline(in, line);) // each line's time taken out
        events += std::regex_replace(line, std::regex("^([a-z]+) [0-9]{10}\\.[0-9]{6}"), "$1") + ";";
    EXPECT_EQ("clear;present 220 190 200 100;point;steer;mickeys 250 0;", events);
    std::remove(path.c_str());
}

} // namespace
