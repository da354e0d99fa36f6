#include "support/fake_data.h"

#include <cmath>
#include <cstring>

namespace {

bool isFile(const CatalogueFile& file, const CatalogueFile& which)
{
    return std::strcmp(file.fileName, which.fileName) == 0;
}

int fileNumber(const CatalogueFile& file)
{
    if (isFile(file, spritesCatalogue))
        return 0;
    if (isFile(file, explosionCatalogue))
        return 1;
    if (isFile(file, miscCatalogue))
        return 2;
    return 3;
}

// The type an "any object" index is filled with: the file's own kind.
int fillerType(const CatalogueFile& file)
{
    return isFile(file, sfxCatalogue) ? DAT_SAMPLE : DAT_BITMAP;
}

bool solidAt(FakeShape shape, int w, int h, int x, int y)
{
    switch (shape) {
    case FakeShape::Solid:
        return true;
    case FakeShape::Disc: {
        // Inside the inscribed ellipse, tested at pixel centres.
        const double rx = w / 2.0, ry = h / 2.0;
        const double nx = (x + 0.5 - rx) / rx, ny = (y + 0.5 - ry) / ry;
        return nx * nx + ny * ny <= 1.0;
    }
    case FakeShape::Outline:
        return x == 0 || y == 0 || x == w - 1 || y == h - 1;
    case FakeShape::Gap:
        return x < w / 3 || x >= w - w / 3;
    case FakeShape::Empty:
        return false;
    }
    return false;
}

} // namespace

int fakeColor(const CatalogueFile& file, int index)
{
    // Hues a golden angle apart, so that neighbours look different; explosions
    // run from red to yellow. Each file has its own saturation and value, and
    // no combination reaches the mask colour (255, 0, 255).
    int r, g, b;
    switch (fileNumber(file)) {
    case 0: hsv_to_rgb(std::fmod(index * 137.508f, 360.0f), 0.8f, 0.95f, &r, &g, &b); break;
    case 1: hsv_to_rgb(2.0f * index, 1.0f, 1.0f, &r, &g, &b); break;
    case 2: hsv_to_rgb(std::fmod(index * 137.508f, 360.0f), 0.5f, 0.7f, &r, &g, &b); break;
    default: hsv_to_rgb(std::fmod(index * 137.508f, 360.0f), 0.3f, 0.5f, &r, &g, &b); break;
    }
    return makecol(r, g, b);
}

BITMAP* makeFakeBitmap(int w, int h, FakeShape shape, int color)
{
    BITMAP* bitmap = create_bitmap(w, h);
    clear_to_color(bitmap, bitmap_mask_color(bitmap));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (solidAt(shape, w, h, x, y))
                putpixel(bitmap, x, y, color);
    return bitmap;
}

SAMPLE* makeFakeSample(int length, int seed)
{
    SAMPLE* sample = create_sample(8, 0, 11025, length);
    unsigned char* bytes = static_cast<unsigned char*>(sample->data);
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<unsigned char>(128 + ((i * (seed + 3)) % 64) - 32);
    return sample;
}

FakeBitmapLayout defaultFakeBitmap(const CatalogueFile& file, int index)
{
    if (isFile(file, spritesCatalogue)) {
        if (index >= SPR_ENEMY_FIRST && index < SPR_HAZARD_LEFT) {
            const int kind = (index - SPR_ENEMY_FIRST) / 2;
            return {21 + 2 * kind, 17 + 2 * kind, FakeShape::Solid};
        }
        switch (index) {
        case SPR_POWERUP_FIRST:
        case SPR_POWERUP_FIRST + 1:
        case SPR_POWERUP_FIRST + 2: return {16, 16, FakeShape::Disc};
        case SPR_SHIP_BULLET: return {4, 4, FakeShape::Solid};
        case SPR_ENEMY_BULLET: return {6, 6, FakeShape::Disc};
        case SPR_MINE: return {9, 9, FakeShape::Disc};
        case SPR_HAZARD_LEFT:
        case SPR_HAZARD_RIGHT: return {58, 74, FakeShape::Solid};
        case SPR_EXIT_GATE: return {42, 10, FakeShape::Solid};
        case SPR_GAME_OVER: return {320, 120, FakeShape::Solid};
        case SPR_WANDERING_BONUS: return {20, 20, FakeShape::Disc};
        case SPR_HAZARD: return {32, 32, FakeShape::Solid};
        case SPR_SHIP: return {25, 19, FakeShape::Solid};
        case SPR_HAZARD_BOTTOM: return {140, 40, FakeShape::Gap}; // the exit sits in its gap
        case SPR_COLLECTABLE: return {12, 12, FakeShape::Disc};
        case SPR_STATUS_PANEL: return {640, 17, FakeShape::Solid};
        default: return {14, 14, FakeShape::Solid}; // weapon icons
        }
    }
    if (isFile(file, explosionCatalogue)) {
        if (index == EXP_UNUSED)
            return {1, 1, FakeShape::Solid};
        // Growing frames of mixed parity, so that centring by integer halves shows.
        const int step = index < EXP_UNUSED ? index - EXP_FIREBALL_FIRST : index - EXP_BREAKUP_FIRST;
        return {9 + 4 * step, 7 + 3 * step, FakeShape::Disc};
    }
    switch (index) {
    case MISC_BUTTON_PRESSED:
    case MISC_BUTTON_NORMAL: return {160, 40, FakeShape::Solid};
    case MISC_POINTER: return {12, 12, FakeShape::Solid};
    case MISC_INSTRUCTIONS:
    case MISC_BACKGROUND: return {640, 480, FakeShape::Solid};
    case MISC_LOGO: return {300, 100, FakeShape::Disc};
    default: return {1, 1, FakeShape::Solid};
    }
}

FakeDatafile::FakeDatafile(const CatalogueFile& file) : file(file)
{
    entries.resize(file.count + 1);
    for (int index = 0; index < file.count; ++index) {
        DATAFILE& entry = entries[index];
        entry.prop = nullptr;
        entry.type = file.types[index] != 0 ? file.types[index] : fillerType(file);
        if (entry.type == DAT_FONT) {
            entry.dat = font;
            entry.size = 0;
        } else if (entry.type == DAT_SAMPLE) {
            entry.dat = makeFakeSample(32 + index, index);
            entry.size = 32 + index;
        } else {
            const FakeBitmapLayout layout = defaultFakeBitmap(file, index);
            entry.dat = makeFakeBitmap(layout.w, layout.h, layout.shape, fakeColor(file, index));
            entry.size = 0;
        }
    }
    entries[file.count] = DATAFILE{nullptr, DAT_END, 0, nullptr};
}

FakeDatafile::~FakeDatafile()
{
    for (int index = 0; index < count(); ++index)
        release(index);
}

void FakeDatafile::release(int index)
{
    DATAFILE& entry = entries[index];
    if (entry.type == DAT_BITMAP)
        destroy_bitmap(static_cast<BITMAP*>(entry.dat));
    else if (entry.type == DAT_SAMPLE)
        destroy_sample(static_cast<SAMPLE*>(entry.dat));
    entry.dat = nullptr;
}

BITMAP* FakeDatafile::setBitmap(int index, int w, int h, FakeShape shape, int color)
{
    BITMAP* bitmap = makeFakeBitmap(w, h, shape, color == -1 ? fakeColor(file, index) : color);
    adoptBitmap(index, bitmap);
    return bitmap;
}

void FakeDatafile::adoptBitmap(int index, BITMAP* bitmap)
{
    release(index);
    entries[index].type = DAT_BITMAP;
    entries[index].dat = bitmap;
}

PixelBox colourBox(BITMAP* picture, int colour)
{
    int left = picture->w, top = picture->h, right = -1, bottom = -1;
    for (int y = 0; y < picture->h; ++y)
        for (int x = 0; x < picture->w; ++x)
            if (getpixel(picture, x, y) == colour) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
            }
    if (right < 0)
        return {0, 0, 0, 0};
    return {left, top, right - left + 1, bottom - top + 1};
}

std::ostream& operator<<(std::ostream& out, const PixelBox& box)
{
    return out << "(" << box.x << ", " << box.y << ") " << box.w << " x " << box.h;
}
