#include "platform/present/renderer_choice.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>

namespace {

// A GPU shows up as a DRM device; without one OpenGL can only be a software
// rasteriser, so auto need not pay for setting OpenGL up just to learn that.
bool HasGpuDevice() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) {
            return true;
        }
    }
    return false;
}

std::string GlRendererName() {
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int GL_RENDERER_NAME = 0x1F01;  // GL_RENDERER
    const unsigned char* name = getString != nullptr ? getString(GL_RENDERER_NAME) : nullptr;
    return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

}  // namespace

bool IsSoftwareRasteriser(std::string_view glRenderer) {
    for (std::string_view software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (glRenderer.find(software) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool WindowWantsOpenGl(RendererChoice choice, bool wayland, std::string* reason) {
    switch (choice) {
        case RendererChoice::Software:
            *reason = "--renderer software";
            return false;
        case RendererChoice::Gpu:
            *reason = "--renderer gpu";
            return true;
        case RendererChoice::Auto:
            break;
    }
    if (wayland) {
        *reason = "Wayland: SDL has no window surface there but through OpenGL ES";
        return true;
    }
    if (!HasGpuDevice()) {
        *reason = "no GPU device (nothing in /dev/dri)";
        return false;
    }
    *reason = "a GPU device is present";
    return true;
}

bool SetUpGpuRenderer(SDL_Window* window, RendererChoice choice, bool wayland) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (renderer == nullptr) {
        if (choice == RendererChoice::Gpu) {
            std::fprintf(stderr, "trelk: no GPU renderer (%s); presenting in software\n", SDL_GetError());
        } else {
            Verbose("presenting in software: no GPU renderer (%s)", SDL_GetError());
        }
        return false;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    const std::string glRenderer = GlRendererName();
    if (choice == RendererChoice::Auto && !wayland && IsSoftwareRasteriser(glRenderer)) {
        Verbose("presenting in software: OpenGL is \"%s\", a software rasteriser", glRenderer.c_str());
        SDL_DestroyRenderer(renderer);
        return false;
    }
    Verbose("presenting with the GPU: SDL renderer %s, OpenGL \"%s\"", info.name != nullptr ? info.name : "?",
            glRenderer.c_str());
    return true;
}
