// The load check: a datafile that is short or holds an object of the wrong
// type at an index the game reads is refused with a message that names the
// file and the object; the indices the game skips take any object.
#include "shell/al.h"
#include "shell/catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A DAT_END-terminated array as load_datafile returns it, with the types the
// catalogue expects (bitmaps where it accepts anything).
struct FakeFile {
    std::vector<DATAFILE> entries;
    int dummy = 0;

    FakeFile(const CatalogueFile& file, int count)
    {
        for (int i = 0; i < count; ++i) {
            const int type = file.types[i] ? file.types[i] : DAT_BITMAP;
            entries.push_back(DATAFILE{&dummy, type, 0, nullptr});
        }
        entries.push_back(DATAFILE{nullptr, DAT_END, 0, nullptr});
    }
    const DATAFILE* data() const { return entries.data(); }
};

TEST(Catalogue, CompleteFilesPass)
{
    for (const CatalogueFile* f : {&spritesCatalogue, &explosionCatalogue, &miscCatalogue, &sfxCatalogue}) {
        FakeFile file(*f, f->count);
        EXPECT_EQ("", checkDatafile(file.data(), *f)) << f->fileName;
        // Extra objects after the catalogue's last index do no harm.
        FakeFile longer(*f, f->count);
        longer.entries.insert(longer.entries.end() - 1, DATAFILE{&longer.dummy, DAT_DATA, 0, nullptr});
        EXPECT_EQ("", checkDatafile(longer.data(), *f)) << f->fileName;
    }
}

TEST(Catalogue, ShortFilesNameTheFirstMissingObject)
{
    FakeFile sprites(spritesCatalogue, 20);
    EXPECT_EQ("File 'sprites.dat' is incomplete: object 20 is missing.\nReinstall the game's data files.",
              checkDatafile(sprites.data(), spritesCatalogue));
    FakeFile empty(sfxCatalogue, 0);
    EXPECT_EQ("File 'sfx.dat' is incomplete: object 0 is missing.\nReinstall the game's data files.",
              checkDatafile(empty.data(), sfxCatalogue));
    // An unused index is still needed so that later indices keep their numbers.
    FakeFile misc(miscCatalogue, MISC_UNUSED);
    EXPECT_NE(std::string::npos, checkDatafile(misc.data(), miscCatalogue).find("object 4 is missing"));
}

TEST(Catalogue, WrongTypesNameTheObjectAndTheTypeExpected)
{
    FakeFile misc(miscCatalogue, MISC_COUNT);
    misc.entries[MISC_FONT_LARGE].type = DAT_BITMAP;
    EXPECT_EQ("File 'misc.dat' is damaged: object 7 should be a font.\nReinstall the game's data files.",
              checkDatafile(misc.data(), miscCatalogue));

    FakeFile sfx(sfxCatalogue, SFX_COUNT);
    sfx.entries[SFX_COUNT_UP].type = DAT_FONT;
    EXPECT_NE(std::string::npos, checkDatafile(sfx.data(), sfxCatalogue).find("'sfx.dat' is damaged: object 18 should be a sample"));

    FakeFile explosion(explosionCatalogue, EXPLOSION_COUNT);
    explosion.entries[EXP_BREAKUP_FIRST].dat = nullptr; // right type, no object
    EXPECT_NE(std::string::npos, checkDatafile(explosion.data(), explosionCatalogue).find("object 14 should be a bitmap"));

    // The first fault is reported.
    FakeFile sprites(spritesCatalogue, SPRITES_COUNT);
    sprites.entries[SPR_SHIP].type = DAT_SAMPLE;
    sprites.entries[SPR_MINE].type = DAT_FONT;
    EXPECT_NE(std::string::npos, checkDatafile(sprites.data(), spritesCatalogue).find("object 5 should be a bitmap"));
}

TEST(Catalogue, UnusedIndicesTakeAnyObject)
{
    FakeFile misc(miscCatalogue, MISC_COUNT);
    misc.entries[MISC_UNUSED].type = DAT_DATA;
    EXPECT_EQ("", checkDatafile(misc.data(), miscCatalogue));
    FakeFile sfx(sfxCatalogue, SFX_COUNT);
    for (int i : {SFX_UNUSED_7, SFX_UNUSED_8, SFX_UNUSED_10})
        sfx.entries[i].type = DAT_BITMAP;
    EXPECT_EQ("", checkDatafile(sfx.data(), sfxCatalogue));
    FakeFile explosion(explosionCatalogue, EXPLOSION_COUNT);
    explosion.entries[EXP_UNUSED].type = DAT_SAMPLE;
    EXPECT_EQ("", checkDatafile(explosion.data(), explosionCatalogue));
}

// ---- the same faults in real files, loaded by Allegro ----

std::vector<char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t be32(const char* p)
{
    return (uint32_t(uint8_t(p[0])) << 24) | (uint32_t(uint8_t(p[1])) << 16) | (uint32_t(uint8_t(p[2])) << 8) |
           uint32_t(uint8_t(p[3]));
}

// The objects of an unpacked datafile, each as its raw bytes (properties,
// type, sizes and data).
std::vector<std::vector<char>> objectsOf(const std::string& path)
{
    const std::vector<char> f = readAll(path);
    std::vector<std::vector<char>> out;
    if (f.size() < 12 || std::string(f.data(), 8) != "slh.ALL.")
        return out;
    const uint32_t count = be32(&f[8]);
    size_t pos = 12;
    for (uint32_t i = 0; i < count && pos + 12 <= f.size(); ++i) {
        const size_t start = pos;
        while (std::string(&f[pos], 4) == "prop")
            pos += 12 + be32(&f[pos + 8]);
        const uint32_t stored = be32(&f[pos + 4]);
        pos += 12 + stored;
        out.emplace_back(f.begin() + long(start), f.begin() + long(pos));
    }
    return out;
}

std::string writeDatafile(const std::string& name, const std::vector<std::vector<char>>& objects)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tarnavel-catalogue-" + std::to_string(::getpid()) + "-" + name)).string();
    std::ofstream out(path, std::ios::binary);
    out.write("slh.ALL.", 8);
    const uint32_t n = uint32_t(objects.size());
    const char count[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    out.write(count, 4);
    for (const auto& o : objects)
        out.write(o.data(), long(o.size()));
    return path;
}

std::string checkFile(const std::string& path, const CatalogueFile& file)
{
    DATAFILE* d = load_datafile(path.c_str());
    std::remove(path.c_str());
    if (!d)
        return "did not load";
    const std::string message = checkDatafile(d, file);
    unload_datafile(d);
    return message;
}

TEST(Catalogue, RealDatafilesThatAreShortOrMixedUpAreRefused)
{
    const std::string dir = TARNAVEL_DATA_DIR;
    std::vector<std::vector<char>> sprites = objectsOf(dir + "/sprites.dat");
    std::vector<std::vector<char>> misc = objectsOf(dir + "/misc.dat");
    std::vector<std::vector<char>> sfx = objectsOf(dir + "/sfx.dat");
    ASSERT_EQ(size_t(SPRITES_COUNT), sprites.size());
    ASSERT_EQ(size_t(MISC_COUNT), misc.size());
    ASSERT_EQ(size_t(SFX_COUNT), sfx.size());

    // Read back whole, the file passes.
    EXPECT_EQ("", checkFile(writeDatafile("whole.dat", sprites), spritesCatalogue));

    // Cut after the status-line icons: the collectable is the first missing.
    std::vector<std::vector<char>> shortSprites(sprites.begin(), sprites.begin() + SPR_COLLECTABLE);
    EXPECT_EQ("File 'sprites.dat' is incomplete: object 31 is missing.\nReinstall the game's data files.",
              checkFile(writeDatafile("short.dat", shortSprites), spritesCatalogue));

    // A sound where the small font belongs.
    misc[MISC_FONT_SMALL] = sfx[SFX_MENU_CLICK];
    EXPECT_EQ("File 'misc.dat' is damaged: object 8 should be a font.\nReinstall the game's data files.",
              checkFile(writeDatafile("mixed.dat", misc), miscCatalogue));

    // A picture among the sounds.
    sfx[SFX_SHIP_FIRES] = sprites[SPR_SHIP];
    EXPECT_EQ("File 'sfx.dat' is damaged: object 16 should be a sample.\nReinstall the game's data files.",
              checkFile(writeDatafile("mixed-sfx.dat", sfx), sfxCatalogue));
}

} // namespace
