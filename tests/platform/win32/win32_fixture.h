// Shared set-up for the Win32 stand-in tests: headless windows of one class
// whose procedure records every message, and a drained queue.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
};

class Win32Test : public ::testing::Test {
  protected:
    static std::vector<RecordedMessage>& Recorded() {
        static std::vector<RecordedMessage> recorded;
        return recorded;
    }
    static LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        Recorded().push_back({window, message, wParam});
        return DefWindowProcA(window, message, wParam, lParam);
    }
    void SetUp() override {
        SetHeadlessWindowsForTesting(true);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = 48;
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = "RecordingClass";
        RegisterClassExA(&windowClass);
        Drain();
        Recorded().clear();
    }
    void TearDown() override {
        for (HWND window : created_) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        Drain();
    }
    HWND MakeWindow() {
        HWND window = CreateWindowExA(0, "RecordingClass", "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      nullptr, nullptr);
        created_.push_back(window);
        return window;
    }
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

  private:
    std::vector<HWND> created_;
};
