/* A small host: registers a variable and a function, evaluates formulas. */
#include <stdio.h>

#include "formel.h"

/* Reads the digits of a whole number (no locale involved). */
static long Whole(const char *t) {
  long sign = *t == '-' ? -1 : 1, value = 0;
  if (*t == '-' || *t == '+') ++t;
  for (; *t >= '0' && *t <= '9'; ++t) value = value * 10 + (*t - '0');
  return sign * value;
}

/* The larger of two whole numbers. */
static const char *FORMEL_CALL Max(const char *a, const char *b) {
  return Whole(a) >= Whole(b) ? a : b;
}

int main(int argc, char **argv) {
  static const char *const examples[] = {
      "2*max(1,[x])+1", "(1+2)*3", "1/3", "\"abc\"&\"def\"", "FFh+1", "[x]>3", "1e-5", NULL};
  SetVarL("x", 5);
  SetFunc("max", 2, (FormelCallID)&Max);
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) printf("%s\n", Formel(argv[i]));
    return 0;
  }
  for (const char *const *f = examples; *f != NULL; ++f) printf("%-20s => %s\n", *f, Formel(*f));
  return 0;
}
