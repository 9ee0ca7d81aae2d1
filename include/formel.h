/*
 * formel.h - the public interface of the formula evaluator library.
 *
 * A host fills two process-wide tables (text variables, and functions the
 * host implements itself), then hands formula texts to Formel and gets each
 * result back as a text. Every text is a zero-terminated single-byte string.
 *
 * Ownership and lifetime:
 *  - Text arguments are copied at entry; a host may pass any text, including
 *    a result the library returned earlier. A null text reads as "".
 *  - A returned text lives in the library's own buffer and stays valid until
 *    the next call into the library. Copy it if you need it longer.
 *  - The library never writes into host memory.
 *
 * Threads: these exports work on one default evaluator with process-wide
 * tables. Call them from one thread at a time. Host functions may call back
 * into any export while they run. For several threads or several sets of
 * tables, see formel_evaluator.h.
 */
#ifndef FORMEL_H
#define FORMEL_H

#include <stdint.h>

/* Calling convention of every export and of every function the library
 * calls back (here and in formel_evaluator.h): the Windows standard
 * convention on 32-bit Windows, the platform's default everywhere else. */
#if defined(_WIN32) && !defined(_WIN64)
#  define FORMEL_CALL __stdcall
#else
#  define FORMEL_CALL
#endif

#if defined(_WIN32)
#  define FORMEL_API
#elif defined(__GNUC__)
#  define FORMEL_API __attribute__((visibility("default")))
#else
#  define FORMEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Integers crossing the boundary are signed 32-bit; a call ID is
 * pointer-sized (the address of a host function). */
typedef int32_t FormelInt;
typedef intptr_t FormelCallID;

/*
 * The contract of a registered host function with n parameters (0 to 10):
 * it is called with exactly n arguments, each a zero-terminated text, in the
 * library's calling convention (FORMEL_CALL), and returns the address of a
 * zero-terminated text, or null for "". Argument texts belong to the library
 * and live until the function returns; the returned text belongs to the host
 * and is copied at once. Register such a function by passing its address,
 * cast to FormelCallID, to SetFunc. This type describes the zero-parameter
 * form; functions with parameters take that many `const char *` arguments.
 */
typedef const char *(FORMEL_CALL *HostFunction)(void);

/* ---- load-time entry points ---------------------------------------------
 * DLLEntryPoint: reason 1 starts the library (empty tables), reason 0 ends it
 * (every text and entry released); any other reason does nothing. Returns 1.
 * The library calls it itself when it is loaded and unloaded.
 * AttachProcess: replaces both tables by new, empty ones. Returns 0. */
FORMEL_API FormelInt FORMEL_CALL DLLEntryPoint(void *instance, FormelInt reason, void *reserved);
FORMEL_API FormelInt FORMEL_CALL AttachProcess(void *instance);

/* ---- variables ------------------------------------------------------------
 * Names match without regard to blanks (code 32) at both ends and to the
 * case of A-Z and of the bytes 0xC0-0xDF against 0xE0-0xFF. */
FORMEL_API FormelInt FORMEL_CALL SetVarS(const char *name, const char *value); /* 1 */
FORMEL_API FormelInt FORMEL_CALL SetVarL(const char *name, FormelInt value);   /* 1 */
FORMEL_API const char *FORMEL_CALL GetVarS(const char *name);  /* "" when missing */
FORMEL_API FormelInt FORMEL_CALL RemVar(const char *name);     /* entries removed */
FORMEL_API FormelInt FORMEL_CALL ClearVars(void);              /* 1 */

/* ---- functions ------------------------------------------------------------
 * SetFunc returns 1, or 0 (table unchanged) when count is outside 0..10.
 * A call ID of 0 registers a name that formulas treat as unregistered. */
FORMEL_API FormelInt FORMEL_CALL SetFunc(const char *name, FormelInt count, FormelCallID callId);
FORMEL_API FormelInt FORMEL_CALL RemFunc(const char *name);            /* entries removed */
FORMEL_API FormelInt FORMEL_CALL ClearFuncs(void);                     /* 1 */
FORMEL_API FormelCallID FORMEL_CALL GetFuncCallID(const char *name);   /* 0 when missing */
FORMEL_API FormelInt FORMEL_CALL GetFuncParamCnt(const char *name);    /* 0 when missing */

/* ---- evaluation -----------------------------------------------------------
 * Evaluates one formula and returns its result text. Never fails: whatever
 * cannot be reduced comes back as text. Null reads as "". */
FORMEL_API const char *FORMEL_CALL Formel(const char *formula);

#ifdef __cplusplus
}
#endif

#endif /* FORMEL_H */
