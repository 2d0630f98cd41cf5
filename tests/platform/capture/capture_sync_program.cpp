// The capture's timing test runs this program: in a capture, the first video
// frame showing each white frame must start where the click starts to be
// heard, within the sound device's buffer.
#include "platform/win32/program_entry.h"
#include "tests/platform/capture/flashing_program.h"

int main(int argc, char** argv) { return RunWinMain(argc, argv, FlashingMain); }
