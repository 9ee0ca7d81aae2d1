// The formula driver: groups and calls, then variables, then the sixteen
// operator passes in their fixed order (the precedence of the language),
// then a last sign folding and the form of the result.
#include <array>
#include <bit>
#include <cstdint>

#include "eval/base_suffix.h"
#include "eval/literals.h"
#include "eval/stages.h"
#include "formel.h"
#include "frame/export_call.h"
#include "text/numbers.h"

namespace formel {

namespace {

// "/" runs before "*" and "+" before "-"; two-character comparisons before
// one-character ones, so that "<=" is never read as "<" and "=".
constexpr std::array<std::string_view, 16> kOperatorPasses = {
    "^", "/", "\\", "*", "+", "-", "&", "<>", "><", "<=", "=<", ">=", "=>", "<", ">", "="};

class DepthScope {
 public:
  explicit DepthScope(Library& lib) : lib_(lib) { ++lib_.evalDepth; }
  ~DepthScope() { --lib_.evalDepth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  Library& lib_;
};

// A pass runs only when its operator occurs at all (quotes not considered).
// The "+" pass also runs for a "--", which it folds into a "+" whose sum it
// then completes. One sweep finds every operator of the text: bit k stands
// for kOperatorPasses[k], and kDoubleMinus for "--".
constexpr std::uint32_t kDoubleMinus = 1u << 16;
constexpr std::uint32_t Bit(int pass) { return 1u << pass; }

std::uint32_t OperatorsPresent(std::string_view text) {
  std::uint32_t found = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char next = i + 1 < n ? text[i + 1] : '\0';
    switch (text[i]) {
      case '^': found |= Bit(0); break;
      case '/': found |= Bit(1); break;
      case '\\': found |= Bit(2); break;
      case '*': found |= Bit(3); break;
      case '+': found |= Bit(4); break;
      case '-': found |= Bit(5) | (next == '-' ? kDoubleMinus : 0); break;
      case '&': found |= Bit(6); break;
      case '<': found |= Bit(13) | (next == '>' ? Bit(7) : 0) | (next == '=' ? Bit(9) : 0); break;
      case '>': found |= Bit(14) | (next == '<' ? Bit(8) : 0) | (next == '=' ? Bit(11) : 0); break;
      case '=': found |= Bit(15) | (next == '<' ? Bit(10) : 0) | (next == '>' ? Bit(12) : 0); break;
      default: break;
    }
  }
  return found;
}

// The first pass from `from` on whose operator is present; 16 when none.
int NextPass(std::uint32_t present, int from) {
  std::uint32_t needed = present & 0xFFFFu;
  if ((present & kDoubleMinus) != 0) needed |= Bit(4);
  needed &= ~(Bit(from) - 1);
  return needed == 0 ? 16 : std::countr_zero(needed);
}

// A number form is written out: a base-suffixed integer in decimal (in
// digits), and one leading "+" dropped.
std::string_view FinishNumberForm(std::string_view text, char* digits) {
  if (const auto value = BaseSuffixValue(text)) text = {digits, FormatIntTo(*value, digits)};
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

// The result's value, written at the workspace write position.
std::string_view PutResult(StringWorkspace& ws, std::string_view literal) {
  char* out = ws.Reserve(literal.size());
  const std::size_t n = WriteUnquoted(literal, out);
  return {ws.Commit(n), n};
}

class Stages {
 public:
  explicit Stages(Library& lib) : lib_(lib), current_(&lib.heap), next_(&lib.heap) {}

  Text& Current() { return current_; }
  Text& Next() { return next_; }

  // Makes the text just built in Next() the current one.
  void Advance(std::string_view stage) { Advance(stage, current_); }
  void Advance(std::string_view stage, std::string_view before) {
    LimitLength(next_);
    if (lib_.trace != nullptr) lib_.trace(lib_.traceContext, lib_.evalDepth, stage, before, next_);
    current_.swap(next_);
  }

 private:
  Library& lib_;
  Text current_;
  Text next_;
};

}  // namespace

namespace {

// The stages after groups and calls. Kept out of EvaluateFormula's frame,
// which every level of nesting keeps on the stack.
[[gnu::noinline]] std::string_view FinishFormula(Library& lib, Stages& s, StringWorkspace::Mark start) {
  if (s.Current().find('[') != Text::npos) {
    SubstituteVariables(lib, s.Current(), s.Next());
    s.Advance("variables");
  }
  std::uint32_t present = OperatorsPresent(s.Current());
  for (int pass = NextPass(present, 0); pass < 16; pass = NextPass(present, pass + 1)) {
    const std::string_view op = kOperatorPasses[static_cast<std::size_t>(pass)];
    ApplyOperator(lib, s.Current(), op, s.Next());
    s.Advance(op);
    present = OperatorsPresent(s.Current());
  }
  if (HasSignPair(s.Current())) {
    FoldSigns(s.Current(), s.Next());
    s.Advance("signs");
  } else if (lib.trace != nullptr) {  // folding would change nothing
    lib.trace(lib.traceContext, lib.evalDepth, "signs", s.Current(), s.Current());
  }
  std::string_view text = TrimBlanks(s.Current());
  char digits[kIntTextMax];
  const bool quotedEnds = !text.empty() && text.front() == kQuote && text.back() == kQuote;
  if (!quotedEnds && IsNumberForm(text)) text = FinishNumberForm(text, digits);
  lib.workspace.Rewind(start);
  const std::string_view result = PutResult(lib.workspace, text);
  if (lib.trace != nullptr) lib.trace(lib.traceContext, lib.evalDepth, "result", text, result);
  return result;
}

}  // namespace

std::string_view EvaluateFormula(Library& lib, std::string_view formula) {
  DepthScope depth(lib);
  if (lib.evalDepth == 1) lib.quotingLeft = QuotingBudget(formula.size());
  const StringWorkspace::Mark start = lib.workspace.Position();
  Stages s(lib);
  ExpandGroups(lib, formula, s.Next());
  s.Next().push_back(' ');  // the operand scans end the last operand on it
  s.Advance("groups", formula);
  return FinishFormula(lib, s, start);
}

}  // namespace formel

extern "C" FORMEL_API const char* FORMEL_CALL Formel(const char* formula) {
  return formel::RunTextExport([&](formel::Library& lib, formel::CallScope& scope) {
    const formel::Text text = formel::CopyArgument(lib, formula);
    scope.StartBuilding();
    return formel::EvaluateFormula(lib, text).data();
  });
}
