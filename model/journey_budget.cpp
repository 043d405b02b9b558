// The budget that suffices with a given probability: the distribution of
// the total spent, counted exactly in units of the costs' greatest common
// divisor, one unit after another, and beyond a window from its tail.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "model/journey.h"
#include "model/outcome_odds.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The history the pass keeps of each count: its longest step back.
constexpr std::int64_t kMaxHistory = std::int64_t{1} << 15;

// One talik count's step: each outcome's share, and what an attempt and an
// attempt that destroys the item and takes a new one cost, in units.
struct CountStep {
  double success, lost, destroyed, failed;
  std::int64_t attempt_units, destroyed_units;
};

// The shares of a count's outcomes that look back at an earlier row: those
// that cost something. The others are solved within the row.
struct LookBack {
  double success, lost, failed, destroyed;
};

// The chance to spend more than b, and exactly b, from each count; the
// target (index target) has nothing more to spend.
struct SpentRow {
  std::array<double, kMaxTarget + 1> more;
  std::array<double, kMaxTarget + 1> exactly;
};

using SquareMatrix = std::array<std::array<double, kMaxTarget>, kMaxTarget>;

// (I - a)^-1 by elimination with partial pivoting; false where there is
// none: a loop that costs nothing and never ends.
bool InverseOfIMinus(const SquareMatrix& a, int n, SquareMatrix* inverse) {
  constexpr std::size_t kWidth = std::size_t{2} * kMaxTarget;  // (I - a | I)
  std::array<std::array<double, kWidth>, kMaxTarget> m{};
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) m[i][j] = (i == j ? 1.0 : 0.0) - a[i][j];
    m[i][n + i] = 1.0;
  }
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int r = col + 1; r < n; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    if (std::fabs(m[pivot][col]) < 1e-300) return false;
    std::swap(m[col], m[pivot]);
    for (int r = 0; r < n; ++r) {
      if (r == col || m[r][col] == 0.0) continue;
      const double factor = m[r][col] / m[col][col];
      for (int j = col; j < 2 * n; ++j) m[r][j] -= factor * m[col][j];
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) (*inverse)[i][j] = m[i][n + j] / m[i][i];
  }
  return true;
}

// x = a x + x0 for the steps that cost nothing: with the inverse where
// there is one, else (a free loop that may never end) by substitution.
void SolveFree(const SquareMatrix& a, const SquareMatrix* inverse, int n,
               std::array<double, kMaxTarget + 1>& x) {
  std::array<double, kMaxTarget + 1> y = x;
  if (inverse != nullptr) {
    for (int i = 0; i < n; ++i) {
      y[i] = 0.0;
      for (int j = 0; j < n; ++j) y[i] += (*inverse)[i][j] * x[j];
    }
  } else {
    for (int round = 0; round < 2000; ++round) {
      for (int i = 0; i < n; ++i) {
        double sum = x[i];
        for (int j = 0; j < n; ++j) sum += a[i][j] * y[j];
        y[i] = std::min(1.0, sum);
      }
    }
  }
  x = y;
}

}  // namespace

std::array<std::array<double, kPercentileCount>, kMaxTarget> BudgetsFor(
    const JourneySteps& steps, const std::array<bool, kMaxTarget>& ends) {
  const int n = steps.target;
  std::array<std::array<double, kPercentileCount>, kMaxTarget> budgets{};
  for (auto& row : budgets) row.fill(kInfinity);

  // Costs in units of their greatest common divisor.
  const auto whole = [](double cost) { return static_cast<std::int64_t>(std::llround(cost)); };
  std::int64_t unit = whole(steps.item_cost);
  for (int t = 0; t < n; ++t) unit = std::gcd(unit, whole(steps.attempt_cost[t]));
  std::array<CountStep, kMaxTarget> counts{};
  std::int64_t history = 1;
  for (int t = 0; t < n; ++t) {
    const OutcomeOdds& odds = steps.odds[t];
    const std::int64_t cost = unit > 0 ? whole(steps.attempt_cost[t]) / unit : 0;
    const std::int64_t item = unit > 0 ? whole(steps.item_cost) / unit : 0;
    counts[t] = {OutcomeProbability(odds, AttemptOutcome::kSuccess),
                 OutcomeProbability(odds, AttemptOutcome::kTaliksDestroyed),
                 OutcomeProbability(odds, AttemptOutcome::kItemDestroyed),
                 OutcomeProbability(odds, AttemptOutcome::kFailed),
                 cost,
                 cost + item};
    history = std::max(history, cost + item + 1);
  }
  if (history > kMaxHistory) {
    // Too far apart to count unit by unit: counted in coarser units, each
    // cost rounded to the nearest of them.
    const std::int64_t coarse = (history + kMaxHistory - 2) / (kMaxHistory - 1);
    history = 1;
    for (int t = 0; t < n; ++t) {
      counts[t].attempt_units = (counts[t].attempt_units + coarse / 2) / coarse;
      counts[t].destroyed_units = (counts[t].destroyed_units + coarse / 2) / coarse;
      history = std::max(history, counts[t].destroyed_units + 1);
    }
    unit *= coarse;
  }

  // The steps that cost nothing are solved together at each b; the others
  // look back.
  SquareMatrix free{};
  std::array<LookBack, kMaxTarget> look_back{};
  bool free_steps = false;
  for (int t = 0; t < n; ++t) {
    const CountStep& s = counts[t];
    if (s.attempt_units == 0) {
      if (t + 1 < n) free[t][t + 1] += s.success;
      free[t][0] += s.lost;
      free[t][t] += s.failed;
      free_steps = true;
    } else {
      look_back[t].success = s.success;
      look_back[t].lost = s.lost;
      look_back[t].failed = s.failed;
    }
    if (s.destroyed_units == 0) {
      free[t][0] += s.destroyed;
      free_steps = true;
    } else {
      look_back[t].destroyed = s.destroyed;
    }
  }
  SquareMatrix inverse{};
  const bool invertible = free_steps && InverseOfIMinus(free, n, &inverse);

  // b = 0, 1, ...; the last `history` rows kept in a ring, which starts
  // full of the rows before anything is spent: more than b for sure.
  SpentRow before{};
  before.more.fill(1.0);
  const auto size = static_cast<std::size_t>(history);
  std::vector<SpentRow> ring(size, before);
  // The levels rise, so each count finds them in order: the next to find,
  // and the chance to spend more that it takes (below 0 once all are found).
  std::array<int, kMaxTarget> next{};
  std::array<double, kMaxTarget> wanted{};
  wanted.fill(1.0 - kPercentileLevels[0]);
  int left = n * kPercentileCount;
  // The chance to spend exactly b is followed on its own only where the
  // journey is so long that the tail's fall over a window is lost in the
  // digits of the chance to spend more; elsewhere it is their difference.
  const std::array<double, kMaxTarget> mean = ExpectedCostWithNewItems(steps);
  const bool track_mass = !(mean[0] / static_cast<double>(unit) < 1e8);
  // The tail's fall per unit over the units the ring holds, up to `last`,
  // without cancellation where the chance to spend exactly b is followed.
  const auto rate = [&](int t, std::int64_t last) {
    const double now = ring[static_cast<std::size_t>(last % history)].more[t];
    double spent = 0.0;
    std::int64_t span = history;
    if (track_mass) {
      spent = std::accumulate(ring.begin(), ring.end(), 0.0,
                              [t](double sum, const SpentRow& r) { return sum + r.exactly[t]; });
    } else {
      spent = ring[static_cast<std::size_t>((last + 1) % history)].more[t] - now;
      span = history - 1;
    }
    return span > 0 ? -std::log1p(-spent / (now + spent)) / static_cast<double>(span) : 0.0;
  };
  std::array<double, kMaxTarget> settled_rate{};  // at the last look, a span of units ago
  // Where each count's two earlier rows are for b = 0; they move on with b.
  // A step that costs nothing looks at this very row with a share of 0.
  std::array<std::size_t, kMaxTarget> attempt_place{}, destroyed_place{};
  for (int t = 0; t < n; ++t) {
    attempt_place[t] =
        static_cast<std::size_t>((history - counts[t].attempt_units % history) % history);
    destroyed_place[t] =
        static_cast<std::size_t>((history - counts[t].destroyed_units % history) % history);
  }
  std::int64_t b = 0;
  std::int64_t at = 0;  // b's place in the ring
  for (; b < kExactBudgetUnits && left > 0; ++b, at = at + 1 == history ? 0 : at + 1) {
    SpentRow& row = ring[static_cast<std::size_t>(at)];
    for (int t = 0; t < n; ++t) {
      const LookBack& s = look_back[t];
      const SpentRow& a = ring[attempt_place[t]];
      const SpentRow& d = ring[destroyed_place[t]];
      attempt_place[t] = attempt_place[t] + 1 == size ? 0 : attempt_place[t] + 1;
      destroyed_place[t] = destroyed_place[t] + 1 == size ? 0 : destroyed_place[t] + 1;
      row.more[t] = s.success * a.more[t + 1] + s.lost * a.more[0] + s.failed * a.more[t] +
                    s.destroyed * d.more[0];
      if (track_mass) {
        row.exactly[t] = s.success * a.exactly[t + 1] + s.lost * a.exactly[0] +
                         s.failed * a.exactly[t] + s.destroyed * d.exactly[0];
      }
    }
    // From the last count the target is there at once where it costs nothing.
    if (track_mass && b == 0 && counts[n - 1].attempt_units == 0)
      row.exactly[n - 1] += counts[n - 1].success;
    row.more[n] = 0.0;
    row.exactly[n] = b == 0 ? 1.0 : 0.0;
    if (free_steps) {
      SolveFree(free, invertible ? &inverse : nullptr, n, row.more);
      if (track_mass) SolveFree(free, invertible ? &inverse : nullptr, n, row.exactly);
    }
    for (int t = 0; t < n; ++t) {
      while (row.more[t] <= wanted[t]) {
        budgets[t][next[t]++] = static_cast<double>(b) * static_cast<double>(unit);
        wanted[t] = next[t] < kPercentileCount ? 1.0 - kPercentileLevels[next[t]] : -1.0;
        --left;
      }
    }
    // Once the tail's fall has settled to every digit that matters, the rest
    // follows from it.
    if (at + 1 == history && b >= 4 * history) {
      bool settled = true;
      for (int t = 0; t < n; ++t) {
        if (!ends[t]) continue;
        const double now_rate = rate(t, b);
        settled =
            settled && now_rate > 0.0 && std::fabs(now_rate - settled_rate[t]) <= 1e-10 * now_rate;
        settled_rate[t] = now_rate;
      }
      if (settled) {
        ++b;
        break;
      }
    }
  }
  if (left == 0) return budgets;

  // Beyond the window the tail falls geometrically.
  const std::int64_t last = b - 1;
  for (int t = 0; t < n; ++t) {
    if (!ends[t]) continue;  // some chance of never getting there: no tail to follow
    const double now = ring[static_cast<std::size_t>(last % history)].more[t];
    const double per_unit = rate(t, last);
    for (int p = next[t]; p < kPercentileCount; ++p) {
      if (!(per_unit > 0.0) || !(now > 0.0)) continue;
      const double more = std::ceil(std::log(now / (1.0 - kPercentileLevels[p])) / per_unit);
      budgets[t][p] = (static_cast<double>(last) + more) * static_cast<double>(unit);
    }
  }
  return budgets;
}
