// libFuzzer target, run in an empty directory: any bytes as "highscores.tav",
// through the real reader. The read keeps the table's size and leaves rows in
// order that the format can carry, tamed (a name of visible characters, not
// too long); the save then writes exactly the format's bytes, which read back
// row for row, and keeps the file it replaced when that was no table; no
// temporary file stays.
#include "highscores/highscore_manager.h"

#include <algorithm>
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

static std::string bytesOf(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::filesystem::remove("highscores.tav.kept-1");
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream("highscores.tav", std::ios::binary) << input;
    const int rows = 1 + static_cast<int>(size % 8);
    HighscoreManager table(rows, size % 2 == 1), again(rows, size % 2 == 1);
    const bool isTable = table.ReadFromFile("highscores.tav");
    check(table.Size() == rows && isTable == table.notes.empty(), "the read resized the table or left no note");
    check(std::is_sorted(table.entries.begin(), table.entries.end()), "the rows are out of order");
    std::string format;
    for (const HighscoreEntry& e : table.entries) {
        check(!e.name.empty() && e.name == tameName(e.name), "an untamed name");
        check(e.score >= tableScoreLowest && e.score <= tableScoreHighest, "a score out of range");
        format += e.name + ' ' + std::to_string(e.score) + "\r\n";
    }
    for (char& c : format)
        c = static_cast<char>(~c);
    check(table.PrintToFile("highscores.tav"), "the save failed");
    const auto files = std::distance(std::filesystem::directory_iterator("."), {});
    check(files == (isTable ? 1 : 2), "a file left behind, or the old one not kept");
    check(isTable || bytesOf("highscores.tav.kept-1") == input, "the kept file is not the old one");
    check(bytesOf("highscores.tav") == format, "the saved bytes are not the format's");
    for (HighscoreEntry& e : again.entries)
        e.score = -7; // a row not read back shows
    check(again.ReadFromFile("highscores.tav"), "the saved table does not read as a table");
    for (auto a = table.entries.begin(), b = again.entries.begin(); a != table.entries.end(); ++a, ++b)
        check(a->name == b->name && a->score == b->score, "the saved table does not read back row for row");
    return 0;
}
