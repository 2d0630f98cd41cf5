// The module library as a driver sees it. The installed header declares the
// public API only; the driver-side variables and the sample reader are
// hidden in the shared library, so the music library links the static one
// and declares them here, exactly as libmikmod 3.3.11 defines them.
#pragma once

#include <mikmod.h>

#if LIBMIKMOD_VERSION_MAJOR != 3 || LIBMIKMOD_VERSION_MINOR != 3 || LIBMIKMOD_REVISION != 11
#error "The driver-side layout below is that of libmikmod 3.3.11"
#endif

// The sample loader's record (completes the header's forward declaration).
struct SAMPLOAD {
    struct SAMPLOAD* next;
    ULONG length;  // in samples; the driver uses sample->length instead
    ULONG loopstart;
    ULONG loopend;
    UWORD infmt;
    UWORD outfmt;
    int scalefactor;
    SAMPLE* sample;
    MREADER* reader;
};

extern "C" {
extern UWORD md_bpm;               // driver tempo, beats per minute
extern UBYTE md_numchn;            // voices in use
extern UBYTE md_sngchn;            // song voices
extern UBYTE md_hardchn;           // hardware voices
extern MikMod_player_t md_player;  // the player callback, one tick per call
extern MODULE* pf;                 // the module being played

// Reads `length` samples at the reader into `buffer` in the loader's output
// format. Returns 0 on success, 1 with MikMod_errno set.
int SL_Load(void* buffer, SAMPLOAD* loader, ULONG length);
void SL_SampleSigned(SAMPLOAD* loader);  // ask for signed output
void SL_Sample8to16(SAMPLOAD* loader);   // ask for 16-bit output
void Player_HandleTick(void);            // the library's own tick
}

static_assert(sizeof(SAMPLOAD) == 48, "SAMPLOAD as libmikmod 3.3.11 lays it out");
