// The DLL's entry point: the loader's process and thread notifications go
// unchanged to DLLEntryPoint, which starts and ends the library.
#include <windows.h>

#include "formel.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DLLEntryPoint(instance, static_cast<FormelInt>(reason), reserved);
}
