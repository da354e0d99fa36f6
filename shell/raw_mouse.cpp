#include "shell/raw_mouse.h"

#include "shell/al.h"

#include <xalleg.h>
#include <allegro/platform/aintunix.h>
#include <X11/extensions/XInput2.h>

#include <cmath>

namespace {

Display* rawDisplay = nullptr;
int xiOpcode = -1;
double pendingX = 0.0;
double pendingY = 0.0;
bool pointerHeld = false;

// Reads every queued event; raw motion is added to the pending totals.
void pumpEvents()
{
    while (XPending(rawDisplay) > 0) {
        XEvent event;
        XNextEvent(rawDisplay, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode)
            continue;
        if (!XGetEventData(rawDisplay, cookie))
            continue;
        if (cookie->evtype == XI_RawMotion) {
            const XIRawEvent* raw = static_cast<const XIRawEvent*>(cookie->data);
            const double* value = raw->raw_values;
            for (int axis = 0; axis < raw->valuators.mask_len * 8; ++axis) {
                if (!XIMaskIsSet(raw->valuators.mask, axis))
                    continue;
                if (axis == 0)
                    pendingX += *value;
                else if (axis == 1)
                    pendingY += *value;
                ++value;
            }
        }
        XFreeEventData(rawDisplay, cookie);
    }
}

// Confines the pointer to the game window. The grab is made on Allegro's
// own connection with owner_events on, so Allegro keeps receiving the
// buttons exactly as before.
void holdPointer()
{
    if (pointerHeld || _xwin.display == nullptr || _xwin.window == None)
        return;
    XLOCK();
    const int result = XGrabPointer(_xwin.display, _xwin.window, True,
                                    ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                    GrabModeAsync, GrabModeAsync, _xwin.window, None, CurrentTime);
    XFlush(_xwin.display);
    XUNLOCK();
    pointerHeld = result == GrabSuccess;
}

} // namespace

bool openRawMouse()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int event, error;
    // 2.1 or later: raw events then reach us also while the pointer is grabbed.
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || major * 10 + minor < 21) {
        XCloseDisplay(display);
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    rawDisplay = display;
    return true;
}

void closeRawMouse()
{
    releaseRawMouse();
    if (rawDisplay)
        XCloseDisplay(rawDisplay);
    rawDisplay = nullptr;
}

void rawMouseMickeys(int* mx, int* my)
{
    holdPointer();
    pumpEvents();
    const double wholeX = std::trunc(pendingX);
    const double wholeY = std::trunc(pendingY);
    pendingX -= wholeX;
    pendingY -= wholeY;
    *mx = static_cast<int>(wholeX);
    *my = static_cast<int>(wholeY);
}

void releaseRawMouse()
{
    if (pointerHeld) {
        XLOCK();
        XUngrabPointer(_xwin.display, CurrentTime);
        XFlush(_xwin.display);
        XUNLOCK();
        pointerHeld = false;
    }
    if (rawDisplay) {
        pumpEvents();
        pendingX = pendingY = 0.0;
    }
}
