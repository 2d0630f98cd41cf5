// Starting a thread of the stand-in's own (CreateThread, the multimedia
// timer). Like std::thread, StartThread throws std::system_error when the
// system has no thread to give; each caller catches it at its interface and
// returns that interface's failure value.
#pragma once

#include <functional>
#include <thread>

std::thread StartThread(std::function<void()> body);
