// The exact odds of the attempt series' draws: how often each outcome of
// one attempt comes, counted over every combination of draws, and what that
// means for a series of attempts.
#ifndef UPGRADE_SIM_MODEL_OUTCOME_ODDS_H_
#define UPGRADE_SIM_MODEL_OUTCOME_ODDS_H_

#include <cstdint>

#include "model/attempt_series.h"
#include "model/upgrade_request.h"

/// Every attempt draws at most four 15-bit numbers: 2^30 pairs for the
/// success draw, 2^15 values each for the destroy and talik draws.
constexpr std::uint64_t kOutcomeOddsDenominator = std::uint64_t{1} << 60;

/// How many of the 2^60 draw combinations end in each outcome; the four add
/// up to kOutcomeOddsDenominator.
struct OutcomeOdds {
  std::uint64_t success;
  std::uint64_t item_destroyed;
  std::uint64_t taliks_destroyed;
  std::uint64_t failed;
};

/// The pairs (a, b) of 15-bit draws with ((a << 16) + b) mod 100000 below
/// chance, out of 2^30.
std::uint32_t SuccessPairCount(std::int32_t chance);

/// The 15-bit draws c with c mod 10000 below value, out of 2^15.
std::uint32_t DrawCountBelow(std::int32_t value);

/// The share of the 15-bit draws that a destroy or talik value takes: the
/// chance of that loss once the success draw has failed, 0 to 1.
double LossDrawShare(std::int32_t value);

/// The outcome counts of one attempt with these inputs of RunAttempt.
OutcomeOdds AttemptOutcomeOdds(std::int32_t chance, std::int32_t destroy_value,
                               std::int32_t downgrade_value);

/// The same, for an attempt so set up.
OutcomeOdds AttemptOutcomeOdds(const AttemptSetUp& set_up);

/// The draw combinations, out of 2^60, that end in one outcome.
std::uint64_t OutcomeCount(const OutcomeOdds& odds, AttemptOutcome outcome);

/// The share of one outcome, 0 to 1.
double OutcomeProbability(const OutcomeOdds& odds, AttemptOutcome outcome);

/// 1 - (1 - p)^attempts for the success share p, without the cancellation
/// of computing it that way.
double AtLeastOneSuccess(const OutcomeOdds& odds, std::int32_t attempts);

/// The probability that a series of attempts brings a success before any
/// attempt destroys the item.
double SuccessBeforeItemDestroyed(const OutcomeOdds& odds, std::int32_t attempts);

/// The probability that one of the attempts destroys the item.
double ItemDestroyedWithin(const OutcomeOdds& odds, std::int32_t attempts);

/// The mean number of attempts up to and including the first success;
/// 0 when no attempt can succeed.
double ExpectedAttemptsToSuccess(const OutcomeOdds& odds);

#endif  // UPGRADE_SIM_MODEL_OUTCOME_ODDS_H_
