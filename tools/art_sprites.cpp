// sprites.dat: the ship, its shots, the seven enemy kinds, the field objects
// and the status line. One style throughout: bevelled metal lit from the top
// left, glossy orbs for things to take, glowing accents for lights and energy.
#include "shell/catalogue.h"
#include "tools/art_common.h"

#include <cmath>

namespace assets {

using namespace art;

namespace {

const Col steelLight = rgb(200, 212, 232);
const Col steelDark = rgb(92, 104, 140);

// ---- the ship ----

// The player's ship, nose up, drawn into a 32 x 32 box scaled by s at (ox, oy).
void shipInto(Image& img, float ox, float oy, float s)
{
    auto P = [&](float x, float y) { return std::make_pair(ox + x * s, oy + y * s); };
    const Shape wings = polygon({P(16, 9), P(31.2, 23), P(31.2, 27.5), P(20, 26), P(12, 26), P(0.8, 27.5), P(0.8, 23)});
    img.fill(wings, bevel(vgrad(rgb(90, 120, 190), rgb(40, 56, 110), oy + 9 * s, oy + 28 * s), wings, 2.5f * s, 0.7f));
    // Red wing stripes and tip lights.
    const Shape stripeL = polygon({P(4, 23.2), P(9, 20), P(10, 21.4), P(5, 24.6)});
    img.fill(stripeL, rgb(230, 60, 50));
    img.fill(mirroredX(stripeL, ox + 16 * s), rgb(230, 60, 50));
    img.fill(circle(ox + 2.4f * s, oy + 25.2f * s, 1.4f * s), sphere(rgb(255, 90, 70), ox + 2.4f * s, oy + 25.2f * s, 1.4f * s));
    img.fill(circle(ox + 29.6f * s, oy + 25.2f * s, 1.4f * s), sphere(rgb(90, 255, 120), ox + 29.6f * s, oy + 25.2f * s, 1.4f * s));
    // Engines and their flames.
    for (float ex : {11.5f, 20.5f}) {
        const Shape flame = polygon({P(ex - 1.8f, 28.5f), P(ex + 1.8f, 28.5f), P(ex, 31.8f)});
        img.fill(flame, vgrad(rgb(255, 250, 200), rgb(255, 120, 30), oy + 28.5f * s, oy + 31.8f * s));
        const Shape nozzle = box(ox + (ex - 2.6f) * s, oy + 22 * s, ox + (ex + 2.6f) * s, oy + 29.2f * s, 1.2f * s);
        img.fill(nozzle, bevel(flat(rgb(120, 130, 150)), nozzle, 1.5f * s, 0.7f));
    }
    // The hull: a long pointed fuselage, so the nose reads at a glance.
    const Shape hull = polygon({P(16, 0.6f), P(19.4f, 7), P(21, 16), P(20.6f, 27), P(11.4f, 27), P(11, 16), P(12.6f, 7)});
    img.fill(hull, bevel(vgrad(steelLight, rgb(130, 142, 170), oy, oy + 27 * s), hull, 2.2f * s, 0.75f));
    const Shape nose = polygon({P(16, 0.6f), P(18.2f, 4.6f), P(13.8f, 4.6f)});
    img.fill(nose, rgb(240, 70, 60));
    const Shape glass = ellipse(ox + 16 * s, oy + 12.5f * s, 2.7f * s, 5 * s);
    img.fill(glass, sphere(rgb(60, 200, 255), ox + 16 * s, oy + 12.5f * s, 4 * s));
}

// ---- helpers for orbs and symbols ----

void orb(Image& img, float cx, float cy, float r, Col c)
{
    img.fill(circle(cx, cy, r), sphere(c, cx, cy, r));
    img.fill(ring(cx, cy, r - 0.6f, 1.2f), scale(c, 0.55f), 0.8f);
}

// The symbols of the three special weapons, white, in a box of radius r.
Shape weaponSymbol(int weapon, float cx, float cy, float r)
{
    if (weapon == 0) { // slow: an hourglass
        return unite(polygon({{cx - r * 0.6f, cy - r * 0.75f}, {cx + r * 0.6f, cy - r * 0.75f}, {cx, cy}}),
                     polygon({{cx, cy}, {cx + r * 0.6f, cy + r * 0.75f}, {cx - r * 0.6f, cy + r * 0.75f}}));
    }
    if (weapon == 1) { // push back: arrows pointing outward
        const float a = r * 0.75f;
        Shape left = polygon({{cx - a, cy}, {cx - a * 0.25f, cy - a * 0.7f}, {cx - a * 0.25f, cy + a * 0.7f}});
        return unite(left, mirroredX(left, cx));
    }
    // damage: a lightning bolt
    return polygon({{cx + r * 0.25f, cy - r * 0.85f},
                    {cx - r * 0.45f, cy + r * 0.1f},
                    {cx - r * 0.02f, cy + r * 0.1f},
                    {cx - r * 0.25f, cy + r * 0.85f},
                    {cx + r * 0.45f, cy - r * 0.12f},
                    {cx + r * 0.02f, cy - r * 0.12f}});
}

const Col weaponColour[3] = {rgb(100, 100, 255), rgb(100, 255, 100), rgb(255, 100, 100)};

Picture powerUp(int weapon)
{
    return sprite(22, 22, [&](Image& img) {
        orb(img, 11, 11, 10.6f, weaponColour[weapon]);
        const Shape sym = weaponSymbol(weapon, 11, 11.5f, 7);
        img.fill(grow(sym, 1.1f), scale(weaponColour[weapon], 0.35f));
        img.fill(sym, rgb(255, 255, 255));
    });
}

Picture weaponIcon(int weapon)
{
    return sprite(14, 14, [&](Image& img) {
        orb(img, 7, 7, 6.8f, weaponColour[weapon]);
        img.fill(weaponSymbol(weapon, 7, 7.3f, 5), rgb(255, 255, 255));
    });
}

// ---- enemies ----

Picture scout(int frame) // kind 0: a small lime saucer with chasing rim lights
{
    return sprite(26, 20, [&](Image& img) {
        const Shape dome = ellipse(13, 8.5f, 6.2f, 6.2f);
        img.fill(dome, sphere(rgb(190, 255, 200), 13, 7.5f, 6.5f));
        const Shape body = ellipse(13, 13.5f, 12.6f, 5.2f);
        img.fill(body, bevel(vgrad(rgb(170, 240, 60), rgb(60, 120, 20), 8, 19), body, 2, 0.7f));
        img.fill(box(2, 12.8f, 24, 13.8f), rgb(40, 90, 20), 0.8f);
        for (int i = 0; i < 5; ++i) {
            const bool lit = (i % 2) == frame;
            const float x = 4.6f + i * 4.2f;
            img.fill(circle(x, 13.5f, 1.5f), lit ? rgb(255, 250, 120) : rgb(90, 110, 40));
        }
    });
}

Picture brute(int frame) // kind 1: a heavy violet armoured octagon with a pulsing core
{
    return sprite(36, 34, [&](Image& img) {
        const Shape hull = polygon(regularPolygon(18, 17, 16.8f, 8, float(M_PI) / 8));
        img.fill(hull, bevel(vgrad(rgb(170, 110, 240), rgb(70, 30, 120), 0, 34), hull, 3, 0.7f));
        for (int i = 0; i < 4; ++i) { // armour studs
            const float a = float(M_PI) / 4 + i * float(M_PI) / 2;
            const float x = 18 + 12.5f * std::sin(a), y = 17 - 12.5f * std::cos(a);
            img.fill(circle(x, y, 2), sphere(rgb(210, 200, 230), x, y, 2));
        }
        const Shape plate = polygon(regularPolygon(18, 17, 9.5f, 8, float(M_PI) / 8));
        img.fill(plate, bevel(flat(rgb(60, 30, 100)), plate, 2, -0.6f));
        const float r = frame ? 6.8f : 4.6f;
        img.fill(circle(18, 17, r), radial(rgb(255, 240, 255), rgb(240, 70, 200), 18, 17, r));
    });
}

Picture miner(int frame) // kind 2: an orange crab that lays mines
{
    return sprite(32, 28, [&](Image& img) {
        const float swing = frame ? 0.35f : -0.1f;
        for (int side = 0; side < 2; ++side)
            for (int leg = 0; leg < 2; ++leg) {
                const float ax = side ? 20 : 12, ay = 14 + leg * 5;
                const float ang = (leg ? 0.5f : -0.35f) + (leg ? swing : -swing);
                const float dir = side ? 1 : -1;
                const float bx = ax + dir * 11 * std::cos(ang), by = ay + 11 * std::sin(ang);
                const Shape l = capsule(ax, ay, bx, by, 1.6f);
                img.fill(l, bevel(flat(rgb(200, 90, 20)), l, 1.2f, 0.6f));
                img.fill(circle(bx, by, 2), rgb(255, 200, 80));
            }
        const Shape body = ellipse(16, 14, 10.5f, 8.5f);
        img.fill(body, bevel(vgrad(rgb(255, 170, 60), rgb(170, 70, 10), 6, 23), body, 2.5f, 0.7f));
        const Shape pod = ellipse(16, 20, 4.5f, 3.2f);
        img.fill(pod, bevel(flat(rgb(140, 40, 20)), pod, 1.5f, 0.6f));
        img.fill(circle(16, 20.3f, 1.6f), frame ? rgb(255, 255, 160) : rgb(255, 60, 40));
        for (float ex : {12.5f, 19.5f}) {
            img.fill(circle(ex, 10, 2.4f), rgb(255, 250, 235));
            img.fill(circle(ex + (frame ? 0.8f : -0.8f), 10.4f, 1.2f), rgb(40, 30, 60));
        }
    });
}

Picture wasp(int frame) // kind 3: a fast yellow striped dart with beating wings
{
    return sprite(28, 24, [&](Image& img) {
        const float spread = frame ? 1.0f : 0.45f;
        for (int side = 0; side < 2; ++side) {
            const float dir = side ? 1 : -1;
            Shape w = ellipse(14 + dir * 7.5f, 8, 7, 3.2f);
            w = rotated(w, 14, 9, dir * spread * -0.6f);
            img.fill(w, vgrad(rgb(235, 245, 255), rgb(140, 180, 230), 4, 12));
        }
        const Shape abdomen = polygon({{9, 9}, {19, 9}, {17.5f, 17}, {14, 23.5f}, {10.5f, 17}});
        img.fill(abdomen, bevel(vgrad(rgb(255, 230, 40), rgb(210, 150, 0), 9, 23), abdomen, 2, 0.6f));
        for (float sy : {12.5f, 16.5f})
            img.fill(intersect(abdomen, box(0, sy, 28, sy + 1.8f)), rgb(100, 70, 10));
        const Shape head = ellipse(14, 6, 5, 4.6f);
        img.fill(head, bevel(flat(rgb(255, 210, 30)), head, 1.8f, 0.6f));
        for (float ex : {11.6f, 16.4f})
            img.fill(circle(ex, 5, 1.6f), sphere(rgb(230, 30, 30), ex, 5, 1.6f));
    });
}

Picture gunner(int frame) // kind 4: a red turret whose barrels turn
{
    return sprite(30, 30, [&](Image& img) {
        const float a0 = frame ? float(M_PI) / 4 : 0;
        for (int i = 0; i < 4; ++i) {
            const float a = a0 + i * float(M_PI) / 2;
            const float ex = 15 + 13.2f * std::sin(a), ey = 15 - 13.2f * std::cos(a);
            const Shape barrel = capsule(15, 15, ex, ey, 2.1f);
            img.fill(barrel, bevel(flat(rgb(190, 190, 205)), barrel, 1.5f, 0.7f));
            img.fill(circle(ex, ey, 1.3f), rgb(255, 220, 120));
        }
        const Shape base = circle(15, 15, 9.2f);
        img.fill(base, bevel(vgrad(rgb(255, 90, 70), rgb(140, 20, 20), 6, 24), base, 2.5f, 0.75f));
        const Shape dome = circle(15, 15, 4.4f);
        img.fill(dome, sphere(frame ? rgb(255, 240, 200) : rgb(255, 160, 120), 15, 15, 4.4f));
    });
}

Picture eye(int frame) // kind 5: a hunting eye with writhing crimson spines
{
    return sprite(34, 34, [&](Image& img) {
        const float turn = frame ? float(M_PI) / 8 : 0;
        const Shape spines = polygon(starPoints(17, 17, 16.6f, 10, 8, turn));
        img.fill(spines, bevel(vgrad(rgb(240, 70, 110), rgb(120, 10, 40), 0, 34), spines, 2, 0.6f));
        img.fill(circle(17, 17, 11.5f), sphere(rgb(255, 225, 230), 17, 17, 11.5f));
        const float px = frame ? 19.5f : 15, py = frame ? 18.5f : 16;
        const float ir = frame ? 5.2f : 6.2f;
        img.fill(circle(px, py, ir), radial(rgb(255, 240, 120), rgb(220, 120, 0), px, py, ir));
        img.fill(circle(px, py, frame ? 3.0f : 2.2f), rgb(40, 10, 30));
        img.fill(circle(px - 1.6f, py - 1.8f, 1.1f), rgb(255, 255, 255));
    });
}

Picture blade(int frame) // kind 6: a spinning silver blade with an electric heart
{
    return sprite(30, 30, [&](Image& img) {
        const float turn = frame ? float(M_PI) / 4 : 0;
        const Shape star = polygon(starPoints(15, 15, 14.6f, 4.6f, 4, turn));
        img.fill(star, bevel(vgrad(rgb(245, 250, 255), rgb(120, 140, 180), 0, 30), star, 2.2f, 0.8f));
        const Shape hub = circle(15, 15, 6);
        img.fill(hub, bevel(flat(rgb(70, 90, 150)), hub, 1.5f, 0.7f));
        img.fill(circle(15, 15, 3.6f), radial(rgb(255, 255, 255), rgb(60, 170, 255), 15, 15, 3.6f));
        img.fill(ring(15, 15, 5.2f, 1), frame ? rgb(120, 220, 255) : rgb(60, 120, 220));
    });
}

// ---- hazards ----

// Yellow and black warning stripes inside a shape.
void hazardStripes(Image& img, const Shape& where, float period)
{
    img.fill(where, [=](float x, float y) {
        const float k = std::fmod(x + y + 1000 * period, period) / period;
        return k < 0.5f ? rgb(250, 200, 20) : rgb(60, 50, 40);
    });
}

// A crackling electric arc from (ax, ay) to (bx, by).
void arc(Image& img, float ax, float ay, float bx, float by, int seed, float jitter)
{
    const int n = 7;
    float px = ax, py = ay;
    for (int i = 1; i <= n; ++i) {
        const float t = float(i) / n;
        float x = ax + (bx - ax) * t, y = ay + (by - ay) * t;
        if (i < n) {
            x += (hash2(i, seed, 3) - 0.5f) * jitter;
            y += (hash2(i, seed, 4) - 0.5f) * jitter;
        }
        img.fill(capsule(px, py, x, y, 1.3f), rgb(120, 200, 255));
        img.fill(capsule(px, py, x, y, 0.6f), rgb(240, 250, 255));
        px = x;
        py = y;
    }
}

// A spike from its base (centred on bx, by, half width hw) to its tip.
void spike(Image& img, float bx, float by, float tx, float ty, float hw)
{
    const float dx = tx - bx, dy = ty - by, len = std::hypot(dx, dy);
    const float nx = -dy / len * hw, ny = dx / len * hw;
    const Shape s = polygon({{bx + nx, by + ny}, {tx, ty}, {bx - nx, by - ny}});
    img.fill(s, bevel(
                    [=](float x, float y) {
                        const float t = clamp01(((x - bx) * dx + (y - by) * dy) / (len * len));
                        return t < 0.55f ? mix(rgb(170, 175, 190), rgb(200, 60, 40), t / 0.55f)
                                         : mix(rgb(220, 60, 40), rgb(255, 230, 120), (t - 0.55f) / 0.45f);
                    },
                    s, 2, 0.7f));
}

// The hazard bolted to the left wall (the right one is its mirror image).
Image wallHazard()
{
    Image img(58, 74);
    spike(img, 10, 13, 57.5f, 13, 6.5f);
    spike(img, 10, 37, 57.5f, 37, 8.5f);
    spike(img, 10, 61, 57.5f, 61, 6.5f);
    arc(img, 30, 16, 30, 34, 1, 7);
    arc(img, 30, 40, 30, 58, 2, 7);
    const Shape plate = box(-6, 0, 13, 74, 4);
    img.fill(plate, bevel(vgrad(rgb(120, 128, 150), rgb(60, 64, 84), 0, 74), plate, 2.5f, 0.7f));
    hazardStripes(img, box(1, 3, 9, 71, 1), 8);
    for (float y : {6.0f, 68.0f})
        img.fill(circle(10.5f, y, 1.4f), sphere(rgb(220, 220, 230), 10.5f, y, 1.4f));
    for (float y : {13.0f, 37.0f, 61.0f})
        img.fill(circle(10.5f, y, 2.6f), sphere(rgb(255, 60, 40), 10.5f, y, 2.6f));
    return img;
}

Image mirrored(const Image& src)
{
    Image out(src.w, src.h);
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            const float* s = &src.px[(size_t(y) * src.w + x) * 4];
            float* d = &out.px[(size_t(y) * src.w + (src.w - 1 - x)) * 4];
            for (int k = 0; k < 4; ++k)
                d[k] = s[k];
        }
    return out;
}

Picture floorHazard() // at the bottom edge, left of the exit
{
    return sprite(49, 40, [&](Image& img) {
        spike(img, 10, 32, 10, 1, 6);
        spike(img, 24.5f, 32, 24.5f, 0.5f, 7.5f);
        spike(img, 39, 32, 39, 1, 6);
        arc(img, 14, 14, 21, 14, 5, 5);
        arc(img, 28, 12, 35, 12, 6, 5);
        const Shape plate = box(0.5f, 29, 48.5f, 46, 4);
        img.fill(plate, bevel(vgrad(rgb(120, 128, 150), rgb(60, 64, 84), 29, 40), plate, 2.5f, 0.7f));
        hazardStripes(img, box(3, 33, 46, 38.5f, 1), 8);
    });
}

Picture floatingHazard() // the hazards placed each wave: a spiked mine with a red eye
{
    return sprite(32, 32, [&](Image& img) {
        for (int i = 0; i < 8; ++i) {
            const float a = i * float(M_PI) / 4;
            spike(img, 16 + 7 * std::sin(a), 16 - 7 * std::cos(a), 16 + 15.6f * std::sin(a), 16 - 15.6f * std::cos(a), 3.2f);
        }
        const Shape body = circle(16, 16, 9.6f);
        img.fill(body, bevel(vgrad(rgb(130, 130, 150), rgb(50, 50, 70), 6, 26), body, 2.5f, 0.7f));
        img.fill(circle(16, 16, 5.2f), bevel(flat(rgb(60, 20, 20)), circle(16, 16, 5.2f), 1.2f, -0.6f));
        img.fill(circle(16, 16, 3.8f), radial(rgb(255, 240, 200), rgb(255, 30, 20), 16, 16, 3.8f));
    });
}

Picture mine() // kind 2's shot: a small spiked red mine with a hot core
{
    return sprite(11, 11, [&](Image& img) {
        const Shape s = polygon(starPoints(5.5f, 5.5f, 5.5f, 3.2f, 8, 0));
        img.fill(s, bevel(flat(rgb(210, 60, 30)), s, 1.2f, 0.6f));
        img.fill(circle(5.5f, 5.5f, 2), radial(rgb(255, 255, 220), rgb(255, 200, 40), 5.5f, 5.5f, 2));
    });
}

Picture exitGate()
{
    return sprite(42, 10, [&](Image& img) {
        img.fill(box(3, 0, 39, 10), vgrad(rgb(40, 200, 110), rgb(10, 90, 50), 0, 10));
        for (int i = 0; i < 4; ++i) {
            const float cx = 9 + i * 8;
            const Shape chevron = subtract(polygon({{cx - 3.5f, 1.5f}, {cx + 3.5f, 1.5f}, {cx, 6}}),
                                           polygon({{cx - 3.5f, -1}, {cx + 3.5f, -1}, {cx, 3.5f}}));
            img.fill(chevron, rgb(200, 255, 220));
        }
        for (float px : {0.0f, 38.0f}) {
            const Shape post = box(px, 0, px + 4, 10, 1);
            img.fill(post, bevel(vgrad(steelLight, steelDark, 0, 10), post, 1.2f, 0.7f));
        }
        img.fill(box(0, 0, 42, 1.2f), rgb(170, 255, 200));
    });
}

Picture bonus() // the wandering bonus: a golden star in a shining orbit
{
    return sprite(30, 30, [&](Image& img) {
        img.fill(ring(15, 15, 13.4f, 2), rgb(150, 230, 255));
        const Shape star = polygon(starPoints(15, 15.6f, 13.2f, 6, 5, 0));
        img.fill(star, bevel(vgrad(rgb(255, 245, 150), rgb(230, 140, 0), 3, 27), star, 2.5f, 0.8f));
        img.fill(circle(15, 15.6f, 3.5f), sphere(rgb(255, 200, 40), 15, 15.6f, 3.5f));
        for (float a : {0.6f, 2.4f, 4.2f})
            img.fill(circle(15 + 13.4f * std::sin(a), 15 - 13.4f * std::cos(a), 1.7f), rgb(255, 255, 255));
    });
}

Picture collectable() // a cyan crystal
{
    return sprite(18, 20, [&](Image& img) {
        const Pts outline = {{9, 0.3f}, {17.6f, 6}, {17.6f, 13}, {9, 19.7f}, {0.4f, 13}, {0.4f, 6}};
        const Pts inner = {{9, 4.5f}, {13.2f, 7.5f}, {13.2f, 12}, {9, 15.5f}, {4.8f, 12}, {4.8f, 7.5f}};
        const Col shades[6] = {rgb(200, 255, 255), rgb(110, 230, 250), rgb(40, 150, 200),
                               rgb(30, 120, 180), rgb(70, 190, 230), rgb(170, 250, 255)};
        for (int i = 0; i < 6; ++i) {
            const int j = (i + 1) % 6;
            img.fill(polygon({outline[i], outline[j], inner[j], inner[i]}), shades[i]);
        }
        img.fill(polygon(inner), radial(rgb(230, 255, 255), rgb(80, 210, 240), 7.5f, 8, 8));
        img.fill(polygon(starPoints(6.5f, 6.5f, 3.4f, 0.8f, 4, 0)), rgb(255, 255, 255));
    });
}

Picture bullet(Col core, Col edge, int size)
{
    return sprite(size, size, [&](Image& img) {
        const float c = size / 2.0f;
        img.fill(circle(c, c, c - 0.05f), radial(core, edge, c - 0.5f, c - 0.5f, c));
    });
}

Picture gameOver(Faces& faces)
{
    const int px = 76;
    const int tw = faces.sansBold->width("GAME OVER", px);
    const int w = tw + 24, h = 96;
    Image img(w, h);
    const Shape text = faces.sansBold->shape("GAME OVER", px, 12, 4);
    const Shape outline = grow(text, 3.2f);
    img.fill(outline, vgrad(rgb(120, 30, 20), rgb(70, 10, 20), 0, float(h)));
    img.fill(text, bevel(
                       [&](float, float y) {
                           const float t = clamp01((y - 14) / 62);
                           if (t < 0.5f)
                               return mix(rgb(255, 250, 210), rgb(255, 170, 40), t * 2);
                           return mix(rgb(230, 60, 20), rgb(255, 150, 60), (t - 0.5f) * 2);
                       },
                       text, 3, 0.6f));
    return toSprite(img);
}

Picture statusPanel(Faces& faces)
{
    Image img(640, 17);
    img.fill(box(0, 0, 640, 17), vgrad(rgb(40, 46, 72), rgb(14, 16, 30), 0, 16));
    img.fill(box(0, 0, 640, 1), rgb(70, 80, 116));
    img.fill(box(0, 16, 640, 17), rgb(100, 130, 200));
    for (float x : {86.0f, 193.0f, 296.0f, 366.0f, 524.0f, 588.0f}) {
        img.fill(box(x, 2, x + 1, 15), rgb(8, 10, 20));
        img.fill(box(x + 1, 2, x + 2, 15), rgb(64, 74, 108));
    }
    faces.sansBold->draw(img, 445, 2, "TARNAVEL", 10, rgb(70, 84, 124), 0);
    shipInto(img, 529, 2.5f, 12.0f / 32);
    return toOpaque(img, rgb(0, 0, 0));
}

} // namespace

Picture sprite(int w, int h, const std::function<void(Image&)>& draw, float minBrightness)
{
    Image img(w, h);
    draw(img);
    return toSprite(img, minBrightness);
}

void drawShip(Image& img, float ox, float oy, float scaleBy) { shipInto(img, ox, oy, scaleBy); }

std::vector<Picture> drawSprites(Faces& faces)
{
    std::vector<Picture> s(SPRITES_COUNT);
    for (int k = 0; k < 3; ++k) {
        s[SPR_POWERUP_FIRST + k] = powerUp(k);
        s[SPR_WEAPON_ICON_FIRST + k] = weaponIcon(k);
    }
    s[SPR_SHIP_BULLET] = bullet(rgb(255, 255, 240), rgb(255, 220, 60), 6);
    s[SPR_ENEMY_BULLET] = bullet(rgb(255, 255, 230), rgb(255, 70, 40), 7);
    s[SPR_MINE] = mine();
    Picture (*kinds[7])(int) = {scout, brute, miner, wasp, gunner, eye, blade};
    for (int k = 0; k < 7; ++k)
        for (int f = 0; f < 2; ++f)
            s[SPR_ENEMY_FIRST + 2 * k + f] = kinds[k](f);
    const Image left = wallHazard();
    s[SPR_HAZARD_LEFT] = toSprite(left);
    s[SPR_HAZARD_RIGHT] = toSprite(mirrored(left));
    s[SPR_EXIT_GATE] = exitGate();
    s[SPR_GAME_OVER] = gameOver(faces);
    s[SPR_WANDERING_BONUS] = bonus();
    s[SPR_HAZARD] = floatingHazard();
    s[SPR_SHIP] = sprite(32, 32, [](Image& img) { shipInto(img, 0, 0, 1); });
    s[SPR_HAZARD_BOTTOM] = floorHazard();
    s[SPR_COLLECTABLE] = collectable();
    s[SPR_STATUS_PANEL] = statusPanel(faces);
    return s;
}

std::vector<uint8_t> drawIcon(int size)
{
    Image img(size, size);
    const float r = size / 2.0f - 0.5f;
    img.fill(circle(size / 2.0f, size / 2.0f, r), radial(rgb(40, 50, 100), rgb(8, 10, 30), size * 0.4f, size * 0.35f, r));
    img.fill(ring(size / 2.0f, size / 2.0f, r - size / 40.0f, size / 20.0f), rgb(100, 130, 200));
    const float s = size * 0.7f / 32;
    shipInto(img, (size - 32 * s) / 2, (size - 32 * s) / 2, s);
    std::vector<uint8_t> out(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Col c = img.colour(x, y);
            uint8_t* p = &out[(size_t(y) * size + x) * 4];
            p[0] = uint8_t(std::lround(clamp01(c.r) * 255));
            p[1] = uint8_t(std::lround(clamp01(c.g) * 255));
            p[2] = uint8_t(std::lround(clamp01(c.b) * 255));
            p[3] = uint8_t(std::lround(clamp01(img.alpha(x, y)) * 255));
        }
    return out;
}

} // namespace assets
