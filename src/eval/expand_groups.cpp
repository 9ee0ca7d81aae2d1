// Group and call expansion. Each balanced "(" ... ")" outside quoted
// literals (matched by nesting count, quotes ignored), left to right, is
// replaced by the literal of its value. The bytes before the "(" back to a
// name delimiter form the name: none makes a plain group, evaluated as a
// formula of its own; a name makes a call, whose arguments (split at commas
// outside quotes) are evaluated first and then handed to the host function.
#include <algorithm>
#include <array>
#include <vector>

#include "eval/literals.h"
#include "eval/pair_matching.h"
#include "eval/stages.h"
#include "formel.h"
#include "text/text.h"

namespace formel {

// Where each "(" of a formula closes. Built once for the outermost text:
// every group inside and every argument is a piece of that text, and a "("
// matched at or beyond the end of a piece is unmatched within it.
struct ParenIndex {
  std::string_view base;
  std::pmr::vector<std::uint32_t>& closeOf;

  ParenIndex(std::string_view text, std::pmr::vector<std::uint32_t>& storage,
             std::pmr::vector<std::uint32_t>& open)
      : base(text), closeOf(storage) {
    MatchPairs(text, '(', ')', closeOf, open);
  }

  bool Covers(std::string_view piece) const {
    return piece.data() >= base.data() && piece.data() + piece.size() <= base.data() + base.size();
  }

  // Index in piece of the ")" matching the "(" at index open, or npos.
  std::size_t CloseWithin(std::string_view piece, std::size_t open) const {
    const std::size_t offset = static_cast<std::size_t>(piece.data() - base.data());
    const std::uint32_t close = closeOf[offset + open];
    if (close == kUnmatched || close - offset >= piece.size()) return std::string_view::npos;
    return close - offset;
  }
};

namespace {

// The twelve bytes at which the scan for a name stops: the operand
// delimiters and the quote.
bool IsNameDelimiter(char c) {
  switch (c) {
    case '+': case '-': case '*': case '\\': case '/': case '=':
    case '<': case '>': case '&': case '^': case ' ': case kQuote:
      return true;
    default:
      return false;
  }
}

// Length of the raw name at the end of before: scanning leftward, blanks are
// passed until something else is met; then a delimiter ends the name.
std::size_t RawNameLength(std::string_view before) {
  if (before.empty()) return 0;
  std::size_t p = before.size();  // 1-based position scanned
  bool metNonBlank = false;
  for (;; --p) {
    const char c = before[p - 1];
    if (c != ' ') metNonBlank = true;
    if (p == 1 || (IsNameDelimiter(c) && metNonBlank)) break;
  }
  return IsNameDelimiter(before[p - 1]) ? before.size() - p : before.size();
}

using HostText = const char*;

HostText CallHost(FuncInfo f, const std::array<HostText, kMaxParams>& a) {
  const std::intptr_t id = f.callId;
  switch (f.paramCount) {
    case 0: return reinterpret_cast<HostText(FORMEL_CALL*)()>(id)();
    case 1: return reinterpret_cast<HostText(FORMEL_CALL*)(HostText)>(id)(a[0]);
    case 2: return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText)>(id)(a[0], a[1]);
    case 3:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText)>(id)(a[0], a[1], a[2]);
    case 4:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3]);
    case 5:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText)>(
          id)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText)>(id)(a[0], a[1], a[2], a[3], a[4], a[5]);
    case 7:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText)>(id)(a[0], a[1], a[2], a[3],
                                                                              a[4], a[5], a[6]);
    case 8:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    case 9:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
    default:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText, HostText, HostText)>(
          id)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
}

// Evaluates every argument (split at commas outside quotes, a final comma
// appended) into the argument slots, then calls the host function. The
// value is built at the write position the call started from. Arguments
// past the tenth are evaluated and dropped; an unregistered name (or call
// ID 0) gives the argument list itself, final comma included.
// Not inlined: its frame would otherwise sit in ExpandFrom's, which every
// level of nesting keeps on the stack, groups included.
[[gnu::noinline]] std::string_view ExpandCall(Library& lib, std::string_view name,
                                              std::string_view inside) {
  StringWorkspace& ws = lib.workspace;
  const StringWorkspace::Mark start = ws.Position();
  std::array<HostText, kMaxParams> slots;
  slots.fill("");
  std::size_t count = 0;
  std::size_t from = 0;
  bool insideQuotes = false;
  for (std::size_t i = 0; i <= inside.size(); ++i) {
    const char c = i < inside.size() ? inside[i] : ',';
    if (c == ',' && !insideQuotes) {
      const StringWorkspace::Mark before = ws.Position();
      const std::string_view value = EvaluateFormula(lib, inside.substr(from, i - from));
      if (count < kMaxParams) {
        slots[count] = value.data();
        ws.Keep();
      } else {
        ws.Rewind(before);
      }
      ++count;
      from = i + 1;
    } else if (c == kQuote) {
      insideQuotes = !insideQuotes;
    }
  }
  const FuncInfo f = LookUpFunction(lib, name);
  if (f.callId == 0) {
    ws.Rewind(start);
    char* list = ws.Reserve(inside.size() + 1);
    std::copy(inside.begin(), inside.end(), list);
    list[inside.size()] = ',';
    return {ws.Commit(inside.size() + 1), inside.size() + 1};
  }
  const HostText result = CallHost(f, slots);
  ws.Rewind(start);  // the host's text may lie above: Put copies it down
  const std::string_view value = View(result);
  return {ws.Put(value), value.size()};
}

void AppendTracked(std::string_view piece, Text& out, bool& insideQuotes) {
  for (const char c : piece) {
    if (c == kQuote) insideQuotes = !insideQuotes;
  }
  out.append(piece);
}

// Makes index the current paren index while it lives, restoring the one
// before (a host function may start an evaluation of a new text).
class CurrentIndex {
 public:
  CurrentIndex(Library& lib, ParenIndex* index) : lib_(lib), previous_(lib.parenIndex) {
    lib_.parenIndex = index;
  }
  ~CurrentIndex() { lib_.parenIndex = previous_; }
  CurrentIndex(const CurrentIndex&) = delete;
  CurrentIndex& operator=(const CurrentIndex&) = delete;

 private:
  Library& lib_;
  ParenIndex* previous_;
};

// Shows one replaced group or call (a call with its trimmed name) and the
// literal that replaces it. Its texts live in its own frame, not in the
// frame of the nesting levels.
[[gnu::noinline]] void TraceReplacement(Library& lib, std::string_view name, std::string_view group,
                                        std::string_view value) {
  Text called(&lib.heap);
  called.append(name).append(group);
  Text literal(&lib.heap);
  AppendLiteral(value, literal);
  lib.trace(lib.traceContext, lib.evalDepth, name.empty() ? "group" : "call", called, literal);
}

void ExpandFrom(Library& lib, const ParenIndex& index, std::string_view text, std::size_t next,
                Text& out) {
  bool insideQuotes = false;  // parity of the quotes in out
  std::size_t copied = 0;     // text before this is in out
  for (; next != std::string_view::npos; next = text.find('(', next)) {
    AppendTracked(text.substr(copied, next - copied), out, insideQuotes);
    copied = next;
    const std::size_t close = index.CloseWithin(text, next);
    if (insideQuotes || close == std::string_view::npos) {
      ++next;
      continue;
    }
    const std::string_view group = text.substr(next, close - next + 1);
    if (lib.evalDepth > kMaxNesting) {  // too deep: left as written
      AppendTracked(group, out, insideQuotes);
      copied = next = close + 1;
      continue;
    }
    const std::size_t rawLength = RawNameLength(out);
    const std::string_view name = TrimBlanks(std::string_view(out).substr(out.size() - rawLength));
    const std::string_view inside = group.substr(1, group.size() - 2);
    const StringWorkspace::Mark mark = lib.workspace.Position();
    const std::string_view value =
        name.empty() ? EvaluateFormula(lib, inside) : ExpandCall(lib, name, inside);
    if (lib.trace != nullptr) TraceReplacement(lib, name, group, value);
    const std::size_t literalStart = out.size() - rawLength;
    out.resize(literalStart);  // raw names hold no quotes: the parity stays
    AppendLiteral(value, out);
    LimitLength(out);
    for (std::size_t i = literalStart; i < out.size(); ++i) {
      if (out[i] == kQuote) insideQuotes = !insideQuotes;
    }
    lib.workspace.Rewind(mark);
    copied = next = close + 1;
  }
  out.append(text.substr(copied));
}

}  // namespace

namespace {

// Builds the paren index of a text that no index covers yet: the
// outermost formula, or one that a host function evaluates. Kept out of
// ExpandGroups' frame, which every level of nesting keeps on the stack.
[[gnu::noinline]] void ExpandWithNewIndex(Library& lib, std::string_view text, std::size_t first,
                                          Text& out) {
  if (lib.parenIndex == nullptr) {  // the outermost formula: the scratch is free
    ParenIndex index(text, lib.parenScratch, lib.openScratch);
    CurrentIndex current(lib, &index);
    ExpandFrom(lib, index, text, first, out);
    return;
  }
  std::pmr::vector<std::uint32_t> storage(&lib.heap);
  std::pmr::vector<std::uint32_t> open(&lib.heap);
  ParenIndex index(text, storage, open);
  CurrentIndex current(lib, &index);
  ExpandFrom(lib, index, text, first, out);
}

}  // namespace

void ExpandGroups(Library& lib, std::string_view text, Text& out) {
  out.clear();
  const std::size_t first = text.find('(');
  if (first == std::string_view::npos) {
    out.assign(text);
    return;
  }
  out.reserve(text.size() + 1);
  if (lib.parenIndex != nullptr && lib.parenIndex->Covers(text)) {
    ExpandFrom(lib, *lib.parenIndex, text, first, out);
    return;
  }
  ExpandWithNewIndex(lib, text, first, out);
}

}  // namespace formel
