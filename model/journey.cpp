#include "model/journey.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "model/wide_float.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// One attempt's shares. leaving = 1 - failed comes from the other three
// counts, so that nothing cancels when failures are nearly certain.
struct Shares {
  double success;
  double destroyed;
  double lost;  // the taliks
  double leaving;
};

Shares SharesOf(const OutcomeOdds& odds) {
  const std::uint64_t leaving = odds.success + odds.item_destroyed + odds.taliks_destroyed;
  constexpr double kPerCombination = 0x1p-60;  // exact: a power of two
  return {static_cast<double>(odds.success) * kPerCombination,
          static_cast<double>(odds.item_destroyed) * kPerCombination,
          static_cast<double>(odds.taliks_destroyed) * kPerCombination,
          static_cast<double>(leaving) * kPerCombination};
}

using ChainShares = std::array<Shares, kMaxTarget>;

ChainShares SharesOfSteps(const JourneySteps& steps) {
  ChainShares shares{};
  for (int t = 0; t < steps.target; ++t) shares[t] = SharesOf(steps.odds[t]);
  return shares;
}

using CountSet = unsigned;  // a bit per talik count

bool Holds(CountSet set, int count) { return ((set >> count) & 1u) != 0; }

// Whether the walk from each talik count ends for sure: every count it can
// come to can still come to an end (the target, or with renew false the
// item's loss). A walk that may never end has infinite expectations.
std::array<bool, kMaxTarget> EndsForSure(const ChainShares& shares, int target, bool renew) {
  std::array<CountSet, kMaxTarget> next{};
  std::array<bool, kMaxTarget> can_end{};
  for (int t = 0; t < target; ++t) {
    const Shares& s = shares[t];
    next[t] = 1u << t;
    if (s.success > 0 && t + 1 < target) next[t] |= 1u << (t + 1);
    if (s.lost > 0 || (renew && s.destroyed > 0)) next[t] |= 1u;
    can_end[t] = (s.success > 0 && t + 1 == target) || (!renew && s.destroyed > 0);
  }
  std::array<CountSet, kMaxTarget> reachable = next;
  for (int round = 0; round < target; ++round) {
    for (int t = 0; t < target; ++t) {
      for (int u = 0; u < target; ++u) {
        if (Holds(next[t], u) && can_end[u]) can_end[t] = true;
        if (Holds(reachable[t], u)) reachable[t] |= next[u];
      }
    }
  }
  std::array<bool, kMaxTarget> ends{};
  for (int t = 0; t < target; ++t) {
    ends[t] = true;
    for (int u = 0; u < target; ++u) {
      if (Holds(reachable[t], u) && !can_end[u]) ends[t] = false;
    }
  }
  return ends;
}

// X(t) = cost[t] + s X(t+1) + l X(0) + d (destroy_cost + [renew] X(0)) + f X(t),
// X(target) = 0, solved from the top down as X(t) = alpha_t + beta_t X(0).
// gamma_t = 1 - beta_t has a recurrence of its own, and every step adds
// non-negative terms, so no step subtracts nearly equal numbers.
std::array<double, kMaxTarget> Expectations(const ChainShares& shares, int target,
                                            const std::array<double, kMaxTarget>& cost,
                                            double destroy_cost, bool renew) {
  const std::array<bool, kMaxTarget> ends = EndsForSure(shares, target, renew);
  std::array<double, kMaxTarget + 1> alpha{}, beta{}, gamma{};
  gamma[target] = 1.0;
  for (int t = target - 1; t >= 0; --t) {
    if (!ends[t]) continue;  // never used by a count whose walk ends for sure
    const Shares& s = shares[t];
    const bool up = s.success > 0;  // the count above is only looked at when it can be reached
    alpha[t] =
        (cost[t] + s.destroyed * destroy_cost + (up ? s.success * alpha[t + 1] : 0.0)) / s.leaving;
    beta[t] =
        ((up ? s.success * beta[t + 1] : 0.0) + s.lost + (renew ? s.destroyed : 0.0)) / s.leaving;
    gamma[t] = ((renew ? 0.0 : s.destroyed) + (up ? s.success * gamma[t + 1] : 0.0)) / s.leaving;
  }
  const double at_zero = ends[0] ? alpha[0] / gamma[0] : kInfinity;
  std::array<double, kMaxTarget> values{};
  for (int t = 0; t < target; ++t) {
    if (!ends[t]) {
      values[t] = kInfinity;
    } else {
      values[t] = alpha[t] + (beta[t] > 0 ? beta[t] * at_zero : 0.0);
    }
  }
  return values;
}

// How a walk without new items ends: X(t) = s X(t+1) + l X(0) + d·on_loss +
// f X(t), X(target) = at_target, as X(t) = a_t + b_t X(0) with c_t = 1 - b_t
// carried along; a count that is never left never ends. (1, 0) gives the
// chance to reach the target first, (0, 1) the chance to lose the item first.
std::array<double, kMaxTarget> EndProbabilities(const ChainShares& shares, int target,
                                                double at_target, double on_loss) {
  std::array<double, kMaxTarget + 1> a{}, b{}, c{};
  a[target] = at_target;
  c[target] = 1.0;
  for (int t = target - 1; t >= 0; --t) {
    const Shares& s = shares[t];
    if (s.leaving == 0) {
      c[t] = 1.0;
      continue;
    }
    a[t] = (s.destroyed * on_loss + s.success * a[t + 1]) / s.leaving;
    b[t] = (s.success * b[t + 1] + s.lost) / s.leaving;
    c[t] = (s.destroyed + s.success * c[t + 1]) / s.leaving;
  }
  // c_0 = 0 means the walk comes back to 0 for sure, so a_0 = 0 as well.
  const double at_zero = c[0] > 0 ? a[0] / c[0] : 0.0;
  std::array<double, kMaxTarget> values{};
  for (int t = 0; t < target; ++t) values[t] = a[t] + b[t] * at_zero;
  return values;
}

std::array<double, kMaxTarget> ReachProbabilities(const ChainShares& shares, int target) {
  return EndProbabilities(shares, target, 1.0, 0.0);
}

std::array<double, kMaxTarget> DestroyProbabilities(const ChainShares& shares, int target) {
  return EndProbabilities(shares, target, 0.0, 1.0);
}

// The fewest destroyed items k with P(target with at most k destroyed) >=
// level: the first item starts at start, every new one at 0, so
// P(k) = R(start) + D(start) R(0) (1 - D(0)^k) / (1 - D(0)).
std::int64_t ItemsFor(double reach_start, double destroy_start, double reach_zero,
                      double destroy_zero, double level) {
  if (reach_start >= level) return 0;
  const double renewed = destroy_start * reach_zero;
  if (renewed <= 0) return kNever;
  // 1 - D(0) without cancellation where the walk ends for sure.
  const double leave = destroy_zero + reach_zero >= 1.0 - 1e-12 ? reach_zero : 1.0 - destroy_zero;
  const auto within = [&](std::int64_t k) {
    const double sum = leave >= 1.0
                           ? (k > 0 ? 1.0 : 0.0)
                           : -std::expm1(static_cast<double>(k) * std::log1p(-leave)) / leave;
    return reach_start + renewed * sum;
  };
  const double needed = (level - reach_start) * leave / renewed;  // 1 - D(0)^k must reach this
  if (needed > 1.0 + 1e-12) return kNever;
  double guess = 1.0;
  if (leave < 1.0 && needed < 1.0) guess = std::ceil(std::log1p(-needed) / std::log1p(-leave));
  if (!(guess < 4e18)) return kNever;
  auto k = static_cast<std::int64_t>(std::max(guess, 1.0));
  while (k > 1 && within(k - 1) >= level) --k;
  for (int more = 0; within(k) < level; ++more) {
    if (more > 64) return kNever;
    k += 1 + k / 1000000000;
  }
  return k;
}

// ---- Attempts for a probability ------------------------------------------

// M^n - I for the n-attempt transition matrix M with new items; the last
// state, the target, absorbs. Kept as the difference from I, and in about
// 32 digits, so that shares near 0 or 1 keep their digits through the 62
// squarings that 2^62 attempts take.
constexpr int kStates = kMaxTarget + 1;
using Matrix = std::array<std::array<WideFloat, kStates>, kStates>;
constexpr int kPowerCount = 62;  // M^1 up to M^(2^61)
struct MatrixPowers {
  std::array<Matrix, kPowerCount> power;
  int count;  // the powers worked out; beyond them every start is there for sure enough
};

Matrix OneAttempt(const JourneySteps& steps) {
  Matrix d{};
  for (int t = 0; t < steps.target; ++t) {
    const OutcomeOdds& odds = steps.odds[t];
    d[t][t + 1] = WideShare(odds.success);
    if (t == 0) {
      d[0][0] = -WideShare(odds.success);  // losses come back to 0
    } else {
      d[t][t] = -WideShare(odds.success + odds.item_destroyed + odds.taliks_destroyed);
      d[t][0] = WideShare(odds.taliks_destroyed + odds.item_destroyed);
    }
  }
  return d;
}

// (I + D)^2 - I = 2D + D D.
Matrix Doubled(const Matrix& d, int states) {
  Matrix result{};
  for (int i = 0; i < states; ++i) {
    for (int j = 0; j < states; ++j) {
      WideFloat sum = d[i][j] + d[i][j];
      for (int k = 0; k < states; ++k) {
        if (d[i][k].hi != 0.0 && d[k][j].hi != 0.0) sum = sum + d[i][k] * d[k][j];
      }
      result[i][j] = sum;
    }
  }
  return result;
}

// The powers up to the first after which every start has got there with at
// least `enough`, or that covers `attempts`: no count of attempts asked for
// lies beyond it.
MatrixPowers PowersOf(const JourneySteps& steps, double enough, std::int64_t attempts = 0) {
  MatrixPowers powers{};
  powers.power[0] = OneAttempt(steps);
  const int target = steps.target;
  int k = 1;
  for (; k < kPowerCount; ++k) {
    const Matrix& last = powers.power[k - 1];
    bool there = true;
    for (int t = 0; t < target; ++t) there = there && !(last[t][target] < Wide(enough));
    if (there && (attempts >> k) == 0) break;
    powers.power[k] = Doubled(last, target + 1);
  }
  powers.count = k;
  return powers;
}

using Distribution = std::array<WideFloat, kStates>;

// v (I + D).
Distribution Step(const Distribution& v, const Matrix& d, int states) {
  Distribution next = v;
  for (int i = 0; i < states; ++i) {
    if (v[i].hi == 0.0) continue;
    for (int j = 0; j < states; ++j) {
      if (d[i][j].hi != 0.0) next[j] = next[j] + v[i] * d[i][j];
    }
  }
  return next;
}

// The smallest n with P(target within n attempts) >= level, by binary
// lifting over the powers; kNever beyond 2^62.
std::int64_t AttemptsFor(const MatrixPowers& powers, int target, int start, double level) {
  Distribution v{};
  v[start] = Wide(1.0);
  std::int64_t below = 0;  // the most attempts known to fall short
  for (int k = powers.count - 1; k >= 0; --k) {
    const Distribution next = Step(v, powers.power[k], target + 1);
    if (next[target] < Wide(level)) {
      v = next;
      below += std::int64_t{1} << k;
    }
  }
  if (below + 1 == kMaxCountedAttempts &&
      Step(v, powers.power[0], target + 1)[target] < Wide(level))
    return kNever;
  return below + 1;
}

}  // namespace

Journey PlanJourney(const JourneySteps& steps) {
  const int target = steps.target;
  const ChainShares shares = SharesOfSteps(steps);
  const std::array<double, kMaxTarget> one_each = {1, 1, 1, 1, 1, 1, 1};
  const std::array<double, kMaxTarget> nothing = {};
  const std::array<double, kMaxTarget> reach = ReachProbabilities(shares, target);
  const std::array<double, kMaxTarget> attempts = Expectations(shares, target, one_each, 0, false);
  const std::array<double, kMaxTarget> renewed = Expectations(shares, target, one_each, 0, true);
  const std::array<double, kMaxTarget> items = Expectations(shares, target, nothing, 1, true);
  const std::array<double, kMaxTarget> cost = ExpectedCostWithNewItems(steps);
  const std::array<double, kMaxTarget> destroy = DestroyProbabilities(shares, target);
  const MatrixPowers powers = PowersOf(steps, kPercentileLevels[kPercentileCount - 1]);
  std::array<std::array<double, kPercentileCount>, kMaxTarget> budgets{};
  for (auto& row : budgets) row.fill(kInfinity);
  if (steps.priced) {
    std::array<bool, kMaxTarget> ends{};
    for (int t = 0; t < target; ++t) ends[t] = std::isfinite(renewed[t]);
    budgets = BudgetsFor(steps, ends);
  }
  // Where every attempt costs the same and items nothing, the total is that
  // cost times the attempts, whose counts are exact at any length.
  const bool uniform =
      steps.priced && steps.item_cost == 0 &&
      std::all_of(steps.attempt_cost.begin(), steps.attempt_cost.begin() + target,
                  [&steps](double cost) { return cost == steps.attempt_cost[0] && cost > 0; });
  Journey journey{};
  journey.target = target;
  for (int t = 0; t < target; ++t) {
    JourneyRow& row = journey.rows[t];
    row.reach_probability = reach[t];
    row.expected_attempts = attempts[t];
    // A journey that never ends with new items has none of their figures:
    // the three with-new-items expectations share one reachability, so they
    // are infinite together.
    row.expected_attempts_with_new_items = renewed[t];
    row.expected_items_destroyed = items[t];
    row.expected_cost = cost[t];
    const bool ends = std::isfinite(renewed[t]);
    for (int p = 0; p < kPercentileCount; ++p) {
      row.attempts_for[p] = ends ? AttemptsFor(powers, target, t, kPercentileLevels[p]) : kNever;
      row.items_for[p] = ItemsFor(reach[t], destroy[t], reach[0], destroy[0], kPercentileLevels[p]);
    }
    row.budget_for = budgets[t];
    for (int p = 0; uniform && p < kPercentileCount; ++p) {
      row.budget_for[p] = row.attempts_for[p] == kNever
                              ? kInfinity
                              : steps.attempt_cost[0] * static_cast<double>(row.attempts_for[p]);
    }
  }
  return journey;
}

std::array<double, kMaxTarget> ReachBeforeDestroyed(const JourneySteps& steps) {
  return ReachProbabilities(SharesOfSteps(steps), steps.target);
}

VisitCounts ExpectedVisits(const JourneySteps& steps) {
  const ChainShares shares = SharesOfSteps(steps);
  VisitCounts visits{};
  for (int u = 0; u < steps.target; ++u) {
    std::array<double, kMaxTarget> here{};
    here[u] = 1.0;
    const std::array<double, kMaxTarget> at_u = Expectations(shares, steps.target, here, 0, true);
    for (int t = 0; t < steps.target; ++t) visits[t][u] = at_u[t];
  }
  return visits;
}

std::array<double, kMaxTarget> ExpectedCostWithNewItems(const JourneySteps& steps) {
  return Expectations(SharesOfSteps(steps), steps.target, steps.attempt_cost, steps.item_cost,
                      true);
}

std::vector<double> ReachedWithinEach(const JourneySteps& steps, int start,
                                      const std::vector<std::int64_t>& attempts) {
  const std::int64_t most =
      attempts.empty() ? 0 : *std::max_element(attempts.begin(), attempts.end());
  const MatrixPowers powers = PowersOf(steps, 0.0, most);
  std::vector<double> reached;
  reached.reserve(attempts.size());
  for (const std::int64_t count : attempts) {
    Distribution v{};
    v[start] = Wide(1.0);
    for (int k = 0; k < powers.count; ++k) {
      if (((count >> k) & 1) != 0) v = Step(v, powers.power[k], steps.target + 1);
    }
    reached.push_back(std::min(1.0, std::max(0.0, v[steps.target].hi)));
  }
  return reached;
}

double ReachedWithin(const JourneySteps& steps, int start, std::int64_t attempts) {
  return ReachedWithinEach(steps, start, {attempts}).front();
}

double CostOfLeaving(const OutcomeOdds& odds, double attempt_cost, double item_cost, double above,
                     double from_zero) {
  const Shares s = SharesOf(odds);
  if (s.success == 0) return kInfinity;
  return (attempt_cost + s.destroyed * item_cost + s.success * above +
          (s.lost + s.destroyed) * from_zero) /
         s.leaving;
}
