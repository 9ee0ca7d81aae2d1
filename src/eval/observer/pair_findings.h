// Findings about brackets and quotes: a "(" or "[" that found no partner,
// a ")" or "]" that no opening byte claimed (both stay in the text as
// written), and a quote without a partner, which makes the rest of the
// text one text to every stage.
#pragma once

#include <cstddef>
#include <string_view>

#include "eval/context.h"
#include "eval/observer/observer.h"
#include "eval/observer/origins.h"

namespace formel {

// The opening byte at position at of the stage's input found no partner.
void ReportUnclosed(EvalContext& ctx, char opener, std::size_t at, const OriginTrack* track);

// The quote `quote` (one byte of a text, at `where` in the outermost
// formula) has no partner. in: what it did there.
void ReportUnclosedQuote(EvalContext& ctx, std::string_view quote, Span where,
                         std::string_view in);
// The level's text has an odd number of quotes: its last quote has no
// partner. Reported with its place in the outermost formula.
void InspectQuotes(EvalContext& ctx, std::string_view text, const OriginTrack* track);

// Every closer outside quotes in piece, a stretch of the stage's input from
// position at on that the stage copies as it stands: no opening byte
// claimed it. insideQuotes: the quote parity where piece begins.
void ReportStrayClosers(EvalContext& ctx, char closer, std::string_view piece, std::size_t at,
                        bool insideQuotes, const OriginTrack* track);

// Bytes [from, from + n) of the stage's input text go to the end of its
// output (position at) as they stand: their origins follow them, and every
// closer among them that no opening byte claimed is reported.
void KeepAsWritten(EvalContext& ctx, char closer, std::string_view text, std::size_t from,
                   std::size_t n, std::size_t at, bool insideQuotes, OriginTrack& track);

}  // namespace formel
