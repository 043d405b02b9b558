/* The peer of the large-table benchmark: reads the same 77 cells of each of
 * the three odds files with inih, the way a small C program would, and
 * prints their sum so that nothing is optimised away. */
#include <ini.h>
#include <stdio.h>
#include <stdlib.h>
#include <strings.h>

static long cells[11][7];

static int on_key(void* user, const char* section, const char* name, const char* value) {
  int grade, level;
  char rest;
  (void)user;
  if (sscanf(section, "ItemGrade%d%c", &grade, &rest) != 1 || grade < 0 || grade > 10) return 1;
  if (strncasecmp(name, "UpgradeLevel", 12) != 0) return 1;
  if (sscanf(name + 12, "%d%c", &level, &rest) != 1 || level < 0 || level > 6) return 1;
  cells[grade][level] = strtol(value, NULL, 0);
  return 1;
}

int main(void) {
  static const char* const files[] = {"CustomSettings/SuccessProb.ini",
                                      "CustomSettings/DestroyProb.ini",
                                      "CustomSettings/DowngradeProb.ini"};
  long sum = 0;
  for (int f = 0; f < 3; ++f) {
    ini_parse(files[f], on_key, NULL);
    for (int g = 0; g < 11; ++g)
      for (int u = 0; u < 7; ++u) sum += cells[g][u];
  }
  printf("%ld\n", sum);
  return 0;
}
