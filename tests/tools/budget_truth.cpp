// The least budget for 50, 90 and 99 % from each talik count, counted the
// plainest way: P(spent <= b) row by row over every unit b of the lattice of
// all costs, the item price in it. A check of upgrade-odds' budgets on
// journeys too long for its own exact count (scripts/budget-truth.sh),
// independent of its code: 10^8 rows take seconds.
//
//   budget_truth UNIT ITEM COUNTS (SUCCESS DESTROYED LOST FAILED COST)...
//
// The shares as decimal fractions, the costs and the item price whole
// multiples of UNIT; one line a count: the count and its three budgets.
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const long unit = std::atol(argv[1]);
  const long item = std::atol(argv[2]) / unit;
  const int n = std::atoi(argv[3]);
  if (unit <= 0 || n < 1 || n > 7 || argc != 4 + 5 * n) return 2;
  std::vector<double> success(n), destroyed(n), lost(n), failed(n);
  std::vector<long> cost(n);
  long history = 1;
  for (int t = 0; t < n; ++t) {
    success[t] = std::atof(argv[4 + 5 * t]);
    destroyed[t] = std::atof(argv[5 + 5 * t]);
    lost[t] = std::atof(argv[6 + 5 * t]);
    failed[t] = std::atof(argv[7 + 5 * t]);
    cost[t] = std::atol(argv[8 + 5 * t]) / unit;
    if (cost[t] < 1) return 2;
    if (cost[t] + item + 1 > history) history = cost[t] + item + 1;
  }
  long rows = 1;
  while (rows < history) rows *= 2;
  const long mask = rows - 1;
  const int width = n + 1;  // each count, and the target (1 from 0 units)
  std::vector<double> within(static_cast<std::size_t>(rows * width), 0.0);
  const double levels[3] = {0.5, 0.9, 0.99};
  std::vector<long> least(static_cast<std::size_t>(3 * n), -1);
  int left = 3 * n;
  for (long b = 0; left > 0; ++b) {
    double* here = &within[static_cast<std::size_t>((b & mask) * width)];
    for (int t = 0; t < n; ++t) {
      const long paid = b - cost[t];
      double x = 0.0;
      if (paid >= 0) {
        const double* a = &within[static_cast<std::size_t>((paid & mask) * width)];
        x = success[t] * a[t + 1] + failed[t] * a[t] + lost[t] * a[0];
        if (paid >= item) x += destroyed[t] * within[static_cast<std::size_t>(((paid - item) & mask) * width)];
      }
      here[t] = x;
      for (int p = 0; p < 3; ++p) {
        if (least[3 * t + p] < 0 && x >= levels[p]) {
          least[3 * t + p] = b;
          --left;
        }
      }
    }
    here[n] = 1.0;
  }
  for (int t = 0; t < n; ++t)
    std::printf("%d %ld %ld %ld\n", t, least[3 * t] * unit, least[3 * t + 1] * unit, least[3 * t + 2] * unit);
  return 0;
}
