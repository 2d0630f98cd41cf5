// Must not compile as part of the program: SDL is the stand-in's alone.
#include <SDL2/SDL.h>

int FenceProbe() { return SDL_Init(0); }
