#include "eval/observer/pair_findings.h"

#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "eval/observer/observer.h"

namespace formel {

namespace {

Span ByteAt(const OriginTrack* track, std::size_t at) {
  return SpanAt(track == nullptr ? -1 : track->in->Find(at, 1), 1);
}

}  // namespace

void ReportUnclosed(EvalContext& ctx, char opener, std::size_t at, const OriginTrack* track) {
  const bool paren = opener == '(';
  ReportFinding(ctx, paren ? finding::kUnclosedParen : finding::kUnclosedBracket,
                paren ? "\"(\" has no partner \")\": it stays in the text"
                      : "\"[\" has no partner \"]\": no variable is read, it stays in the text",
                std::string_view(paren ? "(" : "["), ByteAt(track, at));
}

void ReportStrayClosers(EvalContext& ctx, char closer, std::string_view piece, std::size_t at,
                        bool insideQuotes, const OriginTrack* track) {
  const bool paren = closer == ')';
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == kQuote) insideQuotes = !insideQuotes;
    if (piece[i] != closer || insideQuotes) continue;
    ReportFinding(ctx, paren ? finding::kStrayParen : finding::kStrayBracket,
                  paren ? "\")\" closes no \"(\": it stays in the text"
                        : "\"]\" closes no \"[\": it stays in the text",
                  piece.substr(i, 1), ByteAt(track, at + i));
  }
}

// Kept out of the stages' frames, which every level of nesting keeps on the stack.
[[gnu::noinline]] void KeepAsWritten(EvalContext& ctx, char closer, std::string_view text,
                                     std::size_t from, std::size_t n, std::size_t at,
                                     bool insideQuotes, OriginTrack& track) {
  track.out->Append(*track.in, from, n, at);
  if (ctx.Observed()) {
    ReportStrayClosers(ctx, closer, text.substr(from, n), from, insideQuotes, &track);
  }
}

}  // namespace formel
