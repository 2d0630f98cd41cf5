#include "app/window_proc.h"

#include "app/program_objects.h"
#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "image/text_panel.h"
#include "music/music_thread.h"
#include "presentation/render_frame.h"

namespace {

// Escape: let the music stop (bounded wait), stop rendering, drop the two image
// surfaces and close the window.
void StopSequence(HWND window) {
    int32_t running = Running;
    if (MusicControl.compare_exchange_strong(running, StopRequested)) {
        for (int poll = 0; poll < MUSIC_STOP_POLLS; ++poll) {
            if (MusicControl.load() == Stopped) {
                break;
            }
            Sleep(MUSIC_STOP_POLL_MS);
        }
    }
    renderEnabled = 0;
    if (pictureSurface != nullptr) {
        pictureSurface->Release();
        pictureSurface = nullptr;
    }
    if (panelSurface != nullptr) {
        panelSurface->Release();
        panelSurface = nullptr;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            blurCountdown = 40;
            pageComplete = 0;
            lineIndex = 0;
            rotationAngle = 0.0f;
            pathCounter = 0;
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                StopSequence(window);
            }
            return 0;  // every other key is ignored, not passed on
        case WM_TIMER:
            // Any timer: the held page is over and the next one starts empty.
            blurCountdown = 40;
            lineIndex = -1;
            pageComplete = 0;
            KillTimer(mainframe.hWnd, PAGE_TIMER_ID);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
