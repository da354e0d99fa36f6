// The asset generator's drawing kit: shapes as signed distance fields, painted
// with coverage into a floating-point RGBA image, then cut to a sprite with a
// hard edge (every pixel either fully drawn or exactly the mask colour).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace art {

struct Col {
    float r = 0, g = 0, b = 0;
};

Col rgb(int r, int g, int b);
Col mix(Col a, Col b, float t);
Col scale(Col c, float k);
Col add(Col a, Col b);
float clamp01(float v);
float smooth(float edge0, float edge1, float v);

// Signed distance in pixels (negative inside) with a bounding box that holds
// every point where the distance is below one pixel.
using Sdf = std::function<float(float, float)>;
struct Shape {
    Sdf d;
    float x0, y0, x1, y1;
};

using Pts = std::vector<std::pair<float, float>>;

Shape circle(float cx, float cy, float r);
Shape ellipse(float cx, float cy, float rx, float ry);
Shape box(float x0, float y0, float x1, float y1, float radius = 0);
Shape polygon(const Pts& pts);
Shape capsule(float ax, float ay, float bx, float by, float r);
Shape ring(float cx, float cy, float r, float thickness);
Shape unite(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);
Shape intersect(const Shape& a, const Shape& b);
Shape grow(const Shape& a, float by);
// Rotated by angle (radians, clockwise on screen) about (cx, cy).
Shape rotated(const Shape& a, float cx, float cy, float angle);
Shape mirroredX(const Shape& a, float axis);
Pts regularPolygon(float cx, float cy, float r, int n, float angle);
Pts starPoints(float cx, float cy, float outer, float inner, int n, float angle);

using Paint = std::function<Col(float, float)>;
Paint flat(Col c);
Paint vgrad(Col top, Col bottom, float y0, float y1);
Paint radial(Col centre, Col edge, float cx, float cy, float r);
// Embossed metal or plastic lit from the top left: the rim facing the light
// brightens and the far rim darkens, over a band of `width` pixels.
Paint bevel(const Paint& base, const Shape& s, float width, float strength = 0.55f);
// A glossy ball: diffuse light from the top left and a white highlight.
Paint sphere(Col base, float cx, float cy, float r);

struct Image {
    int w, h;
    std::vector<float> px; // premultiplied r, g, b, a per pixel

    Image(int w, int h);
    void fill(const Shape& s, const Paint& p, float opacity = 1);
    void fill(const Shape& s, Col c, float opacity = 1) { fill(s, flat(c), opacity); }
    void blend(int x, int y, Col c, float alpha);
    void set(int x, int y, Col c);
    float alpha(int x, int y) const { return px[(y * w + x) * 4 + 3]; }
    Col colour(int x, int y) const;
    // Draws another image over this one at (x, y).
    void draw(const Image& src, int x, int y, float opacity = 1);
};

// 24-bit pixels, row by row; (255, 0, 255) is transparent.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    void put(int x, int y, uint8_t r, uint8_t g, uint8_t b);
    bool transparent(int x, int y) const;
};

// Hard-edged cut: pixels at least half covered keep their own colour (never
// the mask colour, never too dark to see on black), the rest become mask.
Picture toSprite(const Image& img, float minBrightness = 0.2f);
Picture toOpaque(const Image& img, Col background);
// The image as a sprite again (for composing pictures out of sprites).
Image fromPicture(const Picture& p);

// Deterministic noise in [0, 1).
float hash2(int x, int y, int seed);
float noise(float x, float y, int seed);
float fbm(float x, float y, int seed, int octaves = 4);

// Text through FreeType.
class TextFace {
public:
    explicit TextFace(const std::string& path);
    ~TextFace();
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    // Hinted anti-aliased text, top of the em box at y; align -1 left,
    // 0 centre, 1 right of x. Returns the advance width.
    int draw(Image& img, int x, int y, const std::string& text, int px, Col c, int align = -1);
    int width(const std::string& text, int px);
    // The text as a shape whose top-left em corner is at (x, y), for outlined
    // and bevelled titles.
    Shape shape(const std::string& text, int px, float x, float y);

    struct Glyph {
        int w, h, left, top, advance;
        std::vector<uint8_t> bits; // mono: one byte per pixel, 0 or 1
    };
    // One glyph in FreeType's monochrome mode (for the game's bitmap fonts).
    Glyph mono(int ch, int px);
    // Ascender and descender of the face at this pixel size.
    void metrics(int px, int* ascender, int* descender);

private:
    void* library_;
    void* face_;
};

} // namespace art
