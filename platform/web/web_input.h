// The page's keys: the page writes each key press into a ring in the
// program's memory and wakes the input thread (Atomics.notify), which posts it
// to the window as WM_KEYDOWN or WM_KEYUP. The page's own thread thus never
// takes a lock of the program's (a browser's main thread must not block).
// Platform-internal.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

// One key event as the page writes it: the virtual-key code in the low byte,
// bit 8 set for a press, bit 9 for an auto-repeat.
constexpr uint32_t KEY_EVENT_DOWN = 0x100;
constexpr uint32_t KEY_EVENT_REPEAT = 0x200;

struct KeyRing {
    static constexpr uint32_t SIZE = 64;
    std::atomic<int32_t> written{0};  // events written so far, the page's futex word
    uint32_t events[SIZE] = {};
};

class WebInput {
  public:
    WebInput();  // tells the page where the ring is and starts the input thread
    ~WebInput();
    WebInput(const WebInput&) = delete;
    WebInput& operator=(const WebInput&) = delete;

  private:
    void Run();

    KeyRing ring_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Posts one key event to the window the keyboard goes to.
void PostKeyEvent(uint32_t event);
