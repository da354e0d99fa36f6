// A piece written as parts of timed notes, in rows of a sixteenth note (16
// to the bar), and turned into an extended module: each part gets channels
// of its own, a note goes to the channel that has been free longest so that
// the note before it can ring out after its key-off, and the rows are cut
// into patterns of four bars, the repeated ones stored once.
#pragma once

#include "tools/xm_writer.h"

#include <string>
#include <vector>

namespace score {

constexpr int rowsPerBar = 16;

struct Note {
    int row;
    int length; // rows until the key-off
    int pitch;  // MIDI: 60 is middle C
    int volume; // 0..64
};

struct Part {
    int instrument;   // from 1, as in the module
    int channels;     // how many notes may sound at once, tails included
    bool release;     // a key-off ends each note; false: the sample runs out by itself
    std::vector<Note> notes;
    int pan = 128;    // 0 left, 255 right: the middle of the part's channels
    int spread = 0;   // its first channel this much left of pan, its last as far right
};

// Pitch classes of a chord named like "Dm", "Bb", "F#m", "A7", "Cmaj7",
// "Esus4": its root first. Throws std::invalid_argument for other names.
std::vector<int> chordTones(const std::string& name);

// MIDI pitch of a name like "C#5" or "Bb3" (C4 is 60).
int pitch(const std::string& name);

// Appends a line written as "E5:4 G5:2 r:2 | ...": a pitch and its length in
// rows, r for a rest; "|" marks a bar line and must fall on one. Starts at
// `row`, returns the row after the line. Throws std::invalid_argument for a
// token it cannot read or a misplaced bar line.
int melody(Part& part, int row, const std::string& line, int volume);

// Appends a drum line, one character per row: 'X' loud, 'x' normal, 'o'
// soft, anything else silent; `volume` is the loud level. Returns the row
// after the line.
int drums(Part& part, int row, const std::string& line, int pitch, int volume);

// The whole piece: `bars` of 4/4, the song going on from `restartBar` after
// its end (a multiple of 4), at `globalVolume` (0..64). Notes that ring past
// the end are released at the matching row after the restart.
xm::Module build(const std::string& name, int bpm, int bars, int restartBar, int globalVolume,
                 const std::vector<xm::Instrument>& instruments, const std::vector<Part>& parts);

} // namespace score
