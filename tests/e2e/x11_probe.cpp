// A small X11 helper for the end-to-end tests:
//   x11_probe close <window id>   asks the window to close as a window manager does (WM_DELETE_WINDOW)
//   x11_probe cursor              prints "hidden" when the current cursor image is fully transparent
//   x11_probe fps <seconds>       prints how many times a second the screen's left half changes
//   x11_probe first-frame <s>     prints the milliseconds until the picture shows at (100, 470)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <ctime>

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

// Samples the left half of the screen every 4 ms and counts the changes: one
// per composed frame, since the ring of copies moves in every frame.
int FramesPerSecond(Display* display, double seconds) {
    Window root = DefaultRootWindow(display);
    uint64_t previous = 0;
    int changes = 0;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        double elapsed = static_cast<double>(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) * 1e-9;
        if (elapsed >= seconds) {
            break;
        }
        XImage* image = XGetImage(display, root, 0, 0, 320, 480, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return 1;
        }
        uint64_t hash = 1469598103934665603ull;  // FNV-1a over the pixels
        const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(image->height);
        for (size_t i = 0; i < bytes; i += 8) {
            hash = (hash ^ static_cast<uint8_t>(image->data[i])) * 1099511628211ull;
            hash = (hash ^ static_cast<uint8_t>(image->data[i + 1])) * 1099511628211ull;
        }
        XDestroyImage(image);
        if (previous != 0 && hash != previous) {
            ++changes;
        }
        previous = hash;
        timespec pause{0, 4000000};
        nanosleep(&pause, nullptr);
    }
    std::printf("%.2f\n", changes / seconds);
    return 0;
}

double Seconds(const timespec& from) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec - from.tv_sec) + (now.tv_nsec - from.tv_nsec) * 1e-9;
}

// Polls one pixel of the picture's area every half millisecond until it shows
// the picture (neither the black of an empty window nor white).
int FirstFrame(Display* display, double timeout) {
    Window root = DefaultRootWindow(display);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    while (Seconds(start) < timeout) {
        XImage* image = XGetImage(display, root, 100, 470, 1, 1, AllPlanes, ZPixmap);
        if (image != nullptr) {
            unsigned long pixel = XGetPixel(image, 0, 0);
            XDestroyImage(image);
            if (pixel != 0 && (pixel & 0xFFFFFF) != 0xFFFFFF) {
                std::printf("%.1f\n", Seconds(start) * 1000.0);
                return 0;
            }
        }
        timespec pause{0, 500000};
        nanosleep(&pause, nullptr);
    }
    std::puts("timeout");
    return 1;
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
    } else if (argc == 3 && std::strcmp(argv[1], "first-frame") == 0) {
        result = FirstFrame(display, std::strtod(argv[2], nullptr));
    } else if (argc == 3 && std::strcmp(argv[1], "fps") == 0) {
        result = FramesPerSecond(display, std::strtod(argv[2], nullptr));
    } else {
        std::fputs("usage: x11_probe close <window> | cursor | fps <seconds> | first-frame <seconds>\n", stderr);
    }
    XCloseDisplay(display);
    return result;
}
