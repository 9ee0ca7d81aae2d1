// Prepared formulas and variable slots: handles made from their
// evaluator's heap, released with it at the latest.
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#include "api/export_call.h"
#include "eval/stages/prepared_formula.h"
#include "eval/stages/stages.h"
#include "formel_prepared.h"
#include "text/numbers.h"

struct formel_prepared {
  formel_prepared(formel::Evaluator& e, std::string_view text)
      : ev(&e), formula(text, &e.heap), plan(&e.heap) {}

  formel::Evaluator* ev;
  formel::Text formula;
  formel::PreparedFormula plan;
  bool planned = false;  // the formula has a plan (else: the general way)
};

struct formel_slot {
  formel_slot(formel::Evaluator& e, std::string_view nameKey) : ev(&e), key(nameKey, &e.heap) {}

  formel::Evaluator* ev;
  formel::Text key;               // the name's matching form
  formel::Variable* entry = nullptr;  // the variable's entry while generation stays
  std::uint64_t generation = 0;
};

namespace {

using formel::CallScope;
using formel::Evaluator;

template <class Handle, class... Args>
Handle* NewHandle(Evaluator& ev, Args&&... args) {
  void* room = ev.heap.allocate(sizeof(Handle), alignof(Handle));
  try {
    return new (room) Handle(ev, std::forward<Args>(args)...);
  } catch (...) {
    ev.heap.deallocate(room, sizeof(Handle), alignof(Handle));
    throw;
  }
}

template <class Handle>
void FreeHandle(Handle* handle) {
  if (handle == nullptr) return;
  formel::PrivateHeap& heap = handle->ev->heap;
  handle->~Handle();
  heap.deallocate(handle, sizeof(Handle), alignof(Handle));
}

// The slot's variable entry found anew, made (empty) when the variable is
// not set. Apart from EntryOf, which then keeps a small frame.
[[gnu::noinline]] formel::Variable& FindEntry(formel_slot& slot) {
  formel::VarTable& vars = slot.ev->eval.vars;
  slot.entry = vars.Find(slot.key);
  if (slot.entry == nullptr) {
    vars.Set(slot.key, formel::Variable(formel::Text(&slot.ev->heap)));
    slot.entry = vars.Find(slot.key);
  }
  slot.generation = vars.Generation();
  return *slot.entry;
}

// The slot's variable entry, while no entry came or went since it was found.
[[gnu::always_inline]] inline formel::Variable& EntryOf(formel_slot& slot) {
  if (slot.entry == nullptr || slot.generation != slot.ev->eval.vars.Generation()) return FindEntry(slot);
  return *slot.entry;
}

// No workspace is touched: a text the evaluator returned stays valid.
// Setting runs no host code and grows no scratch: none of an evaluation's
// bookkeeping is needed.
template <class Set>
int SetSlot(formel_slot* slot, Set&& set) {
  if (slot == nullptr || slot->ev->eval.Listener().reporting) return 0;
  try {
    set(EntryOf(*slot));
    return 1;
  } catch (...) {
    return 0;
  }
}

int SetSlotText(formel_slot* slot, std::string_view value) {
  return SetSlot(slot, [value](formel::Variable& v) { v.Assign(value); });
}

// Whether the prepared formula may try its plan's quick way.
bool MayRunQuick(const formel_prepared* prepared) {
  if (prepared == nullptr || !prepared->planned || !formel::MayRunQuick(prepared->ev)) return false;
  const formel::EvalContext& ctx = prepared->ev->eval;
  return ctx.evalDepth == 0 && !ctx.GeneralPathOnly();
}

// The same for the quick way without calls, which a plan with a call
// anywhere does not have: such a loop does not stop to look.
bool MayRunWithoutCalls(const formel_prepared* prepared) {
  return prepared->planned && prepared->plan.MayRunQuick() && MayRunQuick(prepared);
}

using Number = formel::PreparedFormula::Number;

// Whether the usual way runs the plan: for an outermost evaluation on the
// shortcuts' side, or to go on from the calls that a quick way made.
bool UsesPlan(const formel_prepared* prepared) {
  const formel::EvalContext& ctx = prepared->ev->eval;
  return prepared->planned && ctx.evalDepth == 0 && (!ctx.GeneralPathOnly() || prepared->plan.Resuming());
}

// The usual ways, apart from the quick ones: their bookkeeping would make
// every call of the quick way save and restore what it needs.
[[gnu::noinline]] const char* RunText(formel_prepared* prepared) {
  return formel::RunExport<const char*>(
      prepared->ev, formel::kNoText, [prepared](Evaluator& ev, CallScope& scope) {
        scope.StartBuilding();
        formel::EvalContext& ctx = ev.eval;
        if (UsesPlan(prepared)) return prepared->plan.Run(ctx).data();
        return formel::EvaluateFormula(ctx, prepared->formula).data();
      });
}

[[gnu::noinline]] Number RunNumber(formel_prepared* prepared) {
  return formel::RunExport<Number>(prepared->ev, Number{0, false}, [prepared](Evaluator& ev, CallScope& scope) {
    scope.StartBuilding();
    formel::EvalContext& ctx = ev.eval;
    if (UsesPlan(prepared)) return prepared->plan.RunNumber(ctx);
    const std::string_view text = formel::EvaluateFormula(ctx, prepared->formula);
    return Number{formel::ParseReal(text), !text.empty() && formel::ParsedLength(text) == text.size()};
  });
}

// A plan whose top level calls functions on numbers: its quick way runs
// host code inside an export's call bookkeeping, as the host may call
// back, even free the evaluator (nothing then). When it stops, the usual
// way goes on from there.
template <class Result, class Quick, class Usual>
[[gnu::noinline]] Result RunWithCalls(formel_prepared* prepared, Result nothing, Quick quick, Usual usual) {
  if (MayRunQuick(prepared)) {
    bool released = false;
    std::optional<Result> value;
    {
      const CallScope scope(*prepared->ev, released, false);  // a quick way grows no scratch
      value = formel::TryQuick([&] { return quick(prepared->plan, prepared->ev->eval); });
    }
    if (released) return nothing;
    if (value) return *value;
  }
  return usual(prepared);
}

}  // namespace

extern "C" FORMEL_API formel_prepared* FORMEL_CALL formel_prepare(formel_evaluator* ev,
                                                                  const char* formula) {
  return formel::RunExport<formel_prepared*>(ev, nullptr, [&](Evaluator& e, CallScope&) {
    formel_prepared* p = NewHandle<formel_prepared>(e, formel::View(formula));
    try {
      p->planned = p->formula.size() <= formel::kMaxTextLength && p->plan.Prepare(e.eval, p->formula);
    } catch (...) {
      FreeHandle(p);
      throw;
    }
    return p;
  });
}

extern "C" FORMEL_API const char* FORMEL_CALL formel_run(formel_prepared* prepared) {
  if (prepared == nullptr) return formel::kNoText;
  if (prepared->plan.TopCalls()) {
    return RunWithCalls<const char*>(
        prepared, formel::kNoText,
        [](auto& plan, auto& ctx) -> std::optional<const char*> {
          const auto text = plan.RunQuickCalls(ctx);
          return text ? std::optional(text->data()) : std::nullopt;
        },
        &RunText);
  }
  if (MayRunWithoutCalls(prepared)) {
    if (const auto quick = formel::TryQuick([&] { return prepared->plan.RunQuick(prepared->ev->eval); })) {
      return quick->data();
    }
  }
  return RunText(prepared);
}

// The plan's numbers give the value without its text where they can.
extern "C" FORMEL_API int FORMEL_CALL formel_run_number(formel_prepared* prepared, double* value) {
  Number number{0, false};
  if (prepared != nullptr && prepared->plan.TopCalls()) {
    number = RunWithCalls<Number>(
        prepared, number, [](auto& plan, auto& ctx) { return plan.RunNumberQuickCalls(ctx); }, &RunNumber);
  } else if (prepared != nullptr) {
    const auto quick = MayRunWithoutCalls(prepared)
                           ? formel::TryQuick([&] { return prepared->plan.RunNumberQuick(prepared->ev->eval); })
                           : std::nullopt;
    number = quick ? *quick : RunNumber(prepared);
  }
  if (value != nullptr) *value = number.value;
  return number.whole ? 1 : 0;
}

extern "C" FORMEL_API void FORMEL_CALL formel_prepared_free(formel_prepared* prepared) {
  FreeHandle(prepared);
}

extern "C" FORMEL_API formel_slot* FORMEL_CALL formel_slot_new(formel_evaluator* ev, const char* name) {
  return formel::RunExport<formel_slot*>(ev, nullptr, [&](Evaluator& e, CallScope& scope) {
    const formel::Text copy = formel::CopyArgument(e, name);
    scope.StartBuilding();
    formel::WorkspaceScope temporaries(e.eval.workspace);
    return NewHandle<formel_slot>(e, formel::BuildNameKey(e.eval.workspace, copy));
  });
}

extern "C" FORMEL_API int FORMEL_CALL formel_slot_set(formel_slot* slot, const char* value) {
  return SetSlotText(slot, formel::View(value));
}

extern "C" FORMEL_API int FORMEL_CALL formel_slot_set_text(formel_slot* slot, const char* data,
                                                          size_t size) {
  if (data == nullptr) return SetSlotText(slot, {});
  const void* zero = std::memchr(data, '\0', size);
  return SetSlotText(slot, {data, zero == nullptr ? size : static_cast<std::size_t>(
                                                          static_cast<const char*>(zero) - data)});
}

extern "C" FORMEL_API int FORMEL_CALL formel_slot_set_int(formel_slot* slot, int32_t value) {
  return SetSlot(slot, [value](formel::Variable& v) { v.AssignInt(value); });
}

// The text is written when something reads it: a loop of numbers never does.
extern "C" FORMEL_API int FORMEL_CALL formel_slot_set_number(formel_slot* slot, double value) {
  const float real = formel::RoundToFloat(value);
  return SetSlot(slot, [real](formel::Variable& v) { v.AssignReal(real); });
}

extern "C" FORMEL_API const char* FORMEL_CALL formel_slot_get(formel_slot* slot) {
  if (slot == nullptr) return formel::kNoText;
  return formel::RunExport<const char*>(slot->ev, formel::kNoText, [slot](Evaluator& ev, CallScope& scope) {
    scope.StartBuilding();
    const formel::Variable* value = ev.eval.vars.Find(std::string_view(slot->key));
    const auto start = ev.eval.workspace.Position();
    return formel::ReturnText(ev, start, value == nullptr ? std::string_view() : std::string_view(value->text()));
  });
}

extern "C" FORMEL_API void FORMEL_CALL formel_slot_free(formel_slot* slot) { FreeHandle(slot); }
