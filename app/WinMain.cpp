// The entry point of relvan.exe.
#include "app/RelvanApp.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance(__argc, __argv);
    return 0;
}
