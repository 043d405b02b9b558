#include "model/outcome_odds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::int64_t kDrawRange = 32768;  // 15-bit draws
constexpr std::int64_t kSuccessModulus = 100000;
constexpr std::int64_t kLossModulus = 10000;

}  // namespace

// For a fixed a, (a << 16) + b runs through 32768 consecutive values, which
// the modulo wraps at most once (32768 < 100000). How many pairs land on
// each residue is then one pass over the a's with a difference array, and
// the pairs below every chance one running sum: a count is a look-up.
std::uint32_t SuccessPairCount(std::int32_t chance) {
  if (chance <= 0) return 0;
  if (chance >= kSuccessModulus) return static_cast<std::uint32_t>(kDrawRange * kDrawRange);
  static const std::vector<std::uint32_t> pairs_below = [] {
    // First how the count of a's covering a residue changes there (modulo
    // 2^32), then, in place, the pairs below each residue.
    std::vector<std::uint32_t> table(kSuccessModulus + 1, 0);
    for (std::int64_t a = 0; a < kDrawRange; ++a) {
      const std::int64_t first = (a << 16) % kSuccessModulus;
      const std::int64_t end = first + kDrawRange;
      ++table[first];
      if (end <= kSuccessModulus) {
        --table[end];
      } else {
        ++table[0];
        --table[end - kSuccessModulus];
      }
    }
    std::uint32_t on_residue = 0;
    std::uint32_t below = 0;
    for (std::int64_t r = 0; r < kSuccessModulus; ++r) {
      on_residue += table[r];
      table[r] = below;
      below += on_residue;
    }
    table[kSuccessModulus] = below;
    return table;
  }();
  return pairs_below[chance];
}

// 32768 = 3 x 10000 + 2768: three whole rounds of the modulo, then 0 to 2767.
std::uint32_t DrawCountBelow(std::int32_t value) {
  if (value <= 0) return 0;
  if (value >= kLossModulus) return static_cast<std::uint32_t>(kDrawRange);
  const std::int64_t whole_rounds = kDrawRange / kLossModulus;
  const std::int64_t rest = kDrawRange % kLossModulus;
  return static_cast<std::uint32_t>(whole_rounds * value + std::min<std::int64_t>(value, rest));
}

double LossDrawShare(std::int32_t value) {
  return static_cast<double>(DrawCountBelow(value)) / static_cast<double>(kDrawRange);
}

OutcomeOdds AttemptOutcomeOdds(std::int32_t chance, std::int32_t destroy_value,
                               std::int32_t downgrade_value) {
  const std::uint64_t draws = kDrawRange;
  const std::uint64_t pairs = draws * draws;
  const std::uint64_t successes = SuccessPairCount(chance);
  const std::uint64_t destroying = DrawCountBelow(destroy_value);
  const std::uint64_t downgrading = DrawCountBelow(downgrade_value);
  OutcomeOdds odds{};
  odds.success = successes * draws * draws;
  odds.item_destroyed = (pairs - successes) * destroying * draws;
  odds.taliks_destroyed = (pairs - successes) * (draws - destroying) * downgrading;
  odds.failed =
      kOutcomeOddsDenominator - odds.success - odds.item_destroyed - odds.taliks_destroyed;
  return odds;
}

OutcomeOdds AttemptOutcomeOdds(const AttemptSetUp& set_up) {
  return AttemptOutcomeOdds(set_up.chance, set_up.destroy_value, set_up.downgrade_value);
}

std::uint64_t OutcomeCount(const OutcomeOdds& odds, AttemptOutcome outcome) {
  switch (outcome) {
    case AttemptOutcome::kSuccess:
      return odds.success;
    case AttemptOutcome::kItemDestroyed:
      return odds.item_destroyed;
    case AttemptOutcome::kTaliksDestroyed:
      return odds.taliks_destroyed;
    case AttemptOutcome::kFailed:
      break;
  }
  return odds.failed;
}

double OutcomeProbability(const OutcomeOdds& odds, AttemptOutcome outcome) {
  return static_cast<double>(OutcomeCount(odds, outcome)) * 0x1p-60;  // exact
}

namespace {

// 1 - (1 - p)^attempts without the cancellation of computing it that way.
double AnyWithin(double p, std::int32_t attempts) {
  if (p >= 1.0) return 1.0;
  return -std::expm1(attempts * std::log1p(-p));
}

}  // namespace

// The first attempt that either succeeds or destroys the item comes within
// the series with AnyWithin(s + d), and is a success with s / (s + d).
double SuccessBeforeItemDestroyed(const OutcomeOdds& odds, std::int32_t attempts) {
  const std::uint64_t ending = odds.success + odds.item_destroyed;
  if (ending == 0) return 0.0;
  const double share_of_success = static_cast<double>(odds.success) / static_cast<double>(ending);
  return share_of_success * AnyWithin(static_cast<double>(ending) * 0x1p-60, attempts);
}

double ItemDestroyedWithin(const OutcomeOdds& odds, std::int32_t attempts) {
  return AnyWithin(OutcomeProbability(odds, AttemptOutcome::kItemDestroyed), attempts);
}

double AtLeastOneSuccess(const OutcomeOdds& odds, std::int32_t attempts) {
  return AnyWithin(OutcomeProbability(odds, AttemptOutcome::kSuccess), attempts);
}

double ExpectedAttemptsToSuccess(const OutcomeOdds& odds) {
  const double p = OutcomeProbability(odds, AttemptOutcome::kSuccess);
  return p > 0.0 ? 1.0 / p : 0.0;
}
