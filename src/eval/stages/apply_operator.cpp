// One operator pass. Every occurrence of the operator outside quoted
// literals, left to right, is evaluated: the operands are cut out of the
// text by scanning outward to the nearest delimiter, base-suffixed integers
// among them are converted, and the stretch from the left operand to the
// right operand is replaced by the literal of the result.
//
// The text being rewritten is kept as a processed part (out) followed by the
// unread rest of the input. Each replacement only touches the end of the
// processed part, so a pass costs time in proportion to the text's length.
#include <cmath>
#include <vector>

#include "eval/base_suffix.h"
#include "eval/shortcuts/growing_literal.h"
#include "eval/literals.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/observer/operand_findings.h"
#include "eval/stages/stages.h"
#include "text/numbers.h"
#include "text/text.h"

namespace formel {

namespace {

struct LeftCut {
  std::size_t cut;  // last position kept before the operand
  bool minusTaken;  // the operand took over the "-" before it as its sign
};

struct RightCut {
  std::size_t cut;  // first position kept after the operand
  std::size_t skip;  // 1 when the byte behind the operator is dropped
};

class OperatorPass {
 public:
  OperatorPass(EvalContext& ctx, std::string_view input, const Operator& op, Text& out,
               OriginTrack* track)
      : ctx_(ctx), input_(input), written_(op.written), op_(op.op), operator_(op), out_(out),
        parity_(ctx.quoteParity), scratch_(ctx.heap), right_(ctx.heap), result_(ctx.heap),
        literal_(ctx.heap), tail_(ctx.heap), track_(track) {}

  void Run();

 private:
  std::size_t Length() const { return out_.size() + input_.size() - inPos_; }
  char At(std::size_t pos) const {
    return pos <= out_.size() ? out_[pos - 1] : input_[inPos_ + pos - out_.size() - 1];
  }
  bool InsideQuotes(std::size_t k) const { return quotesSeen_ && parity_[k] != 0; }
  std::size_t Find(std::size_t start) const;
  std::size_t FollowChain(std::size_t leftCut, std::size_t budget);
  void Flush(std::size_t upto);
  void Append(std::string_view text);
  void Truncate(std::size_t length);
  void KeepOrigins(std::size_t n);
  void CutOrigins(std::size_t length);
  void SpliceOrigins(std::size_t leftCut, std::size_t rightCut);
  LeftCut ScanLeft(std::size_t p) const;
  std::size_t SkipQuoted(std::size_t i) const;
  RightCut ScanRight(std::size_t p) const;
  std::string_view Convert(std::string_view operand, char* buffer) const;
  void Compute(std::string_view left, std::string_view right);
  float Number(std::string_view operand);
  void Splice(std::size_t leftCut, std::size_t rightCut);
  bool BlanksBehindLiteral() const;
  bool Grow(std::string_view right, std::size_t rightCut);
  void AppendToQuoted(std::string_view more);
  std::size_t FollowJoins(std::size_t budget);
  void TrackLiteral(std::size_t leftCut);
  Span SpanAt(std::size_t pos, std::size_t n) const;
  void ReportOperation(std::size_t p, std::size_t leftCut, std::size_t rightFrom);

  EvalContext& ctx_;
  std::string_view input_;
  std::size_t inPos_ = 0;  // input_[inPos_] is the byte at position out_.size() + 1
  std::string_view written_;
  Op op_;
  const Operator& operator_;
  Text& out_;
  // [k]: quotes in out_[0, k) odd. Kept only once out_ has held a quote:
  // before, every parity is even and a pass costs no byte per byte for it.
  std::pmr::vector<std::uint8_t>& parity_;
  bool quotesSeen_ = false;
  Text scratch_, right_, result_, literal_, tail_;
  GrowingLiteral grow_;
  OriginTrack* track_;  // origins of input_ (in) and of out_ (out), while observed
  Reading reading_ = Reading::kAsWritten;  // how Compute took its operands
};

std::size_t OperatorPass::Find(std::size_t start) const {
  if (start < 1) start = 1;
  const std::size_t n = written_.size();
  const std::size_t length = Length();
  for (std::size_t pos = start; pos <= out_.size(); ++pos) {
    std::size_t j = 0;
    while (j < n && pos + j <= length && At(pos + j) == written_[j]) ++j;
    if (j == n) return pos;
  }
  const std::size_t from = std::max(start, out_.size() + 1) - out_.size() - 1 + inPos_;
  if (from > input_.size()) return 0;
  const std::size_t at = input_.find(written_, from);
  return at == std::string_view::npos ? 0 : out_.size() + 1 + (at - inPos_);
}

void OperatorPass::Append(std::string_view text) {
  const std::size_t from = out_.size();
  out_.append(text);
  if (!quotesSeen_) {
    if (text.find(kQuote) == std::string_view::npos) return;
    quotesSeen_ = true;
    parity_.assign(from + 1, 0);
  }
  parity_.resize(from + text.size() + 1);
  // The parity is the same from one quote to the next: fill it stretch by stretch.
  std::uint8_t odd = parity_[from];
  std::uint8_t* parity = parity_.data() + from + 1;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t quote = std::min(text.find(kQuote, i), text.size());
    std::fill(parity + i, parity + quote, odd);
    if (quote == text.size()) break;
    odd ^= 1;
    parity[quote] = odd;
    i = quote + 1;
  }
}

void OperatorPass::Flush(std::size_t upto) {
  if (upto <= out_.size()) return;
  const std::size_t n = upto - out_.size();
  if (track_ != nullptr) [[unlikely]] KeepOrigins(n);
  Append(input_.substr(inPos_, n));
  inPos_ += n;
}

// The next n bytes of the input go to the processed part as they are.
[[gnu::noinline]] void OperatorPass::KeepOrigins(std::size_t n) {
  track_->out->Append(*track_->in, inPos_, n, out_.size());
}

[[gnu::noinline]] void OperatorPass::CutOrigins(std::size_t length) { track_->out->Truncate(length); }

void OperatorPass::Truncate(std::size_t length) {
  out_.resize(length);
  if (quotesSeen_) parity_.resize(length + 1);
}

// Leftward from the operator: blanks are passed until something else is
// met; from there a delimiter outside quotes ends the operand. A "-" that
// ends it becomes the operand's sign; any other delimiter stays.
LeftCut OperatorPass::ScanLeft(std::size_t p) const {
  if (p == 1) return {0, false};
  std::size_t i = p - 1;
  bool seen = false;
  char c = 0;
  for (;; --i) {
    if (grow_.Valid() && i == grow_.End() && i > grow_.Begin() + 1) i = grow_.Begin() + 1;
    if (seen && InsideQuotes(i - 1)) i = SkipQuoted(i);
    c = out_[i - 1];
    if (c != ' ') seen = true;
    if ((IsOperandDelimiter(c) && !InsideQuotes(i - 1) && seen) || i == 1) break;
  }
  const bool minusTaken = i != 1 && c == '-';
  const std::size_t cut = IsOperandDelimiter(c) && c != '-' ? i : i - 1;
  return {cut, minusTaken};
}

// Inside a quoted literal nothing ends an operand: from position i (inside
// quotes) on to the left, the scan may go straight to the literal's last
// quote before i, as every byte between has the same parity.
std::size_t OperatorPass::SkipQuoted(std::size_t i) const {
  const std::size_t quote = std::string_view(out_).rfind(kQuote, i - 1);
  return quote == std::string_view::npos || quote + 1 >= i ? i : quote + 1;
}

// Rightward from the operator: the first non-blank byte may be a sign that
// belongs to the operand ("+" is dropped when it follows directly);
// otherwise a delimiter outside quotes, or the end, ends it.
RightCut OperatorPass::ScanRight(std::size_t p) const {
  const std::size_t length = Length();
  std::size_t skip = 0;
  bool seen = false;
  bool inside = InsideQuotes(p - 1);
  for (std::size_t i = p + written_.size(); i <= length; ++i) {
    const char c = At(i);
    const bool first = c != ' ' && !seen;
    if (first) seen = true;
    if (i != length && first && (c == '+' || c == '-')) {
      if (c == '+') skip = 1;
    } else if ((IsOperandDelimiter(c) && !inside && seen) || i == length) {
      return {IsOperandDelimiter(c) ? i : i - 1, skip};
    }
    if (c == kQuote) inside = !inside;
  }
  return {length + 1, skip};
}

// A base-suffixed integer operand becomes its decimal text.
std::string_view OperatorPass::Convert(std::string_view operand, char* buffer) const {
  const auto value = BaseSuffixValue(operand);
  if (!value) return operand;
  return {buffer, FormatInt(*value, buffer)};
}

// The number an operand reads as: that of its value. A quoted literal's
// inside is read without halving its doubled quotes first: the reading
// stops before the first quote anyway.
float OperatorPass::Number(std::string_view operand) {
  const std::string_view t = TrimBlanks(operand);
  return ParseReal(IsQuotedView(t) ? t.substr(1, t.size() - 2) : t);
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
    case Op::kPower: case Op::kDivide: case Op::kIntDivide: case Op::kMultiply:
      return AppendReal(Arithmetic(op_, Number(left), Number(right)), result_);
    case Op::kAdd:
      if (left.empty()) return reading_ = Reading::kAsWritten, result_.append(right), void();
      if (IsQuotedView(left) && IsQuotedView(right)) {
        reading_ = Reading::kAsWritten;
        AppendUnquoted(left, result_);
        return AppendUnquoted(right, result_);
      }
      return AppendReal(Arithmetic(op_, Number(left), Number(right)), result_);
    case Op::kSubtract:
      if (left.empty()) {
        reading_ = Reading::kAsWritten;
        return result_.push_back('-'), result_.append(right), void();
      }
      return AppendReal(Arithmetic(op_, Number(left), Number(right)), result_);
    case Op::kConcat:
      reading_ = Reading::kAsWritten;
      AppendUnquoted(left, result_);
      return AppendUnquoted(right, result_);
    case Op::kEqual:  // always as texts: "1.50" and "1.5" differ
      reading_ = Reading::kAsWritten;
      scratch_.clear();
      AppendUnquoted(left, scratch_);
      literal_.clear();  // free until the result is post-processed
      AppendUnquoted(right, literal_);
      return result_.push_back(scratch_ == literal_ ? '1' : '0');
    default: break;
  }
  // The ordered comparisons: as numbers unless an operand is quoted, then
  // as texts, quotes included.
  bool holds = false;
  if (!IsQuotedView(left) && !IsQuotedView(right)) {
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

void OperatorPass::Splice(std::size_t leftCut, std::size_t rightCut) {
  grow_.Drop();
  if (track_ != nullptr) [[unlikely]] SpliceOrigins(leftCut, rightCut);
  const std::size_t outLength = out_.size();
  if (rightCut > outLength) {
    inPos_ += rightCut - outLength - 1;
    Truncate(leftCut);
    Append(literal_);
  } else {  // the kept rest begins inside the processed part
    tail_.assign(out_, rightCut - 1);
    Truncate(leftCut);
    Append(literal_);
    Append(tail_);
  }
}

// The origins of the processed part as Splice leaves it: the literal has
// none, a rest kept from the processed part keeps its own.
[[gnu::noinline]] void OperatorPass::SpliceOrigins(std::size_t leftCut, std::size_t rightCut) {
  const std::size_t outLength = out_.size();
  const std::size_t tail = rightCut > outLength ? 0 : outLength - (rightCut - 1);
  track_->scratch->Clear();
  track_->scratch->Append(*track_->out, rightCut - 1, tail, 0);
  track_->out->Truncate(leftCut);
  track_->out->Append(*track_->scratch, 0, tail, leftCut + literal_.size());
}

// After a replacement: notes the literal just written at the end of the
// processed part when a longer value could grow it in place.
void OperatorPass::TrackLiteral(std::size_t leftCut) {
  if (ctx_.GeneralPathOnly()) return;
  const bool keptAsIs = !result_.empty() && result_.front() == kQuote && result_.back() == kQuote;
  if (keptAsIs || literal_.empty() || leftCut + literal_.size() != out_.size()) return;
  const bool quoted = literal_.front() == kQuote;
  if (!quoted && op_ != Op::kConcat) return;  // a sum's number never grows
  grow_.Track(leftCut, out_.size(), TrimBlanks(result_), quoted);
}

// The next step of a chain whose left operand is the growing literal: the
// value gains the right operand's value and keeps its form, so the new
// bytes go behind it (in a quoted literal, before its closing quote, with
// their quotes doubled). Declines (false) whenever the longer value would
// take another form, which the general way then writes.
// Only blanks (or nothing) between the growing literal and the end of the
// processed part.
bool OperatorPass::BlanksBehindLiteral() const {
  if (grow_.End() > out_.size()) return false;
  for (std::size_t i = grow_.End(); i < out_.size(); ++i) {
    if (out_[i] != ' ') return false;
  }
  return true;
}

bool OperatorPass::Grow(std::string_view right, std::size_t rightCut) {
  if (op_ == Op::kAdd && (!grow_.Quoted() || !IsQuotedView(right))) return false;
  scratch_.clear();
  AppendUnquoted(right, scratch_);
  const std::string_view more = scratch_;
  if (!grow_.CanGrowBy(more, IsArithmetic(op_))) return false;
  inPos_ += rightCut - out_.size() - 1;
  if (track_ != nullptr) [[unlikely]] CutOrigins(grow_.End());
  Truncate(grow_.End());  // blanks before the operator belonged to the left operand
  if (grow_.Quoted()) {
    AppendToQuoted(more);
  } else {
    Append(more);
  }
  grow_.GrowBy(more, out_.size(), IsArithmetic(op_));
  return true;
}

// After a step that wrote a plain number at the end of the processed part,
// the following steps of a run of the same operator between plain numbers
// (see number_chain.h), taken on the values; their last result is written
// where each of theirs would have been. Not with an observer: its reports
// come from the general way, which the chain must equal. Returns the steps.
std::size_t OperatorPass::FollowChain(std::size_t leftCut, std::size_t budget) {
  const bool atStart = leftCut == 0;
  if (ctx_.GeneralPathOnly() || leftCut + literal_.size() != out_.size() ||
      inPos_ >= input_.size() || input_[inPos_] != written_[0] ||
      !(IsUnsignedDecimal(literal_) || (atStart && IsSignedDecimal(literal_)))) {
    return 0;
  }
  const ChainEnd end =
      FollowNumberChain(input_, inPos_, written_[0], op_, ParseReal(literal_), atStart, budget);
  if (end.steps == 0) return 0;
  inPos_ = end.at;
  Truncate(leftCut);
  char text[kRealTextMax];
  Append({text, FormatReal(end.value, text)});
  return end.steps;
}

// more goes in before the closing quote of the growing literal, its quotes
// doubled.
void OperatorPass::AppendToQuoted(std::string_view more) {
  Truncate(out_.size() - 1);  // the closing quote
  tail_.clear();               // free outside Splice
  for (std::size_t from = 0; from < more.size();) {  // stretch by stretch
    const std::size_t quote = std::min(more.find(kQuote, from), more.size());
    tail_.append(more.substr(from, quote - from));
    if (quote < more.size()) tail_.append(2, kQuote);
    from = quote + 1;
  }
  tail_.push_back(kQuote);
  Append(tail_);
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
// insides are gathered and go in before the closing quote at once. Not
// with an observer, like the number runs. Returns the steps.
std::size_t OperatorPass::FollowJoins(std::size_t budget) {
  if (ctx_.GeneralPathOnly() || op_ != Op::kConcat || !grow_.Valid() ||
      !grow_.Quoted() || grow_.End() != out_.size()) {
    return 0;
  }
  std::size_t steps = 0;
  tail_.clear();  // free outside Splice
  while (steps < budget && inPos_ + 1 < input_.size() && input_[inPos_] == '&') {
    const std::string_view rest = input_.substr(inPos_ + 1);
    const std::size_t n = LeadingLiteral(rest);
    if (n == 0 || n == rest.size() || !IsOperandDelimiter(rest[n])) break;
    const std::string_view inside = rest.substr(1, n - 2);
    if (!grow_.CanGrowBy(inside, false)) break;  // decides alike on the value
    inPos_ += 1 + n;
    tail_.append(inside);
    grow_.GrowBy(inside, 0, false);
    ++steps;
  }
  if (steps == 0) return 0;
  Truncate(out_.size() - 1);  // the closing quote
  tail_.push_back(kQuote);
  Append(tail_);
  grow_.GrowBy({}, out_.size(), false);
  return steps;
}

// Where bytes [pos, pos + n) of the text (1-based, processed part and
// unread rest together) stand in the outermost formula.
Span OperatorPass::SpanAt(std::size_t pos, std::size_t n) const {
  if (track_ == nullptr || n == 0) return {};
  const std::size_t processed = out_.size();
  const std::size_t end = pos + n;  // behind the last byte
  if (end <= processed + 1) return formel::SpanAt(track_->out->Find(pos - 1, n), n);
  const std::size_t rest = inPos_ + (std::max(pos, processed + 1) - processed - 1);
  const std::size_t inRest = end - std::max(pos, processed + 1);
  const std::ptrdiff_t restStart = track_->in->Find(rest, inRest);
  if (pos > processed) return formel::SpanAt(restStart, n);
  const std::size_t inProcessed = processed + 1 - pos;
  const std::ptrdiff_t start = track_->out->Find(pos - 1, inProcessed);
  const bool inARow = start >= 0 && restStart == start + static_cast<std::ptrdiff_t>(inProcessed);
  return formel::SpanAt(inARow ? start : -1, n);
}

// The operation at p just computed, for the findings: its operands as Run
// cut them (the left one behind leftCut, the right one from rightFrom on,
// in right_) and converted them, which nothing has changed since. Only
// when observed: the observer may be gone since the level began.
[[gnu::noinline]] void OperatorPass::ReportOperation(std::size_t p, std::size_t leftCut,
                                                     std::size_t rightFrom) {
  if (!ctx_.Observed()) return;
  char leftDigits[kIntTextMax];
  char rightDigits[kIntTextMax];
  Operand left;
  left.written = TrimBlanks(std::string_view(out_).substr(leftCut, p - 1 - leftCut));
  left.value = Convert(left.written, leftDigits);
  const auto leftAt = static_cast<std::size_t>(left.written.data() - out_.data()) + 1;
  left.where = SpanAt(leftAt, left.written.size());
  Operand right;
  right.written = TrimBlanks(right_);
  right.value = Convert(right.written, rightDigits);
  const auto rightAt = rightFrom + static_cast<std::size_t>(right.written.data() - right_.data());
  right.where = SpanAt(rightAt, right.written.size());
  const Span operatorAt = SpanAt(p, written_.size());
  Span whole;
  if (operatorAt.start >= 0 && (left.written.empty() || left.where.start >= 0) &&
      (right.written.empty() || right.where.start >= 0)) {
    whole.start = left.written.empty() ? operatorAt.start : left.where.start;
    whole.end = right.written.empty() ? operatorAt.end : right.where.end;
  }
  std::string_view text;
  if (whole.start >= 0) {
    text = ctx_.outermost.substr(static_cast<std::size_t>(whole.start),
                                 static_cast<std::size_t>(whole.end - whole.start));
  }
  InspectOperation(ctx_, {operator_, reading_, left, right, operatorAt, text, whole, result_});
}

void OperatorPass::Run() {
  out_.clear();
  out_.reserve(input_.size());
  parity_.clear();
  // Progress: every iteration either consumes the occurrence it found (the
  // cut spans the operator) or moves the search behind it. A replacement
  // can end in a new occurrence only in rare sign cases; the budget below
  // is a backstop that no formula reaches.
  std::size_t budget = 8 * input_.size() + 64;
  std::size_t start = 1;
  for (std::size_t p = Find(start); p != 0 && budget > 0; p = Find(start), --budget) {
    Flush(p - 1);
    if (InsideQuotes(p - 1)) {
      start = p + written_.size();
      continue;
    }
    const LeftCut lc = ScanLeft(p);
    const RightCut rc = ScanRight(p);
    if (rc.cut < p + written_.size()) {  // the cut would keep the operator itself
      start = p + written_.size();
      continue;
    }
    char leftDigits[kIntTextMax];
    char rightDigits[kIntTextMax];
    const std::string_view left =
        Convert(TrimBlanks(std::string_view(out_).substr(lc.cut, p - 1 - lc.cut)), leftDigits);
    right_.clear();
    const std::size_t rightFrom = p + written_.size() + rc.skip;
    for (std::size_t i = rightFrom; i < rc.cut; ++i) right_.push_back(At(i));
    const std::string_view right = Convert(TrimBlanks(right_), rightDigits);
    if (op_ == Op::kSubtract && left.empty() && right.empty()) {  // a lone "-" stays
      start = p + 1;
      continue;
    }
    const bool chained = (op_ == Op::kConcat || op_ == Op::kAdd) && grow_.Valid() &&
                         p == out_.size() + 1 && lc.cut == grow_.Begin() && BlanksBehindLiteral();
    if (chained && Grow(right, rc.cut)) {
      budget -= FollowJoins(budget - 1);
      start = out_.size();
      continue;
    }
    Compute(left, right);
    if (track_ != nullptr) [[unlikely]] ReportOperation(p, lc.cut, rightFrom);
    bool compensated = false;
    if (IsArithmetic(op_)) {
      if (result_.find("#INF") != Text::npos) result_.assign("0");  // infinities read as 0
      // The "-" taken into the left operand stood between the text before it
      // and the operand: a result that is not negative needs a "+" there.
      if (lc.minusTaken && !(ParseReal(result_) < 0)) {
        result_.insert(result_.begin(), '+');
        compensated = true;
      }
    }
    literal_.clear();
    AppendChargedLiteral(ctx_, result_, literal_);
    Splice(lc.cut, rc.cut);
    if (op_ == Op::kConcat || op_ == Op::kAdd) TrackLiteral(lc.cut);
    // The "+" pass completes the sum it just wrote by resuming at its "+".
    start = compensated && op_ == Op::kAdd ? lc.cut + 1 : lc.cut + literal_.size();
    if (!compensated && IsArithmetic(op_)) {
      const std::size_t steps = FollowChain(lc.cut, budget - 1);
      budget -= steps;
      if (steps > 0) start = out_.size();
    }
  }
  Flush(Length());
}

}  // namespace

void ApplyOperator(EvalContext& ctx, std::string_view text, const Operator& op, Text& out) {
  ApplyOperator(ctx, text, op, out, HasSignPair(text));
}

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
