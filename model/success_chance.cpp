#include "model/success_chance.h"

#include <limits>

namespace {

// Converting a double outside the target range to an integer is undefined,
// so out-of-range products are pinned to the nearest representable value.
std::int32_t SaturatingTruncate(double value) {
  constexpr double kUpperLimit = 2147483648.0;  // 2^31, first value too large
  if (value >= kUpperLimit) return std::numeric_limits<std::int32_t>::max();
  if (value <= -kUpperLimit) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);  // truncates toward zero
}

}  // namespace

std::int32_t SuccessChance(std::int32_t success_value, float stone_factor_sum,
                           std::int32_t item_level) {
  const double product =
      static_cast<double>(success_value) * static_cast<double>(stone_factor_sum) * 3000.0;
  return SaturatingTruncate(product) / (4 * item_level);
}

std::int32_t DisplayedPercent(std::int32_t chance) { return chance / 1000; }
