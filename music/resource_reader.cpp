#include "music/resource_reader.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/win32/windows.h"

ResourceReader songReader{};

namespace {

ResourceReader& Of(MREADER* reader) { return *reinterpret_cast<ResourceReader*>(reader); }

long Size(const ResourceReader& r) { return static_cast<long>(r.end - r.base); }

// Bytes left before the end; 0 when the cursor lies at or past it.
long Remaining(const ResourceReader& r) { return r.cursor < Size(r) ? Size(r) - r.cursor : 0; }

int Seek(MREADER* reader, long offset, int origin) {
    ResourceReader& r = Of(reader);
    long target = 0;
    switch (origin) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = r.cursor + offset;
            break;
        case SEEK_END:
            target = Size(r) + offset;
            break;
        default:
            return -1;
    }
    if (target < 0) {
        return -1;  // before the start: the cursor stays
    }
    r.cursor = target;
    return 0;
}

long Tell(MREADER* reader) { return Of(reader).cursor; }

// Succeeds only when all `size` bytes lie before the end. A read that would
// cross it copies what there is, zeroes the rest of the destination and
// leaves the cursor at the end, so a loader that reads on sees the end.
BOOL Read(MREADER* reader, void* destination, size_t size) {
    ResourceReader& r = Of(reader);
    auto available = static_cast<size_t>(Remaining(r));
    if (size <= available) {
        std::memcpy(destination, r.base + r.cursor, size);
        r.cursor += static_cast<long>(size);
        return 1;
    }
    if (destination != nullptr) {
        if (available != 0) {
            std::memcpy(destination, r.base + r.cursor, available);
        }
        std::memset(static_cast<uint8_t*>(destination) + available, 0, size - available);
    }
    r.cursor = r.cursor > Size(r) ? r.cursor : Size(r);
    return 0;
}

int Get(MREADER* reader) {
    ResourceReader& r = Of(reader);
    if (Remaining(r) == 0) {
        return EOF;
    }
    return r.base[r.cursor++];
}

BOOL Eof(MREADER* reader) { return Remaining(Of(reader)) == 0 ? 1 : 0; }

// The player can start an envelope that has no points: a note on an instrument
// whose key map names a sample it lacks switches to that instrument but keeps
// the previous one's envelope flags. libmikmod 3.3.11 then reads its first
// point from index 65535, far past the instrument; later versions read point 0.
// Counting the first point (as the file gave it, or zero for an instrument
// without samples, whose envelopes the loader never fills) makes both
// versions play what the later ones do, and changes nothing for an envelope
// that is never switched on.
void GiveEmptyEnvelopesOnePoint(MODULE& module) {
    if ((module.flags & UF_INST) == 0 || module.instruments == nullptr) {
        return;
    }
    for (UWORD i = 0; i < module.numins; ++i) {
        INSTRUMENT& instrument = module.instruments[i];
        for (UBYTE* points : {&instrument.volpts, &instrument.panpts, &instrument.pitpts}) {
            if (*points == 0) {
                *points = 1;
            }
        }
    }
}

}  // namespace

void OpenResourceReader(ResourceReader& reader, const uint8_t* base, uint32_t size) {
    reader.reader = MREADER{};
    reader.reader.Seek = Seek;
    reader.reader.Tell = Tell;
    reader.reader.Read = Read;
    reader.reader.Get = Get;
    reader.reader.Eof = Eof;
    reader.base = base;
    reader.cursor = 0;
    reader.end = base + size;
}

MODULE* LoadModuleFromResource(uint32_t moduleSize, const char* resourceName) {
    HRSRC resource = FindResourceA(nullptr, resourceName, RT_RCDATA);
    if (resource == nullptr) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (loaded == nullptr) {
        return nullptr;
    }
    // The caller's size, but never more than the resource holds.
    DWORD stored = SizeofResource(nullptr, resource);
    uint32_t size = moduleSize < stored ? moduleSize : stored;
    OpenResourceReader(songReader, static_cast<const uint8_t*>(loaded), size);
    MODULE* module = Player_LoadGeneric(&songReader.reader, MODULE_MAX_CHANNELS, 0);
    if (module != nullptr) {
        GiveEmptyEnvelopesOnePoint(*module);
    }
    return module;
}
