// A set-up of the upgrade, as the user gives it, and what every front end
// makes of it: the stone factor sum, the table cell and the chance.
#ifndef UPGRADE_SIM_MODEL_UPGRADE_REQUEST_H_
#define UPGRADE_SIM_MODEL_UPGRADE_REQUEST_H_

#include <array>
#include <cstdint>

#include "model/probability_tables.h"
#include "model/success_chance.h"

/// Both bounds included.
struct ValueRange {
  std::int32_t low;
  std::int32_t high;
};

constexpr bool InRange(std::int32_t value, ValueRange range) {
  return value >= range.low && value <= range.high;
}

constexpr ValueRange kAttemptCountRange = {1, 100};
constexpr ValueRange kItemGradeRange = {0, kItemGradeCount - 1};
constexpr ValueRange kItemLevelRange = {1, 65};
constexpr ValueRange kTalikCountRange = {0, kMaxTalikCount};
constexpr ValueRange kStoneTierRange = {0, kStoneTierCount - 1};

constexpr int kStoneCount = 4;
/// The tier of each stone slot, in the order they are asked.
using StoneTiers = std::array<std::int32_t, kStoneCount>;

/// The answers, in the order they are asked.
struct UpgradeRequest {
  std::int32_t attempt_count = 1;
  std::int32_t item_grade = 0;
  std::int32_t item_level = 1;
  std::int32_t talik_count = 0;
  StoneTiers stone_tiers = {};
};

/// The sum of the stones' factors, added one by one in float in slot order.
float StoneFactorSum(const StoneTiers& tiers);

/// What one attempt of a set-up draws against.
struct AttemptSetUp {
  float stone_factor_sum;
  std::int32_t chance;           // per 100000
  std::int32_t destroy_value;    // per 10000
  std::int32_t downgrade_value;  // per 10000
};

/// Every table look-up uses the same cell: row = item grade, column = talik
/// count. The values must lie in their ranges.
AttemptSetUp SetUpAttempt(const ProbabilityTables& tables, std::int32_t item_grade,
                          std::int32_t talik_count, std::int32_t item_level,
                          const StoneTiers& stone_tiers);

AttemptSetUp SetUpAttempt(const ProbabilityTables& tables, const UpgradeRequest& request);

#endif  // UPGRADE_SIM_MODEL_UPGRADE_REQUEST_H_
