#include "pmask/pmask.h"

#include "shell/al.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace {

constexpr int maxSide = 32767;

// Words allocated past the last strip, kept 0: the row test reads eight rows
// at a time and may run past the end of the bits before it masks them off.
constexpr int tailWords = 8;

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

// Rows [row, row + 8) of two strips, each word shifted right by its count,
// ANDed together.
inline Words4 eightRows(const uint32_t* a, const uint32_t* b, ptrdiff_t row, unsigned shift1, unsigned shift2,
                        Words4 lowInside, Words4 highInside)
{
    return ((load4(a + row) >> shift1) & (load4(b + row) >> shift2) & lowInside)
        | ((load4(a + row + 4) >> shift1) & (load4(b + row + 4) >> shift2) & highInside);
}

// True when rows [0, rows) of two strips share a solid pixel once each word
// is shifted right by its count (rows >= 1). Eight rows per step, the bottom
// eight first; the last step takes the top eight rows, overlapping the step
// below it, or, for fewer than eight rows, masks off the rows past the end.
// Short masks thus take one step without a branch.
inline bool stripsMeet(const uint32_t* a, const uint32_t* b, ptrdiff_t rows, unsigned shift1, unsigned shift2,
                       Words4 lowInside, Words4 highInside)
{
    const Words4 all = {~0u, ~0u, ~0u, ~0u};
    for (ptrdiff_t row = rows - 8; row > 0; row -= 8)
        if (anyBit(eightRows(a, b, row, shift1, shift2, all, all)))
            return true;
    return anyBit(eightRows(a, b, 0, shift1, shift2, lowInside, highInside));
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

namespace {

// Where the overlap of two placed masks starts inside each of them, and how
// many rows it has (0 or less when the boxes are apart, or a mask is empty).
struct Overlap {
    int dx1, dy1; // into mask1
    int dx2, dy2; // into mask2; at least one of dx1, dx2 and of dy1, dy2 is 0
    ptrdiff_t rows;
};

// For mask2 placed (dx, dy) from mask1. Taken apart with the sign mask rather
// than a branch, which random placements would mispredict.
inline Overlap overlapOf(int h1, int h2, int dx, int dy)
{
    const int dxNegative = dx >> 31;
    const int dyNegative = dy >> 31;
    Overlap o;
    o.dx1 = dx & ~dxNegative;
    o.dx2 = -dx & dxNegative;
    o.dy1 = dy & ~dyNegative;
    o.dy2 = -dy & dyNegative;
    o.rows = h1 - o.dy1 < h2 - o.dy2 ? h1 - o.dy1 : h2 - o.dy2;
    return o;
}

inline void loadLanes(ptrdiff_t rows, Words4& lowInside, Words4& highInside)
{
    const uint32_t* lanes = laneTable + 8 - (rows < 8 ? rows : 8);
    lowInside = load4(lanes);
    highInside = load4(lanes + 4);
}

// check_pmask_overlap for masks of more than one strip.
__attribute__((noinline)) int overlapAcrossStrips(const PMASK* mask1, const PMASK* mask2, int dx, int dy)
{
    const int h1 = mask1->h;
    const int h2 = mask2->h;
    const Overlap o = overlapOf(h1, h2, dx, dy);
    unsigned shift1 = static_cast<unsigned>(o.dx1 & 31);
    unsigned shift2 = static_cast<unsigned>(o.dx2 & 31);
    // Word p of a strip run is block * h + dy (0 <= dy < h), so "p < strips
    // * h" is "block < strips": the strip counts stand in for the word counts.
    const int strips1 = stripCount(mask1->w);
    const int strips2 = stripCount(mask2->w);
    int block1 = o.dx1 >> 5;
    int block2 = o.dx2 >> 5;
    if ((block1 >= strips1) | (block2 >= strips2) | (o.rows <= 0)) // an empty mask, or boxes apart
        return 0;
    Words4 lowInside, highInside;
    loadLanes(o.rows, lowInside, highInside);
    const uint32_t* rows1 = mask1->mask + o.dy1;
    const uint32_t* rows2 = mask2->mask + o.dy2;

    // One 32-pixel band of the overlap per pass. Then: both shifts 0, both
    // masks step to their next strip; otherwise the unshifted mask steps on
    // and the other is shifted by the complement, so the high part of one
    // strip meets the low part of the next. Since one shift is always 0,
    // "32 - shift, or 0" is (-shift) & 31 for both, and mask1 steps exactly
    // when shift2 is 0, mask2 when shift1 is 0: no branch. The end of the
    // test (a common pixel, or a mask out of strips) is a single test.
    for (;;) {
        const bool hit = stripsMeet(rows1 + static_cast<ptrdiff_t>(block1) * h1,
                                    rows2 + static_cast<ptrdiff_t>(block2) * h2, o.rows, shift1, shift2, lowInside,
                                    highInside);
        block1 += shift2 == 0 ? 1 : 0;
        block2 += shift1 == 0 ? 1 : 0;
        const unsigned next1 = -shift2 & 31;
        shift2 = -shift1 & 31;
        shift1 = next1;
        if (hit | (block1 >= strips1) | (block2 >= strips2))
            return hit ? 1 : 0;
    }
}

} // namespace

int check_pmask_overlap(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    const int w1 = mask1->w;
    const int w2 = mask2->w;
    const Overlap o = overlapOf(mask1->h, mask2->h, x2 - x1, y2 - y1);
    // Two masks of one strip each, the overlap starting in those strips (as
    // it does once the boxes overlap): the strip loop would make exactly one
    // pass, at words dy1 and dy2 with shifts dx1 and dx2. Most sprites of
    // the game are this narrow, and this path needs no strip bookkeeping.
    if ((static_cast<unsigned>(w1 - 1) | static_cast<unsigned>(w2 - 1) | static_cast<unsigned>(o.dx1 | o.dx2)) >= 32)
        return overlapAcrossStrips(mask1, mask2, x2 - x1, y2 - y1);
    if (o.rows <= 0) // an empty mask, or boxes apart
        return 0;
    Words4 lowInside, highInside;
    loadLanes(o.rows, lowInside, highInside);
    return stripsMeet(mask1->mask + o.dy1, mask2->mask + o.dy2, o.rows, static_cast<unsigned>(o.dx1),
                      static_cast<unsigned>(o.dx2), lowInside, highInside)
        ? 1
        : 0;
}
