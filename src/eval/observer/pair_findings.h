// Findings about brackets: a "(" or "[" that found no partner, and a ")" or
// "]" that no opening byte claimed. Both stay in the text as written.
#pragma once

#include <cstddef>
#include <string_view>

#include "eval/context.h"
#include "eval/observer/origins.h"

namespace formel {

// The opening byte at position at of the stage's input found no partner.
void ReportUnclosed(EvalContext& ctx, char opener, std::size_t at, const OriginTrack* track);

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
