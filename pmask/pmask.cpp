#include "pmask/pmask.h"

#include "shell/al.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr int maxSide = 32767;

// Past the last strip the bits go on with a strip of zeros, which the
// overlap test reads as the strip after the last, and tailWords more zeros,
// since it reads eight rows at a time and may run past the end before it
// masks the extra rows off.
constexpr int tailWords = 8;

// Number of 32-pixel strips for a width; 0 for a width of 0.
inline int stripCount(int w)
{
    return ((w - 1) >> 5) + 1;
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
    uint32_t* bits = new (std::nothrow) uint32_t[words + h + tailWords];
    if (bits == nullptr)
        return;
    std::memset(bits + words, 0, (h + tailWords) * sizeof(uint32_t));
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

// The overlap test. Its vectors never cross a call (every helper is
// inlined), so the note that 32-byte vectors pass differently with and
// without AVX does not concern it.
#pragma GCC diagnostic ignored "-Wpsabi"

// Built three times on x86-64: eight rows to an instruction where the
// processor has AVX2 (and with AVX-512's shorter sequences of scalar and
// vector steps where it has that too), four elsewhere. The loader picks the
// version.
#if defined(__x86_64__)
#define PMASK_VERSIONS __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define PMASK_VERSIONS
#endif

namespace {

using Rows8 = uint32_t __attribute__((vector_size(32))); // eight rows of a strip
using Rows4 = uint32_t __attribute__((vector_size(16)));

inline Rows8 load8(const uint32_t* p)
{
    Rows8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Eight rows folded onto four lanes: a bit of either half survives.
inline Rows4 folded(const Rows8& v)
{
    return __builtin_shufflevector(v, v, 0, 1, 2, 3) | __builtin_shufflevector(v, v, 4, 5, 6, 7);
}

inline bool anyBit(Rows4 v)
{
    uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// The first min(rows, 8) lanes of eight, read from laneTable + 8 - min(rows, 8).
alignas(64) constexpr uint32_t laneTable[16] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, 0, 0, 0, 0, 0, 0, 0, 0};

// Rows [row, row + 8) of a band 32 columns wide: one mask's strip `lo`
// shifted right by `shift`, the vacated high bits filled from the strip
// `hi` after it, so that two strips act as one 64-bit row; ANDed with the
// other mask's strip shifted right by otherShift. The fill shifts in two
// steps, 1 and 31 - shift, since a shift by 32 is undefined.
inline Rows8 eightRows(const uint32_t* lo, const uint32_t* hi, unsigned shift, const uint32_t* other,
                       unsigned otherShift, ptrdiff_t row)
{
    return ((load8(lo + row) >> shift) | ((load8(hi + row) << 1) << (31 - shift))) &
        (load8(other + row) >> otherShift);
}

// True when rows [0, rows) of a band share a solid pixel (rows >= 1). `hi`
// is the strip after `lo`, or the zero strip after the last one. The step
// at row 0 masks off the rows past the end of a short overlap; the others
// overlap it rather than run past the end.
inline bool bandMeets(const uint32_t* lo, const uint32_t* hi, unsigned shift, const uint32_t* other,
                      unsigned otherShift, ptrdiff_t rows)
{
    const Rows8 inside = load8(laneTable + 8 - (rows < 8 ? rows : 8));
    Rows4 common = folded(eightRows(lo, hi, shift, other, otherShift, 0) & inside);
    for (ptrdiff_t row = rows - 8; row > 0; row -= 8)
        common |= folded(eightRows(lo, hi, shift, other, otherShift, row));
    return anyBit(common);
}

// Both masks wider than one strip: the overlap in bands of 32 columns, band
// k starting at column cut + 32 k of the mask further left and at column
// 32 k of the other.
PMASK_VERSIONS __attribute__((noinline)) int overlapOfWideMasks(const PMASK* mask1, const PMASK* mask2, int dx,
                                                                 int dy)
{
    // Which mask lies further left depends on the placement, which a branch
    // would mispredict: a sign mask picks it.
    const int swap = dx >> 31;
    const uintptr_t flip = (reinterpret_cast<uintptr_t>(mask1) ^ reinterpret_cast<uintptr_t>(mask2)) &
        static_cast<uintptr_t>(static_cast<intptr_t>(swap));
    const PMASK* left = reinterpret_cast<const PMASK*>(reinterpret_cast<uintptr_t>(mask1) ^ flip);
    const PMASK* right = reinterpret_cast<const PMASK*>(reinterpret_cast<uintptr_t>(mask2) ^ flip);
    const int cut = (dx ^ swap) - swap;
    const int down = (dy ^ swap) - swap; // right's top below left's
    const int downLeft = down & ~(down >> 31), downRight = downLeft - down;
    const ptrdiff_t hl = left->h, hr = right->h;
    const ptrdiff_t rows = std::min(hl - downLeft, hr - downRight);
    int columns = std::min(left->w - cut, static_cast<int>(right->w));
    if ((rows <= 0) | (columns <= 0))
        return 0;
    const uint32_t* lo = left->mask + (cut >> 5) * hl + downLeft;
    const uint32_t* other = right->mask + downRight;
    for (;;) {
        if (bandMeets(lo, lo + hl, cut & 31, other, 0, rows))
            return 1;
        columns -= 32;
        if (columns <= 0)
            return 0;
        lo += hl;
        other += hr;
    }
}

} // namespace

// A mask of one strip against any other: the overlap is a single band, the
// narrow mask's strip against the other's two strips around it.
PMASK_VERSIONS int check_pmask_overlap(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    const PMASK* wide = mask1;
    const PMASK* narrow = mask2;
    int dx = x2 - x1, dy = y2 - y1; // narrow's corner from wide's
    if (mask2->w > 32) {
        wide = mask2;
        narrow = mask1;
        dx = -dx;
        dy = -dy;
    }
    if (narrow->w > 32)
        return overlapOfWideMasks(mask1, mask2, x2 - x1, y2 - y1);
    // How far into each mask the overlap starts; sign masks rather than
    // branches, which random placements would mispredict.
    const int intoWide = dx & ~(dx >> 31), intoNarrow = intoWide - dx;
    const int downWide = dy & ~(dy >> 31), downNarrow = downWide - dy;
    const ptrdiff_t hw = wide->h;
    const ptrdiff_t rows = std::min(hw - downWide, static_cast<ptrdiff_t>(narrow->h - downNarrow));
    const int columns = std::min(wide->w - intoWide, narrow->w - intoNarrow);
    if ((rows <= 0) | (columns <= 0))
        return 0;
    const uint32_t* lo = wide->mask + (intoWide >> 5) * hw + downWide;
    return bandMeets(lo, lo + hw, intoWide & 31, narrow->mask + downNarrow, intoNarrow, rows);
}
