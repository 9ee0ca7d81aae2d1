#include "eval/observer/operand_findings.h"

#include <cmath>

#include "eval/observer/finding_message.h"
#include "eval/observer/findings.h"
#include "eval/literals.h"
#include "text/numbers.h"
#include "text/text.h"

namespace formel {

namespace {

float NumberOf(const Operand& operand) { return OperandNumber(operand.value); }

void InspectNumber(EvalContext& ctx, const OperationFacts& f, const Operand& operand,
                   std::string_view side) {
  FindingMessage message;
  if (operand.value.empty()) {
    message.Quoted(f.op.written) << " has no " << side << " operand: it reads as 0";
    ReportFinding(ctx, finding::kMissingOperand, message.View(), f.op.written, f.operatorAt);
    return;
  }
  const std::string_view text = OperandNumberText(operand.value);
  const std::size_t read = ParsedLength(text);
  if (read == text.size()) return;
  message.Quoted(text);
  if (read == 0) {
    message << " is not a number: it reads as 0";
    ReportFinding(ctx, finding::kTextAsZero, message.View(), operand.written, operand.where);
    return;
  }
  message << " reads as the number " << TrimBlanks(text.substr(0, read)) << ": the rest is ignored";
  ReportFinding(ctx, finding::kNumberPrefix, message.View(), operand.written, operand.where);
}

// A finding about the whole operation. Its text is the formula's own where
// it stands there; else the operands around the operator.
void ReportOperation(EvalContext& ctx, const OperationFacts& f, std::string_view code,
                     std::string_view message) {
  FindingMessage composed;
  if (f.wholeAt.start < 0) composed << f.left.written << f.op.written << f.right.written;
  ReportFinding(ctx, code, message, f.wholeAt.start < 0 ? composed.View() : f.whole, f.wholeAt);
}

void InspectTextComparison(EvalContext& ctx, const OperationFacts& f) {
  const bool leftQuoted = IsEnclosedInQuotes(f.left.value);
  const bool rightQuoted = IsEnclosedInQuotes(f.right.value);
  if (leftQuoted == rightQuoted) return;
  const std::string_view other = leftQuoted ? f.right.value : f.left.value;
  if (other.empty() || !IsNumberForm(other)) return;
  ReportOperation(ctx, f, finding::kTextNumberCompare,
                  "a quoted text and a number are compared as texts, byte by byte, the quote "
                  "included");
}

bool HasText(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool WholeNumberOutOfRange(float quotient) {
  if (!std::isfinite(quotient)) return true;
  const double floored = std::floor(static_cast<double>(quotient));
  return floored < -2147483648.0 || floored > 2147483647.0;
}

void ReportResult(EvalContext& ctx, const OperationFacts& f, std::string_view code,
                  std::string_view what, std::string_view outcome) {
  FindingMessage message;
  message << what << ": " << outcome;
  ReportOperation(ctx, f, code, message.View());
}

void InspectResult(EvalContext& ctx, const OperationFacts& f) {
  const bool divides = f.op.op == Op::kDivide || f.op.op == Op::kIntDivide;
  const bool byZero = divides && NumberOf(f.right) == 0;
  const std::string_view what =
      byZero ? "division by zero" : "the result is beyond the number range";
  const std::string_view code = byZero ? finding::kDivisionByZero : finding::kOverflow;
  if (f.op.op == Op::kIntDivide) {
    if (byZero || WholeNumberOutOfRange(NumberOf(f.left) / NumberOf(f.right))) {
      ReportResult(ctx, f, code, byZero ? what : "the quotient is beyond the whole-number range",
                   "\"\\\" gives -2147483648");
    }
    return;
  }
  if (HasText(f.result, "#INF")) {
    FindingMessage outcome;
    outcome << "it gives " << f.result << ", which becomes 0";
    ReportResult(ctx, f, code, what, outcome.View());
  } else if (HasText(f.result, "#IND") || HasText(f.result, "#QNAN")) {
    FindingMessage outcome;
    outcome << "it gives " << f.result;
    ReportResult(ctx, f, byZero ? code : finding::kInvalidOperation,
                 byZero ? what : "the operation has no value", outcome.View());
  }
}

}  // namespace

void InspectOperation(EvalContext& ctx, const OperationFacts& facts) {
  if (facts.reading == Reading::kNumbers) {
    InspectNumber(ctx, facts, facts.left, "left");
    InspectNumber(ctx, facts, facts.right, "right");
  } else if (facts.reading == Reading::kBytes) {
    InspectTextComparison(ctx, facts);
  }
  if (facts.reading == Reading::kNumbers && IsArithmetic(facts.op.op)) InspectResult(ctx, facts);
}

}  // namespace formel
