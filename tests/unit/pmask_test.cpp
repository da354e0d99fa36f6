// Pixel masks: the bit layout, masks built from sprites, sizes out of range,
// and the word-parallel collision test checked against a pixel-by-pixel
// reference on more than a million placements.
#include "pmask/pmask.h"
#include "shell/al.h"
#include "support/pmask_reference.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

struct MaskDeleter {
    void operator()(PMASK* mask) const { destroy_pmask(mask); }
};
using MaskPtr = std::unique_ptr<PMASK, MaskDeleter>;

struct BitmapDeleter {
    void operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }
};
using BitmapPtr = std::unique_ptr<BITMAP, BitmapDeleter>;

// A 32-bit memory sprite: clear pixels in the mask colour, solid ones in
// colours that include near misses of it, so only the exact colour is clear.
BitmapPtr spriteFromGrid(const PixelGrid& grid)
{
    BitmapPtr sprite(create_bitmap_ex(32, grid.w, grid.h));
    const int clear = bitmap_mask_color(sprite.get());
    const int inks[] = {makecol32(255, 0, 254), makecol32(254, 0, 255), makecol32(0, 0, 0),
                        makecol32(255, 255, 255), makecol32(255, 1, 255), makecol32(40, 200, 90)};
    for (int y = 0; y < grid.h; ++y)
        for (int x = 0; x < grid.w; ++x)
            putpixel(sprite.get(), x, y, grid.at(x, y) ? inks[(x * 7 + y * 3) % 6] : clear);
    return sprite;
}

// Through a memory sprite; a mask without pixels (no bitmap has that size)
// straight from create_pmask.
MaskPtr maskFromGrid(const PixelGrid& grid)
{
    if (grid.w == 0 || grid.h == 0)
        return MaskPtr(create_pmask(grid.w, grid.h));
    BitmapPtr sprite = spriteFromGrid(grid);
    return MaskPtr(create_allegro_pmask(sprite.get()));
}

int strips(int w)
{
    return w == 0 ? 0 : (w + 31) / 32;
}

// The words a grid must give: pixel (x, y) is bit x & 31 of word (x >> 5) * h + y.
std::vector<uint32_t> expectedWords(const PixelGrid& grid)
{
    std::vector<uint32_t> words(static_cast<size_t>(strips(grid.w)) * grid.h, 0);
    for (int y = 0; y < grid.h; ++y)
        for (int x = 0; x < grid.w; ++x)
            if (grid.at(x, y))
                words[static_cast<size_t>(x >> 5) * grid.h + y] |= 1u << (x & 31);
    return words;
}

std::vector<uint32_t> wordsOf(const PMASK& mask)
{
    return std::vector<uint32_t>(mask.mask, mask.mask + static_cast<size_t>(strips(mask.w)) * mask.h);
}

TEST(PixelMask, BitLayoutOfAKnownSprite)
{
    // 40 x 3: two strips, the second with 8 used columns.
    PixelGrid grid(40, 3);
    grid.set(0, 0, 1);
    grid.set(31, 0, 1);
    grid.set(5, 2, 1);
    grid.set(32, 1, 1);
    grid.set(39, 2, 1);
    MaskPtr mask = maskFromGrid(grid);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->w, 40);
    EXPECT_EQ(mask->h, 3);
    const std::vector<uint32_t> expected = {0x80000001u, 0u, 0x00000020u, 0u, 0x00000001u, 0x00000080u};
    EXPECT_EQ(wordsOf(*mask), expected);

    // Fully solid: the padding bits beyond the width stay clear.
    PixelGrid full(40, 2);
    full.solid.assign(full.solid.size(), 1);
    MaskPtr fullMask = maskFromGrid(full);
    const std::vector<uint32_t> fullExpected = {0xFFFFFFFFu, 0xFFFFFFFFu, 0x000000FFu, 0x000000FFu};
    EXPECT_EQ(wordsOf(*fullMask), fullExpected);
}

TEST(PixelMask, SpriteWithTransparentBorder)
{
    // Every border pixel is the mask colour (255, 0, 255); the inside is a
    // checkerboard of solid pixels.
    PixelGrid grid(36, 20);
    for (int y = 3; y < 17; ++y)
        for (int x = 2; x < 34; ++x)
            grid.set(x, y, (x + y) % 2);
    BitmapPtr sprite(create_bitmap_ex(32, grid.w, grid.h));
    clear_to_color(sprite.get(), makecol32(255, 0, 255));
    for (int y = 0; y < grid.h; ++y)
        for (int x = 0; x < grid.w; ++x)
            if (grid.at(x, y))
                putpixel(sprite.get(), x, y, makecol32(200, 30, 30));
    MaskPtr mask(create_allegro_pmask(sprite.get()));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(wordsOf(*mask), expectedWords(grid));

    // A single solid pixel probes each position.
    PixelGrid dot(1, 1);
    dot.set(0, 0, 1);
    MaskPtr dotMask = maskFromGrid(dot);
    for (int y = -1; y <= grid.h; ++y)
        for (int x = -1; x <= grid.w; ++x) {
            const bool inside = x >= 0 && y >= 0 && x < grid.w && y < grid.h;
            EXPECT_EQ(check_pmask_collision(mask.get(), dotMask.get(), 100, 50, 100 + x, 50 + y),
                      inside ? grid.at(x, y) : 0)
                << "dot at " << x << ", " << y;
        }

    // A sprite all in the mask colour collides with nothing, though its box
    // covers the whole of the other.
    BitmapPtr blank(create_bitmap_ex(32, 36, 20));
    clear_to_color(blank.get(), makecol32(255, 0, 255));
    MaskPtr blankMask(create_allegro_pmask(blank.get()));
    ASSERT_NE(blankMask, nullptr);
    EXPECT_EQ(wordsOf(*blankMask), std::vector<uint32_t>(2 * 20, 0u));
    PixelGrid full(36, 20);
    full.solid.assign(full.solid.size(), 1);
    MaskPtr fullMask = maskFromGrid(full);
    EXPECT_EQ(check_pmask_collision(blankMask.get(), fullMask.get(), 0, 0, 0, 0), 0);
    EXPECT_EQ(check_pmask_collision(fullMask.get(), fullMask.get(), 0, 0, 35, 19), 1);
}

TEST(PixelMask, SizesAndLifetime)
{
    const std::pair<int, int> invalid[] = {{-1, 5}, {5, -1}, {32768, 1}, {1, 32768}, {-32768, -32768}, {70000, 3}};
    for (const auto& size : invalid) {
        EXPECT_EQ(create_pmask(size.first, size.second), nullptr) << size.first << " x " << size.second;
        PMASK mask{7, 7, nullptr};
        init_pmask(&mask, size.first, size.second);
        EXPECT_EQ(mask.w, 0);
        EXPECT_EQ(mask.h, 0);
        EXPECT_EQ(mask.mask, nullptr);
    }

    // The largest sizes are valid, the last strip comes cleared.
    MaskPtr wide(create_pmask(32767, 2));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->w, 32767);
    EXPECT_EQ(wide->mask[1023 * 2], 0u);
    EXPECT_EQ(wide->mask[1023 * 2 + 1], 0u);
    MaskPtr tall(create_pmask(1, 32767));
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(tall->h, 32767);

    // An empty mask exists and collides with nothing.
    MaskPtr empty(create_pmask(0, 0));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(check_pmask_collision(empty.get(), tall.get(), 0, 0, 0, 0), 0);
    EXPECT_EQ(check_pmask_collision(tall.get(), empty.get(), 0, 0, 0, 5), 0);

    destroy_pmask(nullptr);
    deinit_pmask(tall.get());
    EXPECT_EQ(tall->w, 0);
    EXPECT_EQ(tall->h, 0);
    EXPECT_EQ(tall->mask, nullptr);

    // Building blocks on a caller-owned structure.
    PixelGrid grid(40, 20);
    for (int y = 0; y < 20; ++y)
        grid.set((y * 7) % 40, y, 1);
    PMASK local;
    BitmapPtr sprite = spriteFromGrid(grid);
    init_allegro_pmask(&local, sprite.get());
    EXPECT_EQ(wordsOf(local), expectedWords(grid));
    deinit_pmask(&local);

    // The loader reading from a row offset of a larger surface.
    init_pmask(&local, 40, 13);
    pmask_load_func(&local, 0, 7, &grid, 0, pixelGridReader);
    PixelGrid lower(40, 13);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 40; ++x)
            lower.set(x, y, grid.at(x, y + 7));
    EXPECT_EQ(wordsOf(local), expectedWords(lower));
    pmask_load_func(nullptr, 0, 0, &grid, 0, pixelGridReader);
    deinit_pmask(&local);
}

TEST(PixelMask, EdgesAndStripBoundaries)
{
    PixelGrid dot(1, 1);
    dot.set(0, 0, 1);
    MaskPtr a = maskFromGrid(dot);
    MaskPtr b = maskFromGrid(dot);
    EXPECT_EQ(check_pmask_collision(a.get(), b.get(), 5, 5, 5, 5), 1);
    EXPECT_EQ(check_pmask_collision(a.get(), b.get(), 5, 5, 6, 5), 0);
    EXPECT_EQ(check_pmask_collision(a.get(), b.get(), 5, 5, 5, 4), 0);

    // Fully solid boxes that only share an edge do not collide.
    PixelGrid solid(20, 10);
    solid.solid.assign(solid.solid.size(), 1);
    MaskPtr s = maskFromGrid(solid);
    EXPECT_EQ(check_pmask_collision(s.get(), s.get(), 0, 0, 20, 0), 0);
    EXPECT_EQ(check_pmask_collision(s.get(), s.get(), 0, 0, 19, 0), 1);
    EXPECT_EQ(check_pmask_collision(s.get(), s.get(), 0, 0, 0, -10), 0);
    EXPECT_EQ(check_pmask_collision(s.get(), s.get(), 0, 0, 0, -9), 1);

    // 40 wide, solid only in its last column: an 8-wide bar 35 pixels in
    // reaches it in the second strip (block 1, shift 3).
    PixelGrid lastColumn(40, 4);
    for (int y = 0; y < 4; ++y)
        lastColumn.set(39, y, 1);
    PixelGrid bar(8, 4);
    bar.solid.assign(bar.solid.size(), 1);
    MaskPtr m40 = maskFromGrid(lastColumn);
    MaskPtr m8 = maskFromGrid(bar);
    EXPECT_EQ(check_pmask_collision(m40.get(), m8.get(), -3, 0, 32, 1), 1);
    EXPECT_EQ(check_pmask_collision(m8.get(), m40.get(), 32, 1, -3, 0), 1);
    EXPECT_EQ(check_pmask_collision(m40.get(), m8.get(), -3, 0, 28, 1), 0);
}

// The corpus: every width around the strip boundaries, heights 1..100, and
// shapes from empty through sparse, dense, sprite-like and full, plus masks
// without a single pixel.
std::vector<PixelGrid> makeCorpus(std::mt19937& rng)
{
    const int widths[] = {1, 31, 32, 33, 40, 63, 64, 65, 100};
    std::uniform_int_distribution<int> height(1, 100);
    std::vector<PixelGrid> corpus;
    for (const int w : widths) {
        corpus.push_back(blobGrid(w, height(rng), rng));
        corpus.push_back(blobGrid(w, height(rng), rng));
        corpus.push_back(randomGrid(w, height(rng), 0.5, rng));
        corpus.push_back(randomGrid(w, height(rng), 0.03, rng));
        corpus.push_back(randomGrid(w, height(rng), 0.003, rng));
        corpus.push_back(PixelGrid(w, height(rng)));
        PixelGrid full(w, height(rng));
        full.solid.assign(full.solid.size(), 1);
        corpus.push_back(full);
        // Solid only at the right edge and bottom row: found only when the
        // last strip and the last row are both reached.
        PixelGrid rim(w, height(rng));
        for (int y = 0; y < rim.h; ++y)
            rim.set(w - 1, y, 1);
        for (int x = 0; x < w; ++x)
            rim.set(x, rim.h - 1, 1);
        corpus.push_back(rim);
    }
    corpus.push_back(blobGrid(100, 1, rng));
    corpus.push_back(blobGrid(65, 100, rng));
    corpus.push_back(randomGrid(1, 1, 1.0, rng));
    corpus.push_back(PixelGrid(1, 1));
    corpus.push_back(PixelGrid(0, 40));
    corpus.push_back(PixelGrid(40, 0));
    return corpus;
}

// An offset of b against a that mostly keeps the boxes overlapping or just
// touching, a quarter of the time an exact multiple of 32.
int pickOffset(int sizeA, int sizeB, std::mt19937& rng)
{
    std::uniform_int_distribution<int> any(-sizeB - 1, sizeA + 1);
    if (rng() % 4 == 0) {
        std::uniform_int_distribution<int> block(-(sizeB + 32) / 32, (sizeA + 32) / 32);
        return 32 * block(rng);
    }
    return any(rng);
}

TEST(PixelMask, MatchesPixelByPixelReference)
{
    std::mt19937 rng(20240611);
    const std::vector<PixelGrid> corpus = makeCorpus(rng);
    std::vector<MaskPtr> masks;
    for (const PixelGrid& grid : corpus) {
        masks.push_back(maskFromGrid(grid));
        ASSERT_NE(masks.back(), nullptr);
        ASSERT_EQ(wordsOf(*masks.back()), expectedWords(grid)) << grid.w << " x " << grid.h;
    }

    const int placementsPerPair = 200;
    std::uniform_int_distribution<int> position(-300, 300);
    long cases = 0, hits = 0, overlapMisses = 0, failures = 0;
    for (size_t i = 0; i < corpus.size() && failures < 10; ++i) {
        for (size_t j = 0; j < corpus.size() && failures < 10; ++j) {
            const PixelGrid& a = corpus[i];
            const PixelGrid& b = corpus[j];
            for (int n = 0; n < placementsPerPair; ++n) {
                const int x1 = position(rng);
                const int y1 = position(rng);
                const int x2 = x1 + pickOffset(a.w, b.w, rng);
                const int y2 = y1 + pickOffset(a.h, b.h, rng);
                const int expected = referenceCollision(a, b, x1, y1, x2, y2);
                const int forward = check_pmask_collision(masks[i].get(), masks[j].get(), x1, y1, x2, y2);
                const int swapped = check_pmask_collision(masks[j].get(), masks[i].get(), x2, y2, x1, y1);
                const int wordsOnly = check_pmask_overlap(masks[i].get(), masks[j].get(), x1, y1, x2, y2);
                ++cases;
                hits += expected;
                const bool boxesOverlap = x1 < x2 + b.w && x2 < x1 + a.w && y1 < y2 + b.h && y2 < y1 + a.h;
                overlapMisses += boxesOverlap && !expected;
                if (forward != expected || swapped != expected || wordsOnly != expected) {
                    ++failures;
                    ADD_FAILURE() << a.w << "x" << a.h << " (#" << i << ") at " << x1 << "," << y1 << " against "
                                  << b.w << "x" << b.h << " (#" << j << ") at " << x2 << "," << y2
                                  << ": reference " << expected << ", forward " << forward << ", swapped "
                                  << swapped << ", without the box test " << wordsOnly;
                }
            }
        }
    }
    EXPECT_GE(cases, 1000000);
    // The placements must exercise both answers, including boxes that
    // overlap without any common solid pixel.
    EXPECT_GT(hits, cases / 5);
    EXPECT_GT(overlapMisses, cases / 5);
}

} // namespace
