// The software presenter, for machines without a GPU (virtual machines, Xvfb,
// remote desktops) and where the only OpenGL is a software rasteriser. The
// scaled frame is written straight into the window's surface (shared memory
// with the X server), converting 5-6-5 to the surface's 32-bit layout while
// scaling. Only what changed since the last frame is rescaled and sent: the
// picture on the bottom edge and most of the white screen stay as they are,
// and the borders are painted once. That keeps both this process and the X
// server cheap at any screen size.
#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/present/frame_changes.h"
#include "platform/present/frame_scaler.h"
#include "platform/present/picture_layout.h"
#include "platform/present/presenter.h"
#include "platform/present/sdl_window.h"

namespace {

constexpr int BAND_ROWS = 16;  // frame rows per changed area: fine enough to skip the still parts

// The 32-bit layouts the scaler writes; others go through a scratch picture.
bool TargetLayoutOf(Uint32 format, TargetLayout* layout) {
    switch (format) {
        case SDL_PIXELFORMAT_RGB888:
        case SDL_PIXELFORMAT_ARGB8888:
            *layout = TargetLayout::Xrgb8888;
            return true;
        case SDL_PIXELFORMAT_BGR888:
        case SDL_PIXELFORMAT_ABGR8888:
            *layout = TargetLayout::Xbgr8888;
            return true;
        default:
            return false;
    }
}

class SoftwarePresenter final : public Presenter {
  public:
    SoftwarePresenter(SDL_Window* window, PictureScaling scaling) : window_(window), scaling_(scaling) {}

    bool Present(const FrameView& frame) override {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr) {
            std::fprintf(stderr, "trelk: the window has no surface to present to: %s\n", SDL_GetError());
            return false;
        }
        const bool repaint = TakeRepaintRequest(window_) || surface != surface_ ||
                             surface->w != surfaceWidth_ || surface->h != surfaceHeight_ ||
                             frame.width != frameWidth_ || frame.height != frameHeight_;
        if (repaint) {
            surface_ = surface;
            surfaceWidth_ = surface->w;
            surfaceHeight_ = surface->h;
            frameWidth_ = frame.width;
            frameHeight_ = frame.height;
            layout_ = LayoutPicture(frame.width, frame.height, surface->w, surface->h, scaling_.scale,
                                    scaling_.filter);
            previous_.clear();  // everything counts as changed
        }
        std::vector<ChangedArea> changes =
            TakeFrameChanges(frame.pixels, previous_, frame.width, frame.height, BAND_ROWS);
        if (changes.empty()) {
            return true;
        }
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            return true;  // a lost frame, not a lost window
        }
        if (repaint) {
            PaintBorders(surface);
        }
        rects_.clear();
        for (const ChangedArea& change : changes) {
            ScaleRect region =
                PictureRegionForSource({change.x, change.y, change.width, change.height}, frame.width,
                                       frame.height, layout_.width, layout_.height, Filter());
            if (region.width <= 0 || region.height <= 0) {
                continue;
            }
            Scale(frame, surface, region);
            rects_.push_back({layout_.x + region.x, layout_.y + region.y, region.width, region.height});
        }
        if (SDL_MUSTLOCK(surface)) {
            SDL_UnlockSurface(surface);
        }
        if (repaint) {
            SDL_UpdateWindowSurface(window_);
        } else if (!rects_.empty()) {
            SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
        }
        return true;
    }

  private:
    ScaleFilter Filter() const { return layout_.smooth ? ScaleFilter::Linear : ScaleFilter::Nearest; }

    void PaintBorders(SDL_Surface* surface) {
        const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
        const int right = layout_.x + layout_.width;
        const int bottom = layout_.y + layout_.height;
        const SDL_Rect borders[] = {
            {0, 0, surface->w, layout_.y},
            {0, bottom, surface->w, surface->h - bottom},
            {0, layout_.y, layout_.x, layout_.height},
            {right, layout_.y, surface->w - right, layout_.height},
        };
        for (const SDL_Rect& border : borders) {
            if (border.w > 0 && border.h > 0) {
                SDL_FillRect(surface, &border, black);
            }
        }
    }

    void Scale(const FrameView& frame, SDL_Surface* surface, const ScaleRect& region) {
        const SourceLayout source = frame.rgb555 ? SourceLayout::Rgb555 : SourceLayout::Rgb565;
        TargetLayout target{};
        if (TargetLayoutOf(surface->format->format, &target)) {
            auto* picture = static_cast<uint8_t*>(surface->pixels) +
                            static_cast<ptrdiff_t>(layout_.y) * surface->pitch +
                            static_cast<ptrdiff_t>(layout_.x) * 4;
            ScaleFrame(frame.pixels, frame.width, frame.height, frame.width, source, picture, surface->pitch,
                       layout_.width, layout_.height, target, Filter(), region);
            return;
        }
        // Any other layout: scale the region into scratch memory, then let SDL convert it.
        scratch_.resize(static_cast<size_t>(region.width) * static_cast<size_t>(region.height));
        const int scratchPitch = region.width * 4;
        auto* origin = reinterpret_cast<uint8_t*>(scratch_.data()) -
                       static_cast<ptrdiff_t>(region.y) * scratchPitch - static_cast<ptrdiff_t>(region.x) * 4;
        ScaleFrame(frame.pixels, frame.width, frame.height, frame.width, source, origin, scratchPitch,
                   layout_.width, layout_.height, TargetLayout::Xrgb8888, Filter(), region);
        auto* out = static_cast<uint8_t*>(surface->pixels) +
                    static_cast<ptrdiff_t>(layout_.y + region.y) * surface->pitch +
                    static_cast<ptrdiff_t>(layout_.x + region.x) * surface->format->BytesPerPixel;
        SDL_ConvertPixels(region.width, region.height, SDL_PIXELFORMAT_RGB888, scratch_.data(), scratchPitch,
                          surface->format->format, out, surface->pitch);
    }

    SDL_Window* window_;
    PictureScaling scaling_;
    SDL_Surface* surface_ = nullptr;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    PictureLayout layout_;
    std::vector<uint16_t> previous_;
    std::vector<uint32_t> scratch_;
    std::vector<SDL_Rect> rects_;
};

}  // namespace

std::unique_ptr<Presenter> MakeSoftwarePresenter(HWND /*window*/, SDL_Window* sdlWindow,
                                                 PictureScaling scaling) {
    return std::make_unique<SoftwarePresenter>(sdlWindow, scaling);
}
