// Simulated upgrade attempts: the draws of one attempt and a series of them.
#ifndef UPGRADE_SIM_MODEL_ATTEMPT_SERIES_H_
#define UPGRADE_SIM_MODEL_ATTEMPT_SERIES_H_

#include <cstdint>
#include <functional>

enum class AttemptOutcome { kSuccess, kItemDestroyed, kTaliksDestroyed, kFailed };

/// Every outcome, in the order the reports list them.
constexpr AttemptOutcome kAttemptOutcomes[] = {
    AttemptOutcome::kSuccess, AttemptOutcome::kItemDestroyed, AttemptOutcome::kTaliksDestroyed,
    AttemptOutcome::kFailed};

/// Returns the next random integer, 0 to 32767.
using DrawSource = std::function<std::int32_t()>;

/// Receives each attempt's outcome in turn.
using OutcomeSink = std::function<void(AttemptOutcome outcome)>;

/// One attempt. chance is per 100000, destroy_value and downgrade_value per
/// 10000. Draws two numbers on success, three when the item is destroyed and
/// four otherwise, always in that order.
AttemptOutcome RunAttempt(std::int32_t chance, std::int32_t destroy_value,
                          std::int32_t downgrade_value, const DrawSource& draw);

/// attempt_count independent attempts with the same set-up, each outcome
/// told as it comes.
void RunAttemptSeries(std::int32_t attempt_count, std::int32_t chance, std::int32_t destroy_value,
                      std::int32_t downgrade_value, const DrawSource& draw,
                      const OutcomeSink& each);

#endif  // UPGRADE_SIM_MODEL_ATTEMPT_SERIES_H_
