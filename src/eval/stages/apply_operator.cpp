// One operator pass. Every occurrence of the operator outside quoted
// literals, left to right, is evaluated: the operands are cut out of the
// text by scanning outward to the nearest delimiter, base-suffixed integers
// among them are converted, and the stretch from the left operand to the
// right operand is replaced by the literal of the result. The text and its
// positions are those of PassText (eval/pass_text.h).
#include <cmath>

#include "eval/base_suffix.h"
#include "eval/literals.h"
#include "eval/observer/operand_findings.h"
#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/observer/pass_origins.h"
#include "eval/observer/value_findings.h"
#include "eval/pass_text.h"
#include "eval/shortcuts/literal_growth.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/stages/stages.h"
#include "text/numbers.h"
#include "text/text.h"

namespace formel {

namespace {

struct LeftCut {
  std::size_t cut;  // the left operand begins here
  bool minusTaken;  // the operand took over the "-" before it as its sign
};

struct RightCut {
  std::size_t cut;   // the kept rest begins here
  std::size_t skip;  // 1 when the byte behind the operator is dropped
};

class OperatorPass {
 public:
  OperatorPass(EvalContext& ctx, std::string_view input, const Operator& op, Text& out,
               OriginTrack* track)
      : ctx_(ctx), text_(input, out, ctx.quoteParity), written_(op.written), op_(op.op),
        operator_(op), origins_(track), shortcuts_(!ctx.GeneralPathOnly() && track == nullptr),
        growth_(ctx.heap, op.op, !ctx.GeneralPathAsked(), shortcuts_), right_(ctx.heap), result_(ctx.heap),
        literal_(ctx.heap), tail_(ctx.heap), leftValue_(ctx.heap), rightValue_(ctx.heap) {
    ctx.UseScratch();
  }

  void Run();

 private:
  void Keep(std::size_t upto);
  LeftCut ScanLeft(std::size_t at) const;
  std::size_t SkipQuoted(std::size_t j) const;
  RightCut ScanRight(std::size_t at) const;
  std::string_view Convert(std::string_view operand, char* buffer) const;
  void Compute(std::string_view left, std::string_view right);
  void ComputeOrdered(std::string_view left, std::string_view right);
  void WriteResult(bool minusTaken);
  void Splice(std::size_t leftCut, std::size_t rightCut);
  void ReportOperation(std::size_t at, std::size_t leftCut, std::size_t rightFrom);
  void InspectBlankCuts(std::size_t at, std::size_t leftCut, std::size_t rightCut);
  void ReportBlankCut(std::size_t from, std::size_t to, std::string_view operand,
                      std::string_view rest);
  void InspectValueBytes(std::size_t at, std::size_t signPos, std::string_view operation);

  EvalContext& ctx_;
  PassText text_;
  std::string_view written_;
  Op op_;
  const Operator& operator_;
  PassOrigins origins_;
  bool shortcuts_;  // number chains and runs of joins may run: general path not on, no origins kept
  LiteralGrowth growth_;
  Text right_;    // the right operand's bytes as cut
  Text result_;   // the operation's value
  Text literal_;  // the literal that replaces the operation
  Text tail_;     // a kept rest that begins inside the processed part
  Text leftValue_, rightValue_;  // the operands' values, for "="
  Reading reading_ = Reading::kAsWritten;  // how Compute took its operands
  bool compensated_ = false;               // WriteResult put a "+" before the result
};

void OperatorPass::Keep(std::size_t upto) {
  if (origins_.Kept()) [[unlikely]] origins_.Keep(text_, upto);
  text_.Keep(upto);
}

// Leftward from the operator: blanks are passed until something else is
// met; from there a delimiter outside quotes ends the operand. A "-" that
// ends it becomes the operand's sign; any other delimiter stays.
LeftCut OperatorPass::ScanLeft(std::size_t at) const {
  if (at == 0) return {0, false};
  const Text& out = text_.Processed();
  std::size_t j = at - 1;
  bool seen = false;
  char c = 0;
  for (;; --j) {
    j = growth_.ScanFrom(j);
    if (seen && text_.InsideQuotes(j)) j = SkipQuoted(j);
    c = out[j];
    if (c != ' ') seen = true;
    if ((IsOperandDelimiter(c) && !text_.InsideQuotes(j) && seen) || j == 0) break;
  }
  const bool minusTaken = j != 0 && c == '-';
  const std::size_t cut = IsOperandDelimiter(c) && c != '-' ? j + 1 : j;
  return {cut, minusTaken};
}

// Inside a quoted literal nothing ends an operand: from position j (inside
// quotes) on to the left, the scan may go straight to the literal's last
// quote before j, as every byte between has the same parity.
std::size_t OperatorPass::SkipQuoted(std::size_t j) const {
  const std::size_t quote = std::string_view(text_.Processed()).rfind(kQuote, j);
  return quote == std::string_view::npos || quote >= j ? j : quote;
}

// Rightward from the operator: the first non-blank byte may be a sign that
// belongs to the operand ("+" is dropped when it follows directly);
// otherwise a delimiter outside quotes, or the end, ends it.
RightCut OperatorPass::ScanRight(std::size_t at) const {
  const std::size_t length = text_.Length();
  std::size_t skip = 0;
  bool seen = false;
  bool inside = text_.InsideQuotes(at);
  for (std::size_t j = at + written_.size(); j < length; ++j) {
    const char c = text_.At(j);
    const bool first = c != ' ' && !seen;
    if (first) seen = true;
    const bool last = j + 1 == length;
    if (!last && first && (c == '+' || c == '-')) {
      if (c == '+') skip = 1;
    } else if ((IsOperandDelimiter(c) && !inside && seen) || last) {
      return {IsOperandDelimiter(c) ? j : j - 1, skip};
    }
    if (c == kQuote) inside = !inside;
  }
  return {length, skip};
}

// A base-suffixed integer operand becomes its decimal text.
std::string_view OperatorPass::Convert(std::string_view operand, char* buffer) const {
  const auto value = BaseSuffixValue(operand);
  if (!value) return operand;
  return {buffer, FormatInt(*value, buffer)};
}

void AppendReal(float value, Text& out) {
  char buffer[kRealTextMax];
  out.append(buffer, FormatReal(value, buffer));
}

// Notes in reading_ how it took the operands, for the findings.
void OperatorPass::Compute(std::string_view left, std::string_view right) {
  result_.clear();
  reading_ = Reading::kNumbers;
  switch (op_) {
    case Op::kAdd:
      if (left.empty()) {
        reading_ = Reading::kAsWritten;
        result_.append(right);
        return;
      }
      if (IsEnclosedInQuotes(left) && IsEnclosedInQuotes(right)) break;  // joined as texts
      AppendReal(Arithmetic(op_, OperandNumber(left), OperandNumber(right)), result_);
      return;
    case Op::kSubtract:
      if (left.empty()) {
        reading_ = Reading::kAsWritten;
        result_.push_back('-');
        result_.append(right);
        return;
      }
      [[fallthrough]];
    case Op::kPower: case Op::kDivide: case Op::kIntDivide: case Op::kMultiply:
      AppendReal(Arithmetic(op_, OperandNumber(left), OperandNumber(right)), result_);
      return;
    case Op::kConcat:
      break;
    case Op::kEqual:  // always as texts: "1.50" and "1.5" differ
      reading_ = Reading::kAsWritten;
      leftValue_.clear();
      AppendUnquoted(left, leftValue_);
      rightValue_.clear();
      AppendUnquoted(right, rightValue_);
      result_.push_back(leftValue_ == rightValue_ ? '1' : '0');
      return;
    default:
      ComputeOrdered(left, right);
      return;
  }
  reading_ = Reading::kAsWritten;  // a join
  AppendUnquoted(left, result_);
  AppendUnquoted(right, result_);
}

// The ordered comparisons: as numbers unless an operand is quoted, then
// as texts, quotes included.
void OperatorPass::ComputeOrdered(std::string_view left, std::string_view right) {
  bool holds = false;
  if (!IsEnclosedInQuotes(left) && !IsEnclosedInQuotes(right)) {
    const float x = ParseReal(left);
    const float y = ParseReal(right);
    holds = op_ == Op::kLess ? x < y : op_ == Op::kGreater ? x > y : op_ == Op::kLessEqual ? x <= y
          : op_ == Op::kGreaterEqual ? x >= y : x != y;
  } else {
    reading_ = Reading::kBytes;
    const int c = CompareBytes(left, right);
    holds = op_ == Op::kLess ? c < 0 : op_ == Op::kGreater ? c > 0 : op_ == Op::kLessEqual ? c <= 0
          : op_ == Op::kGreaterEqual ? c >= 0 : c != 0;
  }
  result_.push_back(holds ? '1' : '0');
}

// The literal of the result, in literal_. An arithmetic result that is
// infinite reads as 0; the "-" taken into the left operand stood between
// the text before it and the operand: a result that is not negative needs
// a "+" there.
void OperatorPass::WriteResult(bool minusTaken) {
  compensated_ = false;
  if (IsArithmetic(op_)) {
    if (result_.find("#INF") != Text::npos) result_.assign("0");
    if (minusTaken && !(ParseReal(result_) < 0)) {
      result_.insert(result_.begin(), '+');
      compensated_ = true;
    }
  }
  literal_.clear();
  AppendChargedLiteral(ctx_, result_, literal_);
}

// [leftCut, rightCut) becomes literal_.
void OperatorPass::Splice(std::size_t leftCut, std::size_t rightCut) {
  growth_.Drop();
  if (origins_.Kept()) [[unlikely]] origins_.Replace(text_, leftCut, rightCut, literal_.size());
  const std::size_t processed = text_.Processed().size();
  if (rightCut >= processed) {
    text_.Skip(rightCut);
    text_.Truncate(leftCut);
    text_.Append(literal_);
  } else {
    tail_.assign(text_.Processed(), rightCut);
    text_.Truncate(leftCut);
    text_.Append(literal_);
    text_.Append(tail_);
  }
}

// The operation at position at just computed, for the findings: its
// operands as Run cut them (the left one from leftCut, the right one from
// rightFrom on, in right_) and converted them, which nothing has changed
// since. Only when observed: the observer may be gone since the level began.
[[gnu::noinline]] void OperatorPass::ReportOperation(std::size_t at, std::size_t leftCut,
                                                     std::size_t rightFrom) {
  if (!ctx_.Observed()) return;
  const std::string_view out = text_.Processed();
  char leftDigits[kIntTextMax];
  char rightDigits[kIntTextMax];
  Operand left;
  left.written = TrimBlanks(out.substr(leftCut, at - leftCut));
  left.value = Convert(left.written, leftDigits);
  left.where = origins_.SpanAt(text_, static_cast<std::size_t>(left.written.data() - out.data()),
                               left.written.size());
  Operand right;
  right.written = TrimBlanks(right_);
  right.value = Convert(right.written, rightDigits);
  right.where = origins_.SpanAt(
      text_, rightFrom + static_cast<std::size_t>(right.written.data() - right_.data()), right.written.size());
  const Span operatorAt = origins_.SpanAt(text_, at, written_.size());
  Span whole;
  if (operatorAt.start >= 0 && (left.written.empty() || left.where.start >= 0) &&
      (right.written.empty() || right.where.start >= 0)) {
    whole.start = left.written.empty() ? operatorAt.start : left.where.start;
    whole.end = right.written.empty() ? operatorAt.end : right.where.end;
  }
  std::string_view wholeText;
  if (whole.start >= 0) {
    wholeText = ctx_.outermost.substr(static_cast<std::size_t>(whole.start),
                                      static_cast<std::size_t>(whole.end - whole.start));
  }
  const bool signed_ = !left.written.empty() && left.written.front() == '-';
  const std::size_t signPos = static_cast<std::size_t>(left.written.data() - out.data());
  const Span signAt = signed_ ? origins_.SpanAt(text_, signPos, 1) : Span{};
  InspectOperation(ctx_, {operator_, reading_, left, right, operatorAt, wholeText, whole, result_, signAt});
  FindingMessage composed;
  if (whole.start < 0) composed << left.written << written_ << right.written;
  const std::string_view operation = whole.start < 0 ? composed.View() : wholeText;
  InspectValueBytes(at, signed_ ? signPos : std::string_view::npos, operation);
  const bool joined = op_ == Op::kConcat || (op_ == Op::kAdd && reading_ == Reading::kAsWritten &&
                                             !left.written.empty());
  if (joined) InspectWrittenValue(ctx_, result_, "the joined text", operation, whole, true);
}

// An operator, or a "-" taken as the left operand's sign after the first
// byte of a value, that a value put in as formula text brought: that
// value was computed.
void OperatorPass::InspectValueBytes(std::size_t at, std::size_t signPos,
                                     std::string_view operation) {
  for (std::size_t i = 0; i < written_.size(); ++i) {
    const Origins::ValueByte byte = origins_.ValueAt(text_, at + i);
    if (byte.value != 0) return ReportComputedValue(ctx_, byte.value, written_, operation);
  }
  if (signPos == std::string_view::npos) return;
  const Origins::ValueByte sign = origins_.ValueAt(text_, signPos);
  if (sign.value != 0 && sign.offset > 0) ReportComputedValue(ctx_, sign.value, "-", operation);
}

// An operand that a blank ended while more of it follows beyond the
// blanks ("1 000+1": "+" adds 000, and the 1 stays in the text as it is).
void OperatorPass::InspectBlankCuts(std::size_t at, std::size_t leftCut, std::size_t rightCut) {
  if (!ctx_.Observed()) return;
  const std::string_view out = text_.Processed();
  const std::string_view left = TrimBlanks(out.substr(leftCut, at - leftCut));
  if (!left.empty() && leftCut > 0 && out[leftCut - 1] == ' ') {
    std::size_t k = leftCut - 1;
    while (k > 0 && out[k] == ' ') --k;
    if (!IsOperandDelimiter(out[k])) {
      std::size_t word = k;
      while (word > 0 && !IsOperandDelimiter(out[word - 1])) --word;
      const auto end = static_cast<std::size_t>(left.data() - out.data()) + left.size();
      ReportBlankCut(word, end, left, out.substr(word, k + 1 - word));
    }
  }
  const std::string_view right = TrimBlanks(right_);
  const std::size_t length = text_.Length();
  if (right.empty() || rightCut >= length || text_.At(rightCut) != ' ') return;
  std::size_t m = rightCut;
  while (m < length && text_.At(m) == ' ') ++m;
  if (m == length || IsOperandDelimiter(text_.At(m))) return;
  std::size_t end = m;
  while (end < length && !IsOperandDelimiter(text_.At(end))) ++end;
  Text rest(ctx_.heap);
  for (std::size_t j = m; j < end; ++j) rest.push_back(text_.At(j));
  const std::size_t start = rightCut - right_.size() + static_cast<std::size_t>(right.data() - right_.data());
  ReportBlankCut(start, end, right, rest);
}

void OperatorPass::ReportBlankCut(std::size_t from, std::size_t to, std::string_view operand,
                                  std::string_view rest) {
  const Span where = origins_.SpanAt(text_, from, to - from);
  FindingMessage message;
  message << "a blank ends the operand ";
  message.Quoted(operand) << ": ";
  message.Quoted(rest) << " beside it is no part of it and stays in the text";
  FindingMessage written;
  if (where.start < 0) written << operand;
  ReportFinding(ctx_, finding::kBlankInOperand, message.View(),
                where.start < 0 ? written.View()
                                : ctx_.outermost.substr(static_cast<std::size_t>(where.start),
                                                        to - from),
                where);
}

void OperatorPass::Run() {
  // Progress: every iteration either consumes the occurrence it found (the
  // cut spans the operator) or moves the search behind it. A replacement
  // can end in a new occurrence only in rare sign cases; the budget below
  // is a backstop that no formula reaches.
  std::size_t budget = 8 * text_.Length() + 64;
  std::size_t from = 0;
  for (std::size_t at = text_.Find(from, written_); at != std::string_view::npos && budget > 0;
       at = text_.Find(from, written_), --budget) {
    Keep(at);
    if (text_.InsideQuotes(at)) {
      from = at + written_.size();
      continue;
    }
    const LeftCut lc = ScanLeft(at);
    const RightCut rc = ScanRight(at);
    if (rc.cut < at + written_.size()) {  // the cut would keep the operator itself
      from = at + written_.size();
      continue;
    }
    char leftDigits[kIntTextMax];
    char rightDigits[kIntTextMax];
    const std::string_view left = Convert(
        TrimBlanks(std::string_view(text_.Processed()).substr(lc.cut, at - lc.cut)), leftDigits);
    right_.clear();
    const std::size_t rightFrom = at + written_.size() + rc.skip;
    for (std::size_t j = rightFrom; j < rc.cut; ++j) right_.push_back(text_.At(j));
    const std::string_view right = Convert(TrimBlanks(right_), rightDigits);
    if (op_ == Op::kSubtract && left.empty() && right.empty()) {  // a lone "-" stays
      from = at + 1;
      continue;
    }
    const std::size_t literalEnd = growth_.End();
    if (growth_.Grow(text_, at, lc.cut, right, rc.cut, budget)) {
      if (origins_.Kept()) [[unlikely]] origins_.Cut(literalEnd);  // the bytes behind it are new
      from = text_.Processed().size() - 1;
      continue;
    }
    Compute(left, right);
    if (origins_.Kept()) [[unlikely]] {
      ReportOperation(at, lc.cut, rightFrom);
      InspectBlankCuts(at, lc.cut, rc.cut);
    }
    WriteResult(lc.minusTaken);
    Splice(lc.cut, rc.cut);
    growth_.Track(text_, lc.cut, result_, literal_);
    // The "+" pass completes the sum it just wrote by resuming at its "+";
    // any other pass resumes at the literal's last byte.
    const std::size_t end = lc.cut + literal_.size();
    from = compensated_ && op_ == Op::kAdd ? lc.cut : end == 0 ? 0 : end - 1;
    if (shortcuts_ && !compensated_ && IsArithmetic(op_)) {
      const std::size_t steps = TakeNumberChain(text_, lc.cut, literal_, written_[0], op_, budget - 1);
      budget -= steps;
      if (steps > 0) from = text_.Processed().size() - 1;
    }
  }
  Keep(text_.Length());
}

}  // namespace

void ApplyOperator(EvalContext& ctx, std::string_view text, const Operator& op, Text& out,
                   bool signPair, OriginTrack* track) {
  if (!signPair) {
    OperatorPass(ctx, text, op, out, track).Run();
    return;
  }
  Text folded(ctx.heap);
  if (track == nullptr) {
    FoldSigns(text, folded);
    OperatorPass(ctx, folded, op, out, nullptr).Run();
    return;
  }
  Origins foldedOrigins(ctx.heap);
  OriginTrack fold{track->in, &foldedOrigins, track->scratch};
  FoldSigns(text, folded, &fold);
  OriginTrack pass{&foldedOrigins, track->out, track->scratch};
  OperatorPass(ctx, folded, op, out, &pass).Run();
}

}  // namespace formel
