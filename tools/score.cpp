#include "tools/score.h"

#include <algorithm>
#include <climits>
#include <sstream>
#include <stdexcept>

namespace score {

namespace {

constexpr int patternRows = 4 * rowsPerBar;
constexpr int setPanning = 0x8, setGlobalVolume = 0x10; // effects 8 and G

int pitchClass(const std::string& name, size_t& at)
{
    static const int natural[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        throw std::invalid_argument("not a note: " + name);
    int pc = natural[name[0] - 'A'];
    at = 1;
    if (at < name.size() && (name[at] == '#' || name[at] == 'b'))
        pc += name[at++] == '#' ? 1 : -1;
    return (pc + 12) % 12;
}

// Chooses, for each note of a part, one of its channels: the one free the
// longest, so that the tail of the note before has the most time to fade.
// The channels' state when the song comes round again is the state its end
// left, found by going through the song a few times.
std::vector<int> allocate(const std::vector<Note>& notes, int channels, int totalRows, int restartRow)
{
    std::vector<int> channelOf(notes.size(), 0);
    std::vector<int> atRestart(channels, INT_MIN / 2);
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<int> freeAt(channels, INT_MIN / 2);
        bool restarted = false;
        for (size_t i = 0; i < notes.size(); ++i) {
            const Note& n = notes[i];
            if (!restarted && n.row >= restartRow) {
                restarted = true;
                for (int c = 0; c < channels; ++c)
                    freeAt[c] = std::max(freeAt[c], atRestart[c]);
            }
            int best = 0;
            for (int c = 1; c < channels; ++c) {
                const bool free = freeAt[c] <= n.row, bestFree = freeAt[best] <= n.row;
                if ((free && !bestFree) || (free == bestFree && freeAt[c] < freeAt[best]))
                    best = c;
            }
            channelOf[i] = best;
            freeAt[best] = n.row + n.length;
        }
        for (int c = 0; c < channels; ++c)
            atRestart[c] = freeAt[c] - totalRows + restartRow;
    }
    return channelOf;
}

} // namespace

int pitch(const std::string& name)
{
    size_t at;
    const int pc = pitchClass(name, at);
    if (at >= name.size() || name.find_first_not_of("0123456789", at) != std::string::npos)
        throw std::invalid_argument("not a pitch: " + name);
    // B#, Cb: the letter names the octave.
    const int letter = name[0] == 'C' && pc == 11 ? -1 : name[0] == 'B' && pc == 0 ? 1 : 0;
    return 12 * (std::stoi(name.substr(at)) + 1 + letter) + pc;
}

std::vector<int> chordTones(const std::string& name)
{
    size_t at;
    const int root = pitchClass(name, at);
    const std::string kind = name.substr(at);
    std::vector<int> steps;
    if (kind == "")
        steps = {0, 4, 7};
    else if (kind == "m")
        steps = {0, 3, 7};
    else if (kind == "7")
        steps = {0, 4, 7, 10};
    else if (kind == "m7")
        steps = {0, 3, 7, 10};
    else if (kind == "maj7")
        steps = {0, 4, 7, 11};
    else if (kind == "sus4")
        steps = {0, 5, 7};
    else
        throw std::invalid_argument("not a chord: " + name);
    for (int& s : steps)
        s = (root + s) % 12;
    return steps;
}

int melody(Part& part, int row, const std::string& line, int volume)
{
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        if (word == "|") {
            if (row % rowsPerBar != 0)
                throw std::invalid_argument("bar line off the bar in: " + line);
            continue;
        }
        const size_t colon = word.find(':');
        if (colon == std::string::npos || colon + 1 >= word.size())
            throw std::invalid_argument("not a note and length: " + word);
        const int length = std::stoi(word.substr(colon + 1));
        const std::string what = word.substr(0, colon);
        if (what != "r")
            part.notes.push_back({row, length, pitch(what), volume});
        row += length;
    }
    return row;
}

int drums(Part& part, int row, const std::string& line, int pitch, int volume)
{
    for (char c : line) {
        if (c == 'X' || c == 'x' || c == 'o')
            part.notes.push_back({row, 1, pitch, c == 'X' ? volume : c == 'x' ? volume * 3 / 4 : volume / 2});
        ++row;
    }
    return row;
}

xm::Module build(const std::string& name, int bpm, int bars, int restartBar, int globalVolume,
                 const std::vector<xm::Instrument>& instruments, const std::vector<Part>& parts)
{
    const int totalRows = bars * rowsPerBar;
    const int restartRow = restartBar * rowsPerBar;
    if (restartRow % patternRows != 0 || restartRow >= totalRows)
        throw std::invalid_argument(name + ": the restart must begin a pattern inside the song");
    int channels = 0;
    for (const Part& p : parts)
        channels += p.channels;
    if (channels > xm::maxChannels)
        throw std::invalid_argument(name + ": too many channels");

    std::vector<xm::Cell> grid(size_t(totalRows) * channels);
    auto cell = [&](int row, int channel) -> xm::Cell& { return grid[size_t(row) * channels + channel]; };
    int first = 0;
    for (const Part& part : parts) {
        std::vector<Note> notes = part.notes;
        std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.row < b.row; });
        const std::vector<int> channelOf = allocate(notes, part.channels, totalRows, restartRow);
        std::vector<std::vector<int>> starts(part.channels); // rows where each channel's notes begin
        for (size_t i = 0; i < notes.size(); ++i) {
            const Note& n = notes[i];
            if (n.row < 0 || n.row >= totalRows || n.pitch < 12 || n.pitch > 107 || n.length < 1)
                throw std::invalid_argument(name + ": a note outside the song or the keyboard");
            const int c = channelOf[i];
            const int pan =
                part.channels > 1 ? part.pan + part.spread * (2 * c - part.channels + 1) / (part.channels - 1) : part.pan;
            cell(n.row, first + c) = {n.pitch - 11, part.instrument, n.volume, pan == 128 ? 0 : setPanning,
                                      pan == 128 ? 0 : std::clamp(pan, 0, 255)};
            starts[channelOf[i]].push_back(n.row);
        }
        // A key-off where the note ends, unless the channel's next note has
        // already taken it over; past the end it falls after the restart.
        for (size_t i = 0; part.release && i < notes.size(); ++i) {
            const Note& n = notes[i];
            const std::vector<int>& s = starts[channelOf[i]];
            int end = n.row + n.length;
            const auto next = std::upper_bound(s.begin(), s.end(), n.row);
            if (end < totalRows && next != s.end() && *next < end)
                continue;
            if (end >= totalRows) {
                end = restartRow + (end - totalRows);
                const auto wrapped = std::lower_bound(s.begin(), s.end(), restartRow);
                if (end >= totalRows || (wrapped != s.end() && *wrapped < end))
                    continue;
            }
            xm::Cell& c = cell(end, first + channelOf[i]);
            if (c.note == 0)
                c = {xm::keyOff, 0, -1, 0, 0};
        }
        first += part.channels;
    }
    // Where the song starts, in the first free effect column; the loop keeps it.
    int free = 0;
    while (free < channels && cell(0, free).effect != 0)
        ++free;
    if (free == channels)
        throw std::invalid_argument(name + ": no room for the global volume");
    cell(0, free).effect = setGlobalVolume;
    cell(0, free).param = globalVolume;

    xm::Module m;
    m.name = name;
    m.channels = channels;
    m.speed = 6; // a row is a sixteenth note when the tempo is in quarter notes a minute
    m.bpm = bpm;
    m.instruments = instruments;
    m.restart = restartRow / patternRows;
    for (int row = 0; row < totalRows; row += patternRows) {
        xm::Pattern p;
        p.rows = std::min(patternRows, totalRows - row);
        p.cells.assign(grid.begin() + size_t(row) * channels, grid.begin() + size_t(row + p.rows) * channels);
        const auto same = std::find(m.patterns.begin(), m.patterns.end(), p);
        m.orders.push_back(int(same - m.patterns.begin()));
        if (same == m.patterns.end())
            m.patterns.push_back(p);
    }
    return m;
}

} // namespace score
