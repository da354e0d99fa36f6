#include "tools/xm_writer.h"

#include <cmath>

namespace xm {

namespace {

struct Out {
    std::vector<uint8_t> bytes;
    void u8(int v) { bytes.push_back(uint8_t(v & 0xFF)); }
    void u16(int v) { u8(v), u8(v >> 8); }
    void u32(uint32_t v) { u16(int(v & 0xFFFF)), u16(int(v >> 16)); }
    // Padded with zero bytes, or cut, to exactly n.
    void text(const std::string& s, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            u8(i < s.size() ? s[i] : 0);
    }
    void padTo(size_t start, size_t n) { bytes.resize(start + n, 0); }
};

// Packed cells: a leading byte with the high bit set says which of note,
// instrument, volume, effect and parameter follow.
std::vector<uint8_t> packPattern(const Pattern& p)
{
    Out o;
    for (const Cell& c : p.cells) {
        const int volume = c.volume < 0 ? 0 : 0x10 + c.volume;
        const int flags = (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (volume ? 4 : 0) | (c.effect ? 8 : 0) |
                          (c.param ? 16 : 0);
        o.u8(0x80 | flags);
        if (c.note)
            o.u8(c.note);
        if (c.instrument)
            o.u8(c.instrument);
        if (volume)
            o.u8(volume);
        if (c.effect)
            o.u8(c.effect);
        if (c.param)
            o.u8(c.param);
    }
    return o.bytes;
}

void writeInstrument(Out& o, const Instrument& in)
{
    const size_t start = o.bytes.size();
    const bool hasSample = !in.data.empty();
    o.u32(263); // this header's size, as FastTracker 2 writes it
    o.text(in.name, 22);
    o.u8(0);
    o.u16(hasSample ? 1 : 0);
    o.u32(40); // the size of each sample header
    o.padTo(o.bytes.size(), 96); // every note plays sample 0
    for (size_t i = 0; i < 12; ++i) {
        const bool used = i < in.envelope.points.size();
        o.u16(used ? in.envelope.points[i].first : 0);
        o.u16(used ? in.envelope.points[i].second : 0);
    }
    o.padTo(o.bytes.size(), 48); // no panning envelope
    const int points = int(in.envelope.points.size());
    o.u8(points);
    o.u8(0);
    o.u8(in.envelope.sustain < 0 ? 0 : in.envelope.sustain);
    o.u8(0), o.u8(0);          // no envelope loop
    o.u8(0), o.u8(0), o.u8(0); // panning: sustain, loop
    o.u8((points ? 1 : 0) | (points && in.envelope.sustain >= 0 ? 2 : 0));
    o.u8(0);
    o.u8(in.vibratoType), o.u8(in.vibratoSweep), o.u8(in.vibratoDepth), o.u8(in.vibratoRate);
    o.u16(in.fadeout);
    o.padTo(start, 263);
    if (!hasSample)
        return;

    o.u32(uint32_t(in.data.size() * 2));
    o.u32(uint32_t(in.loopStart * 2));
    o.u32(uint32_t(in.loopLength * 2));
    o.u8(in.volume);
    o.u8(in.finetune);
    o.u8((in.loopLength > 0 ? 1 : 0) | 0x10); // forward loop; 16 bits
    o.u8(in.panning);
    o.u8(in.relativeNote);
    o.u8(0);
    o.text(in.name, 22);
}

} // namespace

void tuneTo(Instrument& instrument, double rate, double hertz)
{
    const double middleC = 261.6255653;
    const double semitones = 12 * std::log2(middleC * rate / hertz / 8363.0);
    int whole = int(std::floor(semitones));
    int fine = int(std::lround((semitones - whole) * 128));
    if (fine > 127)
        ++whole, fine -= 128;
    instrument.relativeNote = whole;
    instrument.finetune = fine;
}

std::vector<uint8_t> write(const Module& m)
{
    Out o;
    o.text("Extended Module: ", 17);
    o.text(m.name, 20);
    o.u8(0x1A);
    o.text("Tarnavel generator", 20);
    o.u16(0x0104);
    o.u32(276); // the rest of the header, from this field to the end of the order table
    o.u16(int(m.orders.size()));
    o.u16(m.restart);
    o.u16(m.channels);
    o.u16(int(m.patterns.size()));
    o.u16(int(m.instruments.size()));
    o.u16(1); // linear frequencies
    o.u16(m.speed);
    o.u16(m.bpm);
    for (int i = 0; i < 256; ++i)
        o.u8(i < int(m.orders.size()) ? m.orders[i] : 0);

    for (const Pattern& p : m.patterns) {
        const std::vector<uint8_t> packed = packPattern(p);
        o.u32(9);
        o.u8(0);
        o.u16(p.rows);
        o.u16(int(packed.size()));
        o.bytes.insert(o.bytes.end(), packed.begin(), packed.end());
    }

    for (const Instrument& in : m.instruments) {
        writeInstrument(o, in);
        int16_t previous = 0;
        for (int16_t v : in.data) {
            o.u16(uint16_t(v - previous));
            previous = v;
        }
    }
    return o.bytes;
}

} // namespace xm
