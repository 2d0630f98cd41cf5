// The intro executable: the stand-in's process entry runs WinMain.
#include "app/win_main.h"
#include "platform/win32/program_entry.h"

int main(int argc, char** argv) { return RunWinMain(argc, argv, WinMain); }
