#include "tools/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

namespace art {

Col rgb(int r, int g, int b) { return Col{r / 255.0f, g / 255.0f, b / 255.0f}; }
Col mix(Col a, Col b, float t) { return Col{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Col scale(Col c, float k) { return Col{c.r * k, c.g * k, c.b * k}; }
Col add(Col a, Col b) { return Col{a.r + b.r, a.g + b.g, a.b + b.b}; }
float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float smooth(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// ---- shapes ----

Shape circle(float cx, float cy, float r)
{
    return {[=](float x, float y) { return std::hypot(x - cx, y - cy) - r; }, cx - r, cy - r, cx + r, cy + r};
}

Shape ellipse(float cx, float cy, float rx, float ry)
{
    return {[=](float x, float y) {
                const float k = std::hypot((x - cx) / rx, (y - cy) / ry);
                return (k - 1) * std::min(rx, ry);
            },
            cx - rx, cy - ry, cx + rx, cy + ry};
}

Shape box(float x0, float y0, float x1, float y1, float radius)
{
    const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    return {[=](float x, float y) {
                const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
                const float out = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
                return out + std::min(std::max(qx, qy), 0.0f) - radius;
            },
            x0, y0, x1, y1};
}

Shape polygon(const Pts& pts)
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (auto& p : pts) {
        x0 = std::min(x0, p.first);
        y0 = std::min(y0, p.second);
        x1 = std::max(x1, p.first);
        y1 = std::max(y1, p.second);
    }
    return {[pts](float x, float y) {
                float best = 1e9f;
                bool inside = false;
                const size_t n = pts.size();
                for (size_t i = 0, j = n - 1; i < n; j = i++) {
                    const float ax = pts[j].first, ay = pts[j].second;
                    const float bx = pts[i].first, by = pts[i].second;
                    const float ex = bx - ax, ey = by - ay;
                    const float wx = x - ax, wy = y - ay;
                    const float len2 = ex * ex + ey * ey;
                    const float t = len2 > 0 ? clamp01((wx * ex + wy * ey) / len2) : 0;
                    best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
                    if ((ay > y) != (by > y) && x < ax + (y - ay) * ex / ey)
                        inside = !inside;
                }
                return inside ? -best : best;
            },
            x0, y0, x1, y1};
}

Shape capsule(float ax, float ay, float bx, float by, float r)
{
    return {[=](float x, float y) {
                const float ex = bx - ax, ey = by - ay;
                const float len2 = ex * ex + ey * ey;
                const float t = len2 > 0 ? clamp01(((x - ax) * ex + (y - ay) * ey) / len2) : 0;
                return std::hypot(x - ax - ex * t, y - ay - ey * t) - r;
            },
            std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r, std::max(ay, by) + r};
}

Shape ring(float cx, float cy, float r, float thickness)
{
    const float o = r + thickness / 2;
    return {[=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r) - thickness / 2; },
            cx - o, cy - o, cx + o, cy + o};
}

Shape unite(const Shape& a, const Shape& b)
{
    Sdf da = a.d, db = b.d;
    return {[da, db](float x, float y) { return std::min(da(x, y), db(x, y)); },
            std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Shape subtract(const Shape& a, const Shape& b)
{
    Sdf da = a.d, db = b.d;
    return {[da, db](float x, float y) { return std::max(da(x, y), -db(x, y)); }, a.x0, a.y0, a.x1, a.y1};
}

Shape intersect(const Shape& a, const Shape& b)
{
    Sdf da = a.d, db = b.d;
    return {[da, db](float x, float y) { return std::max(da(x, y), db(x, y)); },
            std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

Shape grow(const Shape& a, float by)
{
    Sdf da = a.d;
    return {[da, by](float x, float y) { return da(x, y) - by; }, a.x0 - by, a.y0 - by, a.x1 + by, a.y1 + by};
}

Shape rotated(const Shape& a, float cx, float cy, float angle)
{
    Sdf da = a.d;
    const float c = std::cos(angle), s = std::sin(angle);
    // Bounding box of the rotated box.
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    const float xs[2] = {a.x0, a.x1}, ys[2] = {a.y0, a.y1};
    for (float px : xs)
        for (float py : ys) {
            const float rx = cx + (px - cx) * c - (py - cy) * s;
            const float ry = cy + (px - cx) * s + (py - cy) * c;
            x0 = std::min(x0, rx);
            y0 = std::min(y0, ry);
            x1 = std::max(x1, rx);
            y1 = std::max(y1, ry);
        }
    return {[=](float x, float y) {
                const float dx = x - cx, dy = y - cy;
                return da(cx + dx * c + dy * s, cy - dx * s + dy * c);
            },
            x0, y0, x1, y1};
}

Shape mirroredX(const Shape& a, float axis)
{
    Sdf da = a.d;
    return {[=](float x, float y) { return da(2 * axis - x, y); }, 2 * axis - a.x1, a.y0, 2 * axis - a.x0, a.y1};
}

Pts regularPolygon(float cx, float cy, float r, int n, float angle)
{
    Pts p;
    for (int i = 0; i < n; ++i) {
        const float a = angle + 2 * float(M_PI) * i / n;
        p.push_back({cx + r * std::sin(a), cy - r * std::cos(a)});
    }
    return p;
}

Pts starPoints(float cx, float cy, float outer, float inner, int n, float angle)
{
    Pts p;
    for (int i = 0; i < 2 * n; ++i) {
        const float a = angle + float(M_PI) * i / n;
        const float r = (i % 2) ? inner : outer;
        p.push_back({cx + r * std::sin(a), cy - r * std::cos(a)});
    }
    return p;
}

// ---- paints ----

Paint flat(Col c)
{
    return [c](float, float) { return c; };
}

Paint vgrad(Col top, Col bottom, float y0, float y1)
{
    return [=](float, float y) { return mix(top, bottom, clamp01((y - y0) / (y1 - y0))); };
}

Paint radial(Col centre, Col edge, float cx, float cy, float r)
{
    return [=](float x, float y) { return mix(centre, edge, clamp01(std::hypot(x - cx, y - cy) / r)); };
}

Paint bevel(const Paint& base, const Shape& s, float width, float strength)
{
    Sdf d = s.d;
    return [=](float x, float y) {
        const float e = 0.6f;
        const float gx = d(x + e, y) - d(x - e, y);
        const float gy = d(x, y + e) - d(x, y - e);
        const float len = std::hypot(gx, gy);
        const float depth = -d(x, y);
        Col c = base(x, y);
        if (len < 1e-5f)
            return c;
        // Outward normal; light falls from the top left.
        const float lit = (-gx - gy) / (len * 1.41421f);
        const float rim = 1 - smooth(0, width, depth);
        const float k = strength * rim * lit;
        if (k > 0)
            return mix(c, Col{1, 1, 1}, k);
        return scale(c, 1 + k);
    };
}

Paint sphere(Col base, float cx, float cy, float r)
{
    return [=](float x, float y) {
        const float nx = (x - cx) / r, ny = (y - cy) / r;
        const float nz2 = 1 - nx * nx - ny * ny;
        const float nz = nz2 > 0 ? std::sqrt(nz2) : 0;
        const float diffuse = clamp01(0.35f + 0.65f * (-0.5f * nx - 0.55f * ny + 0.67f * nz));
        Col c = scale(base, 0.35f + 0.85f * diffuse);
        const float hx = nx + 0.38f, hy = ny + 0.42f;
        const float spec = 1 - smooth(0.0f, 0.38f, std::hypot(hx, hy));
        return mix(c, Col{1, 1, 1}, 0.85f * spec);
    };
}

// ---- image ----

Image::Image(int w_, int h_) : w(w_), h(h_), px(size_t(w_) * h_ * 4, 0.0f) {}

void Image::blend(int x, int y, Col c, float a)
{
    if (x < 0 || y < 0 || x >= w || y >= h || a <= 0)
        return;
    a = std::min(a, 1.0f);
    float* p = &px[(size_t(y) * w + x) * 4];
    p[0] = clamp01(c.r) * a + p[0] * (1 - a);
    p[1] = clamp01(c.g) * a + p[1] * (1 - a);
    p[2] = clamp01(c.b) * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void Image::set(int x, int y, Col c)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    float* p = &px[(size_t(y) * w + x) * 4];
    p[0] = clamp01(c.r);
    p[1] = clamp01(c.g);
    p[2] = clamp01(c.b);
    p[3] = 1;
}

Col Image::colour(int x, int y) const
{
    const float* p = &px[(size_t(y) * w + x) * 4];
    if (p[3] <= 0)
        return Col{};
    return Col{p[0] / p[3], p[1] / p[3], p[2] / p[3]};
}

void Image::fill(const Shape& s, const Paint& paint, float opacity)
{
    const int x0 = std::max(0, int(std::floor(s.x0)) - 2), y0 = std::max(0, int(std::floor(s.y0)) - 2);
    const int x1 = std::min(w - 1, int(std::ceil(s.x1)) + 2), y1 = std::min(h - 1, int(std::ceil(s.y1)) + 2);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            const float cover = clamp01(0.5f - s.d(fx, fy));
            if (cover > 0)
                blend(x, y, paint(fx, fy), cover * opacity);
        }
}

void Image::draw(const Image& src, int ox, int oy, float opacity)
{
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            const float a = src.alpha(x, y);
            if (a > 0)
                blend(ox + x, oy + y, src.colour(x, y), a * opacity);
        }
}

void Picture::put(int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

bool Picture::transparent(int x, int y) const
{
    const uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

static uint8_t byteOf(float v) { return uint8_t(std::lround(clamp01(v) * 255)); }

Picture toSprite(const Image& img, float minBrightness)
{
    Picture p;
    p.w = img.w;
    p.h = img.h;
    p.rgb.resize(size_t(img.w) * img.h * 3);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            if (img.alpha(x, y) < 0.5f) {
                p.put(x, y, 255, 0, 255);
                continue;
            }
            Col c = img.colour(x, y);
            const float m = std::max(c.r, std::max(c.g, c.b));
            if (m < minBrightness) {
                const Col floor{minBrightness * 0.8f, minBrightness * 0.85f, minBrightness};
                c = m > 0.001f ? mix(floor, scale(c, minBrightness / m), 0.5f) : floor;
            }
            uint8_t r = byteOf(c.r), g = byteOf(c.g), b = byteOf(c.b);
            if (r == 255 && g == 0 && b == 255)
                r = 254;
            p.put(x, y, r, g, b);
        }
    return p;
}

Picture toOpaque(const Image& img, Col bg)
{
    Picture p;
    p.w = img.w;
    p.h = img.h;
    p.rgb.resize(size_t(img.w) * img.h * 3);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float* s = &img.px[(size_t(y) * img.w + x) * 4];
            const float a = s[3];
            uint8_t r = byteOf(s[0] + bg.r * (1 - a)), g = byteOf(s[1] + bg.g * (1 - a)), b = byteOf(s[2] + bg.b * (1 - a));
            if (r == 255 && g == 0 && b == 255)
                r = 254;
            p.put(x, y, r, g, b);
        }
    return p;
}

Image fromPicture(const Picture& p)
{
    Image img(p.w, p.h);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            if (!p.transparent(x, y)) {
                const uint8_t* s = &p.rgb[(size_t(y) * p.w + x) * 3];
                img.set(x, y, rgb(s[0], s[1], s[2]));
            }
    return img;
}

// ---- noise ----

float hash2(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / float(0x1000000);
}

float noise(float x, float y, int seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = x - ix, fy = y - iy;
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    const float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float fbm(float x, float y, int seed, int octaves)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise(x, y, seed + i * 17);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

// ---- text ----

namespace {

FT_Face faceOf(void* f) { return static_cast<FT_Face>(f); }

// Squared Euclidean distance transform of one line (Felzenszwalb and Huttenlocher).
void edt1d(const std::vector<double>& f, std::vector<double>& d, int n)
{
    std::vector<int> v(n);
    std::vector<double> z(n + 1);
    int k = 0;
    v[0] = 0;
    z[0] = -1e30;
    z[1] = 1e30;
    for (int q = 1; q < n; ++q) {
        double s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        while (s <= z[k]) {
            --k;
            s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * q - 2.0 * v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = 1e30;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        d[q] = double(q - v[k]) * (q - v[k]) + f[v[k]];
    }
}

// Distance from each cell to the nearest cell where `on` is set.
std::vector<float> distanceTo(const std::vector<uint8_t>& on, int w, int h)
{
    const double inf = 1e10;
    std::vector<double> g(size_t(w) * h);
    for (size_t i = 0; i < g.size(); ++i)
        g[i] = on[i] ? 0 : inf;
    const int n = std::max(w, h);
    std::vector<double> f(n), d(n);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            f[y] = g[size_t(y) * w + x];
        edt1d(f, d, h);
        for (int y = 0; y < h; ++y)
            g[size_t(y) * w + x] = d[y];
    }
    std::vector<float> out(g.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            f[x] = g[size_t(y) * w + x];
        edt1d(f, d, w);
        for (int x = 0; x < w; ++x)
            out[size_t(y) * w + x] = float(std::sqrt(d[x]));
    }
    return out;
}

} // namespace

TextFace::TextFace(const std::string& path)
{
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) {
        fprintf(stderr, "FreeType does not start\n");
        exit(1);
    }
    FT_Face face;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
        fprintf(stderr, "cannot open the font %s\n", path.c_str());
        exit(1);
    }
    library_ = lib;
    face_ = face;
}

TextFace::~TextFace()
{
    FT_Done_Face(faceOf(face_));
    FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void TextFace::metrics(int px, int* ascender, int* descender)
{
    FT_Face f = faceOf(face_);
    FT_Set_Pixel_Sizes(f, 0, px);
    *ascender = int((f->size->metrics.ascender + 63) >> 6);
    *descender = int((-f->size->metrics.descender + 63) >> 6);
}

int TextFace::width(const std::string& text, int px)
{
    FT_Face f = faceOf(face_);
    FT_Set_Pixel_Sizes(f, 0, px);
    int w = 0;
    for (unsigned char ch : text) {
        if (FT_Load_Char(f, ch, FT_LOAD_DEFAULT) == 0)
            w += int(f->glyph->advance.x >> 6);
    }
    return w;
}

int TextFace::draw(Image& img, int x, int y, const std::string& text, int px, Col c, int align)
{
    const int total = width(text, px);
    if (align == 0)
        x -= total / 2;
    else if (align > 0)
        x -= total;
    int asc, desc;
    metrics(px, &asc, &desc);
    FT_Face f = faceOf(face_);
    FT_Set_Pixel_Sizes(f, 0, px);
    int pen = x;
    for (unsigned char ch : text) {
        if (FT_Load_Char(f, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        const FT_GlyphSlot g = f->glyph;
        const FT_Bitmap& b = g->bitmap;
        for (unsigned row = 0; row < b.rows; ++row)
            for (unsigned col = 0; col < b.width; ++col) {
                const int v = b.buffer[row * b.pitch + col];
                if (v)
                    img.blend(pen + g->bitmap_left + int(col), y + asc - g->bitmap_top + int(row), c, v / 255.0f);
            }
        pen += int(g->advance.x >> 6);
    }
    return total;
}

Shape TextFace::shape(const std::string& text, int px, float x, float y)
{
    const int ss = 4;
    FT_Face f = faceOf(face_);
    int asc, desc;
    metrics(px * ss, &asc, &desc);
    const int pad = 8 * ss;
    const int gw = width(text, px * ss) + 2 * pad, gh = asc + desc + 2 * pad;
    FT_Set_Pixel_Sizes(f, 0, px * ss);
    std::vector<uint8_t> on(size_t(gw) * gh, 0);
    int pen = pad;
    for (unsigned char ch : text) {
        if (FT_Load_Char(f, ch, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
            continue;
        const FT_GlyphSlot g = f->glyph;
        const FT_Bitmap& b = g->bitmap;
        for (unsigned row = 0; row < b.rows; ++row)
            for (unsigned col = 0; col < b.width; ++col) {
                const int gx = pen + g->bitmap_left + int(col), gy = pad + asc - g->bitmap_top + int(row);
                if (gx >= 0 && gy >= 0 && gx < gw && gy < gh && b.buffer[row * b.pitch + col] >= 128)
                    on[size_t(gy) * gw + gx] = 1;
            }
        pen += int(g->advance.x >> 6);
    }
    std::vector<uint8_t> off(on.size());
    for (size_t i = 0; i < on.size(); ++i)
        off[i] = !on[i];
    const std::vector<float> toInk = distanceTo(on, gw, gh), toGap = distanceTo(off, gw, gh);
    auto field = std::make_shared<std::vector<float>>(on.size());
    for (size_t i = 0; i < on.size(); ++i)
        (*field)[i] = (on[i] ? -(toGap[i] - 0.5f) : (toInk[i] - 0.5f)) / ss;
    const float ox = x - float(pad) / ss, oy = y - float(pad) / ss;
    Sdf d = [field, gw, gh, ox, oy, ss](float fx, float fy) {
        const float gx = (fx - ox) * ss - 0.5f, gy = (fy - oy) * ss - 0.5f;
        if (gx < 0 || gy < 0 || gx >= gw - 1 || gy >= gh - 1)
            return 8.0f;
        const int ix = int(gx), iy = int(gy);
        const float tx = gx - ix, ty = gy - iy;
        const float* r0 = &(*field)[size_t(iy) * gw + ix];
        const float* r1 = r0 + gw;
        return (r0[0] * (1 - tx) + r0[1] * tx) * (1 - ty) + (r1[0] * (1 - tx) + r1[1] * tx) * ty;
    };
    return {d, ox, oy, ox + float(gw) / ss, oy + float(gh) / ss};
}

TextFace::Glyph TextFace::mono(int ch, int px)
{
    FT_Face f = faceOf(face_);
    FT_Set_Pixel_Sizes(f, 0, px);
    Glyph out{0, 0, 0, 0, 0, {}};
    if (FT_Load_Char(f, FT_ULong(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
        return out;
    const FT_GlyphSlot g = f->glyph;
    const FT_Bitmap& b = g->bitmap;
    out.w = int(b.width);
    out.h = int(b.rows);
    out.left = g->bitmap_left;
    out.top = g->bitmap_top;
    out.advance = int(g->advance.x >> 6);
    out.bits.resize(size_t(out.w) * out.h);
    for (int row = 0; row < out.h; ++row)
        for (int col = 0; col < out.w; ++col)
            out.bits[size_t(row) * out.w + col] = (b.buffer[row * b.pitch + col / 8] >> (7 - col % 8)) & 1;
    return out;
}

} // namespace art
