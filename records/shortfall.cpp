#include "records/shortfall.h"

#include <string_view>
#include <utility>

namespace formel_records {

namespace {

std::string_view ViewOf(formel_text text) { return {text.data, text.size}; }

void NoteLimitsOnly(void* notes, const formel_event* e) noexcept {
  try {
    NoteLimits(*static_cast<LimitNotes*>(notes), *e);
  } catch (...) {  // out of memory: the message names no limit
  }
}

}  // namespace

void NoteLimits(LimitNotes& notes, const formel_event& e) {
  const std::string_view name = ViewOf(e.name);
  if (e.kind == FORMEL_EVENT_STAGE && e.depth == 1 && name == "result") notes.reachedResult = true;
  if (e.kind != FORMEL_EVENT_FINDING || (name != "length-limit" && name != "quoting-limit")) return;
  notes.limit = name;
  notes.longValue = ViewOf(e.before);  // the reference, when a value alone was too long
}

Shortfall ShortfallFrom(const LimitNotes& notes, const std::string& formula) {
  if (notes.reachedResult) return Shortfall::kNone;
  if (notes.limit == "quoting-limit") return Shortfall::kQuoting;
  if (notes.limit != "length-limit") return Shortfall::kOutOfMemory;
  // With its final blank, a formula of the limit's length is over it.
  if (formula.size() >= FORMEL_MAX_TEXT_LENGTH) return Shortfall::kFormulaTooLong;
  return notes.longValue.empty() ? Shortfall::kResultTooLong : Shortfall::kValueTooLong;
}

Shortfall ShortfallOf(formel_evaluator* ev, const std::string& formula, std::string& longValue) {
  LimitNotes notes;
  formel_set_observer(ev, &NoteLimitsOnly, &notes);
  formel_evaluate(ev, formula.c_str());
  formel_set_observer(ev, nullptr, nullptr);
  const Shortfall shortfall = ShortfallFrom(notes, formula);
  longValue = std::move(notes.longValue);
  return shortfall;
}

std::string ShortfallMessage(Shortfall shortfall, const std::string& longValue) {
  switch (shortfall) {
    case Shortfall::kNone:
      return {};
    case Shortfall::kFormulaTooLong:
      return "formula longer than the text limit (4 MiB)";
    case Shortfall::kValueTooLong:
      return "value of " + longValue + " longer than the text limit (4 MiB)";
    case Shortfall::kResultTooLong:
      return "result longer than the text limit (4 MiB)";
    case Shortfall::kQuoting:
      return "result over the quoting allowance (the quotes of text literals: 1 MiB plus 4 bytes per formula byte)";
    case Shortfall::kOutOfMemory:
      break;
  }
  return "out of memory";
}

}  // namespace formel_records
