// The game's music, composed here and written as extended modules: eight
// synthesised instruments and three pieces.
//
//   Menu theme "Drift": D minor, 96 beats a minute, 32 bars (80 s). A
//   four-bar intro of pad, bells and bass, then A (i VI III VII i VI iv V),
//   B (VI VII v i iv VII III V, leaning towards F major), A again with the
//   tune's second half climbing higher and the drums fuller, and a four-bar
//   bridge (iv v VI V7) that leads back into A; the loop is those 28 bars, 70 s.
//   In play "Undertow": E minor, 136 beats a minute, 36 bars (64 s). Four
//   bars of drums and bass, then A (i VII VI V twice) with a
//   sixteenth-note arpeggio, B (VI III VII i VI III iv V) with longer notes
//   over a pad, A again with its answer varied, and an eight-bar breakdown
//   whose second half builds with a snare roll; the loop is 32 bars, 56 s.
//   Wave completed: G major, 150 beats a minute, a two-bar fanfare
//   (I IV V I) ending on a held chord and a crash, then a bar for the tails.
#include "tools/assets.h"
#include "tools/score.h"
#include "tools/synth.h"

#include <array>
#include <cmath>
#include <functional>

namespace assets {

namespace {

using synth::LowPass;
using synth::Noise;
using synth::twoPi;
constexpr double rate = synth::rate;

// Instrument numbers in every module.
enum { KICK = 1, SNARE, HAT, CRASH, BASS, LEAD, PAD, BELL };

// `frames` samples of f(t), scaled so that the peak is `peak` of full scale.
std::vector<int16_t> render(int frames, const std::function<double(double t)>& f, double peak = 0.9)
{
    std::vector<double> v(frames);
    double top = 1e-9;
    for (int i = 0; i < frames; ++i)
        top = std::max(top, std::fabs(v[i] = f(i / rate)));
    std::vector<int16_t> out(frames);
    for (int i = 0; i < frames; ++i)
        out[i] = int16_t(std::lround(v[i] / top * peak * 32767));
    return out;
}

// A drum: plays once at its own rate on middle C, ending in silence.
xm::Instrument drum(const char* name, double seconds, const std::function<double(double)>& f)
{
    xm::Instrument in;
    in.name = name;
    const int frames = int(seconds * rate);
    in.data = render(frames, [&](double t) {
        const double end = seconds - t; // a last 5 ms fade, so the sample ends at rest
        return f(t) * std::min(1.0, end / 0.005);
    });
    xm::tuneTo(in, rate, 261.6255653);
    return in;
}

// A looped tone of `cycles` periods of `period` frames each; partial(h, d)
// gives the amplitude of harmonic h of the voice detuned by d whole cycles
// over the loop (d in -spread..spread), so every partial meets itself at the
// loop's end and the loop is seamless.
xm::Instrument tone(const char* name, int period, int cycles, int spread, const std::function<double(int h)>& partial)
{
    xm::Instrument in;
    in.name = name;
    const int frames = period * cycles;
    const int highest = period / 4; // keeps a note an octave above the recorded one below the rate's limit
    in.data = render(frames, [&](double t) {
        const double x = t * rate / frames; // 0..1 over the loop
        double v = 0;
        for (int d = -spread; d <= spread; ++d)
            for (int h = 1; h <= highest; ++h) {
                const double a = partial(h);
                if (a != 0)
                    v += a * std::sin(twoPi * h * (cycles + d) * x + d * 1.7 * h);
            }
        return v;
    });
    in.loopStart = 0;
    in.loopLength = frames;
    xm::tuneTo(in, rate, rate / period);
    return in;
}

std::vector<xm::Instrument> instruments()
{
    std::vector<xm::Instrument> set;
    { // a deep kick: a falling sine and a short click
        Noise n;
        LowPass lp;
        double phase = 0;
        set.push_back(drum("kick", 0.42, [&](double t) {
            phase += (46 + 120 * std::exp(-t / 0.028)) / rate;
            const double body = std::sin(twoPi * phase) * std::exp(-t / 0.16) * std::min(1.0, t / 0.001);
            return body + 0.35 * lp.step(n.next(), 3000) * std::exp(-t / 0.004);
        }));
    }
    { // a snare: two tuned membranes and a burst of bright noise
        Noise n;
        LowPass lp, hp;
        set.push_back(drum("snare", 0.3, [&](double t) {
            const double body = (std::sin(twoPi * 185 * t) + 0.6 * std::sin(twoPi * 330 * t)) * std::exp(-t / 0.05);
            const double x = n.next();
            const double rattle = lp.step(x - hp.step(x, 900), 8000) * std::exp(-t / 0.11);
            return (0.55 * body + 1.4 * rattle) * std::min(1.0, t / 0.0008);
        }));
    }
    { // a closed hat: high noise, gone in a few tens of milliseconds
        Noise n;
        LowPass hp;
        set.push_back(drum("hat", 0.12, [&](double t) {
            const double x = n.next();
            return (x - hp.step(x, 6500)) * std::exp(-t / 0.028) * std::min(1.0, t / 0.0005);
        }));
    }
    { // a crash: bright noise and a few clanging partials, a long decay
        Noise n;
        LowPass hp, lp;
        set.push_back(drum("crash", 1.3, [&](double t) {
            const double x = n.next();
            const double hiss = lp.step(x - hp.step(x, 3500), 10000);
            const double clang = std::sin(twoPi * 3120 * t) + std::sin(twoPi * 4470 * t) + std::sin(twoPi * 5830 * t);
            return (hiss + 0.05 * clang) * std::exp(-t / 0.42) * std::min(1.0, t / 0.002);
        }));
    }
    { // bass: a warm, rounded saw with a sub-octave, plucked then held
        xm::Instrument in = tone("bass", 200, 8, 0, [](int h) { return 1.0 / h / (1 + (h / 7.0) * (h / 7.0)); });
        in.envelope = {{{0, 0}, {1, 64}, {10, 44}, {16, 0}}, 2};
        in.fadeout = 1024;
        set.push_back(in);
    }
    { // lead: a hollow square softened at the top, with a delayed vibrato
        xm::Instrument in = tone("lead", 100, 8, 0, [](int h) {
            const double odd = h % 2 ? 1.0 / h : 0.18 / h;
            return h > 12 ? 0.0 : odd / (1 + (h / 9.0) * (h / 9.0)); // few partials: it is played high
        });
        in.envelope = {{{0, 0}, {2, 64}, {14, 50}, {24, 0}}, 2};
        in.fadeout = 768;
        in.vibratoType = 0, in.vibratoSweep = 40, in.vibratoDepth = 6, in.vibratoRate = 6;
        set.push_back(in);
    }
    { // pad: three saws a cycle apart over 64 cycles, a slow chorus
        xm::Instrument in = tone("pad", 100, 64, 1, [](int h) { return 1.0 / h / (1 + (h / 4.0) * (h / 4.0)); });
        in.envelope = {{{0, 0}, {24, 56}, {48, 48}, {110, 0}}, 2};
        in.fadeout = 256;
        set.push_back(in);
    }
    { // bells: a soft tone with a few bright partials, struck and left to ring
        xm::Instrument in = tone("bell", 100, 8, 0, [](int h) {
            switch (h) {
            case 1: return 1.0;
            case 2: return 0.45;
            case 3: return 0.12;
            case 4: return 0.22;
            case 6: return 0.06;
            default: return 0.0;
            }
        });
        in.envelope = {{{0, 0}, {1, 64}, {8, 30}, {40, 10}, {90, 0}}, -1};
        in.fadeout = 512;
        set.push_back(in);
    }
    return set;
}

using score::Part;
using score::rowsPerBar;

// The pad holds each chord for `rows`, its tones close together between
// A3 and A4.
void padChords(Part& pad, int row, const std::vector<std::string>& chords, int rows, int volume)
{
    for (const std::string& name : chords) {
        for (int pc : score::chordTones(name)) {
            const int p = 57 + (pc - 57 % 12 + 12) % 12;
            pad.notes.push_back({row, rows, p, volume});
        }
        row += rows;
    }
}

// The bass under each chord, one bar per chord: a figure of (row, length,
// steps above the root) with the root between E1 and D#2.
void bassLine(Part& bass, int row, const std::vector<std::string>& chords,
              const std::vector<std::array<int, 3>>& figure, int volume)
{
    for (const std::string& name : chords) {
        const int root = 28 + (score::chordTones(name)[0] - 4 + 12) % 12;
        for (const auto& [at, length, step] : figure)
            bass.notes.push_back({row + at, length, root + step, volume});
        row += rowsPerBar;
    }
}

// Bells or a synth running up and down each chord, one bar per chord: the
// figure's numbers index the chord's tones from the root above `low`,
// going on into the next octave.
void arpeggio(Part& part, int row, const std::vector<std::string>& chords, const std::vector<int>& figure,
              int step, int low, int volume)
{
    for (const std::string& name : chords) {
        const std::vector<int> tones = score::chordTones(name);
        const int root = low + (tones[0] - low % 12 + 12) % 12;
        for (size_t i = 0; i < figure.size(); ++i) {
            const int k = figure[i];
            const int n = int(tones.size());
            const int p = root + (tones[k % n] - tones[0] + 12) % 12 + 12 * (k / n);
            part.notes.push_back({row + int(i) * step, step, p, volume});
        }
        row += rowsPerBar;
    }
}

// Repeats a one-bar drum line `bars` times.
int drumBars(Part& part, int row, const std::string& bar, int bars, int pitch, int volume)
{
    for (int i = 0; i < bars; ++i)
        row = score::drums(part, row, bar, pitch, volume);
    return row;
}

constexpr int C4 = 60;

xm::Module menuTheme(const std::vector<xm::Instrument>& set)
{
    Part kick{KICK, 1, false, {}}, snare{SNARE, 1, false, {}, 120}, hat{HAT, 1, false, {}, 150};
    Part crash{CRASH, 1, false, {}, 160}, bass{BASS, 2, true, {}}, lead{LEAD, 2, true, {}};
    Part pad{PAD, 6, true, {}, 128, 56}, bell{BELL, 3, true, {}, 96, 24};
    const std::vector<std::string> intro = {"Dm", "Bb", "F", "C"};
    const std::vector<std::string> a = {"Dm", "Bb", "F", "C", "Dm", "Bb", "Gm", "A"};
    const std::vector<std::string> b = {"Bb", "C", "Am", "Dm", "Gm", "C", "F", "A"};
    const std::vector<std::string> bridge = {"Gm", "Am", "Bb", "A7"};
    const int A1 = 4 * 16, B = 12 * 16, A2 = 20 * 16, C = 28 * 16;

    padChords(pad, 0, intro, 16, 28);
    padChords(pad, A1, a, 16, 24);
    padChords(pad, B, b, 16, 24);
    padChords(pad, A2, a, 16, 22);
    padChords(pad, C, bridge, 16, 28);

    const std::vector<std::array<int, 3>> walk = {{0, 6, 0}, {6, 2, 0}, {8, 4, 7}, {12, 4, 12}};
    bassLine(bass, 2 * 16, {"F", "C"}, {{0, 14, 0}}, 34);
    bassLine(bass, A1, a, walk, 36);
    bassLine(bass, B, b, walk, 36);
    bassLine(bass, A2, a, walk, 38);
    bassLine(bass, C, bridge, {{0, 14, 0}}, 36);

    arpeggio(bell, 0, intro, {0, 1, 2, 3, 4, 2, 3, 1}, 2, 62, 26);
    arpeggio(bell, B, b, {0, 2, 4, 2, 3, 2, 4, 5}, 2, 62, 18);
    arpeggio(bell, A2, a, {0, 1, 2, 4, 3, 2, 1, 2}, 2, 62, 16);
    arpeggio(bell, C, bridge, {0, 1, 2, 3, 4, 3, 2, 1}, 2, 62, 26);

    const int v = 32;
    score::melody(lead, A1,
                  "A4:4 D5:4 E5:4 F5:4 | F5:6 E5:2 D5:8 | C5:4 F5:4 A5:6 G5:2 | G5:12 E5:4 |"
                  " F5:4 E5:4 D5:4 A4:4 | Bb4:6 C5:2 D5:8 | G5:4 F5:4 E5:4 D5:4 | E5:8 C#5:6 r:2 |",
                  v);
    score::melody(lead, B,
                  "F5:4 D5:4 Bb4:4 D5:4 | E5:4 C5:4 G5:8 | A5:6 G5:2 E5:4 C5:4 | D5:12 r:4 |"
                  " Bb5:4 A5:4 G5:4 D5:4 | E5:4 G5:4 C6:4 Bb5:4 | A5:6 G5:2 F5:4 C5:4 | C#5:4 E5:4 A5:6 r:2 |",
                  v);
    score::melody(lead, A2,
                  "A4:4 D5:4 E5:4 F5:4 | F5:6 E5:2 D5:8 | C5:4 F5:4 A5:6 G5:2 | G5:12 E5:4 |"
                  " F5:4 G5:4 A5:4 C6:4 | Bb5:6 A5:2 G5:4 F5:4 | G5:4 Bb5:4 A5:4 G5:4 | A5:14 r:2 |",
                  v);

    crash.notes.push_back({A1, 1, C4, 40});
    crash.notes.push_back({A2, 1, C4, 40});
    drumBars(kick, A1, "X.........x.....", 16, C4, 64);
    drumBars(kick, A2, "X.....x...x.....", 8, C4, 64);
    drumBars(kick, C, "X...............", 4, C4, 58);
    drumBars(snare, A1 + 16, "....x.......x...", 15, C4, 60);
    drumBars(snare, A2, "....X.......X...", 7, C4, 60);
    score::drums(snare, A2 + 7 * 16, "....X.......X.oo", C4, 60);
    drumBars(hat, A1, "x.o.x.o.x.o.x.o.", 16, C4, 36);
    drumBars(hat, A2, "x.oox.o.x.oox.o.", 8, C4, 40);
    drumBars(hat, C, "..o...o...o...o.", 4, C4, 36);

    return score::build("Drift", 96, 32, 4, 48, set, {kick, snare, hat, crash, bass, lead, pad, bell});
}

xm::Module playLoop(const std::vector<xm::Instrument>& set)
{
    Part kick{KICK, 1, false, {}}, snare{SNARE, 1, false, {}, 120}, hat{HAT, 1, false, {}, 150};
    Part crash{CRASH, 1, false, {}, 160}, bass{BASS, 2, true, {}}, lead{LEAD, 2, true, {}};
    Part pad{PAD, 6, true, {}, 128, 56}, arp{BELL, 2, true, {}, 100, 40};
    const std::vector<std::string> a = {"Em", "D", "C", "B", "Em", "D", "C", "B"};
    const std::vector<std::string> b = {"C", "G", "D", "Em", "C", "G", "Am", "B"};
    const std::vector<std::string> breakdown = {"Em", "C", "Em", "C", "Am", "C", "B", "B7"};
    const int A1 = 4 * 16, B = 12 * 16, A2 = 20 * 16, C = 28 * 16;

    const std::vector<std::array<int, 3>> octaves = {{0, 2, 0}, {2, 2, 12}, {4, 2, 0}, {6, 2, 12},
                                                      {8, 2, 0}, {10, 2, 12}, {12, 2, 0}, {14, 2, 12}};
    const std::vector<std::array<int, 3>> pulse = {{0, 3, 0}, {3, 3, 0}, {6, 2, 12}, {8, 3, 0}, {11, 3, 0},
                                                    {14, 2, 7}};
    bassLine(bass, 0, {"Em", "Em", "Em", "Em"}, pulse, 38);
    bassLine(bass, A1, a, octaves, 38);
    bassLine(bass, B, b, pulse, 38);
    bassLine(bass, A2, a, octaves, 38);
    bassLine(bass, C, {"Em", "C", "Em", "C"}, {{0, 15, 0}}, 36);
    bassLine(bass, C + 64, {"Am", "C", "B", "B"}, pulse, 38);

    padChords(pad, B, b, 16, 20);
    padChords(pad, C, breakdown, 16, 26);

    const std::vector<int> run = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 4, 3, 2, 1};
    arpeggio(arp, A1, a, run, 1, 64, 20);
    arpeggio(arp, A2, a, run, 1, 64, 20);
    arpeggio(arp, C, breakdown, {0, 2, 1, 3, 2, 4, 3, 5}, 2, 64, 26);

    const int v = 30;
    const char* answerA = " E5:3 E5:3 G5:2 B5:4 A5:2 G5:2 | A5:3 F#5:3 D5:2 A5:4 B5:2 A5:2 |"
                          " G5:4 E5:4 C6:4 B5:2 A5:2 | B5:8 A5:4 F#5:4 |";
    score::melody(lead, A1,
                  "E5:3 E5:3 G5:2 B5:4 A5:2 G5:2 | F#5:3 D5:3 F#5:2 A5:6 G5:2 | E5:3 G5:3 C6:2 B5:4 A5:2 G5:2 |"
                  " F#5:6 D#5:2 B4:8 |" + std::string(answerA), v);
    score::melody(lead, B,
                  "G5:8 E5:8 | D5:8 B4:4 D5:4 | F#5:8 A5:8 | G5:12 r:4 |"
                  " C6:8 B5:4 G5:4 | B5:8 D5:8 | C6:6 B5:2 A5:4 E5:4 | D#5:8 F#5:6 r:2 |", v);
    score::melody(lead, A2,
                  "E5:3 E5:3 G5:2 B5:4 A5:2 G5:2 | F#5:3 D5:3 F#5:2 A5:6 G5:2 | E5:3 G5:3 C6:2 B5:4 A5:2 G5:2 |"
                  " F#5:6 D#5:2 B4:8 |"
                  " E5:3 G5:3 B5:2 E6:4 D6:2 B5:2 | D6:3 A5:3 F#5:2 D6:4 C6:2 A5:2 | C6:4 G5:4 E6:4 D6:2 C6:2 |"
                  " B5:12 r:4 |", v);

    for (int at : {A1, B, A2})
        crash.notes.push_back({at, 1, C4, 44});
    drumBars(kick, 0, "X...X...X...X...", 28, C4, 60);
    drumBars(kick, C, "X.......X.......", 4, C4, 58);
    drumBars(kick, C + 64, "X...X...X...X...", 4, C4, 60);
    drumBars(snare, 2 * 16, "....X.......X...", 2, C4, 58);
    drumBars(snare, A1, "....X.......X...", 7, C4, 58);
    score::drums(snare, A1 + 7 * 16, "....X.......X.xx", C4, 58);
    drumBars(snare, B, "....X.......X...", 8, C4, 58);
    drumBars(snare, A2, "....X.......X...", 8, C4, 58);
    drumBars(snare, C + 64, "x...x...x...x...", 2, C4, 48);
    score::drums(snare, C + 96, "x.x.x.x.x.x.x.x.", C4, 52);
    score::drums(snare, C + 112, "xxxxxxxxXXXXXXXX", C4, 58);
    drumBars(hat, 0, "..x...x...x...x.", 4, C4, 38);
    drumBars(hat, A1, "o.x.o.x.o.x.o.xo", 24, C4, 38);
    drumBars(hat, C, "..o...o...o...o.", 4, C4, 34);
    drumBars(hat, C + 64, "o.x.o.x.o.x.o.x.", 4, C4, 38);

    return score::build("Undertow", 136, 36, 4, 48, set, {kick, snare, hat, crash, bass, lead, pad, arp});
}

xm::Module waveJingle(const std::vector<xm::Instrument>& set)
{
    Part kick{KICK, 1, false, {}}, snare{SNARE, 1, false, {}, 120}, crash{CRASH, 1, false, {}, 160};
    Part bass{BASS, 2, true, {}}, lead{LEAD, 2, true, {}};
    Part pad{PAD, 6, true, {}, 128, 56}, bell{BELL, 2, true, {}, 96, 32};
    score::melody(lead, 0, "D5:2 G5:2 B5:2 D6:2 C6:2 E6:2 D6:2 F#6:2 | G6:14 r:2 |", 36);
    score::melody(pad, 0, "B4:8 C5:4 A4:4 | B4:14 r:2 |", 24);
    score::melody(pad, 0, "G4:8 G4:4 F#4:4 | G4:14 r:2 |", 24);
    score::melody(pad, 0, "D4:8 E4:4 D4:4 | D4:14 r:2 |", 24);
    score::melody(bass, 0, "G2:8 C3:4 D3:4 | G2:14 r:2 |", 40);
    arpeggio(bell, 16, {"G"}, {0, 1, 2, 3, 4, 5, 6, 7}, 2, 67, 24);
    score::drums(kick, 0, "X.......X...X...X...............", C4, 64);
    score::drums(snare, 0, "....x.....x.xxxx", C4, 56);
    crash.notes.push_back({16, 1, C4, 48});
    return score::build("Wave completed", 150, 3, 0, 48, set, {kick, snare, crash, bass, lead, pad, bell});
}

} // namespace

std::vector<std::vector<uint8_t>> composeMusic()
{
    const std::vector<xm::Instrument> set = instruments();
    return {xm::write(menuTheme(set)), xm::write(playLoop(set)), xm::write(waveJingle(set))};
}

} // namespace assets
