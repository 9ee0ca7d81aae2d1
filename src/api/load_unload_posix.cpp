// On platforms without a DLL loader, the shared library's constructor and
// destructor play the loader's process attach and detach notifications.
#include "formel.h"

namespace {

__attribute__((constructor)) void OnLoad() { DLLEntryPoint(nullptr, 1, nullptr); }

__attribute__((destructor)) void OnUnload() { DLLEntryPoint(nullptr, 0, nullptr); }

}  // namespace
