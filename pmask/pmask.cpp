#include "pmask/pmask.h"

#include "shell/al.h"

#include <new>

namespace {

constexpr int maxSide = 32767;

// Number of 32-pixel strips for a width; 0 for a width of 0.
inline int stripCount(int w)
{
    return ((w - 1) >> 5) + 1;
}

// True when rows [0, rows) of two strips share a solid pixel once each word
// is shifted right by its count. Rows are tested from the bottom up, four at
// a time, so that short masks (bullets) and tall ones both stay cheap.
inline bool stripsMeet(const uint32_t* a, const uint32_t* b, int rows, unsigned shift1, unsigned shift2)
{
    int i = rows;
    while (i >= 4) {
        i -= 4;
        const uint32_t hit = ((a[i + 3] >> shift1) & (b[i + 3] >> shift2))
            | ((a[i + 2] >> shift1) & (b[i + 2] >> shift2))
            | ((a[i + 1] >> shift1) & (b[i + 1] >> shift2))
            | ((a[i] >> shift1) & (b[i] >> shift2));
        if (hit != 0)
            return true;
    }
    while (i > 0) {
        --i;
        if (((a[i] >> shift1) & (b[i] >> shift2)) != 0)
            return true;
    }
    return false;
}

// The word-by-word part of check_pmask_collision, reached only when the two
// boxes overlap. Kept out of line so that a box rejection costs no more than
// the four comparisons and a return.
__attribute__((noinline)) int overlapCollides(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    int dx1, dx2, dy1, dy2;
    if (x1 > x2) {
        dx1 = 0;
        dx2 = x1 - x2;
    } else {
        dx1 = x2 - x1;
        dx2 = 0;
    }
    if (y1 > y2) {
        dy1 = 0;
        dy2 = y1 - y2;
    } else {
        dy1 = y2 - y1;
        dy2 = 0;
    }

    const int h1 = mask1->h;
    const int h2 = mask2->h;
    unsigned shift1 = static_cast<unsigned>(dx1 & 31);
    unsigned shift2 = static_cast<unsigned>(dx2 & 31);
    const int rows1 = h1 - dy1;
    const int rows2 = h2 - dy2;
    const int rows = rows1 < rows2 ? rows1 : rows2;
    const int end1 = stripCount(mask1->w) * h1;
    const int end2 = stripCount(mask2->w) * h2;
    int p1 = (dx1 >> 5) * h1 + dy1;
    int p2 = (dx2 >> 5) * h2 + dy2;
    const uint32_t* bits1 = mask1->mask;
    const uint32_t* bits2 = mask2->mask;

    while (p1 < end1 && p2 < end2) {
        if (stripsMeet(bits1 + p1, bits2 + p2, rows, shift1, shift2))
            return 1;
        if (shift1 == 0 && shift2 == 0) {
            p1 += h1;
            p2 += h2;
        } else if (shift1 == 0) {
            p2 += h2;
            shift1 = 32 - shift2;
            shift2 = 0;
        } else {
            p1 += h1;
            shift2 = 32 - shift1;
            shift1 = 0;
        }
    }
    return 0;
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
    uint32_t* bits = new (std::nothrow) uint32_t[static_cast<size_t>(strips) * static_cast<size_t>(h)];
    if (bits == nullptr)
        return;
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

int check_pmask_collision(const PMASK* mask1, const PMASK* mask2, int x1, int y1, int x2, int y2)
{
    if (x1 >= x2 + mask2->w)
        return 0;
    if (x2 >= x1 + mask1->w)
        return 0;
    if (y1 >= y2 + mask2->h)
        return 0;
    if (y2 >= y1 + mask1->h)
        return 0;
    return overlapCollides(mask1, mask2, x1, y1, x2, y2);
}
