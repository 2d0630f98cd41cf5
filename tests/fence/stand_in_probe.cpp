// Must not compile as part of the program: the stand-in's internals are
// reached only through its public headers.
#include "platform/present/sdl_window.h"

bool FenceProbe() { return WindowPresentsWithGpu(nullptr); }
