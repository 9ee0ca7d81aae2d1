#include "eval/observer/value_findings.h"

#include <algorithm>
#include <cstring>

#include "eval/literals.h"
#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "text/text.h"

namespace formel {

namespace {

void Remember(InsertedValue& v, std::string_view message) {
  v.messageSize = std::min(message.size(), sizeof v.message);
  std::memcpy(v.message, message.data(), v.messageSize);
}

std::string_view TextAt(const EvalContext& ctx, Span where, std::string_view otherwise) {
  if (where.start < 0) return otherwise;
  return ctx.outermost.substr(static_cast<std::size_t>(where.start),
                              static_cast<std::size_t>(where.end - where.start));
}

}  // namespace

void NoteInsertedValue(EvalContext& ctx, std::string_view value, const ValueSource& source,
                       Origins& out, std::size_t at, std::size_t n) {
  ctx.UseScratch();
  InsertedValue& v = ctx.inserted.emplace_back();
  v.start = source.where.start;
  v.end = source.where.end;
  FindingMessage message;
  message << (source.variable ? "the value " : "the result ");
  message.Quoted(TrimBlanks(value)) << " of ";
  message.Quoted(source.written);
  Remember(v, message.View());
  out.AppendValue(static_cast<std::uint32_t>(ctx.inserted.size()), at, n);
  if (!source.variable || !StartsAndEndsWithQuote(value)) return;
  v.reported = true;
  message << " begins and ends with a quote: it goes into the formula as formula text, "
             "its quotes as a literal's";
  ReportFinding(ctx, finding::kValueAsFormula, message.View(),
                TextAt(ctx, source.where, source.written), source.where);
}

void ReportComputedValue(EvalContext& ctx, std::uint32_t value, std::string_view how,
                         std::string_view operation) {
  if (value == 0 || value > ctx.inserted.size()) return;
  InsertedValue& v = ctx.inserted[value - 1];
  if (v.reported) return;
  v.reported = true;
  FindingMessage message;
  message << std::string_view(v.message, v.messageSize)
          << " went into the formula as it stands, and its ";
  message.Quoted(how) << " was computed: a value with operators is read as a formula";
  const Span where{v.start, v.end};
  ReportFinding(ctx, finding::kValueAsFormula, message.View(), TextAt(ctx, where, operation),
                where);
}

void InspectWrittenValue(EvalContext& ctx, std::string_view value, std::string_view what,
                         std::string_view text, Span where, bool numbersToo) {
  if (value.empty() || (value.front() != ' ' && value.back() != ' ')) return;
  if (StartsAndEndsWithQuote(value)) return;  // written as it stands
  const std::string_view trimmed = TrimBlanks(value);
  if (trimmed.empty() || (!numbersToo && IsNumberForm(trimmed))) return;
  FindingMessage message;
  message << what << " ";
  message.Quoted(value) << " is written back as ";
  message.Quoted(trimmed) << ": blanks at the ends of a value are dropped";
  ReportFinding(ctx, finding::kBlanksDropped, message.View(), text, where);
}

}  // namespace formel
