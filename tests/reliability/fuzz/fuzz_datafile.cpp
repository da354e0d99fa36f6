// Fuzz target: the datafile check, fed with synthesised object lists of any
// length and any types, DAT_END-terminated as load_datafile leaves them.
// Allegro's own loader is not involved: what is fuzzed is our reading of the
// list it returns.
//
// Input layout (the committed seeds follow it):
//   byte 0      catalogue: 0 sprites, 1 explosion, 2 misc, 3 sfx, else a
//               synthesised catalogue described by the next bytes:
//               a count byte, then one type byte per entry
//   then        one record per object, five bytes: the 4-byte type id as
//               DAT_ID spells it ("BMP ", "FONT", "SAMP", ...) and a byte
//               whose low bit says whether the object's data pointer is set.
// The array is allocated to its exact length, so any read past the
// terminator is caught by AddressSanitizer. The seeds sprites, explosion,
// misc and sfx are the object lists of the generated datafiles as `dat -l`
// shows them.
#include "shell/catalogue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int synthesisedTypes[] = {0, DAT_BITMAP, DAT_FONT, DAT_SAMPLE, DAT_DATA, DAT_ID('S', '3', 'M', ' ')};

// What the check must say, from the contract alone: the first index whose
// type is wrong or whose data is missing, else the first missing index.
std::string expectedVerdict(const std::vector<DATAFILE>& list, const CatalogueFile& file)
{
    for (int index = 0; index < file.count; ++index) {
        if (list[index].type == DAT_END)
            return "incomplete " + std::to_string(index);
        const int expected = file.types[index];
        if (expected != 0 && (list[index].type != expected || list[index].dat == nullptr))
            return "damaged " + std::to_string(index);
    }
    return "";
}

std::string verdictOf(const std::string& message, const CatalogueFile& file)
{
    if (message.empty())
        return "";
    int index = -1;
    const char* kind = "";
    const std::string name = std::string("File '") + file.fileName + "' is ";
    if (message.compare(0, name.size(), name) != 0)
        abort();
    if (sscanf(message.c_str() + name.size(), "damaged: object %d", &index) == 1)
        kind = "damaged ";
    else if (sscanf(message.c_str() + name.size(), "incomplete: object %d", &index) == 1)
        kind = "incomplete ";
    else
        abort();
    return kind + std::to_string(index);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t pos = 0;
    const uint8_t selector = data[pos++];

    const CatalogueFile* real[] = {&spritesCatalogue, &explosionCatalogue, &miscCatalogue, &sfxCatalogue};
    CatalogueFile synthesised = {"fuzz.dat", 0, nullptr};
    std::vector<int> types;
    const CatalogueFile* file;
    if (selector < 4) {
        file = real[selector];
    } else {
        const int count = pos < size ? data[pos++] : 0;
        types.resize(count);
        for (int i = 0; i < count; ++i)
            types[i] = synthesisedTypes[(pos < size ? data[pos++] : 0) % (sizeof synthesisedTypes / sizeof(int))];
        synthesised.count = count;
        synthesised.types = types.empty() ? nullptr : types.data();
        file = &synthesised;
    }

    // The objects, then the terminator load_datafile appends.
    const size_t objects = (size - pos) / 5;
    std::vector<DATAFILE> list(objects + 1);
    static char payload;
    for (size_t i = 0; i < objects; ++i, pos += 5) {
        const uint8_t* r = data + pos;
        list[i].type = static_cast<int>(uint32_t(r[0]) << 24 | uint32_t(r[1]) << 16 | uint32_t(r[2]) << 8 | r[3]);
        list[i].dat = (r[4] & 1) ? &payload : nullptr;
        list[i].size = 0;
        list[i].prop = nullptr;
    }
    list[objects].type = DAT_END;
    list[objects].dat = nullptr;
    list[objects].size = 0;
    list[objects].prop = nullptr;

    // An object typed DAT_END in the middle ends the list there, as it would
    // for any reader of a loaded datafile.
    const std::string message = checkDatafile(list.data(), *file);
    if (verdictOf(message, *file) != expectedVerdict(list, *file))
        abort();
    return 0;
}
