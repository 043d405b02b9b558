// What the console does alike on every system.
#include "platform/console.h"

#include <cstdio>

int ReadInputByte() {
  const int c = std::getchar();
  return c == EOF ? -1 : c;
}
