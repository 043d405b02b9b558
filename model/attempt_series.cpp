#include "model/attempt_series.h"

namespace {

// Two 15-bit draws make a 30-bit number; the modulo leaves it slightly
// uneven, and the odds of the series are those of exactly this construction.
std::int32_t DrawPer100000(const DrawSource& draw) {
  const std::uint32_t high = static_cast<std::uint32_t>(draw());
  const std::uint32_t low = static_cast<std::uint32_t>(draw());
  return static_cast<std::int32_t>(((high << 16) + low) % 100000u);
}

std::int32_t DrawPer10000(const DrawSource& draw) { return draw() % 10000; }

}  // namespace

AttemptOutcome RunAttempt(std::int32_t chance, std::int32_t destroy_value,
                          std::int32_t downgrade_value, const DrawSource& draw) {
  if (DrawPer100000(draw) < chance) return AttemptOutcome::kSuccess;
  if (DrawPer10000(draw) < destroy_value) return AttemptOutcome::kItemDestroyed;
  if (DrawPer10000(draw) < downgrade_value) return AttemptOutcome::kTaliksDestroyed;
  return AttemptOutcome::kFailed;
}

void RunAttemptSeries(std::int32_t attempt_count, std::int32_t chance, std::int32_t destroy_value,
                      std::int32_t downgrade_value, const DrawSource& draw,
                      const OutcomeSink& each) {
  for (std::int32_t attempt = 1; attempt <= attempt_count; ++attempt)
    each(RunAttempt(chance, destroy_value, downgrade_value, draw));
}
