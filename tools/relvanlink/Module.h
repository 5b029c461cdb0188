// The DLL's instance and the count of what keeps it loaded (live objects and
// class-factory locks), for DllCanUnloadNow.
#pragma once

#include <windows.h>

HINSTANCE ModuleInstance();
void LockModule();
void UnlockModule();
