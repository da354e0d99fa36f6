// Sprite-like pixel grids and a pixel-by-pixel collision test, from which the
// pixel-mask benchmark builds its masks and sorts its placements.
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

    uint8_t at(int x, int y) const { return solid[static_cast<size_t>(y) * w + x]; }
};

// 1 when a solid pixel of a at (x1, y1) and one of b at (x2, y2) fall on the
// same screen pixel.
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

// Reader for pmask_load_func over a PixelGrid.
inline int pixelGridReader(void* surface, int x, int y)
{
    return static_cast<const PixelGrid*>(surface)->at(x, y);
}

// A solid body filling most of the box, its rim rippling with the angle, so
// that the corners stay clear as in real sprites.
inline PixelGrid blobGrid(int w, int h, std::mt19937& rng)
{
    PixelGrid grid{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, 0)};
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int lobes = 3 + static_cast<int>(unit(rng) * 5);
    const double phase = unit(rng) * 6.283185307179586;
    const double ripple = 0.05 + 0.2 * unit(rng);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double nx = (x - (w - 1) / 2.0) / (w / 2.0);
            const double ny = (y - (h - 1) / 2.0) / (h / 2.0);
            const double radius = 1.0 - ripple * (0.5 + 0.5 * std::sin(lobes * std::atan2(ny, nx) + phase));
            grid.solid[static_cast<size_t>(y) * w + x] = std::sqrt(nx * nx + ny * ny) < radius ? 1 : 0;
        }
    }
    return grid;
}
