/* A host linked against formel's import library instead of loading the DLL
 * itself: Windows loads formel.dll before main, and every export is called
 * directly through the symbol the C compiler emits for it (on 32-bit
 * Windows the standard-call name, such as _Formel@4), which the import
 * library must lead to the DLL's plain export. Each export, classic and of
 * the evaluator API, is called once and its result checked; host functions
 * and an observer show that calls both ways keep their arguments.
 * Usage: formel_linked_host (formel.dll beside it). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "formel.h"
#include "formel_evaluator.h"

static int passed, failed;

static void Check(int ok, const char *what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAIL: %s\n", what);
  }
}

static void CheckText(const char *actual, const char *expected, const char *what) {
  const int ok = actual != NULL && strcmp(actual, expected) == 0;
  Check(ok, what);
  if (!ok) printf("  got [%s], expected [%s]\n", actual == NULL ? "(null)" : actual, expected);
}

/* "{a|b}": which arguments arrived. */
static char joined[64];
static const char *FORMEL_CALL Join(const char *a, const char *b) {
  if (strlen(a) + strlen(b) + 4 > sizeof joined) return NULL;
  strcpy(joined, "{");
  strcat(joined, a);
  strcat(joined, "|");
  strcat(joined, b);
  strcat(joined, "}");
  return joined;
}

/* A host function of the evaluator API: user is put around the argument. */
static char wrapped[64];
static const char *FORMEL_CALL Wrap(void *user, int argc, const char *const *argv) {
  const char *around = (const char *)user;
  if (argc != 1 || 2 * strlen(around) + strlen(argv[0]) + 1 > sizeof wrapped) return NULL;
  strcpy(wrapped, around);
  strcat(wrapped, argv[0]);
  strcat(wrapped, around);
  return wrapped;
}

static void FORMEL_CALL CountEvent(void *user, const formel_event *event) {
  if (event->kind == FORMEL_EVENT_STAGE) ++*(int *)user;
}

static void UseEvaluators(void) {
  char star[] = "*";
  int stages = 0;
  formel_evaluator *a = formel_new();
  formel_evaluator *b = formel_new();
  Check(a != NULL && b != NULL && a != b, "formel_new");
  Check(formel_set_var(a, "x", "5") == 1, "formel_set_var");
  Check(formel_set_var_int(b, "x", -7) == 1, "formel_set_var_int");
  CheckText(formel_get_var(b, "x"), "-7", "formel_get_var");
  Check(formel_set_function(a, "wrap", 1, Wrap, star) == 1, "formel_set_function");
  CheckText(formel_evaluate(a, "wrap([x]+1)"), "*6*",
            "formel_evaluate: a host function gets its user pointer");
  CheckText(formel_evaluate(b, "wrap(2)"), "2,", "b keeps tables of its own: no wrap there");
  Check(formel_register_standard_functions(b) == 1, "formel_register_standard_functions");
  CheckText(formel_evaluate(b, "max([x],3)"), "3", "a standard function");
  Check(formel_set_observer(b, CountEvent, &stages) == 1, "formel_set_observer");
  formel_evaluate(b, "1+2");
  Check(stages > 0, "the observer sees the stages");
  Check(formel_remove_var(a, "x") == 1, "formel_remove_var");
  Check(formel_clear_vars(b) == 1, "formel_clear_vars");
  CheckText(formel_evaluate(b, "[x]"), "", "formel_clear_vars removed x");
  Check(formel_remove_function(a, "wrap") == 1, "formel_remove_function");
  Check(formel_clear_functions(b) == 1, "formel_clear_functions");
  CheckText(formel_evaluate(b, "max(1)"), "1,", "formel_clear_functions removed max");
  formel_free(b);
  formel_free(a);
}

int main(void) {
  const FormelCallID join = (FormelCallID)&Join;
  Check(GetModuleHandleA("formel.dll") != NULL, "formel.dll loaded through the import table");
  Check(DLLEntryPoint(NULL, 2, NULL) == 1, "DLLEntryPoint");
  Check(AttachProcess(NULL) == 0, "AttachProcess");
  Check(SetVarS("x", "5") == 1, "SetVarS");
  Check(SetVarL("y", -12) == 1, "SetVarL");
  CheckText(GetVarS("y"), "-12", "GetVarS");
  Check(SetFunc("join", 2, join) == 1, "SetFunc");
  Check(GetFuncCallID("join") == join, "GetFuncCallID gives the registered address");
  Check(GetFuncParamCnt("join") == 2, "GetFuncParamCnt");
  CheckText(Formel("2*[x]+1"), "11", "Formel: arithmetic on a variable");
  CheckText(Formel("join([x],[y]*2)"), "{5|-24}", "Formel: a host function gets both arguments");
  Check(RemVar("x") == 1, "RemVar");
  CheckText(GetVarS("x"), "", "RemVar removed x");
  Check(ClearVars() == 1, "ClearVars");
  CheckText(GetVarS("y"), "", "ClearVars removed y");
  Check(RemFunc("join") == 1, "RemFunc");
  Check(SetFunc("join", 2, join) == 1 && ClearFuncs() == 1, "ClearFuncs");
  Check(GetFuncCallID("join") == 0, "ClearFuncs removed join");
  UseEvaluators();
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
