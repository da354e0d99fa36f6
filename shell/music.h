// The music: one piece of music.dat at a time, played through DUMB's Allegro
// player. The screens ask for the piece that belongs to them; nothing plays
// until the shell has started the music, so with Music 0, MusicVolume 0 or
// no sound card every call here does nothing.
#pragma once

struct AL_DUH_PLAYER;
struct DATAFILE;
struct DUH;

// The player's seam: DUMB's Allegro interface, or a stand-in that headless
// tests record. Swapped as a whole, like the Seam.
struct MusicSeam {
    // Starts `piece` at `position` (65536ths of a second); `once`: it ends at
    // its end instead of going round again. Null when no stream is free.
    AL_DUH_PLAYER* (*start)(DUH* piece, long position, float volume, bool once);
    int (*poll)(AL_DUH_PLAYER* player); // non-zero once a piece played once has ended
    void (*setVolume)(AL_DUH_PLAYER* player, float volume);
    long (*position)(AL_DUH_PLAYER* player);
    void (*pause)(AL_DUH_PLAYER* player);
    void (*resume)(AL_DUH_PLAYER* player);
    void (*stop)(AL_DUH_PLAYER* player);
};

extern MusicSeam musicSeam;
extern const MusicSeam allegroMusicSeam;

#include <string>

// Reads the modules of a datafile such as music.dat with DUMB before the
// file is loaded: Allegro's loader frees memory twice when a registered
// type's reader refuses an object. Answers an empty string when every
// module reads, or when the file is missing or no plain datafile (the loader
// reports those); otherwise the message that names the file and the object.
std::string checkMusicFile(const char* fileName);

// Called by the shell once music.dat is loaded and a sound card is there;
// volume 1..100. The pieces stay borrowed until stopMusic.
void startMusic(const DATAFILE* pieces, int volume);

// The level of the music, 1..100, changed while it plays.
void setMusicVolume(int volume);

// Asks for a piece of music.dat (MusicIndex). The piece already playing goes
// on; another fades out. The loop in play that the jingle interrupted takes
// up where it stopped; any other piece starts from its beginning. The jingle
// plays once, then silence.
void playMusic(int piece);

// Called once per frame and while waiting: keeps the player's buffer full.
void pollMusic();

// Holds the music where it is and lets it go on; for a paused game.
void pauseMusic();
void resumeMusic();

// Called by the shell before the pieces are unloaded: stops every player.
// Afterwards every call does nothing until startMusic.
void stopMusic();
