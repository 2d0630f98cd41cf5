// One composed frame: clear to white, the picture on the bottom edge, every
// mesh object eight times on the turning ring, the text panel, and the flip.
// Main thread only; called by the main loop while rendering is enabled.
#pragma once

#include <cstdint>

#include "display/display_device.h"
#include "platform/d3d/d3d.h"
#include "scene/scene.h"

constexpr int COPIES_PER_OBJECT = 8;
// Where the panel sits on the screen, and the bottom the picture is aligned to.
constexpr DWORD PANEL_X = 319;
constexpr DWORD PANEL_Y = 110;
constexpr LONG PICTURE_BOTTOM_EDGE = 480;
constexpr int PANEL_ROW_HEIGHT = 13;

extern float rotationAngle;   // degrees, the spin of every object about its y axis
extern uint8_t pathCounter;   // selects the depth of the copies; +1 per object per frame
extern uint8_t frameCounter;  // turns the ring; +1 per composed frame
extern D3DRECT clearRect;     // the area cleared each frame

// What a frame draws with, all of it owned by the application: the display,
// the scene, and the fatal error that shows a failure's box and lets the
// frame go on (it returns -1).
struct FrameObjects {
    DisplayDevice& display;
    Scene& scene;
    int (*fatalError)(const char* message);
};

// Composes a frame only when the frame clock has ticked.
void RenderFrame(const FrameObjects& objects);
