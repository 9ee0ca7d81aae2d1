/* A host linked against formel's import library instead of loading the DLL
 * itself: Windows loads formel.dll before main, and every export is called
 * directly through the symbol the C compiler emits for it (on 32-bit
 * Windows the standard-call name, such as _Formel@4), which the import
 * library must lead to the DLL's plain export. Each export is called once
 * and its result checked; a host function shows that calls both ways keep
 * their arguments. Usage: formel_linked_host (formel.dll beside it). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "formel.h"

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
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
