// Writes Allegro 4 datafiles in the plain (unpacked) format: objects in the
// order they are added, no names, no dates, so equal input gives equal bytes;
// object 0 carries the checksum of them all (shell/datafile_walk.h).
#pragma once

#include "tools/canvas.h"

#include <cstdint>
#include <string>
#include <vector>

// A monochrome bitmap font: one glyph per character from `first` on, each as
// tall as the font, rows of bits with the leftmost pixel in the high bit.
struct MonoFont {
    int first = 32;
    int height = 0;
    struct Glyph {
        int w = 0, h = 0;
        std::vector<uint8_t> rows; // ((w + 7) / 8) * h bytes
    };
    std::vector<Glyph> glyphs;
};

// Mono 16-bit signed sound at `freq` samples per second.
struct Sound {
    int freq = 22050;
    std::vector<int16_t> data;
};

class DatafileWriter {
public:
    void addBitmap(const art::Picture& p);
    void addFont(const MonoFont& f);
    void addSample(const Sound& s);
    // A music module, stored as it is under the type that DUMB reads it by.
    void addMusic(const char type[4], const std::vector<uint8_t>& module);
    int count() const { return count_; }
    // The whole file; save() writes it and reports success.
    std::vector<uint8_t> bytes() const;
    bool save(const std::string& path) const;

private:
    void object(const char type[4], const std::vector<uint8_t>& data);
    std::vector<uint8_t> body_;
    int count_ = 0;
};
