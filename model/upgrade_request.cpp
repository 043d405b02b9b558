#include "model/upgrade_request.h"

float StoneFactorSum(const StoneTiers& tiers) {
  float sum = 0.0f;
  for (const std::int32_t tier : tiers) sum += kStoneFactor[tier];
  return sum;
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
