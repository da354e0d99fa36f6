#include "shell/music.h"

#include "shell/al.h"
#include "shell/catalogue.h"

#include <aldumb.h>

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

} // namespace

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

void playMusic(int piece)
{
    if (!pieces || piece == current.piece)
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
        if (musicSeam.poll(current.player) != 0)
            stop(current); // a piece played once has ended
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
    paused = false;
}
