// Reading the song straight out of resource memory: a module-library reader
// over the resource bytes that never reads past their end.
#pragma once

#include <cstdint>

#include "music/mikmod_driver_side.h"

// The library's reader first, so the library's pointer leads back to it.
struct ResourceReader {
    MREADER reader;
    const uint8_t* base;  // first byte of the module data
    long cursor;          // next byte to read, counted from base (may lie past the end)
    const uint8_t* end;   // base + size
};

// Points `reader` at `size` bytes at `base`, cursor at the start.
void OpenResourceReader(ResourceReader& reader, const uint8_t* base, uint32_t size);

// The reader the loaders use, one instance in static storage.
extern ResourceReader songReader;

// Music thread. Finds RCDATA resource `resourceName`, points songReader at
// it and runs the library's loader. Returns the module (the caller frees it
// with Player_Free) or null: a missing resource leaves no library error text.
MODULE* LoadModuleFromResource(uint32_t moduleSize, const char* resourceName);

// Channels the player may use; at most the driver's voices.
constexpr int MODULE_MAX_CHANNELS = 32;
