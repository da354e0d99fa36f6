// A scripted player for the end-to-end runs: it looks at the game's picture
// on the X server, finds the ship, the collectables and the exit gate by
// their sprites (taken from the generated sprites.dat), and steers with
// relative mouse motion sent through xdotool, firing now and then, until it
// has flown through the open exit and the wave-completed screen shows.
//
// Usage: tarnavel_pilot DATA_DIR ORIGIN_X ORIGIN_Y SECONDS
// The game must run at 32 bits (exact colours on a 24-bit Xvfb). Exit
// status 0 once play has given way to another screen after the pilot made
// for the open exit; 1 when SECONDS pass first; 2 on a set-up failure.
// Progress goes to stderr.
#include "shell/al.h"
#include "shell/catalogue.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Pixel {
    int x, y;
    unsigned rgb;
};

struct Sprite {
    int w = 0, h = 0;
    std::vector<Pixel> opaque;
};

struct Found {
    int x, y;
};

Sprite spriteFrom(BITMAP* bitmap)
{
    Sprite s;
    s.w = bitmap->w;
    s.h = bitmap->h;
    const int mask = bitmap_mask_color(bitmap);
    for (int y = 0; y < bitmap->h; ++y)
        for (int x = 0; x < bitmap->w; ++x) {
            const int c = getpixel(bitmap, x, y);
            if (c != mask)
                s.opaque.push_back({x, y, static_cast<unsigned>((getr(c) << 16) | (getg(c) << 8) | getb(c))});
        }
    // The most telling pixels first: a colour that is not dark.
    std::stable_sort(s.opaque.begin(), s.opaque.end(), [](const Pixel& a, const Pixel& b) {
        auto light = [](unsigned c) { return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255); };
        return light(a.rgb) > light(b.rgb);
    });
    return s;
}

class ScreenGrab {
public:
    ScreenGrab(Display* display, int x, int y) : display(display), ox(x), oy(y) {}
    bool grab()
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), ox, oy, 640, 480, AllPlanes, ZPixmap);
        if (!image)
            return false;
        pixels.resize(640 * 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                pixels[y * 640 + x] = static_cast<unsigned>(XGetPixel(image, x, y)) & 0xFFFFFF;
        XDestroyImage(image);
        return true;
    }
    unsigned at(int x, int y) const { return pixels[y * 640 + x]; }

    // Every place where at least `share` of the sprite's pixels match,
    // best first, places closer than half a sprite merged.
    std::vector<Found> find(const Sprite& s, double share, int top = 0) const
    {
        std::vector<std::pair<int, Found>> hits;
        const Pixel& a = s.opaque.front();
        const Pixel& b = s.opaque[s.opaque.size() / 3];
        const int need = static_cast<int>(share * s.opaque.size());
        for (int y = top; y + s.h <= 480; ++y)
            for (int x = 0; x + s.w <= 640; ++x) {
                if (at(x + a.x, y + a.y) != a.rgb && at(x + b.x, y + b.y) != b.rgb)
                    continue;
                int match = 0;
                for (const Pixel& p : s.opaque)
                    match += at(x + p.x, y + p.y) == p.rgb;
                if (match >= need)
                    hits.push_back({match, {x, y}});
            }
        std::sort(hits.begin(), hits.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
        std::vector<Found> result;
        for (const auto& hit : hits) {
            bool near = false;
            for (const Found& f : result)
                near = near || (std::abs(f.x - hit.second.x) < s.w / 2 && std::abs(f.y - hit.second.y) < s.h / 2);
            if (!near)
                result.push_back(hit.second);
        }
        return result;
    }

private:
    Display* display;
    int ox, oy;
    std::vector<unsigned> pixels;
};

void send(const std::string& args)
{
    const std::string command = "xdotool " + args + " >/dev/null 2>&1";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "pilot: '%s' failed\n", command.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s DATA_DIR ORIGIN_X ORIGIN_Y SECONDS\n", argv[0]);
        return 2;
    }
    const std::string dataDir = argv[1];
    const int originX = atoi(argv[2]), originY = atoi(argv[3]);
    const double seconds = atof(argv[4]);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    DATAFILE* sprites = load_datafile((dataDir + "/sprites.dat").c_str());
    Display* display = XOpenDisplay(nullptr);
    if (!sprites || !display) {
        fprintf(stderr, "pilot: no sprites.dat in %s or no display\n", dataDir.c_str());
        return 2;
    }
    const Sprite ship = spriteFrom(bitmapAt(sprites, SPR_SHIP));
    const Sprite collectable = spriteFrom(bitmapAt(sprites, SPR_COLLECTABLE));
    const Sprite gate = spriteFrom(bitmapAt(sprites, SPR_EXIT_GATE));
    const Sprite panel = spriteFrom(bitmapAt(sprites, SPR_STATUS_PANEL));
    ScreenGrab view(display, originX, originY);

    const auto start = Clock::now();
    const auto until = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    bool seenPlay = false, headingOut = false;
    int lastX = -1, lastY = -1, absent = 0, loops = 0;
    double vx = 0, vy = 0;
    auto lastTime = Clock::now();
    while (Clock::now() < until) {
        if (!view.grab())
            return 2;
        const auto now = Clock::now();
        const bool inPlay = !view.find(panel, 0.5).empty();
        if (!inPlay) {
            // Play has given way to another screen: done, if it was the exit.
            if (seenPlay && headingOut && ++absent >= 3) {
                fprintf(stderr, "pilot: out through the exit after %.1f s\n",
                        std::chrono::duration<double>(now - start).count());
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        seenPlay = true;
        absent = 0;
        const std::vector<Found> ships = view.find(ship, 0.8, 17);
        if (ships.empty()) {
            // Exploding: after the reset it stands at rest in the middle.
            lastX = -1;
            vx = vy = 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            continue;
        }
        const Found me = ships.front();
        const double steps = std::chrono::duration<double>(now - lastTime).count() * 100.0;
        if (lastX >= 0 && steps > 0.5) {
            // The speed seen, blended with what was last commanded.
            vx = 0.5 * vx + 0.5 * (me.x - lastX) / steps;
            vy = 0.5 * vy + 0.5 * (me.y - lastY) / steps;
        }
        lastX = me.x;
        lastY = me.y;
        lastTime = now;

        // Nearest collectable, else the exit gate's middle.
        const std::vector<Found> items = view.find(collectable, 0.6, 17);
        double tx, ty;
        const double cx = me.x + ship.w / 2.0, cy = me.y + ship.h / 2.0;
        if (!items.empty()) {
            const Found* best = &items.front();
            for (const Found& f : items)
                if (std::hypot(f.x - cx, f.y - cy) < std::hypot(best->x - cx, best->y - cy))
                    best = &f;
            tx = best->x + collectable.w / 2.0;
            ty = best->y + collectable.h / 2.0;
            headingOut = false;
        } else {
            const std::vector<Found> gates = view.find(gate, 0.5, 17);
            tx = gates.empty() ? 320 : gates.front().x + gate.w / 2.0;
            ty = gates.empty() ? 470 : gates.front().y + gate.h / 2.0 + 10;
            headingOut = true;
        }
        // Speed toward the target, gentle near it; the correction sent is
        // what the ship's speed lacks (100 mickeys = 1 pixel per step).
        const double dx = tx - cx, dy = ty - cy, distance = std::hypot(dx, dy);
        const double speed = std::min(2.5, 0.04 * distance + 0.3);
        const double wantX = distance > 0 ? dx / distance * speed : 0;
        const double wantY = distance > 0 ? dy / distance * speed : 0;
        const int mx = static_cast<int>(std::lround((wantX - vx) * 60));
        const int my = static_cast<int>(std::lround((wantY - vy) * 60));
        std::string args = "mousemove_relative -- " + std::to_string(mx) + " " + std::to_string(my);
        vx += mx / 100.0;
        vy += my / 100.0;
        if (++loops % 8 == 0)
            args += " click 1";
        send(args);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    fprintf(stderr, "pilot: time is up (%.0f s)\n", seconds);
    return 1;
}
