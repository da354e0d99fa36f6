#include "shell/x_present.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"

#include <xalleg.h>
#include <allegro/platform/aintunix.h>
#include <X11/extensions/Xrender.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool opened = false;
Viewport at;
PixelLayout layout;
XImage* image = nullptr; // the 640 x 480 staging picture, shared with the server where it can be
XShmSegmentInfo shm;
bool sharedImage = false;
bool putPending = false; // the server may still be reading the shared image
BITMAP* canvas = nullptr; // the game's back buffer, drawn in the shared image
Pixmap pixmap = None;    // the last picture, as the server keeps it
GC gc = nullptr;
Picture source = None;   // the pixmap, enlarged by the viewport's factor
Picture target = None;   // the window
void (*allegroRedrawer)(int, int, int, int) = nullptr;

uint32_t pack(PixelLayout to, int r, int g, int b)
{
    return static_cast<uint32_t>(r) << to.redShift | static_cast<uint32_t>(g) << to.greenShift
           | static_cast<uint32_t>(b) << to.blueShift;
}

// The shift of an 8-bit channel mask; -1 for any other mask.
int shiftOf(unsigned long mask)
{
    for (int shift = 0; shift <= 24; shift += 8)
        if (mask == 0xFFul << shift)
            return shift;
    return -1;
}

uint32_t* staged(int x, int y)
{
    return reinterpret_cast<uint32_t*>(image->data + y * image->bytes_per_line) + x;
}

// A part of the enlarged picture, in its own coordinates, onto the window.
void composite(int x, int y, int w, int h)
{
    XRenderComposite(_xwin.display, PictOpSrc, source, None, target, x, y, 0, 0, at.left + x, at.top + y, w, h);
}

// The shared image is written only once the server has read it.
void awaitPut()
{
    if (putPending)
        XSync(_xwin.display, False);
    putPending = false;
}

// A part of the staging picture to the pixmap, and from there to the window.
void send(int x, int y, int w, int h)
{
    if (sharedImage) {
        XShmPutImage(_xwin.display, pixmap, gc, image, x, y, x, y, w, h, False);
        putPending = true;
        // The canvas is drawn on again as soon as this returns.
        if (canvas)
            awaitPut();
    } else {
        XPutImage(_xwin.display, pixmap, gc, image, x, y, x, y, w, h);
    }
    composite(x * at.scale, y * at.scale, w * at.scale, h * at.scale);
    XFlush(_xwin.display);
}

// Called by Allegro's input thread, its lock held, for an exposed part of
// the window: the picture from the pixmap, anything round it from Allegro.
void redraw(int x, int y, int w, int h)
{
    const int left = std::max(x, at.left);
    const int top = std::max(y, at.top);
    const int right = std::min(x + w, at.left + screenWidth * at.scale);
    const int bottom = std::min(y + h, at.top + screenHeight * at.scale);
    if (left != x || top != y || right != x + w || bottom != y + h)
        allegroRedrawer(x, y, w, h);
    if (left < right && top < bottom)
        composite(left - at.left, top - at.top, right - left, bottom - top);
    XFlush(_xwin.display);
}

// The source picture enlarged by the viewport's factor, and placed where the
// viewport says.
void enlarge()
{
    at = viewport;
    // Rounded, not truncated: a window pixel's centre then maps into its own
    // picture pixel up to a factor of 10.
    const XFixed step = static_cast<XFixed>(std::lround(65536.0 / at.scale));
    XTransform transform = {{{step, 0, 0}, {0, step, 0}, {0, 0, XDoubleToFixed(1)}}};
    XRenderSetPictureTransform(_xwin.display, source, &transform);
}

// The staging picture: in memory shared with the server where Allegro's own
// screen is, else in the game's memory, sent over the connection.
bool makeImage(Visual* visual, int depth)
{
    Display* display = _xwin.display;
    sharedImage = _xwin.use_shm != 0;
    image = sharedImage ? XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &shm, screenWidth, screenHeight)
                        : XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, screenWidth, screenHeight, 32, 0);
    const int one = 1;
    const int hostOrder = *reinterpret_cast<const char*>(&one) ? LSBFirst : MSBFirst;
    if (!image || image->bits_per_pixel != 32 || image->byte_order != hostOrder) {
        if (image)
            XDestroyImage(image);
        image = nullptr;
        return false;
    }
    const size_t size = static_cast<size_t>(image->bytes_per_line) * image->height;
    if (sharedImage) {
        shm.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
        void* memory = shm.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(shm.shmid, nullptr, 0);
        sharedImage = memory != reinterpret_cast<void*>(-1);
        if (sharedImage) {
            image->data = shm.shmaddr = static_cast<char*>(memory);
            shm.readOnly = False;
            XShmAttach(display, &shm);
            XSync(display, False);
        }
        // Gone once both sides let go, also when the game ends abruptly.
        if (shm.shmid >= 0)
            shmctl(shm.shmid, IPC_RMID, nullptr);
    }
    if (!sharedImage)
        image->data = static_cast<char*>(malloc(size));
    return image->data != nullptr;
}

bool start()
{
    Display* display = _xwin.display;
    Visual* visual = _xwin.visual;
    const int depth = _xwin.window_depth;
    // 24 bits: no alpha byte for the picture's spare byte to fill.
    if (!display || _xwin.window == None || !visual || visual->c_class != TrueColor || depth != 24)
        return false;
    layout = PixelLayout{shiftOf(visual->red_mask), shiftOf(visual->green_mask), shiftOf(visual->blue_mask)};
    int event, error, major, minor;
    if (layout.redShift < 0 || layout.greenShift < 0 || layout.blueShift < 0
        || !XRenderQueryExtension(display, &event, &error) || !XRenderQueryVersion(display, &major, &minor)
        || (major == 0 && minor < 6))
        return false;
    XRenderPictFormat* format = XRenderFindVisualFormat(display, visual);
    if (!format || !makeImage(visual, depth))
        return false;

    pixmap = XCreatePixmap(display, _xwin.window, screenWidth, screenHeight, depth);
    gc = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, gc, 0);
    XFillRectangle(display, pixmap, gc, 0, 0, screenWidth, screenHeight);
    source = XRenderCreatePicture(display, pixmap, format, 0, nullptr);
    XRenderSetPictureFilter(display, source, FilterNearest, nullptr, 0);
    target = XRenderCreatePicture(display, _xwin.window, format, 0, nullptr);
    enlarge();
    allegroRedrawer = _xwin_window_redrawer;
    _xwin_window_redrawer = redraw;
    XSync(display, False);
    return true;
}

} // namespace

bool openXPresent()
{
    if (opened)
        return true;
    XLOCK();
    opened = start();
    XUNLOCK();
    return opened;
}

void closeXPresent()
{
    if (!opened)
        return;
    XLOCK();
    _xwin_window_redrawer = allegroRedrawer;
    opened = false;
    XUNLOCK();
}

void followViewport()
{
    if (!opened)
        return;
    XLOCK();
    enlarge();
    XUNLOCK();
}

bool shareCanvas(BITMAP* picture)
{
    if (!opened || !sharedImage || picture->w != screenWidth || picture->h != screenHeight
        || bitmap_color_depth(picture) != 32 || _rgb_r_shift_32 != layout.redShift
        || _rgb_g_shift_32 != layout.greenShift || _rgb_b_shift_32 != layout.blueShift)
        return false;
    XLOCK();
    awaitPut();
    convertPicture(picture, staged(0, 0), image->bytes_per_line / 4, layout);
    for (int y = 0; y < screenHeight; ++y)
        picture->line[y] = reinterpret_cast<unsigned char*>(staged(0, y));
    canvas = picture;
    XUNLOCK();
    return true;
}

void xPresent(BITMAP* picture, int x, int y)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int width = std::min(x + picture->w, screenWidth) - left;
    const int height = std::min(y + picture->h, screenHeight) - top;
    if (width <= 0 || height <= 0)
        return;
    BITMAP* part = picture;
    if (width != picture->w || height != picture->h)
        part = create_sub_bitmap(picture, left - x, top - y, width, height);
    XLOCK();
    awaitPut();
    if (part->line[0] != reinterpret_cast<unsigned char*>(staged(left, top)))
        convertPicture(part, staged(left, top), image->bytes_per_line / 4, layout);
    send(left, top, width, height);
    XUNLOCK();
    if (part != picture)
        destroy_bitmap(part);
}

void xClearScreen(int color)
{
    XLOCK();
    XSetForeground(_xwin.display, gc, pack(layout, getr(color), getg(color), getb(color)));
    XFillRectangle(_xwin.display, pixmap, gc, 0, 0, screenWidth, screenHeight);
    composite(0, 0, screenWidth * at.scale, screenHeight * at.scale);
    XFlush(_xwin.display);
    XUNLOCK();
}

void convertPicture(BITMAP* picture, uint32_t* out, int pitch, PixelLayout to)
{
    const int depth = bitmap_color_depth(picture);
    if (depth == 15 || depth == 16) {
        // One entry per 16-bit value, made again when the depth or either
        // side's layout changes.
        static std::vector<uint32_t> table(1 << 16);
        static std::array<int, 7> madeFor = {};
        const std::array<int, 7> key = depth == 15
            ? std::array<int, 7>{15, _rgb_r_shift_15, _rgb_g_shift_15, _rgb_b_shift_15, to.redShift, to.greenShift, to.blueShift}
            : std::array<int, 7>{16, _rgb_r_shift_16, _rgb_g_shift_16, _rgb_b_shift_16, to.redShift, to.greenShift, to.blueShift};
        if (key != madeFor) {
            for (int c = 0; c < 1 << 16; ++c)
                table[c] = pack(to, getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c));
            madeFor = key;
        }
        for (int y = 0; y < picture->h; ++y, out += pitch) {
            const uint16_t* in = reinterpret_cast<const uint16_t*>(picture->line[y]);
            for (int x = 0; x < picture->w; ++x)
                out[x] = table[in[x]];
        }
    } else if (depth == 32) {
        const bool same = _rgb_r_shift_32 == to.redShift && _rgb_g_shift_32 == to.greenShift
                          && _rgb_b_shift_32 == to.blueShift;
        for (int y = 0; y < picture->h; ++y, out += pitch) {
            const uint32_t* in = reinterpret_cast<const uint32_t*>(picture->line[y]);
            if (same) {
                memcpy(out, in, picture->w * sizeof *out);
                continue;
            }
            for (int x = 0; x < picture->w; ++x)
                out[x] = pack(to, getr32(in[x]), getg32(in[x]), getb32(in[x]));
        }
    } else if (depth == 24) {
        for (int y = 0; y < picture->h; ++y, out += pitch) {
            const unsigned char* in = picture->line[y];
            for (int x = 0; x < picture->w; ++x, in += 3) {
                const int c = in[0] | in[1] << 8 | in[2] << 16;
                out[x] = pack(to, getr24(c), getg24(c), getb24(c));
            }
        }
    }
}
