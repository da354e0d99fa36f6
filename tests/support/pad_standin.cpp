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
F next(F, const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

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
    static auto real = next(&open, "open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = flags & (O_CREAT | O_TMPFILE) ? va_arg(args, mode_t) : 0;
    va_end(args);
    const char* fifo = fifoFor(path);
    return fifo ? padFd = real(fifo, O_RDWR | (flags & (O_NONBLOCK | O_CLOEXEC))) : real(path, flags, mode);
}

int close(int fd)
{
    static auto real = next(&close, "close");
    padFd = fd == padFd ? -1 : padFd;
    return real(fd);
}

int access(const char* path, int mode) noexcept
{
    static auto real = next(&access, "access");
    const char* fifo = fifoFor(path);
    return real(fifo ? fifo : path, mode);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    static auto real = next(&read, "read");
    if (fd >= 0 && fd == padFd && access("/dev/input/js0", F_OK) != 0)
        return errno = ENODEV, -1;
    return real(fd, buffer, size);
}

int ioctl(int fd, unsigned long request, ...) noexcept
{
    static auto real = next(&ioctl, "ioctl");
    va_list args;
    va_start(args, request);
    void* answer = va_arg(args, void*);
    va_end(args);
    if (fd < 0 || fd != padFd)
        return real(fd, request, answer);
    if (request == JSIOCGVERSION)
        return *static_cast<int*>(answer) = JS_VERSION, 0;
    if (request == JSIOCGAXES || request == JSIOCGBUTTONS)
        return *static_cast<unsigned char*>(answer) = request == JSIOCGAXES ? 8 : 11, 0;
    if ((request & ~(_IOC_SIZEMASK << _IOC_SIZESHIFT)) == JSIOCGNAME(0))
        return strncpy(static_cast<char*>(answer), "Stand-in pad", _IOC_SIZE(request)), 12;
    return errno = ENOTTY, -1;
}

} // extern "C"
