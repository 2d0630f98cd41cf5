// One translation unit, so that the three objects are built in this order and
// destroyed in the reverse order: MeshLoader, Scene, Mainframe (and with it the display).
#include "app/program_objects.h"

Mainframe mainframe;
Scene scene;
MeshLoader meshLoader;

namespace {

int FrameFatalError(const char* message) { return FatalError(mainframe, message); }

}  // namespace

const FrameObjects frameObjects{mainframe.display, scene, FrameFatalError};

int32_t renderEnabled = 0;
std::atomic<int32_t> MusicControl{0};
