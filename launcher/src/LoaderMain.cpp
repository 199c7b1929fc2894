// The Windows entry: no window and no console of its own, only message boxes.
#include "LoaderRun.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return loader::RunLoader(); }
