// The floor to compare the simulator against: a program that reads 8
// integers and prints 110 lines, and nothing else.
#include <cstdio>

int main() {
  int answers[8] = {};
  for (int& answer : answers) {
    if (std::scanf("%d", &answer) != 1) return 1;
  }
  for (int line = 0; line < 110; ++line) std::printf("line %d of the minimal program\n", line);
  return 0;
}
