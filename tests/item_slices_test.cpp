#include "model/item_slices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A climb of three counts, units 1, 2 and 3, with losses at every count
// and a last step that hardly ever succeeds: some 300 items are destroyed
// on the way, each after a few attempts.
LifeShares Climb() {
  LifeShares s;
  s.target = 3;
  s.success = {0.5, 0.4, 0.004};
  s.failed = {0.2, 0.2, 0.296};
  s.lost = {0.0, 0.1, 0.2};
  s.destroyed = {0.3, 0.3, 0.5};
  s.units = {1, 2, 3};
  return s;
}

// W[a][k][t]: the chance from t to reach the target with exactly k items
// destroyed spending at most a units, by the recursion over each attempt's
// outcome, unit by unit and item count by item count.
std::vector<double> Recursion(const LifeShares& s, std::int64_t rows, std::int64_t items) {
  const int n = s.target;
  const auto at = [&](std::int64_t a, std::int64_t k, int t) {
    return static_cast<std::size_t>((a * items + k) * n + t);
  };
  std::vector<double> w(static_cast<std::size_t>(rows * items * n), 0.0);
  for (std::int64_t a = 0; a < rows; ++a) {
    for (std::int64_t k = 0; k < items; ++k) {
      for (int t = 0; t < n; ++t) {
        const std::int64_t b = a - s.units[t];
        if (b < 0) continue;
        const double up = t + 1 == n ? (k == 0 ? 1.0 : 0.0) : w[at(b, k, t + 1)];
        w[at(a, k, t)] = s.success[t] * up + s.failed[t] * w[at(b, k, t)] +
                         s.lost[t] * w[at(b, k, 0)] +
                         (k > 0 ? s.destroyed[t] * w[at(b, k - 1, 0)] : 0.0);
      }
    }
  }
  return w;
}

// Each slice's least total is the recursion's, for a need halfway between
// two totals' chances, and so is its chance at a total: a first life from
// each count, few and many lives lost (the many taken at once through the
// transform, and 60 more beyond them multiplied in through it), and none.
TEST(ItemSlicesTest, EachSliceIsTheRecursions) {
  const LifeShares s = Climb();
  const std::int64_t rows = 4000, items = 461;
  const std::vector<double> w = Recursion(s, rows, items);
  const auto cell = [&](std::int64_t a, std::int64_t k, int t) {
    return w[static_cast<std::size_t>((a * items + k) * s.target + t)];
  };
  std::vector<ItemSlice> slices;
  std::vector<std::int64_t> expected;
  for (const std::int64_t k : {0, 1, 7, 60, 400, 460}) {
    for (int t = 0; t < s.target; ++t) {
      // The total where the chance first passes half of all it has here.
      const double all = cell(rows - 1, k, t);
      std::int64_t a = 1;
      while (cell(a, k, t) < all / 2) ++a;
      const double need = (cell(a - 1, k, t) + cell(a, k, t)) / 2;
      slices.push_back({t, k, need, a + 7, -1, 0.0});
      expected.push_back(a);
    }
  }
  ASSERT_TRUE(FindItemSlices(s, rows, std::int64_t{1} << 26, &slices));
  for (std::size_t i = 0; i < slices.size(); ++i) {
    const ItemSlice& slice = slices[i];
    EXPECT_EQ(slice.found, expected[i]) << slice.t << " " << slice.items;
    const double truth = cell(slice.row, slice.items, slice.t);
    EXPECT_NEAR(slice.chance_at_row, truth, 1e-13) << slice.t << " " << slice.items;
    EXPECT_GT(truth, 1e-7) << slice.t << " " << slice.items;
  }
}

// A need within the roundings of a total's chance is left unanswered rather
// than guessed; and work that runs out answers nothing.
TEST(ItemSlicesTest, DoubtAndShortWorkAnswerNothing) {
  const LifeShares s = Climb();
  const std::int64_t rows = 4000, items = 61;
  const std::vector<double> w = Recursion(s, rows, items);
  const double at = w[static_cast<std::size_t>((300 * items + 60) * s.target)];
  std::vector<ItemSlice> slices{{0, 60, at * (1 + 1e-13), -1, -1, 0.0}};
  ASSERT_TRUE(FindItemSlices(s, rows, std::int64_t{1} << 26, &slices));
  EXPECT_EQ(slices[0].found, -1);
  slices[0].need = at / 2;
  EXPECT_FALSE(FindItemSlices(s, rows, 1000, &slices));
}

}  // namespace
