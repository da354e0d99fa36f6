// Fuzz target: "highscores.tav", any bytes and any length, through the real
// ReadFromFile in a scratch directory (on tmpfs where there is one, so that
// the save's fsync costs nothing). For every input:
//  - the read succeeds and the table keeps its size;
//  - every row is one the file format can carry: a non-empty name free of
//    whitespace (or a row the read left as it was);
//  - PrintToFile then writes exactly the bytes the format prescribes, and
//    reading them back restores every row (the round trip the game relies on);
//  - no temporary file is left behind.
#include "highscores/highscore_manager.h"

#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char* const tableFile = "highscores.tav";

void fail(const char* what)
{
    fprintf(stderr, "fuzz_highscores: %s\n", what);
    abort();
}

std::string fileBytes(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string storedBytes(const HighscoreManager& table)
{
    std::string text;
    for (const HighscoreEntry& e : table.entries)
        text += e.name + ' ' + std::to_string(e.score) + "\r\n";
    for (char& c : text)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return text;
}

int filesInDirectory()
{
    int n = 0;
    if (DIR* dir = opendir(".")) {
        while (dirent* entry = readdir(dir))
            n += entry->d_name[0] != '.';
        closedir(dir);
    }
    return n;
}

void check(const uint8_t* data, size_t size, int tableSize, bool lowerIsBetter)
{
    {
        std::ofstream out(tableFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            fail("cannot write the input file");
    }
    HighscoreManager table(tableSize, lowerIsBetter);
    if (!table.ReadFromFile(tableFile))
        fail("ReadFromFile failed in a writable directory");
    if (table.Size() != tableSize)
        fail("the read changed the table's size");
    for (const HighscoreEntry& e : table.entries) {
        if (e.name.empty())
            fail("a row with an empty name");
        for (unsigned char c : e.name)
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
                fail("a row whose name holds whitespace");
        if (e.lowerIsBetter != lowerIsBetter)
            fail("a row took another rank direction");
    }
    if (filesInDirectory() != 1)
        fail("the read left a file behind");

    if (!table.PrintToFile(tableFile))
        fail("PrintToFile failed in a writable directory");
    if (fileBytes(tableFile) != storedBytes(table))
        fail("the saved bytes are not the format's");
    if (filesInDirectory() != 1)
        fail("the save left a file behind");

    HighscoreManager again(tableSize, lowerIsBetter);
    // Defaults that differ from every row read, so a row not read shows.
    for (HighscoreEntry& e : again.entries) {
        e.name = "unread";
        e.score = -7;
    }
    if (!again.ReadFromFile(tableFile))
        fail("reading the saved table failed");
    auto a = table.entries.begin();
    for (auto b = again.entries.begin(); b != again.entries.end(); ++a, ++b)
        if (a->name != b->name || a->score != b->score)
            fail("the saved table does not read back row for row");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char scratch[] = "/dev/shm/fuzz_highscores.XXXXXX";
    char fallback[] = "/tmp/fuzz_highscores.XXXXXX";
    const char* dir = mkdtemp(scratch);
    if (!dir)
        dir = mkdtemp(fallback);
    if (!dir || chdir(dir) != 0)
        fail("no scratch directory");
    // The directory goes with the process; nothing in it outlives a run but
    // the one table file.
    static std::string path = dir;
    atexit([] {
        unlink((path + "/" + tableFile).c_str());
        rmdir(path.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The game's table, then one of another size and direction.
    check(data, size, 5, false);
    check(data, size, 1 + static_cast<int>(size % 8), size % 2 == 1);
    return 0;
}
