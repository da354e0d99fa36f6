#include "tools/datafile_writer.h"

#include "shell/datafile_walk.h"

#include <cstdio>

namespace {

void be16(std::vector<uint8_t>& v, int x)
{
    v.push_back(uint8_t((x >> 8) & 0xFF));
    v.push_back(uint8_t(x & 0xFF));
}

void be32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int s = 24; s >= 0; s -= 8)
        v.push_back(uint8_t((x >> s) & 0xFF));
}

} // namespace

void DatafileWriter::object(const char type[4], const std::vector<uint8_t>& data)
{
    body_.insert(body_.end(), type, type + 4);
    be32(body_, uint32_t(data.size())); // stored size
    be32(body_, uint32_t(data.size())); // unpacked size
    body_.insert(body_.end(), data.begin(), data.end());
    ++count_;
}

void DatafileWriter::addBitmap(const art::Picture& p)
{
    std::vector<uint8_t> d;
    be16(d, 24);
    be16(d, p.w);
    be16(d, p.h);
    d.insert(d.end(), p.rgb.begin(), p.rgb.end());
    object("BMP ", d);
}

void DatafileWriter::addFont(const MonoFont& f)
{
    std::vector<uint8_t> d;
    be16(d, 0); // the ranged font format
    be16(d, 1); // one range
    d.push_back(1); // monochrome
    be32(d, uint32_t(f.first));
    be32(d, uint32_t(f.first + int(f.glyphs.size()) - 1));
    for (const MonoFont::Glyph& g : f.glyphs) {
        be16(d, g.w);
        be16(d, g.h);
        d.insert(d.end(), g.rows.begin(), g.rows.end());
    }
    object("FONT", d);
}

void DatafileWriter::addSample(const Sound& s)
{
    std::vector<uint8_t> d;
    be16(d, 16);
    be16(d, s.freq);
    be32(d, uint32_t(s.data.size()));
    // Allegro keeps 16-bit samples unsigned, stored low byte first.
    for (int16_t v : s.data) {
        const uint16_t u = uint16_t(int(v) + 0x8000);
        d.push_back(uint8_t(u & 0xFF));
        d.push_back(uint8_t(u >> 8));
    }
    object("SAMP", d);
}

void DatafileWriter::addMusic(const char type[4], const std::vector<uint8_t>& module) { object(type, module); }

std::vector<uint8_t> DatafileWriter::bytes() const
{
    std::vector<uint8_t> out = {'s', 'l', 'h', '.', 'A', 'L', 'L', '.'};
    be32(out, uint32_t(count_));
    // The checksum of every object, a property of the first: the game checks
    // the file with it before it loads it.
    char sum[17];
    snprintf(sum, sizeof sum, "%016llx",
             static_cast<unsigned long long>(datafileChecksum(body_.data(), body_.size())));
    out.insert(out.end(), {'p', 'r', 'o', 'p'});
    be32(out, checksumProperty);
    be32(out, 16);
    out.insert(out.end(), sum, sum + 16);
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
}

bool DatafileWriter::save(const std::string& path) const
{
    const std::vector<uint8_t> b = bytes();
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}
