// The module library as a driver sees it. The installed header declares the
// public API only; the driver-side variables and the sample reader are
// hidden in the shared library, so the music library links the static one
// and declares them here, exactly as each known version of libmikmod
// defines them. music/CMakeLists.txt refuses any other version, and so does
// the check below: a layout that was not read in that version's own source
// is never guessed.
#pragma once

#include <mikmod.h>

#include <cstddef>
#include <cstdint>

// Known versions, each checked against its source (include/mikmod_internals.h
// for the record and the declarations, playercode/mdriver.c, mplayer.c and
// sloader.c for the definitions):
// - 3.3.11 (Debian 12's 3.3.11.1): SAMPLOAD at mikmod_internals.h:219-229,
//   the SL_ functions at 233-242, Player_HandleTick at 632, the md_ variables
//   at 650-663, pf at mplayer.c:51;
// - 3.3.13 (Debian 13): SAMPLOAD at mikmod_internals.h:216-226, the SL_
//   functions at 230-239, Player_HandleTick at 669, the md_ variables at
//   687-700 (md_player now spelt MikMod_player_t, the same type), pf at
//   mplayer.c:47.
// Both define the record and the symbols alike, so one set of declarations
// serves both; a version that differs would need a block of its own.
#define TRELK_MIKMOD_3_3(revision) \
    (LIBMIKMOD_VERSION_MAJOR == 3 && LIBMIKMOD_VERSION_MINOR == 3 && LIBMIKMOD_REVISION == (revision))
#if !(TRELK_MIKMOD_3_3(11) || TRELK_MIKMOD_3_3(13))
#error "libmikmod's driver-side layout is known for 3.3.11 and 3.3.13 only (see music/mikmod_driver_side.h)"
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

// The record's field widths and the places the library's own code reads and
// writes on a 64-bit target (the same in 3.3.11 and 3.3.13, checked in
// Debian's libmikmod.a: SL_RegisterSample allocates 48 bytes and fills
// length at 8, loopend at 16, infmt and outfmt at 20, sample at 32, reader at
// 40; SL_HalveSample writes scalefactor at 24). tests/music/sampload_layout_test
// checks the same against the library on any target.
static_assert(sizeof(ULONG) == 4 && sizeof(UWORD) == 2, "the record's integer widths");
#if UINTPTR_MAX == UINT64_MAX
static_assert(offsetof(SAMPLOAD, next) == 0 && offsetof(SAMPLOAD, length) == 8 &&
                  offsetof(SAMPLOAD, loopstart) == 12 && offsetof(SAMPLOAD, loopend) == 16 &&
                  offsetof(SAMPLOAD, infmt) == 20 && offsetof(SAMPLOAD, outfmt) == 22 &&
                  offsetof(SAMPLOAD, scalefactor) == 24 && offsetof(SAMPLOAD, sample) == 32 &&
                  offsetof(SAMPLOAD, reader) == 40 && sizeof(SAMPLOAD) == 48,
              "SAMPLOAD as libmikmod 3.3.11 and 3.3.13 lay it out on a 64-bit target");
#endif
#undef TRELK_MIKMOD_3_3
