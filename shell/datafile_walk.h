// A datafile's own structure, walked before Allegro's loader sees the file.
// The loader trusts every count and size in it: a file cut short or altered
// can crash it or hang it. The walk follows the same structure and finds
// where a file stops being whole. A file made by the game's generator also
// carries a checksum of everything but itself, which catches an altered
// byte anywhere; a file from another tool is walked alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The property before object 0 that holds the checksum of every byte after
// it, as 16 hexadecimal digits. What stands before it (the headers, the
// count) the walk checks by itself.
constexpr uint32_t checksumProperty = 0x4353554D; // "CSUM"

// The checksum of size bytes: a rotate-multiply hash over 8-byte words.
uint64_t datafileChecksum(const uint8_t* data, std::size_t size);

struct DatafileWalk {
    enum Verdict {
        Whole,
        CutShort,      // the file ends inside `object`
        Damaged,       // `object` does not read as its own header says
        NotADatafile,  // neither of Allegro's datafile headers
        ChecksumWrong, // whole in structure, but a byte differs from what was written
    } verdict;
    int object; // the first object that is not whole (the top level's index)
};

// Walks a datafile's bytes as load_datafile reads them: the plain and the
// packed formats, object properties, nested datafiles, and for bitmaps,
// samples and fonts the sizes their headers give.
DatafileWalk walkDatafile(const std::vector<uint8_t>& bytes);
