// A small X11 helper for the end-to-end tests:
//   x11_probe close <window id>   asks the window to close as a window manager does (WM_DELETE_WINDOW)
//   x11_probe cursor              prints "hidden" when the current cursor image is fully transparent
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return 0;
}

int ReportCursor(Display* display) {
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        std::puts("unknown");
        return 1;
    }
    bool visible = false;
    for (int i = 0; i < image->width * image->height; ++i) {
        if ((image->pixels[i] >> 24) != 0) {
            visible = true;
        }
    }
    std::puts(visible ? "visible" : "hidden");
    XFree(image);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("x11_probe: no display\n", stderr);
        return 2;
    }
    int result = 2;
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        result = Close(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    } else if (argc == 2 && std::strcmp(argv[1], "cursor") == 0) {
        result = ReportCursor(display);
    } else {
        std::fputs("usage: x11_probe close <window> | cursor\n", stderr);
    }
    XCloseDisplay(display);
    return result;
}
