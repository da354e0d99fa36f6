// Building blocks shared by the synthesised sound effects and the music's
// instruments, all at 22050 frames a second.
#pragma once

#include <cmath>
#include <cstdint>

namespace synth {

constexpr int rate = 22050;
constexpr double twoPi = 6.283185307179586;

// White noise in -1..1 from a linear congruential generator: the same
// sequence on every build.
struct Noise {
    uint32_t state = 0x2545F491u;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1 << 24) * 2 - 1;
    }
};

// One-pole low-pass whose cut-off may change every sample.
struct LowPass {
    double y = 0;
    double step(double x, double cutoff)
    {
        const double a = 1 - std::exp(-twoPi * cutoff / rate);
        y += a * (x - y);
        return y;
    }
};

} // namespace synth
