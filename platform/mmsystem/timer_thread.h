// Platform-internal: the end of the multimedia timer's thread. It is stopped
// when the process ends; an entry whose process outlives the program (a web
// page's) stops it on the program's own thread as soon as WinMain returns.
#pragma once

// Stops the timer thread: no more events, and the thread joined unless a
// callback is still running. Later calls do nothing.
void CloseTimerThread();
