// One-bit pixel collision masks and their word-parallel overlap test.
//
// Layout: the mask is cut into vertical strips 32 pixels wide, stored strip
// by strip with one 32-bit word per row, top row first; pixel (x, y) is bit
// (x & 31) of word (x >> 5) * h + y, bit 0 the strip's leftmost pixel. Bits
// at or beyond w in the last strip are 0.
#pragma once

#include <cstdint>

struct BITMAP;

struct PMASK {
    int16_t w;
    int16_t h;
    uint32_t* mask;
};

// Used by the game.
PMASK* create_allegro_pmask(BITMAP* sprite); // null when memory runs out
void destroy_pmask(PMASK* mask);             // null does nothing
// 1 when a solid pixel of mask1 at (x1, y1) lies on a solid pixel of mask2
// at (x2, y2), otherwise 0. Boxes that only share an edge never collide.
// Defined below: the box test is inline, since most pairs end there.
inline int check_pmask_collision(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2);

// Building blocks.
void init_pmask(PMASK* mask, int w, int h);
void deinit_pmask(PMASK* mask);
PMASK* create_pmask(int w, int h);
void load_allegro_pmask(PMASK* mask, BITMAP* sprite);
void init_allegro_pmask(PMASK* mask, BITMAP* sprite);
void pmask_load_func(PMASK* mask, int x, int y, void* surface, int transparentColor,
                     int (*getPixel)(void* surface, int x, int y));
// The word-by-word test behind check_pmask_collision, which calls it once the
// boxes overlap. Same answer for any placement.
int check_pmask_overlap(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2);

inline int check_pmask_collision(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    // The boxes overlap when -w2 < x2 - x1 < w1 and -h2 < y2 - y1 < h1, that
    // is when x2 - x1 + w2 - 1, taken unsigned, is below w1 + w2 - 1, and the
    // same down. Each subtraction below goes negative in 64 bits exactly when
    // its axis overlaps, so a single branch on the sign of their AND decides,
    // the same for every size and placement.
    const unsigned w1 = static_cast<unsigned>(mask1->w), w2 = static_cast<unsigned>(mask2->w);
    const unsigned h1 = static_cast<unsigned>(mask1->h), h2 = static_cast<unsigned>(mask2->h);
    const unsigned across = static_cast<unsigned>(x2) - static_cast<unsigned>(x1) + w2 - 1u;
    const unsigned down = static_cast<unsigned>(y2) - static_cast<unsigned>(y1) + h2 - 1u;
    const uint64_t overlapX = uint64_t{across} - (w1 + w2 - 1u);
    const uint64_t overlapY = uint64_t{down} - (h1 + h2 - 1u);
    if (((overlapX & overlapY) >> 63) == 0)
        return 0;
    return check_pmask_overlap(mask1, mask2, x1, y1, x2, y2);
}
