#include "eval/stages/plan_cache.h"

#include <array>
#include <new>

#include "eval/context.h"
#include "eval/stages/prepared_formula.h"
#include "text/text.h"

namespace formel {

namespace {

std::uint64_t HashOf(std::string_view text) {
  std::uint64_t h = 14695981039346656037ull;
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

// Each entry a formula met twice: its plan, or none when it has no shape
// to prepare (then only its hash is kept). Formulas met once are only
// remembered by their hash.
struct PlanCache::Entry {
  std::uint64_t hash = 0;
  PreparedFormula* plan = nullptr;
  std::uint64_t lastUse = 0;
  bool used = false;
};

struct PlanCache::Store {
  std::array<Entry, kPlans> entries;
  std::array<std::uint64_t, 2 * kPlans> metOnce{};
  std::size_t nextMet = 0;
  std::uint64_t clock = 0;
  Entry* last = nullptr;  // the entry run last: a loop comes back to it
};

PlanCache::~PlanCache() {
  if (store_ == nullptr) return;
  for (Entry& e : store_->entries) Drop(e);
  store_->~Store();
  heap_->deallocate(store_, sizeof(Store), alignof(Store));
}

void PlanCache::Drop(Entry& e) {
  e.used = false;
  if (store_ != nullptr && store_->last == &e) store_->last = nullptr;
  if (e.plan == nullptr) return;
  e.plan->~PreparedFormula();
  heap_->deallocate(e.plan, sizeof(PreparedFormula), alignof(PreparedFormula));
  e.plan = nullptr;
}

// An evaluation that fails (out of memory, or a text past its limit) gives
// back what its plan holds, as every failed call gives back its memory.
std::string_view PlanCache::Run(EvalContext& ctx, Entry& e) {
  store_->last = &e;
  e.lastUse = ++store_->clock;
  try {
    return e.plan->Run(ctx);
  } catch (...) {
    Drop(e);
    throw;
  }
}

PlanCache::Store* PlanCache::Open() {
  if (store_ == nullptr) store_ = new (heap_->allocate(sizeof(Store), alignof(Store))) Store();
  return store_;
}

const PreparedFormula* PlanCache::LastPlan() const {
  return store_ == nullptr || store_->last == nullptr ? nullptr : store_->last->plan;
}

bool PlanCache::IsLast(std::string_view formula) const {
  const PreparedFormula* last = LastPlan();
  return last != nullptr && last->Formula() == formula;
}

// A plan's formula holds no zero byte (see Evaluate), as IsCText needs.
PlanCache::Last PlanCache::Match(const char* formula) const {
  const PreparedFormula* last = LastPlan();
  if (last == nullptr || !IsCText(last->Formula(), formula)) return Last::kNo;
  return last->MayRunQuick() ? Last::kQuick : Last::kUsual;
}

std::string_view PlanCache::RunLast(EvalContext& ctx) { return Run(ctx, *store_->last); }

std::optional<std::string_view> PlanCache::RunLastQuick(EvalContext& ctx) {
  Entry& e = *store_->last;
  e.lastUse = ++store_->clock;
  return e.plan->RunQuick(ctx);
}

std::optional<std::string_view> PlanCache::Evaluate(EvalContext& ctx, std::string_view formula) {
  if (IsLast(formula)) return RunLast(ctx);
  const std::uint64_t hash = HashOf(formula);
  Entry* oldest = nullptr;
  if (store_ != nullptr) {
    for (Entry& e : store_->entries) {
      if (e.used && e.hash == hash && (e.plan == nullptr || e.plan->Formula() == formula)) {
        if (e.plan == nullptr) return std::nullopt;
        return Run(ctx, e);
      }
      if (oldest == nullptr || !e.used || (oldest->used && e.lastUse < oldest->lastUse)) oldest = &e;
    }
  }
  // Out of memory while preparing: the general way goes on as if nothing
  // had been tried.
  try {
    Store* store = Open();
    bool metBefore = false;
    for (const std::uint64_t met : store->metOnce) metBefore |= met == hash;
    if (!metBefore) {
      store->metOnce[store->nextMet++ % store->metOnce.size()] = hash;
      return std::nullopt;
    }
    // A host's formula never holds one; a text that does is not kept.
    if (formula.find('\0') != std::string_view::npos) return std::nullopt;
    if (oldest == nullptr) oldest = &store->entries.front();
    Drop(*oldest);
    oldest->plan = new (heap_->allocate(sizeof(PreparedFormula), alignof(PreparedFormula)))
        PreparedFormula(heap_);
    const bool prepared = oldest->plan->Prepare(ctx, formula);
    if (!prepared) Drop(*oldest);  // only the hash stays
    oldest->hash = hash;
    oldest->used = true;
    oldest->lastUse = ++store->clock;
    if (!prepared) return std::nullopt;
  } catch (const std::bad_alloc&) {
    if (oldest != nullptr) Drop(*oldest);
    return std::nullopt;
  }
  return Run(ctx, *oldest);
}

}  // namespace formel
