// The variable exports: the classic ones on the default evaluator, the
// formel_ ones on the evaluator given.
#include <algorithm>
#include <utility>

#include "api/export_call.h"
#include "eval/stages/stages.h"
#include "formel.h"
#include "formel_evaluator.h"
#include "text/numbers.h"

namespace {

using formel::CallScope;
using formel::Evaluator;

// The variable set last, set again: set(entry) writes only its value.
template <class Set>
bool SetAgain(Evaluator* ev, const char* name, Set&& set) noexcept {
  if (!formel::MayRunQuick(ev)) return false;
  formel::Variable* entry = ev->lastSet.Entry(name, ev->eval.vars);
  if (entry == nullptr) return false;
  try {
    set(*entry);
    return true;
  } catch (...) {
    return false;  // the usual way then says so
  }
}

// number, when not null: what the value reads as in a formula's numbers.
int SetNewVariable(Evaluator* target, const char* name, std::string_view value,
                   const formel::PlainNumber* number = nullptr) {
  return formel::RunExport<int>(target, 0, [&](Evaluator& ev, CallScope& scope) {
    formel::VarTable& vars = ev.eval.vars;
    // The value is copied before anything is written.
    const formel::Text n = formel::CopyArgument(ev, name);
    formel::Variable v(formel::Text(value, &ev.heap), number);
    scope.StartBuilding();
    formel::WorkspaceScope temporaries(ev.eval.workspace);
    const std::string_view key = formel::BuildNameKey(ev.eval.workspace, n);
    vars.Set(key, std::move(v));
    ev.lastSet.Remember(n, vars.Find(key), vars);
    return 1;
  });
}

int SetVariable(Evaluator* target, const char* name, std::string_view value) {
  if (SetAgain(target, name, [value](formel::Variable& v) { v.Assign(value); })) return 1;
  return SetNewVariable(target, name, value);
}

// Set again, the number is known and its text written when first read: a
// loop that reads it as a number never writes it.
int SetIntVariable(Evaluator* target, const char* name, std::int32_t value) {
  if (SetAgain(target, name, [value](formel::Variable& v) { v.AssignInt(value); })) return 1;
  char digits[formel::kIntTextMax];
  // The bound is never reached; it tells an optimizing compiler so.
  const std::size_t length = std::min(formel::FormatInt(value, digits), sizeof digits);
  const formel::PlainNumber number = formel::PlainOfInt(value, length);
  return SetNewVariable(target, name, {digits, length}, &number);
}

const char* GetVariable(Evaluator* target, const char* name) {
  return formel::RunExport<const char*>(target, formel::kNoText, [&](Evaluator& ev, CallScope& scope) {
    const formel::Text n = formel::CopyArgument(ev, name);
    scope.StartBuilding();
    const auto start = ev.eval.workspace.Position();
    return formel::ReturnText(ev, start, formel::LookUpVariable(ev.eval, n));
  });
}

int RemoveVariable(Evaluator* target, const char* name) {
  return formel::RunNameExport<int>(target, 0, name, [](Evaluator& ev, std::string_view key) {
    return ev.eval.vars.Remove(key);
  });
}

int ClearVariables(Evaluator* target) {
  return formel::RunExport<int>(target, 0, [](Evaluator& ev, CallScope&) {
    ev.eval.vars.Clear();
    return 1;
  });
}

}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL SetVarS(const char* name, const char* value) {
  return SetVariable(formel::DefaultEvaluator(), name, formel::View(value));
}

extern "C" FORMEL_API FormelInt FORMEL_CALL SetVarL(const char* name, FormelInt value) {
  return SetIntVariable(formel::DefaultEvaluator(), name, value);
}

extern "C" FORMEL_API const char* FORMEL_CALL GetVarS(const char* name) {
  return GetVariable(formel::DefaultEvaluator(), name);
}

extern "C" FORMEL_API FormelInt FORMEL_CALL RemVar(const char* name) {
  return RemoveVariable(formel::DefaultEvaluator(), name);
}

extern "C" FORMEL_API FormelInt FORMEL_CALL ClearVars(void) {
  return ClearVariables(formel::DefaultEvaluator());
}

extern "C" FORMEL_API int FORMEL_CALL formel_set_var(formel_evaluator* ev, const char* name,
                                                     const char* value) {
  return SetVariable(ev, name, formel::View(value));
}

extern "C" FORMEL_API int FORMEL_CALL formel_set_var_int(formel_evaluator* ev, const char* name,
                                                         int32_t value) {
  return SetIntVariable(ev, name, value);
}

extern "C" FORMEL_API const char* FORMEL_CALL formel_get_var(formel_evaluator* ev,
                                                             const char* name) {
  return GetVariable(ev, name);
}

extern "C" FORMEL_API int FORMEL_CALL formel_remove_var(formel_evaluator* ev, const char* name) {
  return RemoveVariable(ev, name);
}

extern "C" FORMEL_API int FORMEL_CALL formel_clear_vars(formel_evaluator* ev) {
  return ClearVariables(ev);
}
