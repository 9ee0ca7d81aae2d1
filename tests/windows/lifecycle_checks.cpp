#include "host_check.h"
#include "host_checks.h"
#include "support/host_functions.h"

namespace win_host {

namespace {

DWORD ProcessHeapCount() { return GetProcessHeaps(0, nullptr); }

}  // namespace

void CheckEntryReasons(const FormelDll& dll) {
  dll.AttachProcess(nullptr);
  dll.SetVarS("kept", "1");
  for (FormelInt reason : {2, 3, 4, -1, 1000}) {
    Check(dll.DLLEntryPoint(nullptr, reason, nullptr) == 1,
          "DLLEntryPoint returns 1 for reason " + std::to_string(reason));
  }
  CheckText(TextOf(dll.GetVarS("kept")), "1", "thread and unknown notifications leave the tables alone");

  Check(dll.DLLEntryPoint(nullptr, 0, nullptr) == 1, "DLLEntryPoint returns 1 for detach");
  CheckText(TextOf(dll.GetVarS("kept")), "", "after detach every export gives its empty value");
  Check(dll.SetVarS("late", "1") == 0, "after detach nothing is stored");
  Check(dll.DLLEntryPoint(nullptr, 1, nullptr) == 1, "DLLEntryPoint returns 1 for attach");
  CheckText(TextOf(dll.GetVarS("kept")), "", "attach starts with empty tables");
  CheckText(TextOf(dll.Formel("2*3")), "6", "the library works again after attach");

  dll.SetVarS("kept", "1");
  Check(dll.AttachProcess(nullptr) == 0, "AttachProcess returns 0");
  CheckText(TextOf(dll.GetVarS("kept")), "", "AttachProcess empties the variables");
}

void CheckReloadGivesEmptyTables(FormelDll& dll, const std::string& path) {
  const auto* echo = formel_test::FindHostImpl("echo");
  dll.SetVarS("x", "5");
  dll.SetFunc("f", echo->paramCount, echo->callId);
  CheckText(TextOf(dll.Formel("f([x])")), "5", "tables filled before the reload");

  const DWORD heapsWhileLoaded = ProcessHeapCount();
  UnloadFormelDll(dll);
  Check(GetModuleHandleA("formel.dll") == nullptr, "FreeLibrary unloads formel.dll");
  Check(ProcessHeapCount() + 1 == heapsWhileLoaded, "unload destroys the private heap");

  if (!LoadFormelDll(path, dll)) return;
  Check(ProcessHeapCount() == heapsWhileLoaded, "load creates one private heap");
  CheckText(TextOf(dll.GetVarS("x")), "", "variable gone after reload");
  Check(dll.GetFuncCallID("f") == 0, "function call ID gone after reload");
  Check(dll.GetFuncParamCnt("f") == 0, "function parameter count gone after reload");
  // An unregistered name gives its argument list, trailing comma included.
  CheckText(TextOf(dll.Formel("f(2)")), "2,", "f is unregistered after reload");
  CheckText(TextOf(dll.Formel("[x]")), "", "x is missing after reload");
}

}  // namespace win_host
