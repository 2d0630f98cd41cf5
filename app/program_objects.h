// The program-wide objects, constructed before WinMain in a fixed order
// (Mainframe, Scene, MeshLoader) and destroyed in reverse after it returns,
// and the program-wide words the main loop and the music thread share.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/mainframe.h"
#include "presentation/render_frame.h"
#include "scene/mesh_loader.h"
#include "scene/scene.h"

extern Mainframe mainframe;
extern Scene scene;
extern MeshLoader meshLoader;

// What RenderFrame draws with: the Mainframe's display, the scene, and
// FatalError on the Mainframe.
extern const FrameObjects frameObjects;

// The main loop calls RenderFrame only while this is non-zero.
extern int32_t renderEnabled;

// The stop handshake with the music thread: Running, StopRequested, Stopped.
// Atomic, because the main thread and the music thread read and write it
// without a lock.
extern std::atomic<int32_t> MusicControl;
