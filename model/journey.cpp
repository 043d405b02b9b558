#include "model/journey.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "model/journey_budget.h"
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

// Powers x^(2^j) for j = 0 to 61: counts up to 2^62 - 1 by binary lifting.
constexpr int kPowerCount = 62;

// A level as the whole percent it stands for, to about 32 digits: the double
// 0.99 is 0.98999999999999999112, and a chance between the two falls short.
WideFloat WideLevel(double level) {
  const double percent = std::round(level * 100.0);
  return Wide(percent) / Wide(100.0);
}

// How a walk without new items ends: X(t) = s X(t+1) + l X(0) + d·[loss] +
// f X(t), X(target) = [reach], as X(t) = a_t + b_t X(0) with c_t = 1 - b_t
// carried along; a count that is never left never ends. reach gives the
// chance to reach the target first, otherwise the chance to lose the item
// first. To about 32 digits: the chances of neighbouring counts of items
// differ in the 17th digit at 10^15 items.
std::array<WideFloat, kMaxTarget> EndProbabilities(const JourneySteps& steps, bool reach) {
  const int target = steps.target;
  std::array<WideFloat, kMaxTarget + 1> a{}, b{}, c{};
  a[target] = Wide(reach ? 1.0 : 0.0);
  c[target] = Wide(1.0);
  for (int t = target - 1; t >= 0; --t) {
    const OutcomeOdds& odds = steps.odds[t];
    const WideFloat leaving = WideShare(odds.success + odds.item_destroyed + odds.taliks_destroyed);
    if (leaving.hi == 0.0) {
      c[t] = Wide(1.0);
      continue;
    }
    const WideFloat s = WideShare(odds.success);
    const WideFloat d = WideShare(odds.item_destroyed);
    a[t] = ((reach ? WideFloat{} : d) + s * a[t + 1]) / leaving;
    b[t] = (s * b[t + 1] + WideShare(odds.taliks_destroyed)) / leaving;
    c[t] = (d + s * c[t + 1]) / leaving;
  }
  // c_0 = 0 means the walk comes back to 0 for sure, so a_0 = 0 as well.
  const WideFloat at_zero = c[0].hi > 0 ? a[0] / c[0] : WideFloat{};
  std::array<WideFloat, kMaxTarget> values{};
  for (int t = 0; t < target; ++t) values[t] = a[t] + b[t] * at_zero;
  return values;
}

// The fewest destroyed items k with P(target with at most k destroyed) >=
// level: the first item starts at start, every new one at 0, so
// P(k) = R(start) + D(start) R(0) (1 - D(0)^k) / (1 - D(0)). k is found by
// binary lifting over D(0)^(2^j) - 1, which like the attempts' powers keeps
// its digits where D(0) is within 10^-15 of 1. ends_from_zero: the walk from
// 0 without new items ends for sure, so 1 - D(0) is R(0), without cancelling.
std::int64_t ItemsFor(const std::array<WideFloat, kMaxTarget>& reach,
                      const std::array<WideFloat, kMaxTarget>& destroy, bool ends_from_zero,
                      int start, WideFloat level) {
  if (!(reach[start] < level)) return 0;
  const WideFloat leave = ends_from_zero ? reach[0] : Wide(1.0) - destroy[0];
  if (destroy[start].hi <= 0 || reach[0].hi <= 0 || leave.hi <= 0) return kNever;
  const WideFloat renewed = destroy[start] * reach[0] / leave;
  std::array<WideFloat, kPowerCount> power_less_one{};  // D(0)^(2^j) - 1
  power_less_one[0] = -leave;
  for (int j = 1; j < kPowerCount; ++j) {
    const WideFloat y = power_less_one[j - 1];
    power_less_one[j] = y + y + y * y;
  }
  WideFloat below_less_one{};  // D(0)^below - 1
  std::int64_t below = 0;      // the most items known to fall short
  for (int j = kPowerCount - 1; j >= 0; --j) {
    const WideFloat y = power_less_one[j];
    const WideFloat next = below_less_one + y + below_less_one * y;
    if (reach[start] - renewed * next < level) {
      below_less_one = next;
      below += std::int64_t{1} << j;
    }
  }
  return below + 1 == kMaxCountedAttempts ? kNever : below + 1;
}

// ---- Attempts for a probability ------------------------------------------

// M^n - I for the n-attempt transition matrix M with new items; the last
// state, the target, absorbs. Kept as the difference from I, and in about
// 32 digits, so that shares near 0 or 1 keep their digits through the 62
// squarings that 2^62 attempts take.
constexpr int kStates = kMaxTarget + 1;
using Matrix = std::array<std::array<WideFloat, kStates>, kStates>;
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

// (I + D)^2 - I = 2D + D D. A row of D sums to 0; its diagonal is taken as
// minus the rest of the row, a sum of shares that cannot cancel. Computed as
// 2D + D D it would carry the row's rounding, which every later squaring
// doubles: once the walk has spread over the talik counts that loses the
// last digits of the chance to be there after 10^15 attempts and more.
Matrix Doubled(const Matrix& d, int states) {
  Matrix result{};
  for (int i = 0; i < states; ++i) {
    WideFloat rest{};
    for (int j = 0; j < states; ++j) {
      if (j == i) continue;
      WideFloat sum = d[i][j] + d[i][j];
      for (int k = 0; k < states; ++k) {
        if (d[i][k].hi != 0.0 && d[k][j].hi != 0.0) sum = sum + d[i][k] * d[k][j];
      }
      result[i][j] = sum;
      rest = rest + sum;
    }
    result[i][i] = -rest;
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
std::int64_t AttemptsFor(const MatrixPowers& powers, int target, int start, WideFloat level) {
  Distribution v{};
  v[start] = Wide(1.0);
  std::int64_t below = 0;  // the most attempts known to fall short
  for (int k = powers.count - 1; k >= 0; --k) {
    const Distribution next = Step(v, powers.power[k], target + 1);
    if (next[target] < level) {
      v = next;
      below += std::int64_t{1} << k;
    }
  }
  if (below + 1 == kMaxCountedAttempts && Step(v, powers.power[0], target + 1)[target] < level)
    return kNever;
  return below + 1;
}

// The counts of attempts and items the budgets are bounded by, at each
// level, halfway from it to the chance of ever reaching the target, and at
// that chance less the tail's mass.
BudgetCounts CountsForBudgets(const JourneySteps& steps,
                              const std::array<WideFloat, kMaxTarget>& reach,
                              const std::array<WideFloat, kMaxTarget>& destroy,
                              bool ends_from_zero) {
  const int target = steps.target;
  BudgetCounts counts{};
  counts.reach = ReachWithNewItems(steps);
  const MatrixPowers powers = PowersOf(steps, 1.0 - kBudgetTailMass);
  const auto at = [&](int t, double level, bool attempts) {
    const WideFloat wide = Wide(std::max(level, 0.0));
    return attempts ? AttemptsFor(powers, target, t, wide)
                    : ItemsFor(reach, destroy, ends_from_zero, t, wide);
  };
  for (int t = 0; t < target; ++t) {
    const double ever = counts.reach[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      const WideFloat level = WideLevel(kPercentileLevels[p]);
      counts.attempts_for[t][p] = AttemptsFor(powers, target, t, level);
      counts.items_for[t][p] = ItemsFor(reach, destroy, ends_from_zero, t, level);
      const double halfway = (kPercentileLevels[p] + ever) / 2.0;
      counts.attempts_halfway[t][p] = at(t, halfway, true);
      counts.items_halfway[t][p] = at(t, halfway, false);
    }
    counts.attempts_tail[t] = at(t, ever - kBudgetTailMass, true);
    counts.items_tail[t] = at(t, ever - kBudgetTailMass, false);
    // P(at most k items) = R(t) + D(t) R(0) (1 - D(0)^k) / (1 - D(0)).
    const WideFloat leave = ends_from_zero ? reach[0] : Wide(1.0) - destroy[0];
    counts.reach_first[t] = reach[t].hi;
    counts.renewed[t] = leave.hi > 0 ? (destroy[t] * reach[0] / leave).hi : 0.0;
    counts.stay_log = leave.hi >= 1.0 ? -kInfinity : std::log1p(-leave.hi);
  }
  return counts;
}

// The budgets of priced steps and the chance within the player's budget,
// from the chances to reach the target and to lose the item.
void SetBudgets(const JourneySteps& steps, const std::array<WideFloat, kMaxTarget>& reach,
                const std::array<WideFloat, kMaxTarget>& destroy, bool ends_from_zero,
                Journey* journey) {
  const JourneyBudgets budgets =
      BudgetsFor(steps, CountsForBudgets(steps, reach, destroy, ends_from_zero));
  for (int t = 0; t < steps.target; ++t) {
    JourneyRow& row = journey->rows[t];
    row.budget_for = budgets.budget[t];
    row.budget_relative_error = budgets.relative_error[t];
    row.reach_within_budget = budgets.within[t];
    row.reach_within_budget_exact = budgets.within_exact[t];
  }
}

}  // namespace

Journey PlanJourney(const JourneySteps& steps) {
  const int target = steps.target;
  const ChainShares shares = SharesOfSteps(steps);
  const std::array<double, kMaxTarget> one_each = {1, 1, 1, 1, 1, 1, 1};
  const std::array<double, kMaxTarget> nothing = {};
  const std::array<WideFloat, kMaxTarget> reach = EndProbabilities(steps, true);
  const std::array<WideFloat, kMaxTarget> destroy = EndProbabilities(steps, false);
  const std::array<double, kMaxTarget> attempts = Expectations(shares, target, one_each, 0, false);
  const std::array<double, kMaxTarget> renewed = Expectations(shares, target, one_each, 0, true);
  const std::array<double, kMaxTarget> items = Expectations(shares, target, nothing, 1, true);
  const std::array<double, kMaxTarget> cost = ExpectedCostWithNewItems(steps);
  const MatrixPowers powers = PowersOf(steps, kPercentileLevels[kPercentileCount - 1]);
  const bool ends_from_zero = EndsForSure(shares, target, false)[0];
  Journey journey{};
  journey.target = target;
  for (int t = 0; t < target; ++t) {
    JourneyRow& row = journey.rows[t];
    row.reach_probability = reach[t].hi;
    row.expected_attempts = attempts[t];
    // A journey that never ends with new items has none of their figures:
    // the three with-new-items expectations share one reachability, so they
    // are infinite together.
    row.expected_attempts_with_new_items = renewed[t];
    row.expected_items_destroyed = items[t];
    row.expected_cost = cost[t];
    const bool ends = std::isfinite(renewed[t]);
    for (int p = 0; p < kPercentileCount; ++p) {
      const WideFloat level = WideLevel(kPercentileLevels[p]);
      row.attempts_for[p] = ends ? AttemptsFor(powers, target, t, level) : kNever;
      row.items_for[p] = ItemsFor(reach, destroy, ends_from_zero, t, level);
    }
    row.budget_for.fill(kInfinity);
    row.budget_relative_error.fill(0.0);
    row.reach_within_budget = 0.0;
    row.reach_within_budget_exact = false;
  }
  if (steps.priced) SetBudgets(steps, reach, destroy, ends_from_zero, &journey);
  return journey;
}

void AddPricedFigures(const JourneySteps& steps, Journey* journey) {
  const std::array<double, kMaxTarget> cost = ExpectedCostWithNewItems(steps);
  for (int t = 0; t < steps.target; ++t) journey->rows[t].expected_cost = cost[t];
  SetBudgets(steps, EndProbabilities(steps, true), EndProbabilities(steps, false),
             EndsForSure(SharesOfSteps(steps), steps.target, false)[0], journey);
}

std::array<double, kMaxTarget> ReachBeforeDestroyed(const JourneySteps& steps) {
  const std::array<WideFloat, kMaxTarget> reach = EndProbabilities(steps, true);
  std::array<double, kMaxTarget> values{};
  for (int t = 0; t < steps.target; ++t) values[t] = reach[t].hi;
  return values;
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
