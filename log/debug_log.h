// The progress log "debug.log" in the current directory: each line is opened,
// appended ("at") and closed at once. Main thread only.
#pragma once

#include <cstdint>

// Appends message and a line feed; a log that cannot be opened skips the line. Returns 0.
int DebugLog(const char* message);

// Gate of the Mainframe's own log method: it writes only while this is non-zero.
extern int32_t logLines;
