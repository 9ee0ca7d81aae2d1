#include "formel_dll.h"

#include "host_check.h"

namespace win_host {

namespace {

template <class Entry>
bool Find(HMODULE module, const char* name, Entry& entry) {
  const FARPROC proc = GetProcAddress(module, name);
  // void(*)() is the neutral function pointer type to cast through.
  entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(proc));
  return Check(proc != nullptr, std::string("export found by plain name: ") + name);
}

}  // namespace

bool LoadFormelDll(const std::string& path, FormelDll& dll) {
  dll = FormelDll{};
  dll.module = LoadLibraryA(path.c_str());
  if (!Check(dll.module != nullptr, "LoadLibrary " + path)) return false;
  bool all = true;
  all &= Find(dll.module, "DLLEntryPoint", dll.DLLEntryPoint);
  all &= Find(dll.module, "AttachProcess", dll.AttachProcess);
  all &= Find(dll.module, "SetVarS", dll.SetVarS);
  all &= Find(dll.module, "SetVarL", dll.SetVarL);
  all &= Find(dll.module, "GetVarS", dll.GetVarS);
  all &= Find(dll.module, "RemVar", dll.RemVar);
  all &= Find(dll.module, "ClearVars", dll.ClearVars);
  all &= Find(dll.module, "SetFunc", dll.SetFunc);
  all &= Find(dll.module, "RemFunc", dll.RemFunc);
  all &= Find(dll.module, "ClearFuncs", dll.ClearFuncs);
  all &= Find(dll.module, "GetFuncCallID", dll.GetFuncCallID);
  all &= Find(dll.module, "GetFuncParamCnt", dll.GetFuncParamCnt);
  all &= Find(dll.module, "Formel", dll.Formel);
  all &= Find(dll.module, "formel_new", dll.formel_new);
  all &= Find(dll.module, "formel_free", dll.formel_free);
  all &= Find(dll.module, "formel_set_var", dll.formel_set_var);
  all &= Find(dll.module, "formel_set_var_int", dll.formel_set_var_int);
  all &= Find(dll.module, "formel_get_var", dll.formel_get_var);
  all &= Find(dll.module, "formel_remove_var", dll.formel_remove_var);
  all &= Find(dll.module, "formel_clear_vars", dll.formel_clear_vars);
  all &= Find(dll.module, "formel_set_function", dll.formel_set_function);
  all &= Find(dll.module, "formel_set_number_function", dll.formel_set_number_function);
  all &= Find(dll.module, "formel_remove_function", dll.formel_remove_function);
  all &= Find(dll.module, "formel_clear_functions", dll.formel_clear_functions);
  all &= Find(dll.module, "formel_register_standard_functions", dll.formel_register_standard_functions);
  all &= Find(dll.module, "formel_evaluate", dll.formel_evaluate);
  all &= Find(dll.module, "formel_set_observer", dll.formel_set_observer);
  return all;
}

void UnloadFormelDll(FormelDll& dll) {
  if (dll.module != nullptr) FreeLibrary(dll.module);
  dll = FormelDll{};
}

}  // namespace win_host
