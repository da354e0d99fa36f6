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

int ignoreError(Display*, XErrorEvent*) { return 0; }

} // namespace

void focusWindow()
{
    if (!_xwin.display)
        return;
    for (int tries = 0; tries < 100; ++tries) {
        XLOCK();
        const bool ready = viewable(_xwin.window);
        if (ready) {
            // Xlib's own handler ends the process on an error, and the window
            // may be unmapped again before the request arrives (BadMatch).
            XErrorHandler kept = XSetErrorHandler(ignoreError);
            XSetInputFocus(_xwin.display, _xwin.window, RevertToParent, CurrentTime);
            XSync(_xwin.display, False);
            XSetErrorHandler(kept);
        }
        XUNLOCK();
        if (ready)
            return;
        rest(10);
    }
}
