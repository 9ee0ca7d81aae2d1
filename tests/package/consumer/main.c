/* Sets a variable and a host function, evaluates a formula, prints it. */
#include <stdio.h>
#include <string.h>

#include <formel.h>

static const char *FORMEL_CALL Twice(const char *text) {
  static char doubled[64];
  snprintf(doubled, sizeof doubled, "%s%s", text, text);
  return doubled;
}

int main(void) {
  SetVarL("x", 5);
  SetFunc("twice", 1, (FormelCallID)&Twice);
  const char *result = Formel("twice([x])+1");
  printf("%s\n", result);
  return strcmp(result, "56") == 0 ? 0 : 1;
}
