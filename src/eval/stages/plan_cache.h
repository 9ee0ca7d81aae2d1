// The prepared formulas of one evaluator (prepared_formula.h): a bounded
// cache of outermost formulas with groups or references that the
// evaluator has met before. A formula is prepared the second time it
// comes, so that formulas evaluated once cost no preparation. Nothing is
// allocated before the first formula that could be prepared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <optional>
#include <string_view>

#include "eval/context.h"

namespace formel {

class PreparedFormula;

class PlanCache {
 public:
  // At most kPlans prepared formulas of at most kLongestFormula bytes
  // each. A plan holds under 100 bytes per byte of its formula (a call of
  // 500 empty arguments comes nearest), so a full cache stays under 2 MB;
  // the formulas of a table's records take a few hundred bytes each (the
  // benchmark measures a full cache of such).
  static constexpr std::size_t kPlans = 32;
  static constexpr std::size_t kLongestFormula = 512;

  explicit PlanCache(std::pmr::memory_resource* heap) : heap_(heap) {}
  ~PlanCache();
  PlanCache(const PlanCache&) = delete;
  PlanCache& operator=(const PlanCache&) = delete;

  // The result of an outermost formula (shortcuts on; with a group or a
  // reference, at most kLongestFormula bytes) through its plan, or nullopt
  // when it has none (nothing done: the general way follows).
  std::optional<std::string_view> Evaluate(EvalContext& ctx, std::string_view formula);
  // Whether formula is that of the plan run last (a loop comes back to
  // it): nothing is done, nothing remembered.
  bool IsLast(std::string_view formula) const;
  // The same for a host's C text (null reads as ""), not measured first,
  // and whether that plan has a quick way: a loop with calls has none, so
  // it does not stop to look.
  enum class Last { kNo, kQuick, kUsual };
  Last Match(const char* formula) const;
  // That plan's result, as Evaluate gives it.
  std::string_view RunLast(EvalContext& ctx);
  // Its quick way (PreparedFormula::RunQuick), or nullopt; only where
  // Match gave kQuick.
  std::optional<std::string_view> RunLastQuick(EvalContext& ctx);

 private:
  struct Entry;
  struct Store;
  Store* Open();
  const PreparedFormula* LastPlan() const;  // null when none ran yet
  void Drop(Entry& e);
  std::string_view Run(EvalContext& ctx, Entry& e);

  std::pmr::memory_resource* heap_;
  Store* store_ = nullptr;
};

// An outermost formula through the evaluator's plans, or nullopt. A
// formula without a group or a reference has nothing to prepare: the test
// stays here, inline, where it costs a few steps over a short formula.
inline std::optional<std::string_view> PlannedResult(EvalContext& ctx, std::string_view formula) {
  if (ctx.evalDepth != 0 || ctx.GeneralPathOnly() || ctx.plans == nullptr ||
      formula.size() > PlanCache::kLongestFormula) {
    return std::nullopt;
  }
  constexpr std::size_t kShort = 16;  // a loop; longer, the library's search
  bool opens = false;
  if (formula.size() <= kShort) {
    for (std::size_t i = 0; i < formula.size() && !opens; ++i) opens = formula[i] == '[' || formula[i] == '(';
  } else {
    opens = std::memchr(formula.data(), '[', formula.size()) != nullptr ||
            std::memchr(formula.data(), '(', formula.size()) != nullptr;
  }
  if (!opens) return std::nullopt;
  return ctx.plans->Evaluate(ctx, formula);
}

// Whether an outermost formula is the one whose plan ran last (a host's
// loop), and how that plan runs. It is only compared: it may lie
// anywhere, even in the workspace.
inline PlanCache::Last LastPlanned(const EvalContext& ctx, const char* formula) {
  if (ctx.evalDepth != 0 || ctx.GeneralPathOnly() || ctx.plans == nullptr) return PlanCache::Last::kNo;
  return ctx.plans->Match(formula);
}

}  // namespace formel
