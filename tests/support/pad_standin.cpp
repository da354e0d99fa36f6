// A gamepad for machines that cannot have one, preloaded into the game
// (LD_PRELOAD) by the end-to-end tests. /dev/input/js0 opens the FIFO that
// TARNAVEL_PAD_FIFO names, read-write so that neither end waits for the
// other: Allegro's joystick driver reads from it the js_event records the
// test writes. The joystick ioctls answer as an Xbox-style pad's do. The
// device is there while the FIFO is; removed, it is looked for in vain and
// its reads fail as an unplugged pad's do.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

int padFd = -1;

template <typename F>
F real(F, const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// The FIFO when path is the device and the test asks for a pad.
const char* fifoFor(const char* path)
{
    const char* fifo = getenv("TARNAVEL_PAD_FIFO");
    return fifo && *fifo && path && strcmp(path, "/dev/input/js0") == 0 ? fifo : nullptr;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto next = real(&open, "open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if (const char* fifo = fifoFor(path))
        return padFd = next(fifo, O_RDWR | (flags & (O_NONBLOCK | O_CLOEXEC)));
    return next(path, flags, mode);
}

int close(int fd)
{
    static auto next = real(&close, "close");
    if (fd == padFd)
        padFd = -1;
    return next(fd);
}

int access(const char* path, int mode) noexcept
{
    static auto next = real(&access, "access");
    const char* fifo = fifoFor(path);
    return next(fifo ? fifo : path, mode);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    static auto next = real(&read, "read");
    if (fd == padFd && fd >= 0 && access("/dev/input/js0", F_OK) != 0) {
        errno = ENODEV;
        return -1;
    }
    return next(fd, buffer, size);
}

int ioctl(int fd, unsigned long request, ...) noexcept
{
    static auto next = real(&ioctl, "ioctl");
    va_list args;
    va_start(args, request);
    void* answer = va_arg(args, void*);
    va_end(args);
    if (fd != padFd || fd < 0)
        return next(fd, request, answer);
    if (request == JSIOCGVERSION)
        return *static_cast<int*>(answer) = JS_VERSION, 0;
    if (request == JSIOCGAXES || request == JSIOCGBUTTONS)
        return *static_cast<unsigned char*>(answer) = request == JSIOCGAXES ? 8 : 11, 0;
    if ((request & ~(_IOC_SIZEMASK << _IOC_SIZESHIFT)) == JSIOCGNAME(0)) {
        const size_t size = _IOC_SIZE(request);
        strncpy(static_cast<char*>(answer), "Tarnavel stand-in pad", size);
        return static_cast<int>(strnlen(static_cast<char*>(answer), size));
    }
    errno = ENOTTY;
    return -1;
}

} // extern "C"
