// Room present/: a 640 x 480 5-6-5 frame onto a screen (presenters, scaler,
// layout, changed bands, the choice of presenter). Includes core/ and include/.
// Presenting the front buffer in the SDL window of the cooperative level. Two
// presenters, chosen when the window is made: the GPU one (SDL's accelerated
// renderer scales and letterboxes) and the software one (the scaled frame
// written straight into the window's shared-memory surface); a capture sets a
// third, off screen, that takes the place of both. Either keeps the
// 4:3 shape with black borders. Platform-internal. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/present/picture_layout.h"
#include "platform/win32/windows.h"

struct SDL_Window;

struct FrameView {
    const uint16_t* pixels = nullptr;  // rows back to back
    int width = 0;
    int height = 0;
    bool rgb555 = false;
};

class Presenter {
  public:
    virtual ~Presenter() = default;
    // Shows the frame; false when this window cannot be presented to at all.
    virtual bool Present(const FrameView& frame) = 0;
};

// The window's own kind of presenter (see present/sdl_window.h), scaling the
// picture as the window was made to.
std::unique_ptr<Presenter> MakeSoftwarePresenter(HWND window, SDL_Window* sdlWindow, PictureScaling scaling);
std::unique_ptr<Presenter> MakeGpuPresenter(HWND window, SDL_Window* sdlWindow, PictureScaling scaling);

// The third presenter: while one is set (a capture), every flipped frame goes
// to it instead of a window. Main thread, between runs of the program.
void SetOffScreenPresenter(Presenter* presenter);

// Where a DirectDraw object's flipping chain is shown; shared by the
// DirectDraw object and its primary surface, so either may go first.
struct PresentTarget {
    PresentTarget() = default;
    PresentTarget(const PresentTarget&) = delete;
    PresentTarget& operator=(const PresentTarget&) = delete;

    // Shows width x height pixels in the window; without an SDL window
    // (tests, headless windows) it does nothing.
    void Present(const uint16_t* pixels, int width, int height, bool rgb555);

    HWND window = nullptr;
    DWORD modeWidth = 640;
    DWORD modeHeight = 480;
    bool exclusive = false;

  private:
    // The screen's part (natively SDL; nothing in a web page, whose frames
    // go to the off-screen presenter).
    void PresentInWindow(const FrameView& frame);

    SDL_Window* sdlWindow_ = nullptr;
    std::unique_ptr<Presenter> presenter_;
    bool failed_ = false;  // said once; the run is ending
    bool presentedOnce_ = false;
};

// The upload step of the GPU presenter: copies a 16-bit frame into texture
// memory whose rows are outPitch bytes apart (the texture has the frame's own
// 16-bit layout, so each row is a straight copy).
void CopyFrameForPresentation(const uint16_t* pixels, int width, int height, void* out, int outPitch);
