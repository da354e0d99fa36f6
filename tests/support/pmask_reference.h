// A plain pixel grid with a pixel-by-pixel collision test, and the shapes the
// pixel-mask tests and benchmark build masks from. Shared by
// tests/unit/pmask_test.cpp and bench/pmask.cpp.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

struct PixelGrid {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> solid; // row by row, 1 = solid

    PixelGrid() = default;
    PixelGrid(int width, int height) : w(width), h(height), solid(static_cast<size_t>(width) * height, 0) {}

    uint8_t at(int x, int y) const { return solid[static_cast<size_t>(y) * w + x]; }
    void set(int x, int y, uint8_t value) { solid[static_cast<size_t>(y) * w + x] = value; }
};

// Reference answer: 1 when a solid pixel of a at (x1, y1) and one of b at
// (x2, y2) fall on the same screen pixel. Walks the common rectangle pixel by
// pixel, top row first, and stops at the first common solid pixel.
inline int referenceCollision(const PixelGrid& a, const PixelGrid& b, int x1, int y1, int x2, int y2)
{
    const int left = std::max(x1, x2);
    const int right = std::min(x1 + a.w, x2 + b.w);
    const int top = std::max(y1, y2);
    const int bottom = std::min(y1 + a.h, y2 + b.h);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (a.at(x - x1, y - y1) && b.at(x - x2, y - y2))
                return 1;
    return 0;
}

// Reader for pmask_load_func over a PixelGrid: 1 for solid, 0 for clear.
inline int pixelGridReader(void* surface, int x, int y)
{
    return static_cast<const PixelGrid*>(surface)->at(x, y);
}

// Each pixel solid with the given probability.
inline PixelGrid randomGrid(int w, int h, double density, std::mt19937& rng)
{
    PixelGrid grid(w, h);
    std::bernoulli_distribution solid(density);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            grid.set(x, y, solid(rng) ? 1 : 0);
    return grid;
}

// A sprite-like shape: a solid body filling most of the box, its rim
// rippling with the angle, so the corners stay clear as in real sprites.
inline PixelGrid blobGrid(int w, int h, std::mt19937& rng)
{
    PixelGrid grid(w, h);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int lobes = 3 + static_cast<int>(unit(rng) * 5);
    const double phase = unit(rng) * 6.283185307179586;
    const double ripple = 0.05 + 0.2 * unit(rng);
    const double cx = (w - 1) / 2.0;
    const double cy = (h - 1) / 2.0;
    const double rx = w / 2.0;
    const double ry = h / 2.0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double nx = (x - cx) / rx;
            const double ny = (y - cy) / ry;
            const double radius = 1.0 - ripple * (0.5 + 0.5 * std::sin(lobes * std::atan2(ny, nx) + phase));
            grid.set(x, y, std::sqrt(nx * nx + ny * ny) < radius ? 1 : 0);
        }
    }
    return grid;
}
