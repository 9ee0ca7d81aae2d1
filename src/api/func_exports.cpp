// The function exports: the classic ones on the default evaluator (host
// functions as call IDs), the formel_ ones on the evaluator given (host
// functions as closures with a user pointer, on texts or on numbers).
#include "api/export_call.h"
#include "formel.h"
#include "formel_evaluator.h"

namespace formel {

int SetFunction(Evaluator* target, const char* name, FuncInfo info) {
  if (info.paramCount < 0 || info.paramCount > kMaxParams) return 0;
  return RunNameExport<int>(target, 0, name, [&](Evaluator& ev, std::string_view key) {
    ev.eval.funcs.Set(key, info);
    return 1;
  });
}

}  // namespace formel

namespace {

using formel::CallScope;
using formel::Evaluator;
using formel::FuncInfo;
using formel::SetFunction;

int RemoveFunction(Evaluator* target, const char* name) {
  return formel::RunNameExport<int>(target, 0, name, [](Evaluator& ev, std::string_view key) {
    return ev.eval.funcs.Remove(key);
  });
}

int ClearFunctions(Evaluator* target) {
  return formel::RunExport<int>(target, 0, [](Evaluator& ev, CallScope&) {
    ev.eval.funcs.Clear();
    return 1;
  });
}

template <class Result, class Read>
Result ReadFunction(const char* name, Read read) {
  return formel::RunNameExport<Result>(formel::DefaultEvaluator(), 0, name,
                                       [&](Evaluator& ev, std::string_view key) {
                                         const FuncInfo* found = ev.eval.funcs.Find(key);
                                         return read(found == nullptr ? FuncInfo{} : *found);
                                       });
}

}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL SetFunc(const char* name, FormelInt count,
                                                    FormelCallID callId) {
  return SetFunction(formel::DefaultEvaluator(), name, FuncInfo{callId, nullptr, nullptr, count});
}

extern "C" FORMEL_API FormelInt FORMEL_CALL RemFunc(const char* name) {
  return RemoveFunction(formel::DefaultEvaluator(), name);
}

extern "C" FORMEL_API FormelInt FORMEL_CALL ClearFuncs(void) {
  return ClearFunctions(formel::DefaultEvaluator());
}

extern "C" FORMEL_API FormelCallID FORMEL_CALL GetFuncCallID(const char* name) {
  return ReadFunction<FormelCallID>(name, [](const FuncInfo& f) { return f.callId; });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL GetFuncParamCnt(const char* name) {
  return ReadFunction<FormelInt>(name, [](const FuncInfo& f) { return f.paramCount; });
}

extern "C" FORMEL_API int FORMEL_CALL formel_set_function(formel_evaluator* ev, const char* name,
                                                          int param_count, formel_function function,
                                                          void* user) {
  if (function == nullptr) return 0;
  return SetFunction(ev, name, FuncInfo{0, function, user, param_count});
}

extern "C" FORMEL_API int FORMEL_CALL formel_set_number_function(formel_evaluator* ev, const char* name,
                                                                 int param_count,
                                                                 formel_number_function function, void* user) {
  if (function == nullptr) return 0;
  FuncInfo info{0, nullptr, user, param_count};
  info.number = function;
  return SetFunction(ev, name, info);
}

extern "C" FORMEL_API int FORMEL_CALL formel_remove_function(formel_evaluator* ev,
                                                             const char* name) {
  return RemoveFunction(ev, name);
}

extern "C" FORMEL_API int FORMEL_CALL formel_clear_functions(formel_evaluator* ev) {
  return ClearFunctions(ev);
}
