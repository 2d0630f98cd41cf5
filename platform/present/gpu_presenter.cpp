// The GPU presenter: the frame goes to a streaming 16-bit texture and SDL's
// accelerated renderer (OpenGL or OpenGL ES) scales it into the picture's
// rectangle; the borders are the cleared background. The renderer belongs to
// the window, which was made ready for it, so SDL never replaces the window.
#include <SDL.h>

#include <cstdio>

#include "platform/present/picture_layout.h"
#include "platform/present/presenter.h"
#include "platform/present/sdl_window.h"

namespace {

class GpuPresenter final : public Presenter {
  public:
    GpuPresenter(HWND window, SDL_Window* sdlWindow, PictureScaling scaling)
        : window_(window), sdlWindow_(sdlWindow), renderer_(SDL_GetRenderer(sdlWindow)), scaling_(scaling) {}
    ~GpuPresenter() override {
        // SDL frees a window's renderer and textures with the window.
        if (texture_ != nullptr && SdlWindowOf(window_) == sdlWindow_) {
            SDL_DestroyTexture(texture_);
        }
    }
    GpuPresenter(const GpuPresenter&) = delete;
    GpuPresenter& operator=(const GpuPresenter&) = delete;

    bool Present(const FrameView& frame) override {
        if (renderer_ == nullptr) {
            std::fprintf(stderr, "trelk: the window has no GPU renderer: %s\n", SDL_GetError());
            return false;
        }
        if (!PrepareTexture(frame)) {
            std::fprintf(stderr, "trelk: cannot make a texture for the frame: %s\n", SDL_GetError());
            return false;
        }
        void* out = nullptr;
        int outPitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &out, &outPitch) != 0) {
            return true;  // a lost frame, not a lost window
        }
        CopyFrameForPresentation(frame.pixels, frame.width, frame.height, out, outPitch);
        SDL_UnlockTexture(texture_);

        int outputWidth = 0;
        int outputHeight = 0;
        SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
        PictureLayout layout = LayoutPicture(frame.width, frame.height, outputWidth, outputHeight,
                                             scaling_.scale, scaling_.filter);
        SDL_SetTextureScaleMode(texture_, layout.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        const SDL_Rect target{layout.x, layout.y, layout.width, layout.height};
        SDL_RenderCopy(renderer_, texture_, nullptr, &target);
        SDL_RenderPresent(renderer_);
        return true;
    }

  private:
    bool PrepareTexture(const FrameView& frame) {
        if (texture_ != nullptr && textureWidth_ == frame.width && textureHeight_ == frame.height &&
            texture555_ == frame.rgb555) {
            return true;
        }
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        texture_ =
            SDL_CreateTexture(renderer_, frame.rgb555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565,
                              SDL_TEXTUREACCESS_STREAMING, frame.width, frame.height);
        textureWidth_ = frame.width;
        textureHeight_ = frame.height;
        texture555_ = frame.rgb555;
        return texture_ != nullptr;
    }

    HWND window_;
    SDL_Window* sdlWindow_;
    SDL_Renderer* renderer_;
    PictureScaling scaling_;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool texture555_ = false;
};

}  // namespace

std::unique_ptr<Presenter> MakeGpuPresenter(HWND window, SDL_Window* sdlWindow, PictureScaling scaling) {
    return std::make_unique<GpuPresenter>(window, sdlWindow, scaling);
}
