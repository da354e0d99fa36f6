#include "shell/datafile_walk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t id(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8
           | uint8_t(s[3]);
}

// Nested datafiles deeper than this are taken for damage.
constexpr int deepest = 16;

// Allegro's LZSS: a ring of 4096 bytes, zeros at first, written from 4078 on;
// a flag byte, read from its low bit, tells for each of the next eight items
// whether it is a literal byte or a pair (12-bit position, 4-bit length)
// copying 3 to 18 bytes from the ring. False once the output passes limit.
bool unpack(const uint8_t* in, std::size_t size, std::vector<uint8_t>& out, std::size_t limit)
{
    uint8_t ring[4096] = {};
    unsigned r = 4096 - 18;
    unsigned flags = 0;
    std::size_t at = 0;
    auto put = [&](uint8_t c) {
        ring[r] = c;
        r = (r + 1) & 4095;
        out.push_back(c);
    };
    while (out.size() <= limit) {
        if (((flags >>= 1) & 256) == 0) {
            if (at == size)
                break;
            flags = in[at++] | 0xFF00u;
        }
        if (flags & 1) {
            if (at == size)
                break;
            put(in[at++]);
        } else {
            if (size - at < 2)
                break;
            const unsigned from = in[at] | (in[at + 1] & 0xF0u) << 4;
            const unsigned length = (in[at + 1] & 0x0Fu) + 3;
            at += 2;
            for (unsigned k = 0; k < length; ++k)
                put(ring[(from + k) & 4095]);
        }
    }
    return out.size() <= limit;
}

class Walker {
public:
    // The n bytes from b; fileEnd is where the file ends: n for the file's
    // own bytes, SIZE_MAX for bytes unpacked from it.
    Walker(const uint8_t* b, std::size_t n, std::size_t fileEnd) : b(b), n(n), fileEnd(fileEnd) {}

    // The top level: "ALL.", the count, the objects, nothing after them.
    DatafileWalk walk()
    {
        if (n < 4 || (n < 8 && be32(0) == id("ALL.")))
            return {DatafileWalk::CutShort, 0};
        if (be32(0) != id("ALL."))
            return {DatafileWalk::NotADatafile, 0};
        const uint32_t count = be32(4);
        std::size_t at = 8;
        for (uint32_t i = 0; i < count; ++i) {
            const DatafileWalk::Verdict v = object(at, n, 0, i == 0);
            if (v != DatafileWalk::Whole)
                return {v, int(i)};
        }
        if (at != n)
            return {DatafileWalk::Damaged, int(count)};
        if (sumEnd != 0 && sumText != hex(datafileChecksum(b + sumEnd, n - sumEnd)))
            return {DatafileWalk::ChecksumWrong, 0};
        return {DatafileWalk::Whole, 0};
    }

private:
    const uint8_t* b;
    std::size_t n, fileEnd;
    std::size_t sumEnd = 0; // past the checksum property, when there is one
    std::string sumText;

    uint32_t be32(std::size_t at) const { return uint32_t(be16(at)) << 16 | be16(at + 2); }
    uint16_t be16(std::size_t at) const { return uint16_t(b[at] << 8 | b[at + 1]); }
    static std::string hex(uint64_t v)
    {
        char text[17];
        snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
        return text;
    }

    // One object from b[at], within end: its properties, its type, the two
    // sizes and the data. Past the end of the file the object is cut short;
    // past the end of the datafile that holds it, damaged.
    DatafileWalk::Verdict object(std::size_t& at, std::size_t end, int depth, bool first)
    {
        const DatafileWalk::Verdict past = end == fileEnd ? DatafileWalk::CutShort : DatafileWalk::Damaged;
        for (;;) {
            if (end - at < 4)
                return past;
            if (be32(at) != id("prop"))
                break;
            if (end - at < 12)
                return past;
            const uint32_t property = be32(at + 4), size = be32(at + 8);
            at += 12;
            if (size > end - at)
                return past;
            if (first && depth == 0 && property == checksumProperty) {
                sumEnd = at + size;
                sumText.assign(b + at, b + sumEnd);
            }
            at += size;
        }
        if (end - at < 12)
            return past;
        const uint32_t type = be32(at);
        const uint32_t stored = be32(at + 4);
        const int32_t unpacked = int32_t(be32(at + 8));
        at += 12;
        if (stored > end - at)
            return past;
        const std::size_t data = at;
        at += stored;
        if (unpacked >= 0)
            return stored == uint32_t(unpacked) && content(type, data, at, depth) ? DatafileWalk::Whole
                                                                                  : DatafileWalk::Damaged;
        std::vector<uint8_t> plain;
        const std::size_t size = std::size_t(-int64_t(unpacked));
        if (!unpack(&b[data], stored, plain, size) || plain.size() != size)
            return DatafileWalk::Damaged;
        Walker inner(plain.data(), plain.size(), SIZE_MAX);
        return inner.content(type, 0, plain.size(), depth) ? DatafileWalk::Whole : DatafileWalk::Damaged;
    }

    // An object's data, b[at] to b[end], against what its header says:
    // nested datafiles walked, bitmaps, samples and ranged monochrome fonts
    // measured. Other types and font formats are taken as they are.
    bool content(uint32_t type, std::size_t at, std::size_t end, int depth)
    {
        const std::size_t size = end - at;
        if (type == id("FILE")) {
            if (size < 4 || depth == deepest)
                return false;
            const uint32_t count = be32(at);
            at += 4;
            for (uint32_t i = 0; i < count; ++i)
                if (object(at, end, depth + 1, false) != DatafileWalk::Whole)
                    return false;
            return at == end;
        }
        if (type == id("BMP ")) {
            if (size < 6)
                return false;
            const int bits = int16_t(be16(at));
            const uint64_t pixels = uint64_t(be16(at + 2)) * be16(at + 4);
            const int bytes = bits == 8 ? 1 : bits == 15 || bits == 16 ? 2 : bits == 24 ? 3 : std::abs(bits) == 32 ? 4 : 0;
            return bytes != 0 && size == 6 + pixels * bytes;
        }
        if (type == id("SAMP")) {
            if (size < 8)
                return false;
            const int bits = int16_t(be16(at));
            const uint64_t values = uint64_t(be32(at + 4)) * (bits < 0 ? 2 : 1);
            return (std::abs(bits) == 8 || std::abs(bits) == 16) && size == 8 + values * (std::abs(bits) / 8);
        }
        if (type == id("FONT") && size >= 4 && be16(at) == 0) {
            std::size_t p = at + 4;
            for (unsigned range = be16(at + 2); range > 0; --range) {
                if (end - p < 9)
                    return false;
                if (b[p] != 1)
                    return true; // a colour range: not measured
                const uint32_t first = be32(p + 1), last = be32(p + 5);
                p += 9;
                if (last < first)
                    return false;
                for (uint64_t glyph = first; glyph <= last; ++glyph) {
                    if (end - p < 4)
                        return false;
                    const uint64_t rows = uint64_t((be16(p) + 7) / 8) * be16(p + 2);
                    p += 4;
                    if (rows > end - p)
                        return false;
                    p += rows;
                }
            }
            return p == end;
        }
        return true;
    }
};

} // namespace

uint64_t datafileChecksum(const uint8_t* data, std::size_t size)
{
    uint64_t h = 0xcbf29ce484222325ull ^ size;
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        uint64_t word;
        memcpy(&word, data + at, 8);
        h = ((h << 29 | h >> 35) ^ word) * 0x100000001b3ull;
    }
    for (; at < size; ++at)
        h = ((h << 29 | h >> 35) ^ data[at]) * 0x100000001b3ull;
    return h ^ h >> 32;
}

DatafileWalk walkDatafile(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 4)
        return {DatafileWalk::CutShort, 0};
    const uint32_t magic = uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    if (magic == id("slh."))
        return Walker(bytes.data() + 4, bytes.size() - 4, bytes.size() - 4).walk();
    if (magic != id("slh!"))
        return {DatafileWalk::NotADatafile, 0};
    // Packed whole: what it unpacks to is walked. A packed file unpacks to a
    // few times its size; far more is damage, not data.
    std::vector<uint8_t> body;
    if (!unpack(bytes.data() + 4, bytes.size() - 4, body, 64 * bytes.size() + 4096))
        return {DatafileWalk::Damaged, 0};
    return Walker(body.data(), body.size(), body.size()).walk();
}
