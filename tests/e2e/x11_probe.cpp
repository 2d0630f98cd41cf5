// A small X11 helper for the end-to-end tests:
//   x11_probe close <window id>   asks the window to close as a window manager does (WM_DELETE_WINDOW)
//   x11_probe cursor              prints "hidden" when the current cursor image is fully transparent
//   x11_probe fps <seconds> [x y w h]
//                                 prints how many times a second the rectangle changes (by default
//                                 the left half of a 640 x 480 screen)
//   x11_probe first-frame <s> [x y]
//                                 prints the milliseconds until the picture shows at (x, y), by
//                                 default (100, 470)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

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

struct Area {
    int x = 0;
    int y = 0;
    int width = 320;
    int height = 480;
};

// FNV-1a over every eighth byte pair of 24 rows spread over the area: cheap
// enough to sample a large screen every 4 ms, and every frame moves the ring
// of copies across some of them.
bool HashArea(Display* display, Window root, const Area& area, uint64_t* hash) {
    *hash = 1469598103934665603ull;
    const int rows = area.height < 24 ? area.height : 24;
    for (int row = 0; row < rows; ++row) {
        const int y = area.y + row * area.height / rows;
        XImage* image =
            XGetImage(display, root, area.x, y, static_cast<unsigned>(area.width), 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return false;
        }
        const size_t bytes = static_cast<size_t>(image->bytes_per_line);
        for (size_t i = 0; i + 1 < bytes; i += 8) {
            *hash = (*hash ^ static_cast<uint8_t>(image->data[i])) * 1099511628211ull;
            *hash = (*hash ^ static_cast<uint8_t>(image->data[i + 1])) * 1099511628211ull;
        }
        XDestroyImage(image);
    }
    return true;
}

// Samples the area every 4 ms and counts the changes: one per composed frame.
int FramesPerSecond(Display* display, double seconds, const Area& area) {
    Window root = DefaultRootWindow(display);
    uint64_t candidate = 0;
    uint64_t settled = 0;
    int changes = 0;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        double elapsed =
            static_cast<double>(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) * 1e-9;
        if (elapsed >= seconds) {
            break;
        }
        uint64_t hash = 0;
        if (!HashArea(display, root, area, &hash)) {
            return 1;
        }
        // A frame reaches the screen as several rectangles: count a picture
        // once it has held for two samples, not the moments between them.
        if (hash == candidate && hash != settled) {
            if (settled != 0) {
                ++changes;
            }
            settled = hash;
        }
        candidate = hash;
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
int FirstFrame(Display* display, double timeout, int x, int y) {
    Window root = DefaultRootWindow(display);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    while (Seconds(start) < timeout) {
        XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
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
    } else if ((argc == 3 || argc == 5) && std::strcmp(argv[1], "first-frame") == 0) {
        const bool at = argc == 5;
        result = FirstFrame(display, std::strtod(argv[2], nullptr), at ? std::atoi(argv[3]) : 100,
                            at ? std::atoi(argv[4]) : 470);
    } else if ((argc == 3 || argc == 7) && std::strcmp(argv[1], "fps") == 0) {
        Area area;
        if (argc == 7) {
            area = {std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6])};
        }
        result = FramesPerSecond(display, std::strtod(argv[2], nullptr), area);
    } else {
        std::fputs(
            "usage: x11_probe close <window> | cursor | fps <seconds> [x y w h] | first-frame <seconds> [x "
            "y]\n",
            stderr);
    }
    XCloseDisplay(display);
    return result;
}
