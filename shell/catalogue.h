// The datafile catalogue: every object index the game uses, named once.
// The order of objects inside each file is the contract between the code and
// the data; the asset generator writes the files from these same numbers.
#pragma once

#include "shell/al.h"

#include <string>

// sprites.dat: all bitmaps.
enum SpriteIndex {
    SPR_POWERUP_FIRST = 0,     // 0, 1, 2: pick-ups of types 7, 8, 9
    SPR_SHIP_BULLET = 3,
    SPR_ENEMY_BULLET = 4,      // every enemy kind but 2
    SPR_MINE = 5,              // enemy kind 2's shot
    SPR_ENEMY_FIRST = 6,       // kind k: 6 + 2k and 7 + 2k
    SPR_HAZARD_LEFT = 20,
    SPR_HAZARD_RIGHT = 21,
    SPR_EXIT_GATE = 22,
    SPR_GAME_OVER = 23,
    SPR_WANDERING_BONUS = 24,
    SPR_HAZARD = 25,           // the hazards placed at random each wave
    SPR_SHIP = 26,
    SPR_HAZARD_BOTTOM = 27,
    SPR_WEAPON_ICON_FIRST = 28, // 28, 29, 30: selected special weapon 0, 1, 2
    SPR_COLLECTABLE = 31,
    SPR_STATUS_PANEL = 32,
    SPRITES_COUNT = 33
};

// explosion.dat: all bitmaps, two sequences of 13 frames.
enum ExplosionIndex {
    EXP_FIREBALL_FIRST = 0,    // 0..12: an enemy's explosion, the ship's death of cause 2
    EXP_UNUSED = 13,
    EXP_BREAKUP_FIRST = 14,    // 14..26: the ship's death of cause 1
    EXP_FRAMES = 13,
    EXPLOSION_COUNT = 27
};

// misc.dat.
enum MiscIndex {
    MISC_BUTTON_PRESSED = 0,
    MISC_BUTTON_NORMAL = 1,
    MISC_POINTER = 2,
    MISC_INSTRUCTIONS = 3,
    MISC_UNUSED = 4,
    MISC_LOGO = 5,
    MISC_BACKGROUND = 6,
    MISC_FONT_LARGE = 7,       // captions, name entry, wave-completed screen
    MISC_FONT_SMALL = 8,       // everything else
    MISC_COUNT = 9
};

// sfx.dat: all samples.
enum SfxIndex {
    SFX_SPECIAL = 0,
    SFX_BONUS_BOUNCE = 1,
    SFX_ENEMY_ENTERS = 2,
    SFX_ENEMY_DIES = 3,
    SFX_ENEMY_FIRES = 4,
    SFX_EXTRA_LIFE = 5,
    SFX_EXIT = 6,
    SFX_UNUSED_7 = 7,
    SFX_UNUSED_8 = 8,
    SFX_ALL_COLLECTED = 9,
    SFX_UNUSED_10 = 10,
    SFX_ENEMY_HIT = 11,
    SFX_PICKUP = 12,
    SFX_BONUS_TAKEN = 13,
    SFX_COLLECTABLE = 14,
    SFX_SHIP_DIES = 15,
    SFX_SHIP_FIRES = 16,
    SFX_MENU_CLICK = 17,
    SFX_COUNT_UP = 18,
    SFX_COUNT = 19
};

// music.dat: extended modules (XM), read by DUMB; loaded only when the
// music plays.
enum MusicIndex {
    MUSIC_THEME = 0,           // the menus, looped
    MUSIC_PLAY = 1,            // in play, looped
    MUSIC_JINGLE = 2,          // a wave completed, once
    MUSIC_COUNT = 3
};
// The datafile type of a module, registered with DUMB at start-up.
constexpr int DAT_XM_MODULE = DAT_ID('X', 'M', ' ', ' ');

// What one file must hold: its name, its object count and, per index, the
// Allegro type the game reads there (0 where any object will do).
struct CatalogueFile {
    const char* fileName;
    int count;
    const int* types;
};

extern const CatalogueFile spritesCatalogue;
extern const CatalogueFile explosionCatalogue;
extern const CatalogueFile miscCatalogue;
extern const CatalogueFile sfxCatalogue;
extern const CatalogueFile musicCatalogue;

// Checks a loaded (DAT_END-terminated) datafile against its catalogue entry.
// Returns an empty string when every index the game uses is present with its
// type, otherwise the message that names the file and the object.
std::string checkDatafile(const DATAFILE* data, const CatalogueFile& file);

// Walks the datafile fileName before it is loaded (shell/datafile_walk.h).
// Returns an empty string when it is whole, or when it cannot be opened
// (the loader then reports it missing), otherwise the message that names
// the file and where it stops being whole.
std::string checkDatafileFile(const char* fileName);

// Typed access, for code that has checked the file at load.
inline BITMAP* bitmapAt(const DATAFILE* data, int index) { return static_cast<BITMAP*>(data[index].dat); }
inline SAMPLE* sampleAt(const DATAFILE* data, int index) { return static_cast<SAMPLE*>(data[index].dat); }
inline FONT* fontAt(const DATAFILE* data, int index) { return static_cast<FONT*>(data[index].dat); }
