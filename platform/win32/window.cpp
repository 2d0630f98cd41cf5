// Windows: classes, creation and destruction, and the default window procedure.
// The main window covers the chosen monitor with the cursor hidden, or with
// --windowed is a 640 x 480 window that can be resized (win32/screen.h).
#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "platform/core/stand_in_settings.h"
#include "platform/core/unsupported.h"
#include "platform/present/sdl_window.h"
#include "platform/win32/screen.h"
#include "platform/win32/testing.h"
#include "platform/win32/window_registry.h"

namespace {

constexpr UINT WM_USER = 0x0400;

struct Registry {
    std::recursive_mutex mutex;
    std::map<std::string, WNDCLASSEXA> classes;
    std::map<uintptr_t, std::unique_ptr<WindowRecord>> windows;
    uintptr_t nextId = 0x10;
    HWND foreground = nullptr;
};

Registry& TheRegistry() {
    static auto* registry = new Registry();  // never destroyed: other threads may post at exit
    return *registry;
}

std::atomic<bool> headlessWindows{false};
std::atomic<bool> videoUnavailable{false};

// What a window class asks for beyond its procedure: nothing of it is kept.
void ReportClassExtras(const WNDCLASSEXA& windowClass) {
    if (windowClass.cbClsExtra != 0 || windowClass.cbWndExtra != 0) {
        ReportUnsupported("window class extra bytes");
    }
    if (windowClass.hIcon != nullptr || windowClass.hIconSm != nullptr) {
        ReportUnsupported("window class icons");
    }
    if (windowClass.hCursor != nullptr) {
        ReportUnsupported("window class cursors");
    }
    if (windowClass.hbrBackground != nullptr) {
        ReportUnsupported("window class background brushes (nothing is erased)");
    }
    if (windowClass.lpszMenuName != nullptr) {
        ReportUnsupported("window class menus");
    }
}

// Every window is a borderless popup covering the monitor (or --windowed's
// window): what asks for anything else is not carried out.
void ReportWindowExtras(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                        HMENU menu, LPVOID param) {
    if (exStyle != 0) {
        ReportUnsupported("extended window styles");
    }
    // The low word holds class-specific styles, which mean nothing to a plain class.
    if ((style & 0xFFFF0000) != WS_POPUP) {
        ReportUnsupported("window styles other than WS_POPUP");
    }
    if ((x != 0 && x != CW_USEDEFAULT) || (y != 0 && y != CW_USEDEFAULT) || width != CW_USEDEFAULT ||
        height != CW_USEDEFAULT) {
        ReportUnsupported("window position and size (the window covers the monitor)");
    }
    if (parent != nullptr) {
        ReportUnsupported("child and owned windows");
    }
    if (menu != nullptr) {
        ReportUnsupported("window menus");
    }
    if (param != nullptr) {
        ReportUnsupported("window creation data (WM_CREATE gets no CREATESTRUCT)");
    }
}

}  // namespace

std::recursive_mutex& WindowRegistryMutex() { return TheRegistry().mutex; }

WindowRecord* FindWindowRecord(HWND window, bool aliveOnly) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.windows.find(reinterpret_cast<uintptr_t>(window));
    if (it == registry.windows.end() || (aliveOnly && !it->second->alive)) {
        return nullptr;
    }
    return it->second.get();
}

WindowRecord* FirstWindowOfThisThread() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto& [id, record] : registry.windows) {
        if (record->alive && record->owner == std::this_thread::get_id()) {
            return record.get();
        }
    }
    return nullptr;
}

bool ThisThreadHasSdlWindows() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto& [id, record] : registry.windows) {
        if (record->alive && record->sdlWindow != nullptr && record->owner == std::this_thread::get_id()) {
            return true;
        }
    }
    return false;
}

SDL_Window* SdlWindowOf(HWND window) {
    WindowRecord* record = FindWindowRecord(window);
    return record != nullptr ? record->sdlWindow : nullptr;
}

void SetHeadlessWindowsForTesting(bool headless) { headlessWindows.store(headless); }

void SetWindowsOffScreen() { headlessWindows.store(true); }

bool VideoUnavailable() { return videoUnavailable.load(); }

void MarkVideoUnavailable() { videoUnavailable.store(true); }

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    ReportClassExtras(*windowClass);
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto [it, inserted] = registry.classes.emplace(windowClass->lpszClassName, *windowClass);
    if (!inserted) {
        return 0;  // a class registered twice keeps its first registration, as on Windows
    }
    return static_cast<ATOM>(0xC000 + registry.classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE /*instance*/, LPVOID param) {
    ReportWindowExtras(exStyle, style, x, y, width, height, parent, menu, param);
    Registry& registry = TheRegistry();
    WNDPROC procedure = nullptr;
    {
        std::lock_guard lock(registry.mutex);
        auto it = className != nullptr ? registry.classes.find(className) : registry.classes.end();
        if (it == registry.classes.end()) {
            return nullptr;
        }
        procedure = it->second.lpfnWndProc;
    }
    SDL_Window* sdlWindow = nullptr;
    bool presentsWithGpu = false;
    if (!headlessWindows.load()) {
        sdlWindow = CreateScreenWindow(className, windowName, &presentsWithGpu);
        if (sdlWindow == nullptr) {
            return nullptr;
        }
    }
    auto record = std::make_unique<WindowRecord>();
    record->presentsWithGpu = presentsWithGpu;
    record->fullScreen = !Settings().windowed;
    record->scaling = {Settings().scale, Settings().filter};
    record->procedure = procedure;
    record->className = className;
    record->title = windowName != nullptr ? windowName : "";
    record->sdlWindow = sdlWindow;
    record->owner = std::this_thread::get_id();
    HWND handle = nullptr;
    {
        std::lock_guard lock(registry.mutex);
        uintptr_t id = registry.nextId++;
        handle = reinterpret_cast<HWND>(id);
        record->handle = handle;
        registry.windows.emplace(id, std::move(record));
    }
    // WM_CREATE reaches the procedure before the handle is returned.
    if (procedure(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL ShowWindow(HWND window, int command) {
    if (command != SW_SHOW) {
        ReportUnsupported("ShowWindow commands other than SW_SHOW (the window is shown)");
    }
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    if (record->sdlWindow != nullptr) {
        ShowScreenWindow(record->sdlWindow, record->fullScreen);
    }
    std::lock_guard lock(TheRegistry().mutex);
    TheRegistry().foreground = window;
    return FALSE;  // the window was hidden before
}

// The program paints nothing through WM_PAINT: everything reaches the screen by Flip.
BOOL UpdateWindow(HWND window) { return FindWindowRecord(window) != nullptr ? TRUE : FALSE; }

BOOL IsWindow(HWND window) { return FindWindowRecord(window) != nullptr ? TRUE : FALSE; }

BOOL DestroyWindow(HWND window) {
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    record->procedure(window, WM_DESTROY, 0, 0);
    SDL_Window* sdlWindow = nullptr;
    std::thread::id owner;
    {
        std::lock_guard lock(TheRegistry().mutex);
        record->alive = false;
        record->timers.clear();
        sdlWindow = record->sdlWindow;
        record->sdlWindow = nullptr;
        owner = record->owner;
        if (TheRegistry().foreground == window) {
            TheRegistry().foreground = nullptr;
        }
    }
    if (sdlWindow != nullptr) {
        DestroyScreenWindow(sdlWindow);
    }
    DiscardMessagesFor(window, owner);
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SETCURSOR:
            // The class cursor is none: the cursor stays as it is.
            return FALSE;
        case WM_NULL:
        case WM_CREATE:
        case WM_DESTROY:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_TIMER:
            return 0;  // as on Windows
        default:
            // Messages of the application's own (WM_USER and up) have no default.
            if (message < WM_USER) {
                ReportUnsupported("DefWindowProcA of system messages the stand-in does not send");
            }
            return 0;
    }
}

// The program only ever asks for no cursor: over a window that would lose the
// cursor on the desktop, so only the full-screen picture hides it.
HCURSOR SetCursor(HCURSOR cursor) {
    if (cursor != nullptr) {
        ReportUnsupported("SetCursor with a cursor (the cursor is only ever hidden)");
    }
    ApplyScreenCursor();
    return nullptr;
}

WindowRecord* FindWindowOfSdlWindow(const SDL_Window* sdlWindow) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto& [id, record] : registry.windows) {
        if (record->alive && sdlWindow != nullptr && record->sdlWindow == sdlWindow) {
            return record.get();
        }
    }
    return nullptr;
}

bool WindowPresentsWithGpu(SDL_Window* window) {
    WindowRecord* record = FindWindowOfSdlWindow(window);
    return record != nullptr && record->presentsWithGpu;
}

PictureScaling WindowPictureScaling(SDL_Window* window) {
    WindowRecord* record = FindWindowOfSdlWindow(window);
    return record != nullptr ? record->scaling : PictureScaling();
}

bool TakeRepaintRequest(SDL_Window* window) {
    WindowRecord* record = FindWindowOfSdlWindow(window);
    if (record == nullptr || !record->repaint) {
        return false;
    }
    record->repaint = false;
    return true;
}

void EndRunCannotPresent(HWND window) {
    videoUnavailable.store(true);
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool WindowWantsFullScreen(SDL_Window* window) {
    WindowRecord* record = FindWindowOfSdlWindow(window);
    return record == nullptr || record->fullScreen;
}

HWND GetForegroundWindow() {
    std::lock_guard lock(TheRegistry().mutex);
    return TheRegistry().foreground;
}
