// The function exports.
#include "formel.h"
#include "frame/export_call.h"

using formel::CallScope;
using formel::Library;
using formel::Text;

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
  return formel::RunExport<Result>(0, [&](Library& lib, CallScope& scope) {
    const Text n = formel::CopyArgument(lib, name);
    scope.StartBuilding();
    return read(formel::LookUpFunction(lib, n));
  });
}

}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL SetFunc(const char* name, FormelInt count,
                                                    FormelCallID callId) {
  if (count < 0 || count > formel::kMaxParams) return 0;
  return formel::RunExport<FormelInt>(0, [&](Library& lib, CallScope& scope) {
    const Text n = formel::CopyArgument(lib, name);
    scope.StartBuilding();
    formel::WorkspaceScope temporaries(lib.workspace);
    lib.funcs.Set(formel::BuildNameKey(lib.workspace, n), n, formel::FuncInfo{callId, count});
    return 1;
  });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL RemFunc(const char* name) {
  return formel::RunExport<FormelInt>(0, [&](Library& lib, CallScope& scope) {
    const Text n = formel::CopyArgument(lib, name);
    scope.StartBuilding();
    formel::WorkspaceScope temporaries(lib.workspace);
    return lib.funcs.Remove(formel::BuildNameKey(lib.workspace, n));
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
