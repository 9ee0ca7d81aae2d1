// The function exports.
#include "formel.h"
#include "frame/export_call.h"

using formel::CallScope;
using formel::Library;

namespace formel {

FuncInfo LookUpFunction(Library& lib, std::string_view name) {
  WorkspaceScope temporaries(lib.workspace);
  const FuncInfo* found = lib.funcs.Find(BuildNameKey(lib.workspace, name));
  return found == nullptr ? FuncInfo{} : *found;
}

}  // namespace formel

namespace {

template <class Result, class Read>
Result ReadFunction(const char* name, Read read) {
  return formel::RunNameExport<Result>(0, name, [&](Library& lib, std::string_view key,
                                                    std::string_view) {
    const formel::FuncInfo* found = lib.funcs.Find(key);
    return read(found == nullptr ? formel::FuncInfo{} : *found);
  });
}

}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL SetFunc(const char* name, FormelInt count,
                                                    FormelCallID callId) {
  if (count < 0 || count > formel::kMaxParams) return 0;
  return formel::RunNameExport<FormelInt>(0, name, [&](Library& lib, std::string_view key,
                                                       std::string_view n) {
    lib.funcs.Set(key, n, formel::FuncInfo{callId, count});
    return 1;
  });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL RemFunc(const char* name) {
  return formel::RunNameExport<FormelInt>(0, name, [](Library& lib, std::string_view key,
                                                      std::string_view) {
    return lib.funcs.Remove(key);
  });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL ClearFuncs(void) {
  return formel::RunExport<FormelInt>(0, [](Library& lib, CallScope&) {
    lib.funcs.Clear();
    return 1;
  });
}

extern "C" FORMEL_API FormelCallID FORMEL_CALL GetFuncCallID(const char* name) {
  return ReadFunction<FormelCallID>(name, [](formel::FuncInfo f) { return f.callId; });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL GetFuncParamCnt(const char* name) {
  return ReadFunction<FormelInt>(name, [](formel::FuncInfo f) { return f.paramCount; });
}
