#include "shell/catalogue.h"

#include "shell/datafile_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const int spritesTypes[SPRITES_COUNT] = {
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
};

const int explosionTypes[EXPLOSION_COUNT] = {
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    0, // not used by the game
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP,
};

const int miscTypes[MISC_COUNT] = {
    DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, DAT_BITMAP, 0, DAT_BITMAP, DAT_BITMAP,
    DAT_FONT, DAT_FONT,
};

const int sfxTypes[SFX_COUNT] = {
    DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE,
    0, 0, DAT_SAMPLE, 0, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE,
    DAT_SAMPLE, DAT_SAMPLE, DAT_SAMPLE,
};

const int musicTypes[MUSIC_COUNT] = {DAT_XM_MODULE, DAT_XM_MODULE, DAT_XM_MODULE};

const char* typeName(int type)
{
    switch (type) {
    case DAT_BITMAP: return "bitmap";
    case DAT_FONT: return "font";
    case DAT_SAMPLE: return "sample";
    case DAT_XM_MODULE: return "music module";
    default: return "object";
    }
}

} // namespace

const CatalogueFile spritesCatalogue = {"sprites.dat", SPRITES_COUNT, spritesTypes};
const CatalogueFile explosionCatalogue = {"explosion.dat", EXPLOSION_COUNT, explosionTypes};
const CatalogueFile miscCatalogue = {"misc.dat", MISC_COUNT, miscTypes};
const CatalogueFile sfxCatalogue = {"sfx.dat", SFX_COUNT, sfxTypes};
const CatalogueFile musicCatalogue = {"music.dat", MUSIC_COUNT, musicTypes};

namespace {

// The message for a file that is not as the game needs it: what is wrong,
// then what to do.
std::string fault(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string fault(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text) + "\nReinstall the game's data files.";
}

// The whole of a plain file; false when it cannot be opened or read.
bool readWhole(const char* fileName, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    struct stat st;
    bool ok = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok)
        bytes.resize(static_cast<std::size_t>(st.st_size));
    for (std::size_t at = 0; ok && at < bytes.size();) {
        const ssize_t n = ::read(fd, bytes.data() + at, bytes.size() - at);
        ok = n > 0;
        at += ok ? static_cast<std::size_t>(n) : 0;
    }
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

std::string checkDatafileFile(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!readWhole(fileName, bytes))
        return std::string();
    const DatafileWalk walk = walkDatafile(bytes);
    switch (walk.verdict) {
    case DatafileWalk::Whole: return std::string();
    case DatafileWalk::CutShort: return fault("File '%s' is incomplete: object %d is missing.", fileName, walk.object);
    case DatafileWalk::Damaged: return fault("File '%s' is damaged: object %d cannot be read.", fileName, walk.object);
    case DatafileWalk::NotADatafile: return fault("File '%s' is damaged: it is not a datafile.", fileName);
    case DatafileWalk::ChecksumWrong: return fault("File '%s' is damaged: it does not match its checksum.", fileName);
    }
    return std::string();
}

std::string checkDatafile(const DATAFILE* data, const CatalogueFile& file)
{
    int index = 0;
    for (; index < file.count; ++index) {
        if (data[index].type == DAT_END)
            break;
        const int expected = file.types[index];
        if (expected != 0 && (data[index].type != expected || data[index].dat == nullptr))
            return fault("File '%s' is damaged: object %d should be a %s.", file.fileName, index, typeName(expected));
    }
    if (index < file.count)
        return fault("File '%s' is incomplete: object %d is missing.", file.fileName, index);
    return std::string();
}
