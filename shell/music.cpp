#include "shell/music.h"

#include "shell/al.h"
#include "shell/catalogue.h"

#include <aldumb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// A stream of 2048 frames at 44.1 kHz holds 46 ms: the frames (100 a second)
// and the waits, which poll every 10 ms, refill it long before it runs dry.
constexpr long streamFrames = 2048;
constexpr int streamRate = 44100;
// A piece that gives way fades out, and the loop taken up again after the
// jingle fades in, over this much of their own time (65536ths of a second):
// no click where a piece is cut or taken up mid-note.
constexpr long fadeLength = 65536 * 4 / 10;

AL_DUH_PLAYER* alStart(DUH* piece, long position, float volume, bool once)
{
    AL_DUH_PLAYER* player = al_start_duh(piece, 2, position, volume, streamFrames, streamRate);
    if (player && once)
        dumb_it_set_loop_callback(duh_get_it_sigrenderer(al_duh_get_sigrenderer(player)),
                                  &dumb_it_callback_terminate, nullptr);
    return player;
}

// A player, and the gain it fades by: from 0 to 1 (in) or 1 to 0 (out)
// between two positions of its own.
struct Playing {
    AL_DUH_PLAYER* player = nullptr;
    int piece = -1;
    int fade = 0; // +1 in, -1 out, 0 steady
    long fadeStart = 0;
};

const DATAFILE* pieces = nullptr;
float fullVolume = 1.0f;
Playing current, leaving;
long heldPosition = -1; // where the loop in play stopped for the jingle
bool paused = false;
int waiting = -1;       // asked for while the jingle plays: it follows the jingle

void stop(Playing& p)
{
    if (p.player)
        musicSeam.stop(p.player);
    p = Playing();
}

// Sets the gain for the next buffer; false once a fade-out is complete.
bool applyFade(Playing& p)
{
    if (p.fade == 0)
        return true;
    const double done = double(musicSeam.position(p.player) - p.fadeStart) / fadeLength;
    if (done >= 1) {
        if (p.fade < 0)
            return false;
        p.fade = 0;
        musicSeam.setVolume(p.player, fullVolume);
        return true;
    }
    musicSeam.setVolume(p.player, float(fullVolume * (p.fade > 0 ? done : 1 - done)));
    return true;
}

uint32_t bigEndian(const std::vector<unsigned char>& d, size_t at)
{
    return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

// The object at `at` of a plain datafile: its properties skipped, its type
// and its bytes; false when it runs past the end.
bool nextObject(const std::vector<unsigned char>& d, size_t& at, uint32_t& type, size_t& start, size_t& size)
{
    while (at + 12 <= d.size() && bigEndian(d, at) == uint32_t(DAT_ID('p', 'r', 'o', 'p')))
        at += 12 + size_t(bigEndian(d, at + 8));
    if (at + 12 > d.size())
        return false;
    type = bigEndian(d, at);
    size = bigEndian(d, at + 4);
    start = at + 12;
    if (bigEndian(d, at + 8) != size || size > d.size() - start)
        return false; // packed, or cut short
    at = start + size;
    return true;
}

} // namespace

std::string checkMusicFile(const char* fileName)
{
    FILE* file = fopen(fileName, "rb");
    if (!file)
        return std::string();
    std::vector<unsigned char> d;
    unsigned char block[65536];
    for (size_t n; (n = fread(block, 1, sizeof block, file)) > 0;)
        d.insert(d.end(), block, block + n);
    fclose(file);
    static const unsigned char plain[] = {'s', 'l', 'h', '.', 'A', 'L', 'L', '.'};
    if (d.size() < 12 || !std::equal(plain, plain + 8, d.begin()))
        return std::string();
    const uint32_t count = bigEndian(d, 8);
    size_t at = 12;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t type;
        size_t start, size;
        bool readable = nextObject(d, at, type, start, size);
        if (readable && type == uint32_t(DAT_XM_MODULE)) {
            DUMBFILE* module = dumbfile_open_memory(reinterpret_cast<const char*>(&d[start]), long(size));
            DUH* duh = module ? dumb_read_xm_quick(module) : nullptr;
            readable = duh != nullptr;
            if (duh)
                unload_duh(duh);
            if (module)
                dumbfile_close(module);
        }
        if (!readable) {
            char text[256];
            snprintf(text, sizeof text,
                     "File '%s' is damaged: object %u should be a music module.\n"
                     "Reinstall the game's data files.",
                     fileName, i);
            return text;
        }
    }
    return std::string();
}

const MusicSeam allegroMusicSeam = {
    alStart, al_poll_duh, al_duh_set_volume, al_duh_get_position, al_pause_duh, al_resume_duh, al_stop_duh,
};

MusicSeam musicSeam = allegroMusicSeam;

void startMusic(const DATAFILE* music, int volume)
{
    stopMusic();
    pieces = music;
    fullVolume = volume / 100.0f;
}

void setMusicVolume(int volume)
{
    fullVolume = volume / 100.0f;
    // A fading player takes the new level from its fade at the next poll.
    if (current.player && current.fade == 0)
        musicSeam.setVolume(current.player, fullVolume);
}

void playMusic(int piece)
{
    if (!pieces)
        return;
    // The jingle plays to its end, however short the screen it belongs to:
    // what is asked for meanwhile follows it.
    if (current.piece == MUSIC_JINGLE && piece != MUSIC_JINGLE) {
        waiting = piece;
        return;
    }
    waiting = -1;
    if (piece == current.piece)
        return;
    const bool takeUp = piece == MUSIC_PLAY && heldPosition >= 0;
    const long from = takeUp ? heldPosition : 0;
    heldPosition = piece == MUSIC_JINGLE && current.piece == MUSIC_PLAY ? musicSeam.position(current.player) : -1;

    stop(leaving);
    if (current.player && !paused) {
        leaving = current;
        leaving.fade = -1;
        leaving.fadeStart = musicSeam.position(leaving.player);
        applyFade(leaving);
    } else {
        stop(current);
    }
    current = Playing();
    current.player = musicSeam.start(static_cast<DUH*>(pieces[piece].dat), from, takeUp ? 0.0f : fullVolume,
                                     piece == MUSIC_JINGLE);
    if (!current.player)
        return;
    current.piece = piece;
    current.fade = takeUp ? 1 : 0;
    current.fadeStart = from;
    if (paused)
        musicSeam.pause(current.player);
}

void pollMusic()
{
    if (paused)
        return;
    if (leaving.player) {
        if (applyFade(leaving))
            musicSeam.poll(leaving.player);
        else
            stop(leaving);
    }
    if (current.player) {
        applyFade(current);
        if (musicSeam.poll(current.player) != 0) {
            stop(current); // a piece played once has ended
            const int next = waiting;
            if (next >= 0)
                playMusic(next);
        }
    }
}

void pauseMusic()
{
    if (paused || !pieces)
        return;
    paused = true;
    stop(leaving);
    if (current.player)
        musicSeam.pause(current.player);
}

void resumeMusic()
{
    if (!paused)
        return;
    paused = false;
    if (current.player)
        musicSeam.resume(current.player);
}

void stopMusic()
{
    stop(leaving);
    stop(current);
    pieces = nullptr;
    heldPosition = -1;
    waiting = -1;
    paused = false;
}
