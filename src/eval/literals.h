// How values are written into a formula. A text value stands as a quoted
// literal: between two double quotes, every quote inside doubled. A number
// stands as its digits (a NumberForm).
#pragma once

#include <cstdint>
#include <string_view>

#include "eval/context.h"
#include "frame/private_text.h"
#include "text/quoting.h"

namespace formel {

// Only "+-.0123456789", plus "ABCDEF" anywhere when the text ends in h or
// H, plus one final suffix letter of "hboHBO". Looks at the characters only,
// not at their order: "+", "1-2" and "" are NumberForms.
bool IsNumberForm(std::string_view text);

// Whether text holds an odd number of quotes. Counts rather than toggles,
// so that the compiler can take many bytes per step.
bool OddQuotes(std::string_view text);

// Exactly one quoted literal: every quote between the outer two is one of
// a doubled pair. Nothing of such a text lies outside quotes.
bool IsSingleLiteral(std::string_view text);

// Length of the quoted literal at the start of text (its closing quote is
// the first quote that is not one of a doubled pair), or 0.
std::size_t LeadingLiteral(std::string_view text);

// Appends the literal form of value: unchanged when it begins and ends with a
// quote (untrimmed, any length); trimmed when a NumberForm; otherwise trimmed,
// its quotes doubled, between two quotes. Returns the bytes that quoting
// added (the enclosing and the doubled quotes).
std::size_t AppendLiteral(std::string_view value, Text& out);
// The same, charged to the evaluation's quoting budget: running out of it
// counts as running out of memory.
void AppendChargedLiteral(EvalContext& ctx, std::string_view value, Text& out);

// Appends the value of a literal: the trimmed text, and when that is quoted
// (longer than one byte), its inside with doubled quotes halved.
void AppendUnquoted(std::string_view literal, Text& out);
// The same value written at out, which has room for literal.size() bytes;
// returns its length.
std::size_t WriteUnquoted(std::string_view literal, char* out);


}  // namespace formel
