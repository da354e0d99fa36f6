// In-memory stand-ins for the four datafiles, laid out as shell/catalogue.h
// says: every index holds an object of the type the game reads there
// (memory bitmaps, small samples, Allegro's built-in font), and the array
// ends with a DAT_END entry, so code under test takes them exactly as it
// takes a loaded file.
//
//   FakeGameData data;                                 // all four files
//   data.sprites.setBitmap(SPR_SHIP, 30, 10);          // a different ship
//   PlayerShip ship(data.sprites, data.explosion, ...);
//
// Every bitmap has its own colour (fakeColor), so a test can tell from one
// pixel which picture landed where. Needs a colour depth set first (the test
// main sets 32 bits).
#pragma once

#include "shell/al.h"
#include "shell/catalogue.h"

#include <ostream>
#include <vector>

// Where a fake picture is solid; every other pixel is the mask colour.
enum class FakeShape {
    Solid,   // the whole rectangle
    Disc,    // the ellipse inscribed in the rectangle
    Outline, // a one-pixel border
    Gap,     // solid but for the middle third of the columns (a gate with an opening)
    Empty,   // nothing: all mask colour
};

struct FakeBitmapLayout {
    int w;
    int h;
    FakeShape shape;
};

// The colour of fake object `index` of `file`: different for every object of
// the four files, never the mask colour.
int fakeColor(const CatalogueFile& file, int index);

// A memory bitmap at the current colour depth: `shape` in `color`, the rest
// mask colour. The caller owns it.
BITMAP* makeFakeBitmap(int w, int h, FakeShape shape, int color);

// An 8-bit mono sample of `length` frames whose bytes depend on `seed`. The
// caller owns it.
SAMPLE* makeFakeSample(int length, int seed);

// The size and shape that a fake file gives object `index` unless told
// otherwise: plausible game sizes, odd where integer halves matter.
FakeBitmapLayout defaultFakeBitmap(const CatalogueFile& file, int index);

// Where a colour landed on a picture: the bounding box of every pixel of
// exactly that colour ({0, 0, 0, 0} when there is none). With the unique
// fake colours this says where, and how large, a fake picture was drawn.
struct PixelBox {
    int x, y, w, h;
    bool operator==(const PixelBox& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
PixelBox colourBox(BITMAP* picture, int colour);
std::ostream& operator<<(std::ostream& out, const PixelBox& box);

// One fake datafile. Owns its bitmaps and samples (not the built-in font).
class FakeDatafile {
public:
    explicit FakeDatafile(const CatalogueFile& file);
    ~FakeDatafile();
    FakeDatafile(const FakeDatafile&) = delete;
    FakeDatafile& operator=(const FakeDatafile&) = delete;

    DATAFILE* data() { return entries.data(); }
    operator DATAFILE*() { return entries.data(); }
    int count() const { return static_cast<int>(entries.size()) - 1; }

    BITMAP* bitmap(int index) const { return static_cast<BITMAP*>(entries[index].dat); }
    SAMPLE* sample(int index) const { return static_cast<SAMPLE*>(entries[index].dat); }
    FONT* fontObject(int index) const { return static_cast<FONT*>(entries[index].dat); }

    // Replaces object `index` with a new bitmap and returns it. color -1
    // keeps the object's own fakeColor.
    BITMAP* setBitmap(int index, int w, int h, FakeShape shape = FakeShape::Solid, int color = -1);
    // Replaces object `index` with a caller-made bitmap, which the file then owns.
    void adoptBitmap(int index, BITMAP* bitmap);

private:
    void release(int index);

    const CatalogueFile& file;
    std::vector<DATAFILE> entries; // count() objects, then DAT_END
};

// The four files of the game, as MainGameClass holds them.
struct FakeGameData {
    FakeDatafile sprites{spritesCatalogue};
    FakeDatafile explosion{explosionCatalogue};
    FakeDatafile misc{miscCatalogue};
    FakeDatafile sfx{sfxCatalogue};
};
