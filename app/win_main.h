// The program's entry: start-up in a fixed order, then the message and frame loop.
#pragma once

#include "platform/win32/windows.h"

// 0 when the window or display cannot be made, -1 after a fatal start-up error,
// the quit message's wParam when the loop sees WM_QUIT, 0 when the window is gone.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// First start-up steps: the first text page, the instance, title, procedure and class name.
void PrepareMainframe(HINSTANCE instance);

// Start-up steps after the window and the display: scene, tables and images.
// Returns 0, or -1 after a fatal error.
int SetUpPresentation();

// The music thread starts with the song set to repeat.
void StartSong();

// The message and frame loop; returns WinMain's result.
int RunMainLoop();

// Every constant of the start-up sequence.
constexpr uint16_t SCREEN_WIDTH = 640;
constexpr uint16_t SCREEN_HEIGHT = 480;
constexpr uint8_t SCREEN_BITS_PER_PIXEL = 16;
constexpr uint32_t SONG_SIZE = 140414;
constexpr float PATH_RADIUS = 6.0f;
