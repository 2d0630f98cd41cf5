// Test seams of the stand-in's core. For tests only: the program never sees
// this header.
#pragma once

// While on, no thread can be started: StartThread throws std::system_error
// as std::thread does when the system has none to give.
void SetThreadStartFailureForTesting(bool fail);
