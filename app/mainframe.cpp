#include "app/mainframe.h"

#include "log/debug_log.h"

Mainframe::Mainframe() = default;

Mainframe::~Mainframe() {
    hInstance = nullptr;
    hWnd = nullptr;
    windowProc = nullptr;
    windowReady = 0;
    logFile = nullptr;
    // The display member is destroyed next: ReleaseDisplay releases every DirectX object.
}

int Mainframe::Log(const char* message) {
    if (logLines == 0) {
        return 0;
    }
    logFile = std::fopen("debug.log", "a");
    if (logFile == nullptr) {
        return 0;
    }
    std::fprintf(logFile, "%s\n", message);
    ++logLines;
    std::fclose(logFile);
    logFile = nullptr;
    return 0;
}

int Mainframe::CreateMainWindow() {
    Log("3D Engine Debug Log File");
    if (hInstance == nullptr) {
        Log("Invalid Instance");
        return 2;
    }
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = 48;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = hInstance;
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
    Log("Window Class Registered");

    hWnd = CreateWindowExA(0, className, title, WS_POPUP | 0x300, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, hInstance, nullptr);
    if (hWnd == nullptr) {
        Log("Failed to create Window");
        return 1;
    }
    Log("Window Created.");
    ShowWindow(hWnd, SW_SHOW);
    UpdateWindow(hWnd);
    windowReady = 1;
    display.hWnd = hWnd;
    Log("Mainframe successfully initialized.");
    return 0;
}

int FatalError(Mainframe& frame, const char* message) {
    if (frame.display.directDraw != nullptr) {
        // Leave exclusive full screen so that the box can be seen.
        frame.display.directDraw->SetCooperativeLevel(frame.hWnd, DDSCL_NORMAL);
    }
    frame.Log(message);
    MessageBoxA(frame.hWnd, message, frame.title, MB_ICONERROR);
    PostQuitMessage(0);
    return -1;
}
