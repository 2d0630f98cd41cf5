#include "app/win_main.h"

#include <cstring>

#include "app/program_objects.h"
#include "app/window_proc.h"
#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "image/text_panel.h"
#include "music/music_thread.h"
#include "presentation/motion_tables.h"
#include "presentation/render_frame.h"

namespace {

// Scale, rotation and material of every object the mesh brought.
void SetUpObjects() {
    for (int i = 0; i < scene.objectCount; ++i) {
        SceneObject& object = scene.objects[i];
        object.SetRotation(0.0f, 0.0f, 0.0f);
        object.SetScale(0.1f, 0.1f, 0.1f);
        object.CreateMaterial();
        object.SetAmbient(1.0f, 0.1f, 0.1f, 1.0f);
        object.SetSpecular(1.0f, 0.1f, 0.1f, 0.1f);
        object.SetDiffuse(0.0f, 0.9f, 0.0f, 0.1f);
        object.ApplyMaterial();
    }
}

// Camera 0, light 0, the ambient level and the shade mode.
void SetUpCameraAndLight() {
    DisplayDevice& display = mainframe.display;
    scene.AddCamera();
    SceneCamera& camera = scene.cameras[0];
    camera.SetEye(0.0f, 0.0f, 10.0f);
    camera.SetTarget(0.0f, 0.0f, 5.0f);
    camera.ApplyView();

    scene.AddLight();
    SceneLight& light = scene.lights[0];
    light.Create(display.viewportHolder.viewport);
    light.SetPosition(-3.0f, -1.0f, -5.0f);
    light.SetType(D3DLIGHT_POINT);
    light.SetColor(0.0f, 1.0f, 0.0f);
    light.Apply();

    // 65000 once the picture exists: Direct3D reads it as the colour 0x0000FDE8.
    display.device->SetLightState(D3DLIGHTSTATE_AMBIENT, ambientLevel & 0xFFFF);
    camera.ApplyView();
    display.device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
}

}  // namespace

int SetUpPresentation() {
    DisplayDevice& display = mainframe.display;
    scene.direct3D = display.direct3D;
    scene.device = display.device;
    BuildMotionTables(PATH_RADIUS);
    CreateTextPanel(display);
    if (CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect) == 0) {
        mainframe.Log("failure creating GIF");
    }
    if (scene.SetDefaultTransforms() != 0) {
        FatalError(mainframe, "Failed to set default transformations.");
        return -1;
    }
    if (meshLoader.LoadMeshResource(MESH_RESOURCE_ID, scene) != 0) {
        FatalError(mainframe, "Failed to load mesh.");
        return -1;
    }
    SetUpObjects();
    SetUpCameraAndLight();
    clearRect = D3DRECT{0, 0, display.width, display.height};
    scene.cameras[0].SetEye(0.0f, 0.0f, 10.0f);
    scene.cameras[0].ApplyView();
    scene.lights[0].Apply();
    return 0;
}

void StartSong() {
    MusicControl.store(Running);
    StartMusic(1, SONG_SIZE, "#116", &MusicControl);
    RepeatSong.store(true);
}

int RunMainLoop() {
    HWND window = mainframe.hWnd;
    MSG msg{};
    while (IsWindow(window)) {
        if (PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, window, 0, 0) == 0) {
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (renderEnabled != 0) {
            RenderFrame(frameObjects);
        }
    }
    PostQuitMessage(0);
    return 0;
}

void PrepareMainframe(HINSTANCE instance) {
    currentPage = pageTable[0];
    mainframe.hInstance = instance;
    std::strcpy(mainframe.title, "Vorlix - Trelk Intro");
    mainframe.windowProc = WindowProc;
    std::strcpy(mainframe.className, "TestClass01");
}

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*showCommand*/) {
    PrepareMainframe(instance);
    if (mainframe.CreateMainWindow() != 0) {
        return 0;
    }
    if (mainframe.display.CreateDisplay(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BITS_PER_PIXEL) < 0) {
        return 0;
    }
    if (SetUpPresentation() != 0) {
        return -1;
    }
    StartSong();
    renderEnabled = 1;
    return RunMainLoop();
}
