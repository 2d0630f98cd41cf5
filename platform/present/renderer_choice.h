// Which presenter a window gets: the GPU (SDL's accelerated renderer) or the
// software one (the window's own surface). Decided when the window is made,
// because a window must be made ready for OpenGL from the start: SDL would
// otherwise replace it, losing keys and the hidden cursor. Platform-internal.
// Main thread only.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/stand_in_settings.h"

struct SDL_Window;

// True when the window should be made with OpenGL: the GPU asked for, a
// Wayland session (SDL 2 has no window surface of its own there and would
// emulate one through OpenGL ES anyway), or auto on a machine that has a GPU
// device. `reason` says why, for --verbose.
bool WindowWantsOpenGl(RendererChoice choice, bool wayland, std::string* reason);

// On a window made with OpenGL: makes its accelerated renderer and keeps it
// when the GPU should present (auto keeps it only when OpenGL is backed by
// hardware, or on Wayland). True when the GPU presents.
bool SetUpGpuRenderer(SDL_Window* window, RendererChoice choice, bool wayland);

// Mesa's software rasterisers name themselves in GL_RENDERER.
bool IsSoftwareRasteriser(std::string_view glRenderer);
