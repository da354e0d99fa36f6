#include "pmask/pmask.h"

#include "shell/al.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace {

constexpr int maxSide = 32767;

// Words allocated past the last strip, kept 0: the row test reads eight rows
// at a time and may run past the end of the bits before it masks them off.
constexpr int tailWords = 7;

// Number of 32-pixel strips for a width; 0 for a width of 0.
inline int stripCount(int w)
{
    return ((w - 1) >> 5) + 1;
}

using Words4 = uint32_t __attribute__((vector_size(16)));

inline Words4 load4(const uint32_t* p)
{
    Words4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline bool anyBit(Words4 v)
{
    uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// Lanes of an eight-row step that lie inside the overlap: all eight when it
// has at least eight rows (the steps then overlap rather than run past it),
// else its first `rows`. Read from laneTable + 8 - min(rows, 8).
alignas(64) constexpr uint32_t laneTable[16] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, 0, 0, 0, 0, 0, 0, 0, 0};

// True when rows [0, rows) of two strips share a solid pixel once each word
// is shifted right by its count (rows >= 1). Eight rows per step, the bottom
// eight first, the top step overlapping the one below it, so that short masks
// take one step without a branch and no step needs a row count of its own.
inline bool stripsMeet(const uint32_t* a, const uint32_t* b, ptrdiff_t rows, unsigned shift1, unsigned shift2,
                       Words4 lowInside, Words4 highInside)
{
    ptrdiff_t start = rows - 8;
    Words4 hit;
    do {
        const ptrdiff_t row = start > 0 ? start : 0;
        const Words4 low = (load4(a + row) >> shift1) & (load4(b + row) >> shift2);
        const Words4 high = (load4(a + row + 4) >> shift1) & (load4(b + row + 4) >> shift2);
        hit = (low & lowInside) | (high & highInside);
        start -= 8;
    } while (start > -8 && !anyBit(hit));
    return anyBit(hit);
}

int readAllegroPixel(void* surface, int x, int y)
{
    return getpixel(static_cast<BITMAP*>(surface), x, y);
}

} // namespace

void init_pmask(PMASK* mask, int w, int h)
{
    mask->w = 0;
    mask->h = 0;
    mask->mask = nullptr;
    if (w < 0 || w > maxSide || h < 0 || h > maxSide)
        return;
    const int strips = stripCount(w);
    const size_t words = static_cast<size_t>(strips) * static_cast<size_t>(h);
    uint32_t* bits = new (std::nothrow) uint32_t[words + tailWords];
    if (bits == nullptr)
        return;
    std::memset(bits + words, 0, tailWords * sizeof(uint32_t));
    mask->w = static_cast<int16_t>(w);
    mask->h = static_cast<int16_t>(h);
    mask->mask = bits;
    // The loader writes every word; only the last strip's padding bits must
    // already be clear for callers that fill the mask some other way.
    if (strips > 0) {
        uint32_t* last = bits + static_cast<size_t>(strips - 1) * static_cast<size_t>(h);
        for (int r = 0; r < h; ++r)
            last[r] = 0;
    }
}

void deinit_pmask(PMASK* mask)
{
    mask->w = 0;
    mask->h = 0;
    delete[] mask->mask;
    mask->mask = nullptr;
}

PMASK* create_pmask(int w, int h)
{
    PMASK* mask = new (std::nothrow) PMASK;
    if (mask == nullptr)
        return nullptr;
    init_pmask(mask, w, h);
    if (mask->mask == nullptr) {
        destroy_pmask(mask);
        return nullptr;
    }
    return mask;
}

void destroy_pmask(PMASK* mask)
{
    if (mask == nullptr)
        return;
    deinit_pmask(mask);
    delete mask;
}

void pmask_load_func(PMASK* mask, int x, int y, void* surface, int transparentColor,
                     int (*getPixel)(void* surface, int x, int y))
{
    if (mask == nullptr)
        return;
    const int w = mask->w;
    const int h = mask->h;
    const int strips = stripCount(w);
    for (int s = 0; s < strips; ++s) {
        for (int r = 0; r < h; ++r) {
            uint32_t word = 0;
            for (int b = 31; b >= 0; --b) {
                word <<= 1;
                const int column = 32 * s + b + x;
                if (column < w && getPixel(surface, column, y + r) != transparentColor)
                    word |= 1;
            }
            mask->mask[s * h + r] = word;
        }
    }
}

void load_allegro_pmask(PMASK* mask, BITMAP* sprite)
{
    pmask_load_func(mask, 0, 0, sprite, bitmap_mask_color(sprite), readAllegroPixel);
}

void init_allegro_pmask(PMASK* mask, BITMAP* sprite)
{
    init_pmask(mask, sprite->w, sprite->h);
    load_allegro_pmask(mask, sprite);
}

PMASK* create_allegro_pmask(BITMAP* sprite)
{
    PMASK* mask = create_pmask(sprite->w, sprite->h);
    if (mask == nullptr)
        return nullptr;
    load_allegro_pmask(mask, sprite);
    return mask;
}

int check_pmask_overlap(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    const int w1 = mask1->w;
    const int h1 = mask1->h;
    const int w2 = mask2->w;
    const int h2 = mask2->h;

    // dx1/dy1: how far into mask1 the overlap starts; dx2/dy2 the same for
    // mask2; at least one of each pair is 0. Taken apart with the sign mask
    // rather than a branch, which random placements would mispredict.
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    const int dxNegative = dx >> 31;
    const int dyNegative = dy >> 31;
    const int dx1 = dx & ~dxNegative;
    const int dx2 = -dx & dxNegative;
    const int dy1 = dy & ~dyNegative;
    const int dy2 = -dy & dyNegative;
    unsigned shift1 = static_cast<unsigned>(dx1 & 31);
    unsigned shift2 = static_cast<unsigned>(dx2 & 31);
    const ptrdiff_t rows = h1 - dy1 < h2 - dy2 ? h1 - dy1 : h2 - dy2;
    const ptrdiff_t end1 = static_cast<ptrdiff_t>(stripCount(w1)) * h1;
    const ptrdiff_t end2 = static_cast<ptrdiff_t>(stripCount(w2)) * h2;
    ptrdiff_t p1 = static_cast<ptrdiff_t>(dx1 >> 5) * h1 + dy1;
    ptrdiff_t p2 = static_cast<ptrdiff_t>(dx2 >> 5) * h2 + dy2;
    // An empty mask, or (when called directly) boxes apart: no band to test.
    if ((p1 >= end1) | (p2 >= end2) | (rows <= 0))
        return 0;
    const uint32_t* lanes = laneTable + 8 - (rows < 8 ? rows : 8);
    const Words4 lowInside = load4(lanes);
    const Words4 highInside = load4(lanes + 4);
    const uint32_t* bits1 = mask1->mask;
    const uint32_t* bits2 = mask2->mask;

    // One 32-pixel band of the overlap per pass. Then: both shifts 0, both
    // masks step to their next strip; otherwise the unshifted mask steps on
    // and the other is shifted by the complement, so the high part of one
    // strip meets the low part of the next. Since one shift is always 0,
    // "32 - shift, or 0" is (-shift) & 31 for both, and mask1 steps exactly
    // when shift2 is 0, mask2 when shift1 is 0: no branch. The end of the
    // test (a common pixel, or a mask out of strips) is a single test that
    // single-strip masks always pass after their one band.
    for (;;) {
        const bool hit = stripsMeet(bits1 + p1, bits2 + p2, rows, shift1, shift2, lowInside, highInside);
        p1 += shift2 == 0 ? h1 : 0;
        p2 += shift1 == 0 ? h2 : 0;
        const unsigned next1 = -shift2 & 31;
        shift2 = -shift1 & 31;
        shift1 = next1;
        if (hit | (p1 >= end1) | (p2 >= end2))
            return hit ? 1 : 0;
    }
}

