// explosion.dat: two sequences of 13 frames. The fireball swells from a white
// flash to a ragged orange ball and breaks up into embers and smoke; the
// ship's break-up scatters hull plates and sparks behind a shock ring.
#include "shell/catalogue.h"
#include "tools/art_common.h"

#include <cmath>

namespace assets {

using namespace art;

namespace {

// Heat 1 is white, 0 is dark smoke.
Col firePalette(float heat)
{
    if (heat > 0.8f)
        return mix(rgb(255, 220, 120), rgb(255, 255, 235), (heat - 0.8f) / 0.2f);
    if (heat > 0.55f)
        return mix(rgb(255, 130, 20), rgb(255, 220, 120), (heat - 0.55f) / 0.25f);
    if (heat > 0.3f)
        return mix(rgb(190, 40, 10), rgb(255, 130, 20), (heat - 0.3f) / 0.25f);
    return mix(rgb(70, 50, 50), rgb(190, 40, 10), heat / 0.3f);
}

Picture fireball(int frame)
{
    const int size = 64;
    const float t = frame / 12.0f;
    const float radius = 7 + 24 * (1 - (1 - t) * (1 - t));
    const float c = size / 2.0f;
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - c, dy = y + 0.5f - c;
            const float r = std::hypot(dx, dy) / radius;
            const float turb = fbm(x * 0.16f, y * 0.16f, 11 + frame / 3, 4);
            // The ball's edge is ragged, and holes open in it as it burns out.
            const float edge = 1 - r + (turb - 0.5f) * 0.7f;
            const float holes = fbm(x * 0.22f + 7, y * 0.22f, 29, 3);
            if (edge < 0 || holes < t * 0.75f - 0.05f)
                continue;
            float heat = (0.35f + 0.9f * (1 - r) + (turb - 0.5f) * 0.6f) * (1.05f - 0.95f * t);
            if (frame < 2)
                heat += 0.25f;
            img.set(x, y, firePalette(clamp01(heat)));
        }
    // The first flash throws out short rays.
    if (frame < 3) {
        const float len = 8 + 4 * frame;
        const Shape rays = polygon(starPoints(c, c, len, len * 0.3f, 6, 0.3f * frame));
        img.fill(rays, radial(rgb(255, 255, 255), rgb(255, 200, 80), c, c, len), 1);
        img.fill(circle(c, c, 4 + frame), rgb(255, 255, 245));
    }
    // Embers flung out as it fades.
    if (frame >= 4)
        for (int i = 0; i < 14; ++i) {
            const float a = hash2(i, 1, 77) * 6.283f;
            const float d = radius * (0.8f + 0.5f * hash2(i, 2, 77));
            const float ex = c + d * std::sin(a), ey = c - d * std::cos(a);
            img.fill(circle(ex, ey, 1.2f - t * 0.4f), firePalette(0.7f - t * 0.4f));
        }
    return toSprite(img, 0.08f);
}

const Col hullColours[4] = {rgb(200, 212, 232), rgb(90, 120, 190), rgb(230, 60, 50), rgb(140, 150, 175)};

Picture breakup(int frame)
{
    const int size = 72;
    const float t = frame / 12.0f;
    const float c = size / 2.0f;
    Image img(size, size);
    // Shock ring.
    if (frame >= 1 && frame <= 7) {
        const float rr = 6 + frame * 4.2f;
        img.fill(ring(c, c, rr, 3.2f - frame * 0.3f), mix(rgb(220, 245, 255), rgb(40, 90, 200), frame / 7.0f));
    }
    // Flash.
    if (frame <= 4) {
        const float fr = 13 - frame * 2.5f;
        img.fill(circle(c, c, fr), radial(rgb(255, 255, 255), rgb(120, 200, 255), c, c, fr));
    }
    // Sparks streaking outward.
    for (int i = 0; i < 18; ++i) {
        const float a = hash2(i, 3, 91) * 6.283f;
        const float speed = 0.6f + 0.6f * hash2(i, 4, 91);
        const float d = 3 + 33 * speed * std::sqrt(t);
        const float len = 4 * (1 - t) + 1;
        const float sx = c + d * std::sin(a), sy = c - d * std::cos(a);
        const float ex = c + (d - len) * std::sin(a), ey = c - (d - len) * std::cos(a);
        if (frame > 10 && i % 2)
            continue;
        img.fill(capsule(ex, ey, sx, sy, 0.8f), mix(rgb(255, 250, 200), rgb(200, 60, 20), t));
    }
    // Hull plates tumbling away.
    for (int i = 0; i < 11; ++i) {
        const float a = (i + hash2(i, 5, 13) * 0.7f) * 6.283f / 11;
        const float d = 3 + 26 * (0.5f + 0.5f * hash2(i, 6, 13)) * (1 - (1 - t) * (1 - t));
        const float px = c + d * std::sin(a), py = c - d * std::cos(a);
        const float spin = (hash2(i, 7, 13) - 0.5f) * 10 * t + a;
        const float sz = 2.2f + 2.6f * hash2(i, 8, 13);
        Shape shard = polygon({{px - sz, py - sz * 0.4f}, {px + sz * 0.8f, py - sz * 0.7f}, {px + sz * 0.5f, py + sz * 0.6f}, {px - sz * 0.6f, py + sz * 0.5f}});
        shard = rotated(shard, px, py, spin);
        const Col base = hullColours[i % 4];
        const Col hot = mix(rgb(255, 200, 120), base, clamp01(t * 3));
        img.fill(shard, bevel(flat(scale(hot, 1 - 0.6f * t)), shard, 1.2f, 0.6f));
    }
    return toSprite(img, 0.08f);
}

Picture smokeWisp() // not used by the game: a last puff of smoke
{
    return sprite(16, 16, [](Image& img) {
        img.fill(circle(8, 8, 5), radial(rgb(120, 110, 110), rgb(70, 60, 60), 7, 7, 5));
    }, 0.08f);
}

} // namespace

std::vector<Picture> drawExplosions()
{
    std::vector<Picture> e(EXPLOSION_COUNT);
    for (int f = 0; f < EXP_FRAMES; ++f) {
        e[EXP_FIREBALL_FIRST + f] = fireball(f);
        e[EXP_BREAKUP_FIRST + f] = breakup(f);
    }
    e[EXP_UNUSED] = smokeWisp();
    return e;
}

} // namespace assets
