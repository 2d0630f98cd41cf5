#include "presentation/render_frame.h"

#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "image/text_panel.h"
#include "presentation/frame_clock.h"
#include "presentation/motion_tables.h"

float rotationAngle = 0.0f;
uint8_t pathCounter = 0;
uint8_t frameCounter = 0;
D3DRECT clearRect = {0, 0, 0, 0};

namespace {

// Every object spins once per frame and is drawn eight times along the ring,
// 32 table entries (45 degrees) apart, each at the next depth of the wave.
void DrawObjects(const FrameObjects& objects) {
    Scene& scene = objects.scene;
    for (int i = 0; i < scene.objectCount; ++i) {
        SceneObject& object = scene.objects[i];
        object.SetRotation(rotationAngle, 90.0f, 180.0f);
        ++pathCounter;
        for (int j = 0; j < COPIES_PER_OBJECT; ++j) {
            uint8_t k = static_cast<uint8_t>(frameCounter + 32 * j);
            uint8_t m = static_cast<uint8_t>(pathCounter + j);
            object.SetPosition(pathX[k], pathY[k], depthWave[m]);
            if (object.Render() < 0) {
                objects.display.device->EndScene();
                objects.fatalError("Render Failure rendering object");
            }
        }
    }
}

}  // namespace

void RenderFrame(const FrameObjects& objects) {
    DisplayDevice& display = objects.display;
    if (display.backBuffer == nullptr || pictureSurface == nullptr || panelSurface == nullptr) {
        return;
    }
    if (FrameClock() == 0.0) {
        return;
    }
    display.viewportHolder.viewport->Clear2(1, &clearRect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF,
                                            1.0f, 0);
    FrameClock();  // moves the last tick forward when the clear took longer than a tick

    display.backBuffer->BltFast(0, static_cast<DWORD>(PICTURE_BOTTOM_EDGE - pictureRect.bottom),
                                pictureSurface, &pictureRect, DDBLTFAST_WAIT);

    rotationAngle += 2.0f;
    if (rotationAngle >= 360.0f) {
        rotationAngle = 0.0f;
    }
    display.device->BeginScene();
    DrawObjects(objects);
    display.device->EndScene();
    ++frameCounter;

    if (pageComplete == 0) {
        UpdateTextPanel(display);
    }
    panelRect.bottom = PANEL_ROW_HEIGHT * lineIndex + PANEL_ROW_HEIGHT;
    display.backBuffer->BltFast(PANEL_X, PANEL_Y, panelSurface, &panelRect,
                                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);

    if (display.primarySurface->Flip(nullptr, DDFLIP_WAIT) < 0) {
        objects.fatalError("Failed to flip surfaces.");
    }
}
