// formel.dll as a Windows host sees it: loaded with LoadLibrary, every
// export found by its plain, undecorated name. The pointer types come from
// the public header, so they carry its calling convention.
#pragma once

#include <windows.h>

#include <string>

#include "formel.h"

namespace win_host {

struct FormelDll {
  HMODULE module = nullptr;
  decltype(&::DLLEntryPoint) DLLEntryPoint = nullptr;
  decltype(&::AttachProcess) AttachProcess = nullptr;
  decltype(&::SetVarS) SetVarS = nullptr;
  decltype(&::SetVarL) SetVarL = nullptr;
  decltype(&::GetVarS) GetVarS = nullptr;
  decltype(&::RemVar) RemVar = nullptr;
  decltype(&::ClearVars) ClearVars = nullptr;
  decltype(&::SetFunc) SetFunc = nullptr;
  decltype(&::RemFunc) RemFunc = nullptr;
  decltype(&::ClearFuncs) ClearFuncs = nullptr;
  decltype(&::GetFuncCallID) GetFuncCallID = nullptr;
  decltype(&::GetFuncParamCnt) GetFuncParamCnt = nullptr;
  decltype(&::Formel) Formel = nullptr;
};

// Loads the DLL and finds every export; counts one check per export.
// False when the DLL or any export is missing.
bool LoadFormelDll(const std::string& path, FormelDll& dll);
void UnloadFormelDll(FormelDll& dll);

}  // namespace win_host
