// The pixel-mask overlap test as it stood at commit c773e75, kept unchanged
// as the benchmark's yardstick. Same PMASK layout; it reads up to eight
// words past the last strip, which pmask's allocations still provide.
#pragma once

#include "pmask/pmask.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pmask_frozen {

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

alignas(64) constexpr uint32_t laneTable[16] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, 0, 0, 0, 0, 0, 0, 0, 0};

inline Words4 eightRows(const uint32_t* a, const uint32_t* b, ptrdiff_t row, unsigned shift1, unsigned shift2,
                        Words4 lowInside, Words4 highInside)
{
    return ((load4(a + row) >> shift1) & (load4(b + row) >> shift2) & lowInside)
        | ((load4(a + row + 4) >> shift1) & (load4(b + row + 4) >> shift2) & highInside);
}

inline bool stripsMeet(const uint32_t* a, const uint32_t* b, ptrdiff_t rows, unsigned shift1, unsigned shift2,
                       Words4 lowInside, Words4 highInside)
{
    const Words4 all = {~0u, ~0u, ~0u, ~0u};
    for (ptrdiff_t row = rows - 8; row > 0; row -= 8)
        if (anyBit(eightRows(a, b, row, shift1, shift2, all, all)))
            return true;
    return anyBit(eightRows(a, b, 0, shift1, shift2, lowInside, highInside));
}

struct Overlap {
    int dx1, dy1;
    int dx2, dy2;
    ptrdiff_t rows;
};

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

// noipa: out of line and opaque, as it was in its own translation unit.
__attribute__((noipa)) inline int overlapAcrossStrips(const PMASK* mask1, const PMASK* mask2, int dx, int dy)
{
    const int h1 = mask1->h;
    const int h2 = mask2->h;
    const Overlap o = overlapOf(h1, h2, dx, dy);
    unsigned shift1 = static_cast<unsigned>(o.dx1 & 31);
    unsigned shift2 = static_cast<unsigned>(o.dx2 & 31);
    const int strips1 = stripCount(mask1->w);
    const int strips2 = stripCount(mask2->w);
    int block1 = o.dx1 >> 5;
    int block2 = o.dx2 >> 5;
    if ((block1 >= strips1) | (block2 >= strips2) | (o.rows <= 0))
        return 0;
    Words4 lowInside, highInside;
    loadLanes(o.rows, lowInside, highInside);
    const uint32_t* rows1 = mask1->mask + o.dy1;
    const uint32_t* rows2 = mask2->mask + o.dy2;
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

__attribute__((noipa)) inline int check_pmask_overlap(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2,
                                                      int y2)
{
    const int w1 = mask1->w;
    const int w2 = mask2->w;
    const Overlap o = overlapOf(mask1->h, mask2->h, x2 - x1, y2 - y1);
    if ((static_cast<unsigned>(w1 - 1) | static_cast<unsigned>(w2 - 1) | static_cast<unsigned>(o.dx1 | o.dx2)) >= 32)
        return overlapAcrossStrips(mask1, mask2, x2 - x1, y2 - y1);
    if (o.rows <= 0)
        return 0;
    Words4 lowInside, highInside;
    loadLanes(o.rows, lowInside, highInside);
    return stripsMeet(mask1->mask + o.dy1, mask2->mask + o.dy2, o.rows, static_cast<unsigned>(o.dx1),
                      static_cast<unsigned>(o.dx2), lowInside, highInside)
        ? 1
        : 0;
}

inline int check_pmask_collision(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    if ((x1 >= x2 + mask2->w) | (x2 >= x1 + mask1->w) | (y1 >= y2 + mask2->h) | (y2 >= y1 + mask1->h))
        return 0;
    return pmask_frozen::check_pmask_overlap(mask1, mask2, x1, y1, x2, y2);
}

} // namespace pmask_frozen
