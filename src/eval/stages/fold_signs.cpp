// Sign folding: "--" and "++" are "+", "-+" and "+-" are "-", applied until
// no two signs outside quoted literals stand side by side. Every rule keeps
// the parity of the minus signs in a run, so a run folds to "-" exactly when
// it holds an odd number of them; signs inside quotes are text and stay.
#include <bit>
#include <cstdint>
#include <cstring>

#include "eval/literals.h"
#include "text/bytes.h"
#include "eval/stages/stages.h"

namespace formel {

namespace {

bool IsSign(char c) { return c == '+' || c == '-'; }

// Walks text: sink.Keep(i) for a byte that stays, sink.Fold(from, to, minus)
// for the run of signs [from, to) that becomes one sign.
template <class Sink>
void ScanSignRuns(std::string_view text, Sink&& sink) {
  bool insideQuotes = false;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (!IsSign(c) || insideQuotes) {
      if (c == kQuote) insideQuotes = !insideQuotes;
      sink.Keep(i);
      ++i;
      continue;
    }
    const std::size_t from = i;
    bool minus = false;
    for (; i < text.size() && IsSign(text[i]); ++i) minus ^= text[i] == '-';
    sink.Fold(from, i, minus);
  }
}

struct FoldedText {
  std::string_view text;
  Text& out;
  void Keep(std::size_t i) { out.push_back(text[i]); }
  void Fold(std::size_t, std::size_t, bool minus) { out.push_back(minus ? '-' : '+'); }
};

// A kept byte, and a sign that stood alone, keep their origin; bytes kept
// in a row are carried over together.
class FoldedOrigins {
 public:
  FoldedOrigins(const Origins& in, Origins& out) : in_(in), out_(out) {}
  void Keep(std::size_t i) {
    if (i != from_ + length_) Flush();
    if (length_ == 0) from_ = i;
    ++length_;
  }
  void Fold(std::size_t from, std::size_t to, bool) {
    if (to - from == 1) return Keep(from);
    Flush();
    ++at_;
  }
  void Flush() {
    out_.Append(in_, from_, length_, at_);
    at_ += length_;
    length_ = 0;
  }

 private:
  const Origins& in_;
  Origins& out_;
  std::size_t at_ = 0;  // where the pending bytes go
  std::size_t from_ = 0;
  std::size_t length_ = 0;
};

[[gnu::noinline]] void FoldOrigins(std::string_view text, OriginTrack& track) {
  FoldedOrigins sink(*track.in, *track.out);
  ScanSignRuns(text, sink);
  sink.Flush();
}

}  // namespace

void FoldSigns(std::string_view text, Text& out, OriginTrack* track) {
  out.clear();
  out.reserve(text.size());
  ScanSignRuns(text, FoldedText{text, out});
  if (track != nullptr) FoldOrigins(text, *track);
}

namespace {

// 0x80 in every byte of w that is a sign.
std::uint64_t SignBytes(std::uint64_t w) { return BytesEqualTo(w, '+') | BytesEqualTo(w, '-'); }

}  // namespace

// Eight bytes at a time: formulas are long and mostly without sign pairs.
bool HasSignPair(std::string_view text) {
  bool previousSign = false;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, sizeof w);
      const std::uint64_t signs = SignBytes(w);
      if ((signs & (signs >> 8)) != 0 || (previousSign && (signs & 0x80) != 0)) return true;
      previousSign = (signs >> 63) != 0;
    }
  }
  for (; i < text.size(); ++i) {
    const bool sign = IsSign(text[i]);
    if (sign && previousSign) return true;
    previousSign = sign;
  }
  return false;
}

}  // namespace formel
