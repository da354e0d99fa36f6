// The generated datafiles as the game will read them: every index of the
// catalogue with its type, pictures flush with where the game puts them,
// hard transparent edges, fonts that fit their lines, sounds that fit their
// events, and a generator that gives the same bytes on every run.
#include "shell/al.h"
#include "shell/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const std::string dataDir = TARNAVEL_DATA_DIR;

DATAFILE* sprites = nullptr;
DATAFILE* explosion = nullptr;
DATAFILE* misc = nullptr;
DATAFILE* sfx = nullptr;

class Datafiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sprites = load_datafile((dataDir + "/sprites.dat").c_str());
        explosion = load_datafile((dataDir + "/explosion.dat").c_str());
        misc = load_datafile((dataDir + "/misc.dat").c_str());
        sfx = load_datafile((dataDir + "/sfx.dat").c_str());
    }
    static void TearDownTestSuite()
    {
        for (DATAFILE** d : {&sprites, &explosion, &misc, &sfx}) {
            if (*d)
                unload_datafile(*d);
            *d = nullptr;
        }
    }
    void SetUp() override
    {
        ASSERT_TRUE(sprites && explosion && misc && sfx) << "the datafiles in " << dataDir << " do not load";
    }
};

int countObjects(const DATAFILE* d)
{
    int n = 0;
    while (d[n].type != DAT_END)
        ++n;
    return n;
}

bool isMask(BITMAP* b, int x, int y) { return getpixel(b, x, y) == bitmap_mask_color(b); }

// Pixels that a collision mask built from the bitmap would count as solid.
int solidPixels(BITMAP* b)
{
    int n = 0;
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x)
            n += !isMask(b, x, y);
    return n;
}

TEST_F(Datafiles, EveryIndexHoldsTheTypeTheCatalogueNames)
{
    const std::pair<DATAFILE*, const CatalogueFile*> files[] = {
        {sprites, &spritesCatalogue}, {explosion, &explosionCatalogue}, {misc, &miscCatalogue}, {sfx, &sfxCatalogue}};
    for (auto& f : files) {
        EXPECT_EQ("", checkDatafile(f.first, *f.second));
        EXPECT_EQ(f.second->count, countObjects(f.first)) << f.second->fileName;
    }
    // The indices the game skips still hold real objects of the file's kind.
    for (int i = 0; i < SPRITES_COUNT; ++i)
        EXPECT_EQ(DAT_BITMAP, sprites[i].type) << "sprites.dat " << i;
    for (int i = 0; i < EXPLOSION_COUNT; ++i)
        EXPECT_EQ(DAT_BITMAP, explosion[i].type) << "explosion.dat " << i;
    EXPECT_EQ(DAT_BITMAP, misc[MISC_UNUSED].type);
    for (int i = 0; i < SFX_COUNT; ++i)
        EXPECT_EQ(DAT_SAMPLE, sfx[i].type) << "sfx.dat " << i;
}

TEST_F(Datafiles, PicturesAreFlushWithWhereTheGamePutsThem)
{
    auto size = [](DATAFILE* d, int i) { return std::make_pair(bitmapAt(d, i)->w, bitmapAt(d, i)->h); };
    using WH = std::pair<int, int>;
    // Fixed hazards at the side edges, centred at mid-height (y = 480/2 - 37).
    EXPECT_EQ(WH(58, 74), size(sprites, SPR_HAZARD_LEFT));
    EXPECT_EQ(WH(58, 74), size(sprites, SPR_HAZARD_RIGHT));
    // On the bottom edge (y = 440), left of the exit (x = 250, exit at 299).
    EXPECT_LE(bitmapAt(sprites, SPR_HAZARD_BOTTOM)->w, 49);
    EXPECT_EQ(40, bitmapAt(sprites, SPR_HAZARD_BOTTOM)->h);
    EXPECT_EQ(WH(42, 10), size(sprites, SPR_EXIT_GATE));
    EXPECT_EQ(WH(640, 17), size(sprites, SPR_STATUS_PANEL));
    for (int k = 0; k < 3; ++k) {
        BITMAP* icon = bitmapAt(sprites, SPR_WEAPON_ICON_FIRST + k);
        EXPECT_LE(3 + icon->h, 17) << "icon " << k << " leaves the status line";
        EXPECT_LE(592 + icon->w, 608) << "icon " << k << " runs under its charge count";
    }
    EXPECT_EQ(WH(640, 480), size(misc, MISC_INSTRUCTIONS));
    EXPECT_EQ(WH(640, 480), size(misc, MISC_BACKGROUND));

    // Buttons: 50 px apart, the caption "Instructions" inside with a margin.
    BITMAP* normal = bitmapAt(misc, MISC_BUTTON_NORMAL);
    BITMAP* pressed = bitmapAt(misc, MISC_BUTTON_PRESSED);
    EXPECT_EQ(WH(normal->w, normal->h), WH(pressed->w, pressed->h));
    EXPECT_LE(pressed->h, 48);
    EXPECT_GE(normal->w, text_length(fontAt(misc, MISC_FONT_LARGE), "Instructions") + 2 * 12);
    EXPECT_GE(pressed->h, text_height(fontAt(misc, MISC_FONT_LARGE)) + 8);

    // The ship, the shots, the enemies.
    BITMAP* ship = bitmapAt(sprites, SPR_SHIP);
    EXPECT_TRUE(ship->w >= 28 && ship->w <= 36 && ship->h >= 28 && ship->h <= 36) << ship->w << "x" << ship->h;
    for (int i : {SPR_SHIP_BULLET, SPR_ENEMY_BULLET}) {
        BITMAP* b = bitmapAt(sprites, i);
        EXPECT_TRUE(b->w >= 5 && b->w <= 8 && b->h >= 5 && b->h <= 8) << "sprites.dat " << i;
    }
    BITMAP* mine = bitmapAt(sprites, SPR_MINE);
    EXPECT_GT(mine->w, bitmapAt(sprites, SPR_ENEMY_BULLET)->w) << "the mine must not pass for a shot";
    for (int k = 0; k < 7; ++k) {
        BITMAP* a = bitmapAt(sprites, SPR_ENEMY_FIRST + 2 * k);
        BITMAP* b = bitmapAt(sprites, SPR_ENEMY_FIRST + 2 * k + 1);
        EXPECT_TRUE(a->w >= 20 && a->w <= 48 && a->h >= 20 && a->h <= 48) << "kind " << k;
        EXPECT_EQ(WH(a->w, a->h), WH(b->w, b->h)) << "kind " << k << ": both frames share one size";
    }

    // The game-over picture and the name below it stay on the screen.
    BITMAP* over = bitmapAt(sprites, SPR_GAME_OVER);
    EXPECT_LE(over->w, 640);
    EXPECT_LE(240 + over->h + 15 + text_height(fontAt(misc, MISC_FONT_LARGE)), 480);
    BITMAP* logo = bitmapAt(misc, MISC_LOGO);
    EXPECT_TRUE(logo->w <= 640 && logo->h <= 480);
}

TEST_F(Datafiles, SpritesHaveHardVisibleEdgesAndSolidPixels)
{
    for (int i = 0; i < SPRITES_COUNT; ++i) {
        BITMAP* b = bitmapAt(sprites, i);
        EXPECT_GT(solidPixels(b), 0) << "sprites.dat " << i << " would have an empty collision mask";
        int fringe = 0, invisible = 0;
        for (int y = 0; y < b->h; ++y)
            for (int x = 0; x < b->w; ++x) {
                if (isMask(b, x, y))
                    continue;
                const int c = getpixel(b, x, y);
                const int r = getr(c), g = getg(c), bl = getb(c);
                fringe += (r > 200 && g < 60 && bl > 200);
                invisible += std::max(r, std::max(g, bl)) < 40;
            }
        EXPECT_EQ(0, fringe) << "sprites.dat " << i << " has near-mask pixels";
        if (i != SPR_STATUS_PANEL) {
            EXPECT_EQ(0, invisible) << "sprites.dat " << i << " has solid pixels too dark to see on black";
        }
    }
    // Pictures that cover the screen or the status line have no holes.
    EXPECT_EQ(640 * 17, solidPixels(bitmapAt(sprites, SPR_STATUS_PANEL)));
    EXPECT_EQ(640 * 480, solidPixels(bitmapAt(misc, MISC_BACKGROUND)));
    EXPECT_EQ(640 * 480, solidPixels(bitmapAt(misc, MISC_INSTRUCTIONS)));
    // The pointer's tip is its hot spot, 2 pixels in from the corner.
    EXPECT_FALSE(isMask(bitmapAt(misc, MISC_POINTER), 2, 2));
    // Each sequence frame shows something.
    for (int i = 0; i < EXP_FRAMES; ++i) {
        EXPECT_GT(solidPixels(bitmapAt(explosion, EXP_FIREBALL_FIRST + i)), 0) << i;
        EXPECT_GT(solidPixels(bitmapAt(explosion, EXP_BREAKUP_FIRST + i)), 0) << i;
    }
}

TEST_F(Datafiles, PowerUpsAndIconsWearTheirWeaponsFlashColour)
{
    // Flash colours: weapon 0 blue, 1 green, 2 red; the brightest channel on
    // average over the picture must be that one.
    for (int k = 0; k < 3; ++k)
        for (int index : {SPR_POWERUP_FIRST + k, SPR_WEAPON_ICON_FIRST + k}) {
            BITMAP* b = bitmapAt(sprites, index);
            long sum[3] = {0, 0, 0};
            for (int y = 0; y < b->h; ++y)
                for (int x = 0; x < b->w; ++x)
                    if (!isMask(b, x, y)) {
                        const int c = getpixel(b, x, y);
                        sum[0] += getr(c);
                        sum[1] += getg(c);
                        sum[2] += getb(c);
                    }
            const int expected = k == 0 ? 2 : (k == 1 ? 1 : 0);
            const int strongest = int(std::max_element(sum, sum + 3) - sum);
            EXPECT_EQ(expected, strongest) << "sprites.dat " << index;
        }
}

TEST_F(Datafiles, FontsAreMonoCarryAsciiAndFitTheirLines)
{
    FONT* large = fontAt(misc, MISC_FONT_LARGE);
    FONT* small = fontAt(misc, MISC_FONT_SMALL);
    EXPECT_TRUE(text_height(large) >= 14 && text_height(large) <= 18) << text_height(large);
    EXPECT_LE(text_height(small), 16);
    BITMAP* canvas = create_bitmap(64, 64);
    for (FONT* f : {large, small}) {
        EXPECT_TRUE(is_mono_font(f)) << "the colour of each text call must apply";
        EXPECT_EQ(32, get_font_range_begin(f, -1));
        EXPECT_EQ(126, get_font_range_end(f, -1));
        const int colour = makecol(10, 200, 30);
        for (int ch = 33; ch <= 126; ++ch) {
            clear_to_color(canvas, makecol(0, 0, 0));
            const char text[2] = {char(ch), 0};
            textout_ex(canvas, f, text, 2, 2, colour, -1);
            int ink = 0, other = 0;
            for (int y = 0; y < canvas->h; ++y)
                for (int x = 0; x < canvas->w; ++x) {
                    const int c = getpixel(canvas, x, y);
                    ink += c == colour;
                    other += c != colour && c != makecol(0, 0, 0);
                }
            EXPECT_GT(ink, 0) << "character " << ch << " draws nothing";
            EXPECT_EQ(0, other) << "character " << ch << " ignores the colour";
        }
        EXPECT_GT(text_length(f, " "), 0);
    }
    destroy_bitmap(canvas);
    // The status line: each text ends before the next one starts.
    EXPECT_LE(5 + text_length(small, "Wave: 99"), 90);
    EXPECT_LE(90 + text_length(small, "Bonus: 1500"), 197);
    EXPECT_LE(197 + text_length(small, "Score: 999999"), 300);
    EXPECT_LE(544 + text_length(small, "x 99"), 592);
    EXPECT_LE(608 + text_length(small, "x 99"), 640);
    // The high-score table: a nine-letter name and a score share x 5..120.
    EXPECT_LE(5 + text_length(small, "Brannockx") + 4 + text_length(small, "99999"), 120);
}

TEST_F(Datafiles, SoundsAreShortAudibleAndUnclipped)
{
    for (int i = 0; i < SFX_COUNT; ++i) {
        SAMPLE* s = sampleAt(sfx, i);
        ASSERT_TRUE(s->bits == 8 || s->bits == 16) << i;
        EXPECT_FALSE(s->stereo) << i;
        const double seconds = double(s->len) / s->freq;
        const double limit = i == SFX_EXTRA_LIFE ? 2.0 : (i == SFX_COUNT_UP ? 0.05 : 1.0);
        EXPECT_LT(seconds, limit) << "sfx.dat " << i;
        EXPECT_GT(seconds, 0.01) << "sfx.dat " << i;
        int peak = 0;
        bool clipped = false;
        double energy = 0;
        for (unsigned long k = 0; k < s->len; ++k) {
            const int v = s->bits == 16 ? int(static_cast<unsigned short*>(s->data)[k]) - 32768
                                        : (int(static_cast<unsigned char*>(s->data)[k]) - 128) * 256;
            peak = std::max(peak, std::abs(v));
            clipped = clipped || v <= -32767 || v >= 32767;
            energy += double(v) * v;
        }
        EXPECT_FALSE(clipped) << "sfx.dat " << i;
        EXPECT_GT(peak, 32768 / 2) << "sfx.dat " << i << " is not normalised";
        EXPECT_GT(std::sqrt(energy / s->len), 1000) << "sfx.dat " << i << " is nearly silent";
        // It starts at once: the first 10 ms already carry sound.
        int early = 0;
        for (unsigned long k = 0; k < std::min<unsigned long>(s->len, s->freq / 100); ++k) {
            const int v = s->bits == 16 ? int(static_cast<unsigned short*>(s->data)[k]) - 32768 : 0;
            early = std::max(early, std::abs(v));
        }
        if (s->bits == 16) {
            EXPECT_GT(early, 1000) << "sfx.dat " << i << " starts late";
        }
    }
}

std::vector<char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DatafileGenerator, TwoRunsGiveTheSameBytesAsTheBuild)
{
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("tarnavel-datagen-" + std::to_string(::getpid()));
    const fs::path a = base / "a", b = base / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    for (const fs::path& dir : {a, b}) {
        const std::string command = std::string("\"") + TARNAVEL_DATAGEN + "\" \"" + dir.string() + "\"";
        ASSERT_EQ(0, std::system(command.c_str())) << command;
    }
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat", "tarnavel.png"}) {
        const std::vector<char> first = readAll((a / name).string());
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == readAll((b / name).string())) << name << " differs between two runs";
        EXPECT_TRUE(first == readAll(dataDir + "/" + name)) << name << " differs from the build's copy";
    }
    fs::remove_all(base);
}

uint32_t be32(const std::vector<char>& b, size_t at)
{
    return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
           (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}

// Reference CRC-32 (bit by bit) for the PNG chunks.
uint32_t slowCrc(const std::vector<char>& b, size_t from, size_t to)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < to; ++i) {
        c ^= uint8_t(b[i]);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

TEST(DesktopIcon, IsAValidPngOfTheShipOnATransparentGround)
{
    const std::vector<char> png = readAll(dataDir + "/tarnavel.png");
    ASSERT_GT(png.size(), 8u);
    ASSERT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(png.data(), 8));
    size_t pos = 8;
    int width = 0, height = 0;
    std::vector<uint8_t> zlib;
    bool ended = false;
    while (pos + 12 <= png.size() && !ended) {
        const uint32_t len = be32(png, pos);
        const std::string type(&png[pos + 4], 4);
        ASSERT_LE(pos + 12 + len, png.size());
        EXPECT_EQ(slowCrc(png, pos + 4, pos + 8 + len), be32(png, pos + 8 + len)) << type;
        if (type == "IHDR") {
            width = int(be32(png, pos + 8));
            height = int(be32(png, pos + 12));
            EXPECT_EQ(8, png[pos + 16]);
            EXPECT_EQ(6, png[pos + 17]) << "RGBA";
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), png.begin() + long(pos + 8), png.begin() + long(pos + 8 + len));
        } else if (type == "IEND") {
            ended = true;
        }
        pos += 12 + len;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(64, width);
    EXPECT_EQ(64, height);
    // Inflate the stored blocks and check the Adler-32 sum.
    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ(0, ((zlib[0] << 8) | zlib[1]) % 31);
    std::vector<uint8_t> raw;
    size_t z = 2;
    bool last = false;
    while (!last && z + 5 <= zlib.size()) {
        last = zlib[z] & 1;
        ASSERT_EQ(0, (zlib[z] >> 1) & 3) << "only stored blocks";
        const int n = zlib[z + 1] | (zlib[z + 2] << 8);
        ASSERT_EQ(n ^ 0xFFFF, zlib[z + 3] | (zlib[z + 4] << 8));
        raw.insert(raw.end(), zlib.begin() + long(z + 5), zlib.begin() + long(z + 5 + n));
        z += 5 + n;
    }
    ASSERT_EQ(size_t(height) * (width * 4 + 1), raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    ASSERT_EQ(z + 4, zlib.size());
    EXPECT_EQ((b << 16) | a, (uint32_t(zlib[z]) << 24) | (uint32_t(zlib[z + 1]) << 16) | (uint32_t(zlib[z + 2]) << 8) | zlib[z + 3]);
    auto alpha = [&](int x, int y) { return raw[size_t(y) * (width * 4 + 1) + 1 + size_t(x) * 4 + 3]; };
    EXPECT_EQ(0, alpha(0, 0));
    EXPECT_EQ(0, alpha(63, 63));
    EXPECT_EQ(255, alpha(32, 32));
}

} // namespace
