#include "eval/shortcuts/plain_arithmetic.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <memory_resource>
#include <utility>

#include "eval/shortcuts/number_chain.h"
#include "eval/limits.h"
#include "eval/operators.h"
#include "text/numbers.h"

namespace formel {

namespace {

// The arithmetic operators are the first passes (the language's
// precedence), one byte each.
constexpr std::size_t kArithmeticPasses = 6;
static_assert(!IsArithmetic(kOperatorPasses[kArithmeticPasses].op));

// Byte classes: digit, point, or an arithmetic operator's bit (its pass,
// shifted past the first two).
constexpr unsigned kDigit = 1;
constexpr unsigned kPoint = 2;
constexpr unsigned kFirstOperator = 4;

constexpr unsigned OperatorBit(char c) {
  for (std::size_t i = 0; i < kArithmeticPasses; ++i) {
    if (kOperatorPasses[i].written[0] == c) return kFirstOperator << i;
  }
  return 0;
}

constexpr std::array<std::uint8_t, 256> kByteClass = [] {
  std::array<std::uint8_t, 256> classes{};
  for (char c = '0'; c <= '9'; ++c) classes[static_cast<unsigned char>(c)] = kDigit;
  classes['.'] = kPoint;
  for (std::size_t i = 0; i < kArithmeticPasses; ++i) {
    const char c = kOperatorPasses[i].written[0];
    classes[static_cast<unsigned char>(c)] = static_cast<std::uint8_t>(OperatorBit(c));
  }
  return classes;
}();

constexpr Op OpOf(char c) {
  for (std::size_t i = 0; i < kArithmeticPasses; ++i) {
    if (kOperatorPasses[i].written[0] == c) return kOperatorPasses[i].op;
  }
  return Op::kSubtract;
}

// The same as a byte's class not being 0, in a form the compiler
// vectorizes: "*" to "9" but ",", and "\\" and "^".
constexpr bool IsPlainArithmeticByteRange(char c) {
  return (c >= '*' && c <= '9' && c != ',') || c == '\\' || c == '^';
}
static_assert([] {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (IsPlainArithmeticByteRange(c) != (kByteClass[static_cast<unsigned char>(c)] != 0)) return false;
  }
  return true;
}());

bool OnlyPlainArithmeticBytes(std::string_view text) {
  std::size_t others = 0;
  for (const char c : text) others += !IsPlainArithmeticByteRange(c);
  return others == 0;
}

// The numbers of a level as the passes leave them: op[k] stands before
// number k (k >= 1), the first may have a "-" before it. read[k] is what a
// step reads from the number's text without its sign, length[k] that
// text's length: for a result, 0 until the end of the pass measures the
// text of written[k], its value (the steps of a run of one operator write
// texts that the next step replaces at once).
struct Terms {
  float* read = nullptr;
  float* written = nullptr;
  std::uint32_t* length = nullptr;
  char* op = nullptr;
  std::size_t count = 0;
  bool negativeFirst = false;
  float firstWritten = 0;  // the value whose text the first number is, once computed
  unsigned operators = 0;  // which operators stand in the text
  bool mayOutgrow = true;  // the text might grow past 4 MiB
  bool leadingBlank = false;  // blanks before the first number
};

// "-"? number (operator number)+ with nothing else, read into t (room for
// every number the body could hold). False when not so.
bool ReadTerms(std::string_view body, Terms& t) {
  t.negativeFirst = !body.empty() && body.front() == '-';
  std::size_t i = t.negativeFirst ? 1 : 0;
  std::size_t k = 0;
  char before = 0;
  for (;;) {
    const std::size_t from = i;
    i = ReadPlainNumber(body, i, t.read[k]);
    if (i == from) return false;  // no digit: a "-" before points alone reads as 0, not -0
    t.length[k] = static_cast<std::uint32_t>(i - from);
    t.op[k] = before;
    ++k;
    if (i == body.size()) break;
    before = body[i];
    const unsigned bit = kByteClass[static_cast<unsigned char>(before)];
    if (bit < kFirstOperator) return false;
    t.operators |= bit;
    ++i;
  }
  t.count = k;
  return k > 1;
}

enum class Step { kFailed, kWritten, kCompensated };

// The step of operator x between number i and the number behind it (its
// value right), which the caller then drops: number i becomes the result.
template <char kX>
[[gnu::always_inline]] inline Step Combine(Terms& t, std::size_t i, float right) {
  constexpr Op kOp = OpOf(kX);  // constant: a call would search the operator list at every step
  const bool first = i == 0;
  const bool minusTaken = !first && t.op[i] == '-';
  const float left = (first ? t.negativeFirst : minusTaken) ? -t.read[i] : t.read[i];
  const auto r = StepOn(kOp, left, right);
  if (!r) return Step::kFailed;
  Step step = Step::kWritten;
  if (first) {
    if (t.negativeFirst && t.leadingBlank) return Step::kFailed;  // its "-" taken as a sign
    t.negativeFirst = r->negative;
    t.firstWritten = r->written;
  } else {
    switch (FitBehindOperator(*r, minusTaken)) {
      case StepFit::kOutside: return Step::kFailed;
      case StepFit::kPlusBefore: {
        t.op[i] = '+';
        constexpr unsigned kPlusBit = OperatorBit('+');
        t.operators |= kPlusBit;
        step = Step::kCompensated;
        break;
      }
      case StepFit::kPlusMinusZero:
        // The byte more is not measured: only a text far from the limit may have it.
        if (t.mayOutgrow) return Step::kFailed;
        break;
      case StepFit::kAsItIs: break;
    }
  }
  t.read[i] = std::fabs(r->read);
  t.written[i] = r->written;
  t.length[i] = 0;
  return step;
}

// The text's length once a pass is done, the final blank included;
// measures the results that stand in it.
std::size_t TextLength(Terms& t) {
  std::size_t length = t.negativeFirst + t.count;  // the sign, the operators, the blank
  for (std::size_t k = 0; k < t.count; ++k) {
    if (t.length[k] == 0) t.length[k] = static_cast<std::uint32_t>(RealTextLength(std::fabs(t.written[k])));
    length += t.length[k];
  }
  return length;
}

// One pass: every occurrence of kX, left to right, the numbers kept packed
// at the front. Out of line: a long level spends its time in here, in a
// frame of its own.
template <char kX>
[[gnu::noinline]] bool Pass(Terms& t) {
  std::size_t kept = 1;
  for (std::size_t k = 1; k < t.count; ++k) {
    if (t.op[k] != kX) {
      t.read[kept] = t.read[k];
      t.written[kept] = t.written[k];
      t.length[kept] = t.length[k];
      t.op[kept] = t.op[k];
      ++kept;
      continue;
    }
    Step step = Combine<kX>(t, kept - 1, t.read[k]);
    // The "+" pass resumes at the "+" it wrote: the sum before it comes next.
    while (step == Step::kCompensated && kX == '+') {
      step = Combine<kX>(t, kept - 2, t.read[kept - 1]);
      --kept;
    }
    if (step == Step::kFailed) return false;
  }
  t.count = kept;
  // Past 4 MiB the passes end the evaluation. A step replaces at least
  // three bytes by at most a literal's, so a short level never gets there.
  return !t.mayOutgrow || TextLength(t) <= kMaxTextLength;
}

// Runs the pass of kX if kX stands in the text.
template <char kX>
bool PassIfNeeded(Terms& t) {
  constexpr unsigned kBit = OperatorBit(kX);
  return (t.operators & kBit) == 0 || Pass<kX>(t);
}

// The arithmetic passes in the order of the operator list.
template <std::size_t... I>
bool RunPassesInOrder(Terms& t, std::index_sequence<I...>) {
  return (PassIfNeeded<kOperatorPasses[I].written[0]>(t) && ...);
}

bool RunPasses(Terms& t) {
  return RunPassesInOrder(t, std::make_index_sequence<kArithmeticPasses>{});
}

// Room for the numbers of a short level on the stack, of a long one on
// the heap: one block, values first (the strictest alignment).
class TermStorage {
 public:
  static bool FitsInline(std::size_t count) { return count * kPerTerm <= kInlineBytes; }

  TermStorage(std::pmr::memory_resource* heap, std::size_t count) : heap_(heap) {
    bytes_ = count * kPerTerm;
    std::byte* room = FitsInline(count) ? inline_.data()
                                               : static_cast<std::byte*>(heap->allocate(bytes_));
    if (room != inline_.data()) block_ = room;
    terms.count = count;
    terms.read = reinterpret_cast<float*>(room);
    terms.written = terms.read + count;
    terms.length = reinterpret_cast<std::uint32_t*>(terms.written + count);
    terms.op = reinterpret_cast<char*>(terms.length + count);
  }
  ~TermStorage() {
    if (block_ != nullptr) heap_->deallocate(block_, bytes_);
  }
  TermStorage(const TermStorage&) = delete;
  TermStorage& operator=(const TermStorage&) = delete;

  Terms terms;

 private:
  std::pmr::memory_resource* heap_;
  std::byte* block_ = nullptr;
  std::size_t bytes_ = 0;
  static constexpr std::size_t kPerTerm = 2 * sizeof(float) + sizeof(std::uint32_t) + sizeof(char);
  static constexpr std::size_t kInlineBytes = 640;
  alignas(float) std::array<std::byte, kInlineBytes> inline_;
};

}  // namespace

std::optional<float> PlainTermsValue(const PlainTerms& terms) {
  Terms t;
  t.read = terms.read;
  t.written = terms.written;
  t.length = terms.length;
  t.op = terms.op;
  t.count = terms.count;
  t.negativeFirst = terms.negativeFirst;
  t.leadingBlank = terms.leadingBlank;
  // An operator's class is its bit.
  for (std::size_t k = 1; k < t.count; ++k) t.operators |= kByteClass[static_cast<unsigned char>(t.op[k])];
  t.mayOutgrow = terms.textLength + (t.count - 1) * kRealTextMax > kMaxTextLength;
  if (!RunPasses(t) || t.count != 1) return std::nullopt;
  return t.firstWritten;
}

bool IsPlainArithmeticByte(char c) { return kByteClass[static_cast<unsigned char>(c)] != 0; }

std::optional<std::string_view> PlainArithmetic(EvalContext& ctx, std::string_view text) {
  if (text.size() < 2 || text.back() != ' ') return std::nullopt;
  const auto value = PlainArithmeticValue(ctx, text.substr(0, text.size() - 1));
  if (!value) return std::nullopt;
  char* out = ctx.workspace.Reserve(kRealTextMax);
  const std::size_t n = FormatReal(*value, out);
  return std::string_view(ctx.workspace.Commit(n), n);
}

std::optional<float> PlainArithmeticValue(EvalContext& ctx, std::string_view body) {
  const unsigned first = body.empty() ? 0 : kByteClass[static_cast<unsigned char>(body.front())];
  if (!(first == kDigit || first == kPoint || (!body.empty() && body.front() == '-'))) {
    return std::nullopt;
  }
  const std::size_t textSize = body.size() + 1;  // the final blank
  const std::size_t room = body.size() / 2 + 1;  // numbers of one byte each
  // A long text is checked byte by byte before its room is taken from the
  // heap, so that one which is not arithmetic costs no memory.
  if (!TermStorage::FitsInline(room) && !OnlyPlainArithmeticBytes(body)) return std::nullopt;
  TermStorage storage(ctx.heap, room);
  Terms& t = storage.terms;
  if (!ReadTerms(body, t)) return std::nullopt;
  t.mayOutgrow = textSize + (t.count - 1) * kRealTextMax > kMaxTextLength;
  if (!RunPasses(t)) return std::nullopt;
  if (t.count != 1) return std::nullopt;
  return t.firstWritten;
}

}  // namespace formel
