// formel.dll as a Windows host sees it: loaded with LoadLibrary, every
// export (the classic ones and the evaluator API) found by its plain,
// undecorated name. The pointer types come from the public headers, so they
// carry their calling convention.
#pragma once

#include <windows.h>

#include <string>

#include "formel.h"
#include "formel_evaluator.h"

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

  decltype(&::formel_new) formel_new = nullptr;
  decltype(&::formel_free) formel_free = nullptr;
  decltype(&::formel_set_var) formel_set_var = nullptr;
  decltype(&::formel_set_var_int) formel_set_var_int = nullptr;
  decltype(&::formel_get_var) formel_get_var = nullptr;
  decltype(&::formel_remove_var) formel_remove_var = nullptr;
  decltype(&::formel_clear_vars) formel_clear_vars = nullptr;
  decltype(&::formel_set_function) formel_set_function = nullptr;
  decltype(&::formel_set_number_function) formel_set_number_function = nullptr;
  decltype(&::formel_remove_function) formel_remove_function = nullptr;
  decltype(&::formel_clear_functions) formel_clear_functions = nullptr;
  decltype(&::formel_register_standard_functions) formel_register_standard_functions = nullptr;
  decltype(&::formel_evaluate) formel_evaluate = nullptr;
  decltype(&::formel_set_observer) formel_set_observer = nullptr;
};

// Loads the DLL and finds every export; counts one check per export.
// False when the DLL or any export is missing.
bool LoadFormelDll(const std::string& path, FormelDll& dll);
void UnloadFormelDll(FormelDll& dll);

}  // namespace win_host
