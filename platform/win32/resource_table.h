// The executable's embedded resources, as the resource script names them.
// The build turns assets/intro.rc into a table that installs itself before
// main; tests install tables of their own.
#pragma once

#include <cstddef>
#include <cstdint>

struct ResourceEntry {
    uint32_t id;           // integer id ("#115" and 115 both name id 115)
    uint32_t typeId;       // integer type (10 = RCDATA), or 0 for a named type
    const char* typeName;  // named type such as "MESH", or null
    const uint8_t* data;
    uint32_t size;
};

// Replaces the table FindResourceA searches; entries must outlive their use.
void InstallResourceTable(const ResourceEntry* entries, size_t count);
