// misc.dat: the menu buttons, the pointer, the instructions page, the logo,
// the menu background and the two fonts.
#include "shell/catalogue.h"
#include "tools/art_common.h"

#include <cmath>
#include <sstream>

namespace assets {

using namespace art;

namespace {

const int buttonWidth = 150;
const int buttonHeight = 40;

Picture button(bool pressed)
{
    return sprite(buttonWidth, buttonHeight, [&](Image& img) {
        // A tab that stands flush against the right edge of the screen.
        const Shape face = box(0.5f, 0.5f, buttonWidth + 12.0f, buttonHeight - 0.5f, 10);
        const Paint base = pressed ? vgrad(rgb(16, 20, 38), rgb(44, 54, 92), 0, buttonHeight)
                                   : vgrad(rgb(60, 72, 112), rgb(20, 24, 44), 0, buttonHeight);
        img.fill(face, bevel(base, face, 3, pressed ? -0.5f : 0.65f));
        const Shape inner = box(4, 4, buttonWidth + 12.0f, buttonHeight - 4.0f, 7);
        img.fill(subtract(grow(inner, 0.6f), inner), pressed ? rgb(30, 36, 60) : rgb(90, 108, 160));
        const Shape accent = box(7, 10, 10, buttonHeight - 10.0f, 1.5f);
        img.fill(accent, pressed ? flat(rgb(255, 190, 60)) : vgrad(rgb(140, 230, 255), rgb(40, 130, 220), 10, 30));
    });
}

Picture pointer()
{
    return sprite(16, 23, [](Image& img) {
        // The tip is the hot spot, 2 pixels in from the top left corner.
        const Shape arrow = polygon({{2, 2}, {2, 18.5f}, {6.2f, 14.8f}, {9.2f, 21.2f}, {11.8f, 20}, {8.9f, 13.8f}, {14.2f, 13.6f}});
        img.fill(grow(arrow, 1.3f), rgb(20, 30, 70));
        img.fill(arrow, bevel(vgrad(rgb(255, 255, 255), rgb(150, 210, 255), 2, 21), arrow, 1.5f, 0.5f));
    });
}

// The chrome title lettering of the logo and the menu.
Image titleImage(Faces& faces, const std::string& text, int px, bool underline)
{
    const int tw = faces.sansBold->width(text, px);
    const int pad = 14;
    const int w = tw + 2 * pad, h = int(px * 1.25f) + (underline ? 16 : 6);
    Image img(w, h);
    const float top = px * 0.22f, bottom = px * 0.96f + 4;
    const Shape letters = faces.sansBold->shape(text, px, pad, 2);
    if (underline) {
        const Shape swoosh = polygon({{pad + 6.0f, h - 13.0f}, {w - pad + 4.0f, h - 16.0f}, {w - pad - 8.0f, h - 5.0f}, {pad - 2.0f, h - 6.0f}});
        img.fill(grow(swoosh, 2.5f), rgb(16, 18, 48));
        img.fill(swoosh, bevel(vgrad(rgb(255, 200, 80), rgb(220, 60, 20), h - 16.0f, h - 5.0f), swoosh, 2, 0.6f));
    }
    img.fill(grow(letters, px / 18.0f), rgb(14, 18, 48));
    img.fill(letters, bevel(
                          [=](float, float y) {
                              const float t = clamp01((y - top) / (bottom - top));
                              if (t < 0.48f)
                                  return mix(rgb(150, 220, 255), rgb(250, 254, 255), t / 0.48f);
                              if (t < 0.56f)
                                  return mix(rgb(250, 254, 255), rgb(40, 80, 170), (t - 0.48f) / 0.08f);
                              return mix(rgb(40, 80, 170), rgb(160, 210, 255), (t - 0.56f) / 0.44f);
                          },
                          letters, px / 16.0f, 0.55f));
    return img;
}

// Night sky shared by the menu and the instructions: gradient, nebula, stars.
// Stars inside `quiet` rectangles stay dim so text over them reads well.
struct Rect {
    float x0, y0, x1, y1;
};
void spaceBackdrop(Image& img, float nebula, const std::vector<Rect>& quiet)
{
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            Col c = mix(rgb(12, 16, 40), rgb(3, 3, 12), float(y) / img.h);
            const float n1 = fbm(x * 0.006f, y * 0.008f, 5, 5);
            const float n2 = fbm(x * 0.01f + 30, y * 0.01f, 9, 4);
            const float cloud = smooth(0.45f, 0.8f, n1) * nebula;
            c = add(c, scale(mix(rgb(90, 30, 120), rgb(30, 70, 150), n2), cloud * 0.55f));
            img.set(x, y, c);
        }
    for (int i = 0; i < 520; ++i) {
        const float x = hash2(i, 1, 401) * img.w, y = hash2(i, 2, 401) * img.h;
        float b = 0.25f + 0.75f * std::pow(hash2(i, 3, 401), 3.0f);
        bool inQuiet = false;
        for (const Rect& r : quiet)
            if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1)
                inQuiet = true;
        if (inQuiet)
            b = std::min(b, 0.3f);
        const Col tint = mix(rgb(255, 240, 220), rgb(200, 220, 255), hash2(i, 4, 401));
        img.blend(int(x), int(y), tint, b);
        if (b > 0.8f) { // the brightest get a small cross
            img.blend(int(x) - 1, int(y), tint, b * 0.4f);
            img.blend(int(x) + 1, int(y), tint, b * 0.4f);
            img.blend(int(x), int(y) - 1, tint, b * 0.4f);
            img.blend(int(x), int(y) + 1, tint, b * 0.4f);
        }
    }
}

void planet(Image& img, float cx, float cy, float r)
{
    const Shape body = circle(cx, cy, r);
    const Shape back = intersect(ring(cx, cy, r * 1.5f, r * 0.22f), box(cx - 2 * r, cy - 2 * r, cx + 2 * r, cy));
    const auto ringPaint = flat(rgb(150, 120, 170));
    auto squash = [&](const Shape& s) {
        Sdf d = s.d;
        return Shape{[=](float x, float y) { return d(cx + (x - cx) * 0.92f + (y - cy) * 0.4f, cy + (y - cy) * 3.2f - (x - cx) * 0.5f) * 0.5f; },
                     cx - 2 * r, cy - r, cx + 2 * r, cy + r};
    };
    img.fill(squash(back), ringPaint, 0.7f);
    img.fill(body, [=](float x, float y) {
        const float band = fbm(0.5f, (y - cy) / r * 3 + fbm(x * 0.02f, y * 0.02f, 3, 3), 21, 3);
        Col c = mix(rgb(190, 110, 90), rgb(240, 200, 150), band);
        const float nx = (x - cx) / r, ny = (y - cy) / r;
        const float lit = clamp01(0.85f - 0.9f * nx - 0.2f * ny);
        return scale(c, 0.12f + 0.8f * lit * lit);
    });
    const Shape front = intersect(ring(cx, cy, r * 1.5f, r * 0.22f), box(cx - 2 * r, cy, cx + 2 * r, cy + 2 * r));
    img.fill(squash(front), ringPaint, 0.85f);
}

std::vector<std::string> wrap(TextFace& face, const std::string& text, int px, int width)
{
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        const std::string tryLine = line.empty() ? word : line + " " + word;
        if (face.width(tryLine, px) > width && !line.empty()) {
            lines.push_back(line);
            line = word;
        } else {
            line = tryLine;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

void blitSprite(Image& img, const Picture& p, float cx, float cy)
{
    img.draw(fromPicture(p), int(std::lround(cx - p.w / 2.0f)), int(std::lround(cy - p.h / 2.0f)));
}

Picture instructions(Faces& faces, const std::vector<Picture>& s)
{
    Image img(640, 480);
    spaceBackdrop(img, 0.35f, {{0, 0, 640, 480}});
    const Image title = titleImage(faces, "HOW TO PLAY", 34, false);
    img.draw(title, 320 - title.w / 2, 8);

    TextFace& body = *faces.sans;
    TextFace& bold = *faces.sansBold;
    const Col text = rgb(215, 222, 240), accent = rgb(255, 200, 70);
    const int size = 12, lineH = 15;

    // One rule: icons drawn by `icon` in the 48-pixel column at x, the text beside it.
    auto rule = [&](int x, int& y, int width, const std::string& head, const std::string& words,
                    const std::function<void(float cx, float cy)>& icon) {
        const std::vector<std::string> lines = wrap(body, words, size, width - 56);
        const int h = std::max(34, lineH * int(lines.size() + 1));
        icon(x + 24.0f, y + h / 2.0f - 2);
        bold.draw(img, x + 56, y, head, size, accent);
        for (size_t i = 0; i < lines.size(); ++i)
            body.draw(img, x + 56, y + lineH * int(i + 1), lines[i], size, text);
        y += h + 7;
    };

    auto header = [&](int x, int y, const std::string& t) {
        bold.draw(img, x, y, t, 14, rgb(140, 210, 255));
        img.fill(box(float(x), y + 19.0f, x + 290.0f, y + 20.0f), rgb(70, 100, 170));
    };

    int y = 64;
    header(20, y, "CONTROLS");
    header(330, y, "THE FIELD");
    y += 28;
    int left = y, right = y;

    rule(20, left, 295, "Mouse: steer",
         "Your ship drifts: every push of the mouse adds speed, and it keeps it.",
         [&](float cx, float cy) { blitSprite(img, s[SPR_SHIP], cx, cy); });
    rule(20, left, 295, "Left button: fire",
         "Shots fly the way you travel, but only while you move on both axes.",
         [&](float cx, float cy) {
             blitSprite(img, s[SPR_SHIP], cx - 6, cy + 6);
             blitSprite(img, s[SPR_SHIP_BULLET], cx + 12, cy - 12);
             blitSprite(img, s[SPR_SHIP_BULLET], cx + 19, cy - 19);
         });
    rule(20, left, 295, "Right button: select  -  Space: fire",
         "Blue slows every enemy, green pushes them back, red damages them all.",
         [&](float cx, float cy) {
             for (int k = 0; k < 3; ++k)
                 blitSprite(img, s[SPR_WEAPON_ICON_FIRST + k], cx - 14 + 14 * k, cy);
         });
    rule(20, left, 295, "Power-ups",
         "Each orb charges the special weapon of its colour.",
         [&](float cx, float cy) {
             blitSprite(img, s[SPR_POWERUP_FIRST + 0], cx - 10, cy - 8);
             blitSprite(img, s[SPR_POWERUP_FIRST + 1], cx + 10, cy - 8);
             blitSprite(img, s[SPR_POWERUP_FIRST + 2], cx, cy + 10);
         });
    rule(20, left, 295, "P: pause  -  Escape: end the game",
         "The Pause key works as P. Escape gives up and enters your score.",
         [&](float cx, float cy) {
             const Shape key = box(cx - 15, cy - 11, cx + 15, cy + 11, 4);
             img.fill(key, bevel(vgrad(rgb(200, 205, 220), rgb(110, 115, 135), cy - 11, cy + 11), key, 3, 0.7f));
             bold.draw(img, int(cx), int(cy) - 8, "Esc", 12, rgb(30, 34, 50), 0);
         });

    rule(330, right, 295, "Take every crystal",
         "The last one opens the exit at the bottom: fly into it to end the wave.",
         [&](float cx, float cy) {
             blitSprite(img, s[SPR_COLLECTABLE], cx, cy - 9);
             blitSprite(img, s[SPR_EXIT_GATE], cx, cy + 13);
         });
    rule(330, right, 295, "Leave quickly",
         "The time bonus drains each second. Shot enemies score only while it lasts.",
         [&](float cx, float cy) {
             const Shape dial = circle(cx, cy, 15);
             img.fill(dial, bevel(flat(rgb(40, 50, 90)), dial, 3, 0.7f));
             img.fill(ring(cx, cy, 12, 2), rgb(255, 200, 70));
             img.fill(capsule(cx, cy, cx, cy - 9, 1.4f), rgb(255, 255, 255));
             img.fill(capsule(cx, cy, cx + 6, cy + 3, 1.4f), rgb(255, 255, 255));
         });
    rule(330, right, 295, "Deadly",
         "Hazards, enemies and enemy shots destroy your ship.",
         [&](float cx, float cy) {
             blitSprite(img, s[SPR_HAZARD], cx - 4, cy);
             blitSprite(img, s[SPR_ENEMY_BULLET], cx + 17, cy - 10);
             blitSprite(img, s[SPR_MINE], cx + 17, cy + 8);
         });
    rule(330, right, 295, "The wandering star",
         "Catch the golden star that bounces by now and then: 2000 points.",
         [&](float cx, float cy) { blitSprite(img, s[SPR_WANDERING_BONUS], cx, cy); });
    rule(330, right, 295, "Extra lives",
         "Five ships to start with, and one more every 5000 points.",
         [&](float cx, float cy) {
             blitSprite(img, s[SPR_SHIP], cx - 6, cy + 2);
             bold.draw(img, int(cx) + 6, int(cy) - 19, "+1", 12, rgb(120, 255, 140), -1);
         });

    // The enemy line-up with the points each is worth.
    const int bandY = std::max(left, right) + 2;
    header(20, bandY, "ENEMIES");
    img.fill(box(20, bandY + 19.0f, 620, bandY + 20.0f), rgb(70, 100, 170));
    body.draw(img, 620, bandY + 2, "points for each one you shoot while the bonus lasts", size, rgb(160, 170, 200), 1);
    const int points[7] = {10, 20, 30, 40, 70, 110, 200};
    for (int k = 0; k < 7; ++k) {
        const float cx = 66 + k * 84.0f, cy = bandY + 50.0f;
        blitSprite(img, s[SPR_ENEMY_FIRST + 2 * k], cx, cy);
        bold.draw(img, int(cx), int(cy) + 26, std::to_string(points[k]), 12, accent, 0);
    }
    body.draw(img, 320, 462, "Press any key or click to return", 12, rgb(150, 160, 190), 0);
    return toOpaque(img, rgb(0, 0, 0));
}

Picture background(Faces& faces, const std::vector<Picture>& s)
{
    Image img(640, 480);
    // Text stands over the high-score table (bottom left) and the credits
    // window (bottom middle): keep those calm.
    spaceBackdrop(img, 1.0f, {{0, 360, 130, 480}, {262, 270, 528, 480}});
    planet(img, 70, 250, 52);
    // The ship streaking past the title, its trail behind the engines; left
    // of the column of buttons, and its trail short of the credits window.
    const float shipX = 384, shipY = 170;
    for (int i = 0; i < 26; ++i) {
        const float t = i / 40.0f;
        img.fill(circle(shipX + 31 - 0.565f * 100 * t, shipY + 71 + 0.825f * 100 * t, 3.5f * (1 - t) + 0.6f),
                 rgb(255, 160, 60), 0.4f * (1 - t));
    }
    {
        Image ship(64, 64);
        drawShip(ship, 0, 0, 2);
        // Tilt it: sample the upright ship rotated by -35 degrees.
        Image tilted(96, 96);
        const float a = 0.6f, c = std::cos(a), sn = std::sin(a);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) {
                const float dx = x + 0.5f - 48, dy = y + 0.5f - 48;
                const float sx = 32 + dx * c + dy * sn, sy = 32 - dx * sn + dy * c;
                const int ix = int(std::floor(sx)), iy = int(std::floor(sy));
                if (ix >= 0 && iy >= 0 && ix < 64 && iy < 64 && ship.alpha(ix, iy) > 0)
                    tilted.blend(x, y, ship.colour(ix, iy), ship.alpha(ix, iy));
            }
        img.draw(tilted, int(shipX), int(shipY));
    }
    const Image title = titleImage(faces, "TARNAVEL", 86, true);
    img.draw(title, 320 - title.w / 2, 48);
    faces.sans->draw(img, 320, 48 + title.h + 4, "an arcade adventure in the deep field", 13, rgb(170, 190, 230), 0);

    // The marquee that carries the scrolling welcome line.
    img.fill(box(0, 0, 640, 17), vgrad(rgb(226, 230, 240), rgb(168, 176, 196), 0, 17));
    img.fill(box(0, 16, 640, 17), rgb(110, 118, 140));
    img.fill(box(0, 17, 640, 19), rgb(0, 0, 0), 0.5f);

    // The high-score plaque.
    const Shape plaque = box(-8, 364, 128, 476, 8);
    img.fill(plaque, rgb(6, 8, 22), 0.8f);
    img.fill(subtract(plaque, grow(plaque, -1.2f)), rgb(80, 100, 160));
    faces.sansBold->draw(img, 6, 366, "HIGH SCORES", 11, rgb(255, 200, 70));
    (void)s;
    return toOpaque(img, rgb(0, 0, 0));
}

} // namespace

Misc drawMisc(Faces& faces, const std::vector<Picture>& sprites)
{
    Misc m;
    m.pictures.resize(MISC_FONT_LARGE);
    m.pictures[MISC_BUTTON_PRESSED] = button(true);
    m.pictures[MISC_BUTTON_NORMAL] = button(false);
    m.pictures[MISC_POINTER] = pointer();
    m.pictures[MISC_INSTRUCTIONS] = instructions(faces, sprites);
    // Not used by the game: the ship badge of the desktop icon, kept for reference.
    {
        const std::vector<uint8_t> icon = drawIcon(64);
        Picture p;
        p.w = p.h = 64;
        p.rgb.resize(64 * 64 * 3);
        for (int i = 0; i < 64 * 64; ++i) {
            if (icon[i * 4 + 3] < 128)
                p.put(i % 64, i / 64, 255, 0, 255);
            else
                p.put(i % 64, i / 64, icon[i * 4], icon[i * 4 + 1], icon[i * 4 + 2]);
        }
        m.pictures[MISC_UNUSED] = p;
    }
    m.pictures[MISC_LOGO] = toSprite(titleImage(faces, "TARNAVEL", 96, true));
    m.pictures[MISC_BACKGROUND] = background(faces, sprites);
    m.large = renderMonoFont(*faces.sansBold, 14, 0);
    m.small = renderMonoFont(*faces.mono, 12, 0);
    return m;
}

} // namespace assets
