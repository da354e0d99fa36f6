// Pixel masks: the bit layout of a known sprite, and the word-parallel
// collision test against a pixel-by-pixel reference over many placements.
#include "pmask/pmask.h"
#include "shell/al.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {

// The solid pixels in colours that include near misses of the mask colour.
BITMAP* sprite(int w, int h, const std::function<bool(int, int)>& solid)
{
    BITMAP* picture = create_bitmap_ex(32, w, h);
    const int inks[] = {makecol32(255, 0, 254), makecol32(254, 0, 255), makecol32(255, 1, 255), 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            putpixel(picture, x, y, solid(x, y) ? inks[(x + y) % 4] : MASK_COLOR_32);
    return picture;
}

// The reference: a solid pixel of a at (x1, y1) on one of b at (x2, y2), looked for pixel by pixel.
int referenceCollision(BITMAP* a, BITMAP* b, int x1, int y1, int x2, int y2)
{
    for (int y = std::max(y1, y2); y < std::min(y1 + a->h, y2 + b->h); ++y)
        for (int x = std::max(x1, x2); x < std::min(x1 + a->w, x2 + b->w); ++x)
            if (_getpixel32(a, x - x1, y - y1) != MASK_COLOR_32 && _getpixel32(b, x - x2, y - y2) != MASK_COLOR_32)
                return 1;
    return 0;
}

TEST(PixelMask, BitLayoutOfAKnownSprite)
{
    BITMAP* picture = sprite(40, 4, [](int x, int y) { // two strips, the second using 8 columns
        return y == 3 || (y == 0 && (x == 0 || x == 31)) || (y == 1 && x == 32) || (y == 2 && (x == 5 || x == 39));
    });
    PMASK* mask = create_allegro_pmask(picture);
    EXPECT_EQ(std::vector<uint32_t>({0x80000001u, 0, 0x20u, 0xFFFFFFFFu, 0, 1u, 0x80u, 0xFFu}),
              std::vector<uint32_t>(mask->mask, mask->mask + 8));
    destroy_pmask(mask);
    destroy_bitmap(picture);
}

TEST(PixelMask, MatchesThePixelByPixelReference)
{
    // Widths around the strip boundaries, heights 1..100, from empty to full,
    // and a rim solid only in its last column and bottom row.
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> height(1, 100), position(-300, 300);
    std::vector<BITMAP*> pictures;
    std::vector<PMASK*> masks;
    for (const int w : {1, 31, 32, 33, 40, 63, 64, 65, 100})
        for (const double density : {0.5, 0.03, 0.003, 0.0, 1.0, -1.0}) {
            const int h = height(rng);
            std::bernoulli_distribution solid(std::max(density, 0.0));
            pictures.push_back(sprite(w, h, [&](int x, int y) {
                return density < 0 ? x == w - 1 || y == h - 1 : solid(rng);
            }));
            masks.push_back(create_allegro_pmask(pictures.back()));
        }
    // Offsets that mostly keep the boxes overlapping or just touching, a quarter of them multiples of 32.
    auto offset = [&](int a, int b) {
        return rng() % 4 == 0 ? 32 * std::uniform_int_distribution<int>(-(b + 32) / 32, (a + 32) / 32)(rng)
                              : std::uniform_int_distribution<int>(-b - 1, a + 1)(rng);
    };
    int cases = 0, hits = 0, failures = 0;
    for (size_t i = 0; i < masks.size(); ++i)
        for (size_t j = 0; j < masks.size(); ++j)
            for (int n = 0; n < 60; ++n, ++cases) {
                const int x1 = position(rng), y1 = position(rng);
                const int x2 = x1 + offset(masks[i]->w, masks[j]->w), y2 = y1 + offset(masks[i]->h, masks[j]->h);
                const int expected = referenceCollision(pictures[i], pictures[j], x1, y1, x2, y2);
                hits += expected;
                if ((check_pmask_collision(masks[i], masks[j], x1, y1, x2, y2) != expected ||
                     check_pmask_collision(masks[j], masks[i], x2, y2, x1, y1) != expected ||
                     check_pmask_overlap(masks[i], masks[j], x1, y1, x2, y2) != expected) && ++failures <= 10)
                    ADD_FAILURE() << "mask " << i << " at " << x1 << ", " << y1 << " on mask " << j << " at " << x2
                                  << ", " << y2 << ": the reference says " << expected;
            }
    EXPECT_TRUE(hits > cases / 5 && hits < cases * 4 / 5) << hits << " of " << cases; // both answers, often

    for (size_t i = 0; i < masks.size(); ++i) {
        destroy_pmask(masks[i]);
        destroy_bitmap(pictures[i]);
    }
}

} // namespace
