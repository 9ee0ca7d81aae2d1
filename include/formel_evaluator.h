/*
 * formel_evaluator.h - independent evaluators.
 *
 * The classic exports of formel.h work on one default evaluator that the
 * library creates when it is loaded. This header gives a host as many
 * evaluators as it wants: each has its own variables, functions, buffers
 * and observer, and evaluates exactly as the classic exports do (same
 * results, same order of host calls).
 *
 * Threads: evaluators share no mutable state. Different evaluators may be
 * used on different threads at the same time. One evaluator is used by one
 * thread at a time; a host that shares one between threads must lock around
 * every call on it.
 *
 * Texts: every text is a zero-terminated single-byte string; a null text
 * reads as "". Text arguments are copied when the call begins, so a text
 * that an evaluator returned may be passed back in. A returned text lives
 * in the evaluator's own buffer and stays valid until the next call on the
 * same evaluator (a host function calling back into it counts) or until the
 * evaluator is freed. Copy it to keep it.
 *
 * Failures: nothing is thrown. A null evaluator, or an evaluator that ran
 * out of memory during the call, gives the function's "nothing" value:
 * 0, or "" for a text.
 *
 * Calling convention: every function here, and every function the library
 * calls back (host functions, the observer), is FORMEL_CALL, as the classic
 * exports are: the standard call on 32-bit Windows, where formel.dll exports
 * these names undecorated, and the platform's default everywhere else.
 */
#ifndef FORMEL_EVALUATOR_H
#define FORMEL_EVALUATOR_H

#include <stddef.h>
#include <stdint.h>

#include "formel.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct formel_evaluator formel_evaluator;

/* ---- life ------------------------------------------------------------------
 * formel_new: a new evaluator with empty tables, or null without memory.
 * formel_free: releases it with every text it returned. Null does nothing.
 * Called from inside one of the evaluator's own host functions (or its
 * observer), the release happens when that evaluator's outermost call
 * returns; that call then returns "" (or 0). */
FORMEL_API formel_evaluator *FORMEL_CALL formel_new(void);
FORMEL_API void FORMEL_CALL formel_free(formel_evaluator *ev);

/* ---- variables -------------------------------------------------------------
 * Names match as in formel.h: blanks (code 32) at both ends and the case of
 * A-Z and of the bytes 0xC0-0xDF against 0xE0-0xFF do not count.
 * formel_set_var, formel_set_var_int: 1 (0 for a null evaluator).
 * formel_get_var: the value, "" when not set.
 * formel_remove_var: entries removed, 0 or 1. formel_clear_vars: 1. */
FORMEL_API int FORMEL_CALL formel_set_var(formel_evaluator *ev, const char *name, const char *value);
FORMEL_API int FORMEL_CALL formel_set_var_int(formel_evaluator *ev, const char *name, int32_t value);
FORMEL_API const char *FORMEL_CALL formel_get_var(formel_evaluator *ev, const char *name);
FORMEL_API int FORMEL_CALL formel_remove_var(formel_evaluator *ev, const char *name);
FORMEL_API int FORMEL_CALL formel_clear_vars(formel_evaluator *ev);

/* ---- host functions ----------------------------------------------------------
 * A function registered with param_count n (0 to 10) is called with argc = n
 * and argv[0..n-1], whatever the number of arguments written in the formula:
 * missing arguments are "", extra ones are evaluated (their own calls
 * happen) and dropped. Each argument is the value as formel_evaluate returns
 * it (a text without its quotes). argv and its texts belong to the library
 * and live until the function returns. user is the pointer given at
 * registration.
 * The function returns a zero-terminated text, or null for "". The text
 * stays the host's; the library copies it at once, so a buffer that the
 * next call overwrites will do. A result that is not a number is written
 * into the formula as a text literal.
 * It runs on the thread that called formel_evaluate, in the middle of that
 * call, and may call back into any evaluator, its own included. It must not
 * throw or longjmp out. Declare it FORMEL_CALL (see below). */
typedef const char *(FORMEL_CALL *formel_function)(void *user, int argc, const char *const *argv);

/* 1, or 0 (table unchanged) when param_count is outside 0..10 or function
 * is null. A name registered again replaces the earlier entry. */
FORMEL_API int FORMEL_CALL formel_set_function(formel_evaluator *ev, const char *name,
                                               int param_count, formel_function function,
                                               void *user);
/* A host function on numbers: called as a formel_function is (the same
 * argument count, the same times and order, the same thread rules), with
 * each argument's text read as an arithmetic operator reads its operand:
 * its decimal beginning as a 32-bit float ("2.5" 2.5, "12abc" 12, "abc"
 * and "" 0). Its result is rounded to a 32-bit float and written as a
 * formula writes a computed number: six decimals at most, trailing zeros
 * and point removed ("2.5", "100", "-0"), beyond the float range "1.#INF"
 * or "-1.#INF", not a number "-1.#IND" or "1.#QNAN". The same function
 * written on texts with these conversions gives the same results.
 * It is the quick choice for a loop: a prepared formula (formel_prepared.h)
 * passes the numbers of numbers, of references to numbers and of
 * arithmetic without calls without writing or reading their texts, and
 * keeps the result as a number. Registered and replaced as
 * formel_set_function; the same return values. */
typedef double (FORMEL_CALL *formel_number_function)(void *user, int argc, const double *argv);
FORMEL_API int FORMEL_CALL formel_set_number_function(formel_evaluator *ev, const char *name,
                                                      int param_count, formel_number_function function,
                                                      void *user);
FORMEL_API int FORMEL_CALL formel_remove_function(formel_evaluator *ev,
                                                  const char *name);            /* removed */
FORMEL_API int FORMEL_CALL formel_clear_functions(formel_evaluator *ev);        /* 1 */

/* Registers the standard functions (1; 0 for a null evaluator or without
 * memory). Numbers are read from their decimal beginning, whatever the
 * locale, and written as 32-bit floats with six decimals at most; a result
 * that is not a finite number is written 0. Texts come back as text
 * literals, so that a returned B stays a text.
 *   min(a, ...), max(a, ...)  up to 10 arguments; empty ones take no part;
 *                             the first of equal values wins, as written;
 *                             "" when all are empty
 *   abs(x), sqrt(x)
 *   round(x, places)          x as written in decimal, with at most places
 *                             decimals (none when empty or negative), a
 *                             half away from 0: round(27.06,2) is 27.06,
 *                             round(2.675,2) 2.68; no trailing zeros; 0
 *                             beyond the float range
 *   len(t)                    bytes in t
 *   upper(t), lower(t)        ASCII letters a-z / A-Z only; every other
 *                             byte, UTF-8 sequences included, stays
 *   left(t, n), right(t, n)   the first / last n bytes
 *   mid(t, start, n)          n bytes from position start (1-based)
 *   trim(t)                   blanks removed at both ends
 *   if(c, then, else)         then when c reads as a number other than 0 */
FORMEL_API int FORMEL_CALL formel_register_standard_functions(formel_evaluator *ev);

/* ---- evaluation --------------------------------------------------------------
 * Evaluates one formula and returns its result text, as Formel does.
 * No text of an evaluation, the formula itself included, may be longer than
 * FORMEL_MAX_TEXT_LENGTH bytes (4 MiB), and the quotes that text literals
 * add may come to at most 1 MiB plus 4 bytes per formula byte. Past either
 * limit the result is "", and an observer hears length-limit or
 * quoting-limit (see the findings below). */
#define FORMEL_MAX_TEXT_LENGTH 4194304
FORMEL_API const char *FORMEL_CALL formel_evaluate(formel_evaluator *ev, const char *formula);

/* ---- observer ------------------------------------------------------------------
 * An observer sees how a formula is rewritten, stage by stage, and its
 * findings. It is off by default and costs nothing then. Its texts are not zero-terminated: each is
 * a pointer and a length, valid only during the callback. The observer must
 * not call back into the evaluator that reports to it. */
typedef struct formel_text {
  const char *data;
  size_t size;
} formel_text;

enum formel_event_kind {
  /* One stage of one formula level: name is "groups", "variables", an
   * operator as written ("^" ... "="), "signs" or "result"; before is the
   * stage's input, after its output. Every level reports "groups" first
   * (before is the level's formula) and "result" last (after is the
   * level's value). Between them a stage is reported whenever it ran, also
   * when it changed nothing: "variables" when the text holds a "[", an
   * operator's pass when the operator occurs (inside quotes too), "signs"
   * always. From the output of "groups" to the input of "result", the
   * texts end in one blank more than the formula: the blank that the
   * evaluation appends to end the last operand. */
  FORMEL_EVENT_STAGE = 1,
  /* One replaced group (name "group") or call (name "call"): before is the
   * group as written, a call from its name to its ")" (with its trimmed
   * name before the group when an earlier stage made the name), after the
   * literal that replaced it. The range is that of before, the call's name
   * included, as for the call's findings. */
  FORMEL_EVENT_GROUP = 2,
  /* A finding (see below): name is its code, after a short English
   * message, before the text concerned (the formula's bytes at start..end
   * when a range is given). */
  FORMEL_EVENT_FINDING = 3
};

/* Findings: where the language did something that a formula's author may
 * not expect. They never change a result; each comes from what the
 * evaluation actually did, at the moment it did it (inner groups and
 * arguments first). Codes, and the range they give:
 *   unknown-function      a call of a name with no registered function: the
 *                         call becomes its argument list as text. The call.
 *   comma-in-parentheses  a comma inside parentheses split a call's
 *                         arguments all the same. The comma.
 *   extra-arguments       more arguments than the function takes: the extra
 *                         ones are evaluated and dropped. The extra ones.
 *   missing-arguments     fewer arguments than the function needs: the
 *                         missing ones are "". The call. (The standard min,
 *                         max and round need only their first.)
 *   unclosed-paren, unclosed-bracket   a "(" or "[" without partner. It.
 *   stray-paren, stray-bracket         a ")" or "]" that nothing opened. It.
 *   unset-variable        a reference to a variable that is not set: it
 *                         reads as "". The reference.
 *   number-prefix         an operand read as a number from its leading
 *                         digits only ("12abc", "1,5"). The operand.
 *   text-as-zero          an operand with no number read as 0. The operand.
 *   missing-operand       an operator without one of its operands, read as
 *                         0. The operator.
 *   text-number-compare   "<", ">", "<=", ">=" or "<>" between a quoted text
 *                         and a number: compared as texts, byte by byte,
 *                         quote included. The comparison.
 *   division-by-zero, overflow, invalid-operation
 *                         an arithmetic result that is infinite ("1.#INF"
 *                         becomes 0; "\" gives -2147483648) or not a
 *                         number ("-1.#IND"). The operation.
 *   value-as-formula      a variable's value or a host function's result
 *                         went into the formula as formula text (a number
 *                         form such as 555-1234 or 2024-01-05, a text that
 *                         begins and ends with a quote) and its operators
 *                         were computed: [phone] gives -679. A variable's
 *                         value between quotes is reported as it goes in.
 *                         The reference (or the call).
 *   unclosed-quote        a quote without a partner: the rest of the text
 *                         is one text ("abc gives "abc); in a call's
 *                         arguments the split stops there, so len("abc)
 *                         gives 0. The quote.
 *   sign-taken            a "-" right before the base of "^" or the number
 *                         divided by "\" is taken into it where that
 *                         changes the result: -2^2 gives 4, 10-2^2 gives
 *                         14 (10 - 2^2 gives 6), -7\2 gives -4. From the
 *                         "-" to the right operand.
 *   blanks-dropped        a text value written back into the formula lost
 *                         the blanks at its ends: "Ann"&" pays "&50 gives
 *                         Ann pays50. Also for a variable's value, a
 *                         group's and a host function's result. The join,
 *                         reference, group or call.
 *   blank-in-operand      a blank ended an operand while more of it
 *                         follows: 1 000+1 gives "1 1" (000 is added, the 1
 *                         stays as text). From the operand to that rest.
 *   word-as-number        a word read as a base-suffixed number: each+1
 *                         gives 3757 (hexadecimal EAC), b+1 gives 1 (a
 *                         suffix letter alone is 0). The word.
 *   nesting-limit         a group 200 levels deep is left as written. It.
 *   length-limit, quoting-limit
 *                         a text of the evaluation grew past 4 MiB, or the
 *                         quotes of text literals past their allowance: the
 *                         result is "". No text and no range, except where
 *                         the value of one variable alone is longer than
 *                         4 MiB: then the text is the reference, as written
 *                         (the input was too long, not a text that the
 *                         evaluation built).
 * A range is given where the stretch stands in the formula as written:
 * groups, calls, arguments, brackets, references, and operands that no
 * earlier stage replaced; otherwise start and end are -1. Inside a text
 * that a host function evaluates again, there is none either. */

typedef struct formel_event {
  int kind;         /* enum formel_event_kind */
  int depth;        /* 1 for the outermost formula, one more per group level */
  formel_text name;
  formel_text before;
  formel_text after;
  /* The stretch of the outermost formula the event concerns, as byte
   * offsets [start, end); -1 and -1 when it has none (a stage, or a
   * finding about text that stages made). */
  ptrdiff_t start;
  ptrdiff_t end;
} formel_event;

typedef void (FORMEL_CALL *formel_observer)(void *user, const formel_event *event);

/* Installs observer (null removes it). Returns 1; 0 for a null evaluator. */
FORMEL_API int FORMEL_CALL formel_set_observer(formel_evaluator *ev, formel_observer observer, void *user);

#ifdef __cplusplus
}
#endif

#endif /* FORMEL_EVALUATOR_H */
