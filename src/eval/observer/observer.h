// The observer of an evaluation: sees each stage of each formula level,
// each replaced group, and each finding (a place where the language does
// something an author may not expect), for tools that show how a formula is
// rewritten or check it. Off by default; one test per report site when off.
#pragma once

#include <cstddef>
#include <string_view>


namespace formel {

struct EvalContext;

// A stretch of the outermost formula as byte offsets [start, end); -1 and
// -1 when the stretch does not stand there as written.
struct Span {
  std::ptrdiff_t start = -1;
  std::ptrdiff_t end = -1;
};

// Where piece stands in the outermost formula, when it is a piece of it.
Span SpanOf(const EvalContext& ctx, std::string_view piece);
// n bytes from offset start of the outermost formula (none for start -1).
Span SpanAt(std::ptrdiff_t start, std::size_t n);

// One stage of the formula level in progress: its input and its output.
void ReportStage(EvalContext& ctx, std::string_view stage, std::string_view before,
                 std::string_view after);
// One replaced group or call ("group" or "call"): as written (a call with
// its trimmed name), and the literal that replaced it. where is the group
// as it stands in the formula text, for its offsets in the outermost one.
void ReportGroup(EvalContext& ctx, std::string_view kind, std::string_view written,
                 std::string_view literal, std::string_view where);
// One finding: its code (findings.h), a short message, the text concerned
// (the formula's bytes at where, when where is given).
void ReportFinding(EvalContext& ctx, std::string_view code, std::string_view message,
                   std::string_view text, Span where);

}  // namespace formel
