// Success chance of one attempt, from the success weight, the stones and the
// item level.
#ifndef UPGRADE_SIM_MODEL_SUCCESS_CHANCE_H_
#define UPGRADE_SIM_MODEL_SUCCESS_CHANCE_H_

#include <cstdint>

constexpr int kStoneTierCount = 7;  // 0 (no stone) to 6 ("Т6")

/// Multiplier of each stone tier; an empty slot still counts 0.125.
constexpr float kStoneFactor[kStoneTierCount] = {0.125f, 1.0f, 2.0f, 2.5f, 3.0f, 6.0f, 10.0f};

/// Chance per 100000: trunc(success_value * stone_factor_sum * 3000) div
/// (4 * item_level). item_level is 1 to 65. Products outside the signed
/// 32-bit range saturate to it before the division.
std::int32_t SuccessChance(std::int32_t success_value, float stone_factor_sum,
                           std::int32_t item_level);

/// The whole percent shown for a chance per 100000 (truncated).
std::int32_t DisplayedPercent(std::int32_t chance);

#endif  // UPGRADE_SIM_MODEL_SUCCESS_CHANCE_H_
