#include "shell/catalogue.h"

#include <cstdio>

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

std::string checkDatafile(const DATAFILE* data, const CatalogueFile& file)
{
    char text[256];
    int index = 0;
    for (; index < file.count; ++index) {
        if (data[index].type == DAT_END)
            break;
        const int expected = file.types[index];
        if (expected != 0 && (data[index].type != expected || data[index].dat == nullptr)) {
            snprintf(text, sizeof text,
                     "File '%s' is damaged: object %d should be a %s.\n"
                     "Reinstall the game's data files.",
                     file.fileName, index, typeName(expected));
            return text;
        }
    }
    if (index < file.count) {
        snprintf(text, sizeof text,
                 "File '%s' is incomplete: object %d is missing.\n"
                 "Reinstall the game's data files.",
                 file.fileName, index);
        return text;
    }
    return std::string();
}

