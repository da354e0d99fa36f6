// The nineteen sound effects, synthesised: oscillators with pitch sweeps,
// filtered noise and envelopes, each peak-normalised below full scale.
#include "shell/catalogue.h"
#include "tools/assets.h"
#include "tools/synth.h"

#include <cmath>
#include <functional>

namespace assets {

namespace {

using synth::LowPass;
using synth::Noise;
using synth::rate;
using synth::twoPi;

struct Osc {
    double phase = 0;
    // Advances by one sample at `freq` Hz and returns the phase in [0, 1).
    double step(double freq)
    {
        phase += freq / rate;
        phase -= std::floor(phase);
        return phase;
    }
    double sine(double f) { return std::sin(twoPi * step(f)); }
    double square(double f, double duty = 0.5) { return step(f) < duty ? 1.0 : -1.0; }
    double tri(double f)
    {
        const double p = step(f);
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    }
    double saw(double f) { return 2 * step(f) - 1; }
};

double expSweep(double from, double to, double t) { return from * std::pow(to / from, t); }
// Attack over `a` seconds, then exponential decay with time constant `d`.
double env(double t, double a, double d) { return (t < a ? t / a : std::exp(-(t - a) / d)); }

Sound render(double seconds, const std::function<double(double t, double u)>& f)
{
    const int n = int(seconds * rate);
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = f(double(i) / rate, double(i) / n);
    // Remove any offset, fade the last 4 ms, normalise the peak to 90 % of full scale.
    double mean = 0;
    for (double x : v)
        mean += x;
    mean /= n;
    const int fade = rate * 4 / 1000;
    double peak = 1e-9;
    for (int i = 0; i < n; ++i) {
        v[i] -= mean;
        if (i >= n - fade)
            v[i] *= double(n - 1 - i) / fade;
        peak = std::max(peak, std::fabs(v[i]));
    }
    Sound s;
    s.freq = rate;
    s.data.resize(n);
    for (int i = 0; i < n; ++i)
        s.data[i] = int16_t(std::lround(v[i] / peak * 0.9 * 32767));
    return s;
}

// A bell-like note: a few partials with their own decays.
double bell(Osc* o, double f, double t, double decay)
{
    return o[0].sine(f) * std::exp(-t / decay) + 0.5 * o[1].sine(f * 2.01) * std::exp(-t / (decay * 0.6)) +
           0.25 * o[2].sine(f * 3.03) * std::exp(-t / (decay * 0.35));
}

double note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

} // namespace

std::vector<Sound> synthesiseSounds()
{
    std::vector<Sound> s(SFX_COUNT);

    { // a special weapon: a deep rising surge under a widening rush of noise
        Osc a, b;
        Noise n;
        LowPass lp;
        s[SFX_SPECIAL] = render(0.9, [&](double t, double u) {
            const double f = expSweep(70, 520, u);
            const double tone = 0.6 * a.sine(f) + 0.3 * b.saw(f * 1.5);
            const double rush = lp.step(n.next(), expSweep(300, 6000, u));
            return (tone + 0.8 * rush) * env(t, 0.03, 0.35) * (1 - u * 0.5);
        });
    }
    { // the bonus bounces: a short falling boing
        Osc a, b;
        s[SFX_BONUS_BOUNCE] = render(0.16, [&](double t, double u) {
            const double f = expSweep(620, 240, u);
            return (a.sine(f) + 0.25 * b.square(f * 2, 0.3)) * env(t, 0.003, 0.05);
        });
    }
    { // an enemy enters: a warbling materialisation
        Osc a, sub, v;
        s[SFX_ENEMY_ENTERS] = render(0.55, [&](double t, double u) {
            const double f = expSweep(260, 780, u) * (1 + 0.06 * v.sine(17));
            const double shape = 0.25 + 0.75 * std::sin(3.14159 * u);
            return (0.7 * a.square(f, 0.25) + 0.3 * sub.sine(f * 0.5)) * shape * (0.2 + 0.8 * env(t, 0.05, 0.3));
        });
    }
    { // an enemy explodes
        Osc thump;
        Noise n;
        LowPass lp, lp2;
        s[SFX_ENEMY_DIES] = render(0.5, [&](double t, double u) {
            const double crack = lp.step(n.next(), expSweep(5000, 250, u));
            const double body = lp2.step(n.next(), 700);
            const double low = thump.sine(expSweep(130, 40, u)) * std::exp(-t / 0.12);
            return (1.1 * crack + 1.2 * body) * env(t, 0.002, 0.12) + 0.7 * low;
        });
    }
    { // an enemy fires: a falling pew
        Osc a;
        s[SFX_ENEMY_FIRES] = render(0.16, [&](double t, double u) {
            return a.square(expSweep(1100, 320, u), 0.3) * env(t, 0.002, 0.06);
        });
    }
    { // extra life: a bright rising jingle ending on a held chord
        Osc o[6];
        const int steps[] = {3, 7, 10, 15, 19, 22}; // C E G C E G above A4
        s[SFX_EXTRA_LIFE] = render(1.4, [&](double t, double) {
            double v = 0;
            for (int i = 0; i < 6; ++i) {
                const double start = i * 0.09;
                if (t < start)
                    continue;
                const double lt = t - start;
                const double hold = i >= 3 ? 0.45 : 0.12;
                const double f = note(steps[i]) * (1 + 0.004 * std::sin(twoPi * 6 * lt));
                v += (0.5 * o[i].square(f, 0.25) + 0.5 * std::sin(twoPi * f * lt)) * env(lt, 0.004, hold);
            }
            return v;
        });
    }
    { // leaving through the exit: a rising warp
        Osc a, b, trem;
        s[SFX_EXIT] = render(0.85, [&](double t, double u) {
            const double f = expSweep(180, 1700, u);
            const double v = 0.6 * a.sine(f) + 0.35 * b.saw(f * 0.5);
            return v * (0.6 + 0.4 * trem.sine(expSweep(8, 30, u))) * env(t, 0.04, 0.5) * (1 - u);
        });
    }
    { // not used by the game: a soft chirp
        Osc a;
        s[SFX_UNUSED_7] = render(0.18, [&](double t, double u) { return a.tri(expSweep(500, 900, u)) * env(t, 0.01, 0.06); });
    }
    { // not used by the game: a soft drop
        Osc a;
        s[SFX_UNUSED_8] = render(0.18, [&](double t, double u) { return a.tri(expSweep(900, 450, u)) * env(t, 0.01, 0.06); });
    }
    { // the last collectable: the exit opens with a two-part chime
        Osc o1[3], o2[3], o3[3];
        s[SFX_ALL_COLLECTED] = render(0.85, [&](double t, double) {
            double v = bell(o1, note(10), t, 0.15); // G5
            if (t > 0.14) {
                v += bell(o2, note(15), t - 0.14, 0.3); // C6
                v += 0.8 * bell(o3, note(19), t - 0.14, 0.3); // E6
            }
            return v;
        });
    }
    { // not used by the game: a low blip
        Osc a;
        s[SFX_UNUSED_10] = render(0.12, [&](double t, double) { return a.square(220, 0.4) * env(t, 0.003, 0.04); });
    }
    { // an enemy is hit and survives: a metallic clank
        Osc a, b, c;
        Noise n;
        LowPass lp;
        s[SFX_ENEMY_HIT] = render(0.14, [&](double t, double) {
            const double ring = a.sine(830) + 0.7 * b.sine(1312) + 0.5 * c.sine(2270);
            return ring * env(t, 0.001, 0.035) + lp.step(n.next(), 3000) * env(t, 0.0005, 0.008) * 2;
        });
    }
    { // a power-up is taken: three quick rising notes
        Osc o;
        const int steps[] = {7, 12, 19};
        s[SFX_PICKUP] = render(0.36, [&](double t, double) {
            const int i = std::min(2, int(t / 0.07));
            const double lt = t - i * 0.07;
            const double f = note(steps[i]);
            return (0.6 * o.tri(f) + 0.4 * std::sin(twoPi * 2 * f * lt)) * env(lt, 0.003, i == 2 ? 0.1 : 0.05);
        });
    }
    { // the wandering bonus is taken: a sparkling glissando
        Osc a, b;
        s[SFX_BONUS_TAKEN] = render(0.75, [&](double t, double u) {
            const double step = std::floor(u * 16);
            const double f = note(int(step) * 2 + 3);
            const double lt = t - step * 0.75 / 16;
            return (0.6 * a.sine(f) + 0.35 * b.square(f * 2, 0.2)) * env(lt, 0.002, 0.05) * (1 - 0.4 * u);
        });
    }
    { // a collectable is taken: a bright ding
        Osc o[3];
        s[SFX_COLLECTABLE] = render(0.24, [&](double t, double) {
            const double f = note(22) * (t < 0.015 ? 0.94 + 4 * t : 1.0); // G6, sliding into tune
            return bell(o, f, t, 0.07);
        });
    }
    { // the ship is destroyed: a long heavy blast
        Osc thump;
        Noise n;
        LowPass lp, lp2;
        s[SFX_SHIP_DIES] = render(0.95, [&](double t, double u) {
            const double crack = lp.step(n.next(), expSweep(7000, 150, u));
            const double rumble = lp2.step(n.next(), 260) * 3;
            const double low = thump.sine(expSweep(90, 28, u)) * std::exp(-t / 0.3);
            const double crackle = (n.next() > 0.985 ? n.next() : 0) * std::exp(-t / 0.4);
            return (crack * env(t, 0.002, 0.15) + rumble * env(t, 0.01, 0.35)) + 0.8 * low + crackle;
        });
    }
    { // the ship fires: a short laser zap
        Osc a, b;
        s[SFX_SHIP_FIRES] = render(0.12, [&](double t, double u) {
            const double f = expSweep(1900, 520, u);
            return (0.6 * a.square(f, 0.5) + 0.4 * b.sine(f * 0.5)) * env(t, 0.001, 0.04);
        });
    }
    { // a menu choice: a crisp two-step blip
        Osc a;
        s[SFX_MENU_CLICK] = render(0.07, [&](double t, double) {
            return a.square(t < 0.03 ? 880 : 1320, 0.5) * env(t, 0.001, 0.03);
        });
    }
    { // the time bonus counting up: a tiny tick, well under the 50 ms between ticks
        Osc a, b;
        s[SFX_COUNT_UP] = render(0.03, [&](double t, double) {
            return (0.7 * a.sine(2100) + 0.3 * b.square(4200, 0.5)) * env(t, 0.0008, 0.007);
        });
    }
    return s;
}

MonoFont renderMonoFont(art::TextFace& face, int px, int extraSpacing)
{
    int asc, desc;
    face.metrics(px, &asc, &desc);
    MonoFont font;
    font.first = 32;
    font.height = asc + desc;
    for (int ch = 32; ch <= 126; ++ch) {
        const art::TextFace::Glyph g = face.mono(ch, px);
        const int shift = g.left < 0 ? -g.left : 0;
        MonoFont::Glyph out;
        out.w = std::max(g.advance + extraSpacing, g.left + shift + g.w);
        out.h = font.height;
        const int stride = (out.w + 7) / 8;
        out.rows.assign(size_t(stride) * out.h, 0);
        for (int y = 0; y < g.h; ++y)
            for (int x = 0; x < g.w; ++x) {
                const int cx = g.left + shift + x, cy = asc - g.top + y;
                if (g.bits[size_t(y) * g.w + x] && cx >= 0 && cx < out.w && cy >= 0 && cy < out.h)
                    out.rows[size_t(cy) * stride + cx / 8] |= uint8_t(0x80 >> (cx % 8));
            }
        font.glyphs.push_back(out);
    }
    return font;
}

} // namespace assets
