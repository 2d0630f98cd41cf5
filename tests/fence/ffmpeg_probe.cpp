// Must not compile as part of the program: FFmpeg is the capture's alone.
#include <libavcodec/avcodec.h>

unsigned FenceProbe() { return avcodec_version(); }
