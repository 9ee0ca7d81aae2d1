// Findings about brackets: a "(" or "[" that found no partner, and a ")" or
// "]" that no opening byte claimed. Both stay in the text as written.
#pragma once

#include <cstddef>
#include <string_view>

#include "eval/context.h"
#include "eval/origins.h"

namespace formel {

// The opening byte at position at of the stage's input found no partner.
void ReportUnclosed(EvalContext& ctx, char opener, std::size_t at, const OriginTrack* track);

// Every closer outside quotes in piece, a stretch of the stage's input from
// position at on that the stage copies as it stands: no opening byte
// claimed it. insideQuotes: the quote parity where piece begins.
void ReportStrayClosers(EvalContext& ctx, char closer, std::string_view piece, std::size_t at,
                        bool insideQuotes, const OriginTrack* track);

}  // namespace formel
