#include "eval/plain_arithmetic.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <memory_resource>

#include "eval/number_chain.h"
#include "eval/stages.h"
#include "text/numbers.h"

namespace formel {

namespace {

constexpr std::array<char, 6> kPassOrder = {'^', '/', '\\', '*', '+', '-'};

// Byte classes: digit, point, or an operator's bit (its place in
// kPassOrder, shifted past the first two).
constexpr unsigned kDigit = 1;
constexpr unsigned kPoint = 2;
constexpr unsigned kFirstOperator = 4;

constexpr unsigned OperatorBit(char c) {
  for (std::size_t i = 0; i < kPassOrder.size(); ++i) {
    if (kPassOrder[i] == c) return kFirstOperator << i;
  }
  return 0;
}

constexpr std::array<std::uint8_t, 256> kByteClass = [] {
  std::array<std::uint8_t, 256> classes{};
  for (char c = '0'; c <= '9'; ++c) classes[static_cast<unsigned char>(c)] = kDigit;
  classes['.'] = kPoint;
  for (const char c : kPassOrder) {
    classes[static_cast<unsigned char>(c)] = static_cast<std::uint8_t>(OperatorBit(c));
  }
  return classes;
}();

constexpr Op OpOf(char c) {
  switch (c) {
    case '^': return Op::kPower;
    case '/': return Op::kDivide;
    case '\\': return Op::kIntDivide;
    case '*': return Op::kMultiply;
    case '+': return Op::kAdd;
    default: return Op::kSubtract;
  }
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
};

constexpr std::array<double, 16> kPowersOfTen = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// One number from text[i]: digits and points, at least one digit (a "-"
// before points alone reads as 0, not -0). Read as ParseReal reads it: the
// decimal rounded to double, then to float. With at most 15 digits and
// one point the digits are exact as a double and one division by an exact
// power of ten rounds as the full reading does; longer numbers and a
// second point take the full reading. Returns the index behind it, 0 when
// there is no digit.
std::size_t ReadNumber(std::string_view text, std::size_t i, float& value) {
  const std::size_t from = i;
  std::uint64_t digits = 0;  // wraps harmlessly past 15 digits: not used then
  std::size_t count = 0;     // of digits
  std::size_t points = 0;
  std::size_t decimals = 0;  // digits behind the point
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      ++count;
      decimals += points;
    } else if (c == '.') {
      ++points;
    } else {
      break;
    }
  }
  if (count == 0) return 0;
  if (count > 15 || points > 1) {
    value = ParseReal(text.substr(from, i - from));
  } else if (points == 0) {
    value = static_cast<float>(digits);  // below 1e15: no overflow
  } else {
    value = static_cast<float>(static_cast<double>(digits) / kPowersOfTen[decimals]);
  }
  return i;
}

// "-"? number (operator number)+ with nothing else, read into t (room for
// every number the body could hold). False when not so.
bool ReadTerms(std::string_view body, Terms& t) {
  t.negativeFirst = !body.empty() && body.front() == '-';
  std::size_t i = t.negativeFirst ? 1 : 0;
  std::size_t k = 0;
  char before = 0;
  for (;;) {
    const std::size_t from = i;
    i = ReadNumber(body, i, t.read[k]);
    if (i == 0) return false;
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

// What FormatReal writes for a value that is not whole (so below 2^23):
// its millionths rounded half to even. The product with 1e6 is exact in
// double (24 + 14 significant bits), and so are the rounding steps.
std::uint64_t Millionths(float magnitude) {
  const double millionths = static_cast<double>(magnitude) * 1e6;
  double rounded = std::floor(millionths);
  const double fraction = millionths - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2) != 0)) rounded += 1;
  return static_cast<std::uint64_t>(rounded);
}

std::size_t DigitCount(std::uint64_t v) {
  std::size_t n = 1;
  for (; v >= 10; v /= 10) ++n;
  return n;
}

// What a step reads from the text FormatReal writes for a value, sign
// excluded. A whole number's text is its exact digits, which read back as
// itself; any other's reads as the decimal its millionths make (see
// ReadNumber).
float ReadMagnitude(float value) {
  const float magnitude = std::fabs(value);
  if (magnitude == std::trunc(magnitude)) return magnitude;
  return static_cast<float>(static_cast<double>(Millionths(magnitude)) / 1e6);
}

// Whether that text, its sign included, reads as less than 0: not when its
// digits are all zero ("-0").
bool ReadsBelowZero(float value) { return value < 0 && static_cast<double>(-value) * 1e6 > 0.5; }

// The length of that text, sign excluded.
std::size_t MagnitudeLength(float value) {
  const float magnitude = std::fabs(value);
  if (magnitude == std::trunc(magnitude)) {
    if (magnitude < 1e15f) return DigitCount(static_cast<std::uint64_t>(magnitude));
    char text[kRealTextMax];
    return FormatReal(magnitude, text);
  }
  const std::uint64_t q = Millionths(magnitude);
  std::size_t length = DigitCount(q / 1000000);
  if (std::uint64_t decimals = q % 1000000; decimals != 0) {
    length += 7;  // the point and six decimals, less the trailing zeros
    for (; decimals % 10 == 0; decimals /= 10) --length;
  }
  return length;
}

enum class Step { kFailed, kWritten, kCompensated };

// The step of operator x between number i and the number behind it (its
// value right), which the caller then drops: number i becomes the result.
template <char kX>
Step Combine(Terms& t, std::size_t i, float right) {
  const bool first = i == 0;
  const bool minusTaken = !first && t.op[i] == '-';
  const float left = (first ? t.negativeFirst : minusTaken) ? -t.read[i] : t.read[i];
  float result = Arithmetic(OpOf(kX), left, right);
  if (std::isnan(result)) return Step::kFailed;
  if (std::isinf(result)) result = 0;  // an infinity's literal is "0"
  const bool negative = std::signbit(result);  // its literal starts with "-"
  Step step = Step::kWritten;
  if (first) {
    t.negativeFirst = negative;
    t.firstWritten = result;
  } else if (minusTaken && !ReadsBelowZero(result)) {
    if (negative) return Step::kFailed;  // "+-0": a sign pair
    t.op[i] = '+';
    t.operators |= OperatorBit('+');
    step = Step::kCompensated;
  } else if (negative && !minusTaken) {
    return Step::kFailed;  // a "-" behind another operator: a sign pair
  }
  t.read[i] = ReadMagnitude(result);
  t.written[i] = result;
  t.length[i] = 0;
  return step;
}

// The text's length once a pass is done, the final blank included;
// measures the results that stand in it.
std::size_t TextLength(Terms& t) {
  std::size_t length = t.negativeFirst + t.count;  // the sign, the operators, the blank
  for (std::size_t k = 0; k < t.count; ++k) {
    if (t.length[k] == 0) t.length[k] = static_cast<std::uint32_t>(MagnitudeLength(t.written[k]));
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
  return (t.operators & OperatorBit(kX)) == 0 || Pass<kX>(t);
}

bool RunPasses(Terms& t) {
  return PassIfNeeded<'^'>(t) && PassIfNeeded<'/'>(t) && PassIfNeeded<'\\'>(t) &&
         PassIfNeeded<'*'>(t) && PassIfNeeded<'+'>(t) && PassIfNeeded<'-'>(t);
}

// Room for the numbers of a short level on the stack, of a long one on
// the heap: one block, values first (the strictest alignment).
class TermStorage {
 public:
  TermStorage(std::pmr::memory_resource* heap, std::size_t count) : heap_(heap) {
    constexpr std::size_t kPerTerm = 2 * sizeof(float) + sizeof(std::uint32_t) + sizeof(char);
    bytes_ = count * kPerTerm;
    std::byte* room = bytes_ <= inline_.size() ? inline_.data()
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
  alignas(float) std::array<std::byte, 640> inline_;
};

}  // namespace

std::optional<std::string_view> PlainArithmetic(EvalContext& ctx, std::string_view text) {
  if (text.size() < 2 || text.back() != ' ' || !(IsDigit(text.front()) || text.front() == '-' ||
                                                 text.front() == '.')) {
    return std::nullopt;
  }
  const std::string_view body = text.substr(0, text.size() - 1);
  const std::size_t room = body.size() / 2 + 1;  // numbers of one byte each
  TermStorage storage(ctx.heap, room);
  Terms& t = storage.terms;
  if (!ReadTerms(body, t)) return std::nullopt;
  t.mayOutgrow = text.size() + (t.count - 1) * kRealTextMax > kMaxTextLength;
  if (!RunPasses(t)) return std::nullopt;
  if (t.count != 1) return std::nullopt;
  char* out = ctx.workspace.Reserve(kRealTextMax);
  const std::size_t n = FormatReal(t.firstWritten, out);
  return std::string_view(ctx.workspace.Commit(n), n);
}

}  // namespace formel
