/*
 * formel_prepared.h - prepared formulas and variable slots, for hosts that
 * evaluate the same formulas again and again: a loop over the records of a
 * table, a simulation that changes its variables at every step.
 *
 * Every evaluator (formel_evaluator.h, and the classic exports' one) keeps
 * prepared plans for up to 32 formulas of up to 512 bytes each that hold
 * a group, a call or a variable reference, once it has met each a second
 * time: where their references, groups and calls stand, and which entries
 * their names found. The plans take under 2 MB at most, a few hundred
 * bytes each for the formulas of a table's records; nothing before an
 * evaluator meets its first formula. The handles here take the remaining work out of a
 * loop: a prepared formula is not copied, hashed and compared at every
 * evaluation, and a slot sets its variable without looking its name up.
 *
 * Results are those of formel_evaluate, byte for byte: host functions are
 * called every time, in the same order, with the same arguments. A
 * formula, or a value, that the plan does not cover is evaluated the
 * general way.
 *
 * A loop over records, with the columns bound once:
 *
 *   formel_slot *price = formel_slot_new(ev, "price");
 *   formel_slot *qty = formel_slot_new(ev, "qty");
 *   formel_slot *net = formel_slot_new(ev, "net");
 *   formel_prepared *f1 = formel_prepare(ev, "[price]*[qty]");
 *   formel_prepared *f2 = formel_prepare(ev, "[net]*(1-[discount]/100)");
 *   for each record:
 *     formel_slot_set_text(price, field, field_size);
 *     formel_slot_set_text(qty, field2, field2_size);
 *     formel_slot_set(net, formel_run(f1));    (an assignment [net] := ...)
 *     text = formel_run(f2);                   (or formel_run_number)
 *
 * Handles belong to their evaluator: they are made from its memory and
 * released with it by formel_free at the latest, so none may be used after
 * that. The _free functions release one earlier. The evaluator's thread
 * rules apply to its handles. Nothing is thrown; a null handle gives the
 * "nothing" value (0, or "" for a text), as does running out of memory.
 */
#ifndef FORMEL_PREPARED_H
#define FORMEL_PREPARED_H

#include <stddef.h>
#include <stdint.h>

#include "formel_evaluator.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct formel_prepared formel_prepared;
typedef struct formel_slot formel_slot;

/* ---- prepared formulas -------------------------------------------------------
 * formel_prepare: formula (copied) prepared on ev, or null for a null
 * evaluator or without memory. Any formula will do.
 * formel_run: evaluates it, exactly as formel_evaluate(ev, formula) does; the
 * text lives as formel_evaluate's result does. From inside a host function
 * or with an observer installed it is evaluated the general way.
 * formel_run_number: evaluates it and stores in *value (when not null) the
 * number its result text reads as, as an operator reads an operand: its
 * decimal beginning ("2.5" 2.5, "12abc" 12, "abc" and "" 0, "1.#INF" 1),
 * a 32-bit float. Returns 1 when the whole text is that number, else 0.
 * formel_prepared_free: releases it; null does nothing. Not while it runs. */
FORMEL_API formel_prepared *FORMEL_CALL formel_prepare(formel_evaluator *ev, const char *formula);
FORMEL_API const char *FORMEL_CALL formel_run(formel_prepared *prepared);
FORMEL_API int FORMEL_CALL formel_run_number(formel_prepared *prepared, double *value);
FORMEL_API void FORMEL_CALL formel_prepared_free(formel_prepared *prepared);

/* ---- slots -------------------------------------------------------------------
 * formel_slot_new: a handle on the variable of that name on ev (names match
 * as in formel_set_var), or null for a null evaluator or without memory.
 * The variable need not be set; setting it through the slot sets it.
 * Removing or clearing variables leaves the slot usable.
 * The setters return 1, or 0 for a null slot or without memory (the value
 * then stays as it was). A text may be a result the evaluator returned.
 *   formel_slot_set       as formel_set_var with the slot's name
 *   formel_slot_set_text  the size bytes at data, up to a zero byte if
 *                         one comes first (data need not be terminated)
 *   formel_slot_set_int   the decimal text of value, as formel_set_var_int
 *                         and SetVarL give it: "-12", "0", no "+"
 *   formel_slot_set_number the text of value as a formula writes a computed
 *                         number: rounded to a 32-bit float, six decimals
 *                         at most, trailing zeros and a trailing point
 *                         removed ("2.5", "100", "0.333333", "-0"); beyond
 *                         the float range "1.#INF" or "-1.#INF", not a
 *                         number "-1.#IND" or "1.#QNAN"
 * The last two are the quickest way to feed a loop: the variable keeps the
 * number beside its text, and prepared formulas read it without reading
 * the text back (the result is the same). Both write the text only when
 * something reads it. Host functions registered on numbers
 * (formel_set_number_function) are the quickest to call from a loop.
 * formel_slot_get: the variable's value, "" when it is not set; the text
 * lives as formel_get_var's does.
 * formel_slot_free: releases the slot (the variable stays); null does nothing. */
FORMEL_API formel_slot *FORMEL_CALL formel_slot_new(formel_evaluator *ev, const char *name);
FORMEL_API int FORMEL_CALL formel_slot_set(formel_slot *slot, const char *value);
FORMEL_API int FORMEL_CALL formel_slot_set_text(formel_slot *slot, const char *data, size_t size);
FORMEL_API int FORMEL_CALL formel_slot_set_int(formel_slot *slot, int32_t value);
FORMEL_API int FORMEL_CALL formel_slot_set_number(formel_slot *slot, double value);
FORMEL_API const char *FORMEL_CALL formel_slot_get(formel_slot *slot);
FORMEL_API void FORMEL_CALL formel_slot_free(formel_slot *slot);

#ifdef __cplusplus
}
#endif

#endif /* FORMEL_PREPARED_H */
