#include "model/upgrade_request.h"

#include <numeric>

// In float, one stone after another, as the simulator adds them.
float StoneFactorSum(const StoneTiers& tiers) {
  return std::accumulate(tiers.begin(), tiers.end(), 0.0f,
                         [](float sum, std::int32_t tier) { return sum + kStoneFactor[tier]; });
}

AttemptSetUp SetUpAttempt(const ProbabilityTables& tables, std::int32_t item_grade,
                          std::int32_t talik_count, std::int32_t item_level,
                          const StoneTiers& stone_tiers) {
  AttemptSetUp set_up{};
  set_up.stone_factor_sum = StoneFactorSum(stone_tiers);
  set_up.chance = SuccessChance(tables.success_prob.entry[item_grade][talik_count],
                                set_up.stone_factor_sum, item_level);
  set_up.destroy_value = tables.destroy_prob.entry[item_grade][talik_count];
  set_up.downgrade_value = tables.downgrade_prob.entry[item_grade][talik_count];
  return set_up;
}

AttemptSetUp SetUpAttempt(const ProbabilityTables& tables, const UpgradeRequest& request) {
  return SetUpAttempt(tables, request.item_grade, request.talik_count, request.item_level,
                      request.stone_tiers);
}
