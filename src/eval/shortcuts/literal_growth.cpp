#include "eval/shortcuts/literal_growth.h"

#include <algorithm>

#include "eval/literals.h"
#include "text/text.h"

namespace formel {

void LiteralGrowth::Track(const PassText& text, std::size_t leftCut, std::string_view result,
                          std::string_view literal) {
  if (!on_) return;
  const bool keptAsIs = StartsAndEndsWithQuote(result);
  const std::size_t end = text.Processed().size();
  if (keptAsIs || literal.empty() || leftCut + literal.size() != end) return;
  const bool quoted = literal.front() == kQuote;
  if (!quoted && op_ != Op::kConcat) return;  // a sum's number never grows
  grow_.Track(leftCut, end, TrimBlanks(result), quoted);
}

// Only blanks (or nothing) between the growing literal and the end of the
// processed part.
bool LiteralGrowth::BlanksBehind(const PassText& text) const {
  const Text& processed = text.Processed();
  if (grow_.End() > processed.size()) return false;
  return std::all_of(processed.begin() + static_cast<std::ptrdiff_t>(grow_.End()), processed.end(),
                     [](char c) { return c == ' '; });
}

// The value gains the right operand's value and keeps its form, so the new
// bytes go behind it (in a quoted literal, before its closing quote, with
// their quotes doubled). Declines whenever the longer value would take
// another form, which the general way then writes.
bool LiteralGrowth::Grow(PassText& text, std::size_t at, std::size_t leftCut, std::string_view right,
                         std::size_t rightCut, std::size_t& budget) {
  if (!grow_.Valid() || at != text.Processed().size() || leftCut != grow_.Begin() ||
      !BlanksBehind(text)) {
    return false;
  }
  if (op_ == Op::kAdd && (!grow_.Quoted() || !IsEnclosedInQuotes(right))) return false;
  more_.clear();
  AppendUnquoted(right, more_);
  if (!grow_.CanGrowBy(more_, IsArithmetic(op_))) return false;
  text.Skip(rightCut);
  text.Truncate(grow_.End());  // blanks before the operator belonged to the left operand
  if (grow_.Quoted()) {
    AppendToQuoted(text, more_);
  } else {
    text.Append(more_);
  }
  grow_.GrowBy(more_, text.Processed().size(), IsArithmetic(op_));
  budget -= FollowJoins(text, budget - 1);
  return true;
}

// more goes in before the closing quote of the growing literal, its quotes
// doubled.
void LiteralGrowth::AppendToQuoted(PassText& text, std::string_view more) {
  text.Truncate(text.Processed().size() - 1);  // the closing quote
  pending_.clear();
  AppendQuotesDoubled(more, pending_);
  pending_.push_back(kQuote);
  text.Append(pending_);
}

// After a step that grew a quoted literal ending the processed part: the
// next steps of a chain of "&" directly followed by a quoted literal that a
// delimiter ends. Each would cut the growing literal as its left operand
// (the scan jumps to its start and stops where the verified step stopped:
// the bytes before it have not changed) and that literal as the right one
// (from its opening quote to the delimiter behind its closing one, nothing
// dropped), and grow the literal by the right value when the form allows;
// they are taken here without the scans. A literal's inside is its value
// with every quote doubled, just as the growing literal holds it: the
// insides are gathered and go in before the closing quote at once.
// Returns the steps.
std::size_t LiteralGrowth::FollowJoins(PassText& text, std::size_t budget) {
  if (!joinsOn_ || op_ != Op::kConcat || !grow_.Valid() || !grow_.Quoted() ||
      grow_.End() != text.Processed().size()) {
    return 0;
  }
  std::size_t steps = 0;
  pending_.clear();
  std::string_view rest = text.Rest();
  std::size_t taken = 0;
  while (steps < budget && taken + 1 < rest.size() && rest[taken] == '&') {
    const std::string_view after = rest.substr(taken + 1);
    const std::size_t n = LeadingLiteral(after);
    if (n == 0 || n == after.size() || !IsOperandDelimiter(after[n])) break;
    const std::string_view inside = after.substr(1, n - 2);
    if (!grow_.CanGrowBy(inside, false)) break;  // decides alike on the value
    taken += 1 + n;
    pending_.append(inside);
    grow_.GrowBy(inside, 0, false);
    ++steps;
  }
  if (steps == 0) return 0;
  text.SkipRead(taken);
  text.Truncate(text.Processed().size() - 1);  // the closing quote
  pending_.push_back(kQuote);
  text.Append(pending_);
  grow_.GrowBy({}, text.Processed().size(), false);
  return steps;
}

}  // namespace formel
