// The journeys with a given count of items destroyed, where every attempt
// costs at least a unit: a journey with k items destroyed is a first life
// (from its talik count to the item's loss), k - 1 lives from 0 lost the
// same way, and a last life from 0 to the target; the chance of each total
// is the convolution of those lives' totals. A life is walked once and its
// powers taken by squaring, so that the work grows with the spread of the
// totals, not with the count of items below k.
#ifndef UPGRADE_SIM_MODEL_ITEM_SLICES_H_
#define UPGRADE_SIM_MODEL_ITEM_SLICES_H_

#include <array>
#include <cstdint>
#include <vector>

#include "model/journey.h"

/// One attempt at each talik count below the target: the chance of each of
/// its outcomes and its cost in units (at least 1).
struct LifeShares {
  int target = 1;
  std::array<double, kMaxTarget> success{}, failed{}, lost{}, destroyed{};
  std::array<std::int64_t, kMaxTarget> units{};
};

/// From talik count t with exactly `items` destroyed: the least total in
/// units whose chance to reach the target so, spending at most it, is at
/// least `need` (-1 where none below `rows`), and that chance at `row`
/// where row >= 0.
struct ItemSlice {
  int t = 0;
  std::int64_t items = 0;
  double need = 0.0;
  std::int64_t row = -1;
  std::int64_t found = -1;
  double chance_at_row = 0.0;
};

/// Each slice's least total and chance, on totals below `rows`; false where
/// that would take more than `work` products of two chances, or a life's
/// chance is not within rows (a journey that may not end).
bool FindItemSlices(const LifeShares& shares, std::int64_t rows, std::int64_t work,
                    std::vector<ItemSlice>* slices);

#endif  // UPGRADE_SIM_MODEL_ITEM_SLICES_H_
