// The index of the shortcuts: ways to a formula's result that skip work of
// the general stages and must give the very bytes those stages give. Each
// is named here by its trigger (what it looks for), why its bytes are the
// general path's, and its guard (what sends the input back to the general
// path). Every one of them stands aside when the general path only is
// asked for (EvalContext::GeneralPathAsked): the differential tests
// (tests/evaluators/fast_paths_test.cpp, the fuzz target) evaluate every
// input both ways and compare the bytes. All but the growing literal (9)
// also stand aside while an observer listens (EvalContext::GeneralPathOnly),
// which then sees the general path's reports. A new shortcut checks the
// switch and gets an entry here.
//
// Whole formula levels, in the driver (stages/evaluate_formula.cpp):
//  1. Digits alone (IsOwnResult, formula_level.h). Trigger: the formula is
//     digits and points. Same bytes: no stage changes such a text and a
//     number form keeps its text. Guard: shorter than the length limit.
//  2. A lone reference (VariableAlone, formula_level.h). Trigger: "[name]"
//     with no other bracket or parenthesis. Same bytes: the value goes in
//     as it stands and, being digits and points, stays. Guard: the value is
//     digits and points, shorter than the length limit.
//  3. The repeated formula (repeated_formula.h). Trigger: an outermost
//     formula with references and no "(". Same bytes: substitution only
//     puts plain numbers where references stand. Guard: the same text, the
//     table unchanged since (its generation), every value a plain number,
//     and the substituted text plain arithmetic (5).
//  4. Only a literal left (OnlyALiteralLeft, formula_level.h). Trigger:
//     after a stage, one quoted literal and the final blank. Same bytes:
//     nothing outside quotes is left for a later stage. Guard: none more.
//  5. Plain arithmetic (plain_arithmetic.h). Trigger: after substitution,
//     plain numbers and the six arithmetic operators only. Same bytes: each
//     step of each pass cuts exactly the numbers beside its operator; the
//     model follows the values. Guard: any step whose text would leave that
//     shape declines the whole level.
//  6. A literal join (literal_join.h). Trigger: after substitution, two
//     quoted literals joined by "&". Same bytes: no pass but "&" finds an
//     operator outside quotes. Guard: the joined value is written back as a
//     quoted literal; quoting budget and length limit charged alike.
//  7. A plain number after substitution (IsPlainNumberLeft,
//     formula_level.h). Trigger: digits and points and the final blank.
//     Same bytes: as 1. Guard: none more.
//
// Inside an operator pass (stages/apply_operator.cpp), only while it keeps
// no origins:
//  8. Number chains (TakeNumberChain, number_chain.h). Trigger: the pass
//     just wrote a plain number and the same one-byte operator follows
//     with a plain number. Same bytes: each step would cut the literal
//     just written and the digits behind the operator. Guard: results
//     finite and not negative (negative only at the start of the text); a
//     step budget.
//  9. The growing literal (LiteralGrowth, literal_growth.h, over the form
//     that growing_literal.h keeps). Trigger: a step of "&" (or of "+"
//     between quoted literals) whose left operand is the literal the pass
//     last wrote. Same bytes: the longer value keeps the form of the
//     shorter one, so its new bytes go behind it. Guard: CanGrowBy, which
//     declines whenever the longer value would take another form.
// 10. Runs of joins (LiteralGrowth::FollowJoins). Trigger: after 9 on a
//     quoted literal, "&" directly followed by a quoted literal that a
//     delimiter ends. Same bytes: each step would cut the growing literal
//     and that literal and grow by its inside. Guard: CanGrowBy on each
//     inside; a step budget.
//
// Whole outermost formulas, before the driver's stages:
// 11. Prepared formulas (PlannedResult: a driver of their own in
//     stages/prepared_formula.h and stages/plan_cache.h, as they hand what
//     they do not take to the stages; their value models here,
//     filled_level.h, level_numbers.h, and number_program.h for plans
//     whose levels are all such numbers; also the handles of
//     formel_prepared.h). Trigger: an outermost formula with a group, a
//     call or a reference, met a second time (the cache keeps 32), or run
//     through a prepared handle. Same bytes: what the stages decide from
//     the formula alone is decided once; each level calls its host
//     functions and puts its literals and values in place as ExpandGroups
//     and SubstituteVariables do, and the filled text goes to the value
//     models: plain numbers, 5, one comparison of such sides, and the
//     same computed on the values as 5 would read them from the filled
//     text. A function on numbers whose arguments need no text gets the
//     numbers their texts read as, and its result stays a number whose
//     text is the one the general way writes for it. A text function's
//     result is read as the bytes it gives back, but for an argument given
//     back with the very bytes it was handed (a number as written, a
//     reference's short value), whose number is known. Guard: a literal or
//     value whose quotes or brackets would change what the stages decide,
//     a value outside the models, a shape the plan cannot hold: the level
//     goes on the general way from where it stands, so no host function is
//     called twice (a quick way, or the top level's calls made before its
//     program, too). A program whose steps are all of "*", "+" and "-"
//     runs them without the steps' own code while each result is a whole
//     number that fits; any other starts it again the full way.
#pragma once

#include "eval/shortcuts/formula_level.h"
#include "eval/shortcuts/filled_level.h"
#include "eval/shortcuts/growing_literal.h"
#include "eval/shortcuts/level_numbers.h"
#include "eval/shortcuts/literal_growth.h"
#include "eval/shortcuts/literal_join.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/shortcuts/number_program.h"
#include "eval/shortcuts/plain_arithmetic.h"
#include "eval/shortcuts/repeated_formula.h"
