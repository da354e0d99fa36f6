#include "shell/x_focus.h"

#include "shell/al.h"

#include <xalleg.h>
#include <allegro/platform/aintunix.h>

namespace {

bool viewable(Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(_xwin.display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

} // namespace

bool windowFocused()
{
    if (!_xwin.display)
        return false;
    XLOCK();
    Window focus = None;
    int revert;
    XGetInputFocus(_xwin.display, &focus, &revert);
    XUNLOCK();
    return focus != None && (focus == _xwin.window || focus == _xwin.wm_window || focus == _xwin.fs_window);
}

void focusWindow()
{
    if (!_xwin.display)
        return;
    for (int tries = 0; tries < 100; ++tries) {
        XLOCK();
        // Focus on a window that is not viewable is an error of the
        // protocol, which would end the process.
        const bool ready = viewable(_xwin.window);
        if (ready) {
            XSetInputFocus(_xwin.display, _xwin.window, RevertToParent, CurrentTime);
            XFlush(_xwin.display);
        }
        XUNLOCK();
        if (ready)
            return;
        rest(10);
    }
}
