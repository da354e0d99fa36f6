// libFuzzer target, run in an empty directory: any bytes as "highscores.tav",
// through the real reader. The read keeps the table's size and leaves rows the
// format can carry (a name without whitespace); the save then writes exactly
// the format's bytes, which read back row for row; no temporary file stays.
#include "highscores/highscore_manager.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

static void check(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "fuzz_highscores: %s\n", what);
        abort();
    }
}

static bool aloneInDirectory()
{
    return std::distance(std::filesystem::directory_iterator("."), {}) == 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ofstream("highscores.tav", std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    const int rows = 1 + static_cast<int>(size % 8);
    HighscoreManager table(rows, size % 2 == 1), again(rows, size % 2 == 1);
    check(table.ReadFromFile("highscores.tav") && table.Size() == rows, "the read failed or resized the table");
    std::string format;
    for (const HighscoreEntry& e : table.entries) {
        check(!e.name.empty() && e.name.find_first_of(" \t\n\v\f\r") == std::string::npos, "an unsavable name");
        format += e.name + ' ' + std::to_string(e.score) + "\r\n";
    }
    for (char& c : format)
        c = static_cast<char>(~c);
    check(aloneInDirectory() && table.PrintToFile("highscores.tav") && aloneInDirectory(), "a file left behind");
    std::ifstream saved("highscores.tav", std::ios::binary);
    check(std::string(std::istreambuf_iterator<char>(saved), {}) == format, "the saved bytes are not the format's");
    for (HighscoreEntry& e : again.entries)
        e.score = -7; // a row not read back shows
    check(again.ReadFromFile("highscores.tav"), "the saved table does not read");
    for (auto a = table.entries.begin(), b = again.entries.begin(); a != table.entries.end(); ++a, ++b)
        check(a->name == b->name && a->score == b->score, "the saved table does not read back row for row");
    return 0;
}
