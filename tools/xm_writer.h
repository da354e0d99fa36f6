// Writes FastTracker 2 extended modules (XM, version 1.04): the header with
// its order table, unpacked patterns, and one instrument per sample with a
// volume envelope, auto-vibrato and 16-bit delta-coded sample data. Linear
// frequencies throughout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int keyOff = 97; // the note that releases a held note
constexpr int maxChannels = 32;

// One channel of one row. note 1..96 (1 is C-0, 49 is C-4), keyOff or 0;
// instrument from 1, 0 for none; volume 0..64 or -1 for none; effect and
// parameter as FastTracker writes them.
struct Cell {
    int note = 0;
    int instrument = 0;
    int volume = -1;
    int effect = 0;
    int param = 0;
    bool operator==(const Cell& o) const
    {
        return note == o.note && instrument == o.instrument && volume == o.volume && effect == o.effect &&
               param == o.param;
    }
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells; // rows x channels, row by row
    bool operator==(const Pattern& o) const { return rows == o.rows && cells == o.cells; }
};

// Up to 12 points of (tick, level 0..64); sustain holds at that point until
// the key is released.
struct Envelope {
    std::vector<std::pair<int, int>> points;
    int sustain = -1;
};

struct Instrument {
    std::string name;
    std::vector<int16_t> data;
    int loopStart = 0, loopLength = 0; // in sample frames; no loop when the length is 0
    int volume = 64;
    int panning = 128;
    // Which note plays the sample at its own rate: see tuneTo.
    int relativeNote = 0, finetune = 0;
    Envelope envelope; // no points: the sample plays as it is, and a key-off cuts it
    int fadeout = 0;   // after the release, subtracted from 65536 per tick
    int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct Module {
    std::string name;
    int channels = 8;
    int speed = 6; // ticks per row
    int bpm = 125; // a tick lasts 2.5 / bpm seconds
    int restart = 0; // the order the song goes on from after its last
    std::vector<int> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// Sets relativeNote and finetune so that a note plays a sample recorded at
// `rate` frames a second, whose pitch is `hertz`, in tune (note 49 is middle C).
void tuneTo(Instrument& instrument, double rate, double hertz);

// The whole file.
std::vector<uint8_t> write(const Module& module);

} // namespace xm
