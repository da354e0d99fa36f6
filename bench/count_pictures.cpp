// Counts what a program puts on its windows through the X server, from
// outside it: preloaded (LD_PRELOAD) into the game by bench/picture_cost.sh.
// Every image (XPutImage, XShmPutImage) and every RENDER composite that lands
// on a window adds its width x height; those that land on a pixmap are left
// out, being on their way to a window. The totals sit in the file named by
// COUNT_PICTURES_FILE, which others read while the program runs: two 64-bit
// words, the pixels and the requests.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

struct Totals {
    uint64_t pixels;
    uint64_t requests;
};

Totals* totals()
{
    static Totals* mapped = [] {
        const char* path = getenv("COUNT_PICTURES_FILE");
        const int fd = path ? open(path, O_RDWR | O_CREAT | O_TRUNC, 0644) : -1;
        void* at = MAP_FAILED;
        if (fd >= 0 && ftruncate(fd, sizeof(Totals)) == 0)
            at = mmap(nullptr, sizeof(Totals), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (fd >= 0)
            close(fd);
        return at == MAP_FAILED ? static_cast<Totals*>(calloc(1, sizeof(Totals))) : static_cast<Totals*>(at);
    }();
    return mapped;
}

// Pixmaps, and RENDER pictures drawn on a pixmap: what lands there is not
// yet on a window.
std::mutex known;
std::set<unsigned long> offWindow;

bool onWindow(unsigned long id)
{
    std::lock_guard<std::mutex> lock(known);
    return offWindow.count(id) == 0;
}

void count(unsigned long id, unsigned int width, unsigned int height)
{
    if (!onWindow(id))
        return;
    Totals* t = totals();
    __atomic_fetch_add(&t->pixels, uint64_t(width) * height, __ATOMIC_RELAXED);
    __atomic_fetch_add(&t->requests, 1, __ATOMIC_RELAXED);
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

Pixmap XCreatePixmap(Display* display, Drawable d, unsigned int width, unsigned int height, unsigned int depth)
{
    static auto next = real<Pixmap (*)(Display*, Drawable, unsigned, unsigned, unsigned)>("XCreatePixmap");
    const Pixmap pixmap = next(display, d, width, height, depth);
    std::lock_guard<std::mutex> lock(known);
    offWindow.insert(pixmap);
    return pixmap;
}

Picture XRenderCreatePicture(Display* display, Drawable d, const XRenderPictFormat* format, unsigned long mask,
                             const XRenderPictureAttributes* attributes)
{
    static auto next = real<Picture (*)(Display*, Drawable, const XRenderPictFormat*, unsigned long,
                                        const XRenderPictureAttributes*)>("XRenderCreatePicture");
    const Picture picture = next(display, d, format, mask, attributes);
    if (!onWindow(d)) {
        std::lock_guard<std::mutex> lock(known);
        offWindow.insert(picture);
    }
    return picture;
}

int XPutImage(Display* display, Drawable d, GC gc, XImage* image, int sx, int sy, int dx, int dy, unsigned int w,
              unsigned int h)
{
    static auto next = real<int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned)>("XPutImage");
    count(d, w, h);
    return next(display, d, gc, image, sx, sy, dx, dy, w, h);
}

Bool XShmPutImage(Display* display, Drawable d, GC gc, XImage* image, int sx, int sy, int dx, int dy, unsigned int w,
                  unsigned int h, Bool sendEvent)
{
    static auto next = real<Bool (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool)>(
        "XShmPutImage");
    count(d, w, h);
    return next(display, d, gc, image, sx, sy, dx, dy, w, h, sendEvent);
}

void XRenderComposite(Display* display, int op, Picture src, Picture mask, Picture dst, int sx, int sy, int mx, int my,
                      int dx, int dy, unsigned int w, unsigned int h)
{
    static auto next = real<void (*)(Display*, int, Picture, Picture, Picture, int, int, int, int, int, int, unsigned,
                                     unsigned)>("XRenderComposite");
    count(dst, w, h);
    next(display, op, src, mask, dst, sx, sy, mx, my, dx, dy, w, h);
}

} // extern "C"
