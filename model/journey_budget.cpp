// The budget that suffices with a given probability, in named steps:
//  1. the totals a single count decides: items alone (free attempts), one
//     attempt cost and free items, nothing at all;
//  2. an exact pass over the lattice of whole costs: the chance W_t(b) to
//     reach the target from t spending at most b units, row after row, with
//     the item price in the lattice where it is a small multiple of the
//     unit, otherwise with the items destroyed counted apart;
//  3. where the exact lattice is too large: bounds from the counts of
//     attempts and items alone and from the tail's exact decay (a martingale
//     of the spent amount), and the strip of a pass's last rows;
//  4. where the total is lumpy at the item's scale: the lives of the items
//     (model/budget_lives), a renewal of lives on a coarse unit;
//  5. what is still wide: the pass with every cost rounded up to a coarser
//     unit (never too small, and at most the rounding's share too large);
//     the tightest of them all, rounded up to the digits it has.
#include "model/journey_budget.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <numeric>
#include <vector>

#include "model/budget_lives.h"
#include "model/item_slices.h"
#include "model/outcome_odds.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The work of one pass, in cells (units times talik counts, times item
// counts where items are counted apart), and what a pass may keep.
constexpr std::int64_t kPassCells = std::int64_t{1} << 23;
// A row's own work, in cells, beside one cell per talik count.
constexpr int kRowCells = 2;
constexpr std::int64_t kStoredCells = std::int64_t{1} << 23;
constexpr std::int64_t kRingRows = std::int64_t{1} << 19;
// Items apart with the item beyond the attempts: the pass stops at the
// budgets' rows, far before the tail it is sized by.
constexpr std::int64_t kItemsApartCells = std::int64_t{3} << 25;
// Where that pass does not fit, the watched item counts' journeys from one
// life's powers (model/item_slices): on about this many instructions.
constexpr std::int64_t kSliceWork = std::int64_t{1} << 28;
// A life is walked row by row of units, and its totals spread over as many:
// only where an attempt costs at most this many units.
constexpr std::int64_t kSliceUnits = 4096;
// The chance by which a budget's fewer items, counted whole where the item
// price is beyond the attempts, may be over in all: within a budget's
// tolerance of 10^-12.
constexpr double kItemBeyondMass = 5e-13;
// Budgets in the currency are whole numbers a double holds exactly.
constexpr double kLargestWhole = 9007199254740992.0;  // 2^53

using Levels = BudgetLevels;
using Figures = BudgetFigures;

std::int64_t Whole(double cost) { return static_cast<std::int64_t>(std::llround(cost)); }

// ---- The counts the target can be reached from -----------------------------

// A count is live where every count from it up can succeed: only from there
// can the target be reached. Index target is the target itself.
std::array<bool, kMaxTarget + 1> LiveCounts(const JourneySteps& steps) {
  std::array<bool, kMaxTarget + 1> live{};
  live[steps.target] = true;
  for (int t = steps.target - 1; t >= 0; --t) live[t] = live[t + 1] && steps.odds[t].success > 0;
  return live;
}

// ---- The lattice -------------------------------------------------------------

// The walk on whole units: each outcome's share, 0 where it leads to a count
// the target cannot be reached from (its chance is lost), and each attempt's
// cost. A destroyed item costs item_units more where it is in the lattice;
// with items_apart it moves to the next item count instead.
struct Lattice {
  int target = 1;
  std::array<bool, kMaxTarget + 1> live{};
  std::array<double, kMaxTarget> success{}, lost{}, destroyed{}, failed{};
  std::array<std::int64_t, kMaxTarget> units{};
  std::int64_t item_units = 0;
  // An attempt that destroys the item with it, where the item is in it.
  std::array<std::int64_t, kMaxTarget> destroyed_units{};
  // On a rounded walk (Roundings), the chance that an attempt, and one that
  // destroys the item, costs a unit more; 0 on whole costs.
  std::array<double, kMaxTarget> up{}, destroyed_up{};
  bool rounded = false;
  bool items_apart = false;
  // (I - F)^-1 for the shares F that stay within a row (steps that cost
  // nothing); the identity where there are none.
  std::array<std::array<double, kMaxTarget>, kMaxTarget> free_inverse{};
  // The counts whose row of it is not the identity's, the only ones a
  // solve changes, each with the columns where its row is not 0.
  std::array<int, kMaxTarget> solved{};
  int solved_count = 0;
  std::array<std::array<int, kMaxTarget>, kMaxTarget> solved_columns{};
  std::array<int, kMaxTarget> solved_width{};
  // Most columns of the solved rows are not 0: a pass reads them all.
  bool solve_every_column = false;
  // The live counts whose attempts cost nothing.
  std::array<int, kMaxTarget> free_counts{};
  int free_count = 0;
};

// (I - F)^-1 by elimination with partial pivoting. The diagonal of I - F is
// given as `away`, what leaves a count other than back to itself at no
// cost, summed from shares that do not cancel.
void InvertFree(Lattice* lattice, const std::array<std::array<double, kMaxTarget>, kMaxTarget>& f,
                const std::array<double, kMaxTarget>& away) {
  const int n = lattice->target;
  constexpr int kWidth = 2 * kMaxTarget;
  std::array<std::array<double, kWidth>, kMaxTarget> m{};
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) m[i][j] = i == j ? away[i] : -f[i][j];
    m[i][n + i] = 1.0;
  }
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int r = col + 1; r < n; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    std::swap(m[col], m[pivot]);
    if (m[col][col] == 0.0) continue;  // a count the pass never fills
    for (int r = 0; r < n; ++r) {
      if (r == col || m[r][col] == 0.0) continue;
      const double factor = m[r][col] / m[col][col];
      for (int j = col; j < 2 * n; ++j) m[r][j] -= factor * m[col][j];
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      lattice->free_inverse[i][j] = m[i][i] == 0.0 ? 0.0 : m[i][n + j] / m[i][i];
  }
}

// The rows of the inverse that differ from the identity's, each with the
// columns where it is not 0.
void NoteSolvedRows(Lattice* lattice) {
  const int n = lattice->target;
  for (int t = 0; t < n; ++t) {
    bool identity = true;
    for (int j = 0; j < n; ++j)
      identity = identity && lattice->free_inverse[t][j] == (t == j ? 1.0 : 0.0);
    if (identity) continue;
    const int k = lattice->solved_count++;
    lattice->solved[k] = t;
    for (int j = 0; j < n; ++j) {
      if (lattice->free_inverse[t][j] != 0.0)
        lattice->solved_columns[k][lattice->solved_width[k]++] = j;
    }
  }
  int columns = 0;
  for (int k = 0; k < lattice->solved_count; ++k) columns += lattice->solved_width[k];
  lattice->solve_every_column = 2 * columns >= lattice->solved_count * n;
}

// A walk on a coarse unit with each cost rounded to one of its two
// neighbouring whole units at random, its mean kept: the lower one and the
// chance of the one above, for an attempt and for one that destroys the
// item.
struct Roundings {
  std::array<std::int64_t, kMaxTarget> units{}, destroyed_units{};
  std::array<double, kMaxTarget> up{}, destroyed_up{};
};

Lattice MakeLattice(const JourneySteps& steps, const std::array<std::int64_t, kMaxTarget>& units,
                    std::int64_t item_units, bool items_apart,
                    const Roundings* rounding = nullptr) {
  Lattice lattice;
  const int n = steps.target;
  lattice.target = n;
  lattice.live = LiveCounts(steps);
  lattice.units = units;
  lattice.item_units = item_units;
  lattice.items_apart = items_apart;
  for (int t = 0; t < n; ++t) lattice.destroyed_units[t] = units[t] + item_units;
  if (rounding != nullptr) {
    lattice.rounded = true;
    lattice.destroyed_units = rounding->destroyed_units;
    lattice.up = rounding->up;
    lattice.destroyed_up = rounding->destroyed_up;
  }
  std::array<std::array<double, kMaxTarget>, kMaxTarget> f{};
  std::array<double, kMaxTarget> away{};
  for (int t = 0; t < n; ++t) {
    away[t] = 1.0;
    if (!lattice.live[t]) continue;
    const OutcomeOdds& odds = steps.odds[t];
    const double s = OutcomeProbability(odds, AttemptOutcome::kSuccess);
    const double l = OutcomeProbability(odds, AttemptOutcome::kTaliksDestroyed);
    const double d = OutcomeProbability(odds, AttemptOutcome::kItemDestroyed);
    const double fail = OutcomeProbability(odds, AttemptOutcome::kFailed);
    const bool back = lattice.live[0];  // a loss can still lead to the target
    lattice.success[t] = s;
    lattice.lost[t] = back ? l : 0.0;
    lattice.destroyed[t] = back ? d : 0.0;
    lattice.failed[t] = fail;
    const bool free = units[t] == 0;
    const bool destroy_free = free && lattice.destroyed_units[t] == 0 && !items_apart;
    if (!free) continue;
    lattice.free_counts[lattice.free_count++] = t;
    // On a rounded walk, only the share that stays on the lower unit.
    const double stay = 1.0 - lattice.up[t];
    const double destroyed_stay = 1.0 - lattice.destroyed_up[t];
    if (t + 1 < n) f[t][t + 1] += s * stay;
    f[t][0] +=
        lattice.lost[t] * stay + (destroy_free ? lattice.destroyed[t] * destroyed_stay : 0.0);
    // The diagonal, 1 less what stays in the row, without cancelling where
    // failures are nearly certain (InvertFree reads no f[t][t]).
    away[t] = t == 0 ? s + (destroy_free ? d * lattice.destroyed_up[t] : d) +
                           (lattice.lost[t] + fail) * lattice.up[t]
                     : s + l + d + fail * lattice.up[t];
  }
  if (lattice.free_count > 0) {
    InvertFree(&lattice, f, away);
    NoteSolvedRows(&lattice);
  }
  return lattice;
}

// x = (I - F)^-1 x over the counts below the target: a pass solves each
// row, so only the rows that differ from the identity's are worked out, and
// only their terms that are not 0 (x is finite: leaving out 0 x[j] changes
// no sum).
void SolveFree(const Lattice& lattice, double* x) {
  // One count solved, as where one count is free: no other row reads it.
  if (lattice.solved_count == 1) {
    const std::array<double, kMaxTarget>& row = lattice.free_inverse[lattice.solved[0]];
    double sum = 0.0;
    for (int c = 0; c < lattice.solved_width[0]; ++c) {
      const int j = lattice.solved_columns[0][c];
      sum += row[j] * x[j];
    }
    x[lattice.solved[0]] = sum;
    return;
  }
  std::array<double, kMaxTarget> y;
  for (int k = 0; k < lattice.solved_count; ++k) {
    const std::array<double, kMaxTarget>& row = lattice.free_inverse[lattice.solved[k]];
    double sum = 0.0;
    for (int c = 0; c < lattice.solved_width[k]; ++c) {
      const int j = lattice.solved_columns[k][c];
      sum += row[j] * x[j];
    }
    y[k] = sum;
  }
  for (int k = 0; k < lattice.solved_count; ++k) x[lattice.solved[k]] = y[k];
}

// The same where the pass knows the number of columns N: every column read
// where most are not 0 (no column list to read, and each 0 adds nothing).
template <int N>
void SolveFreeOf(const Lattice& lattice, double* x) {
  if (!lattice.solve_every_column) {
    SolveFree(lattice, x);
    return;
  }
  std::array<double, kMaxTarget> y;
  for (int k = 0; k < lattice.solved_count; ++k) {
    const std::array<double, kMaxTarget>& row = lattice.free_inverse[lattice.solved[k]];
    double sum = 0.0;
    for (int j = 0; j < N; ++j) sum += row[j] * x[j];
    y[k] = sum;
  }
  for (int k = 0; k < lattice.solved_count; ++k) x[lattice.solved[k]] = y[k];
}

// The least number of units from each count with W >= each wanted level
// (-1 where not found within the pass), and W at the asked units (or, if the
// pass stopped short of them, at its last row, with reached false).
struct PassResult {
  std::array<std::array<std::int64_t, kPercentileCount>, kMaxTarget> units{};
  // On a rounded walk, where the levels less its margin are reached (units:
  // the levels and the margin).
  std::array<std::array<std::int64_t, kPercentileCount>, kMaxTarget> low_units{};
  std::array<double, kMaxTarget> within{};
  bool within_reached = false;
  bool complete = false;  // every wanted level found
};

// The lattice with items in it, row after row from 0 units: W_t(b) =
// s W_{t+1}(b - c_t) + f W_t(b - c_t) + l W_0(b - c_t) + d W_0(b - c_t - m),
// W_target(b) = 1 for b >= 0, and 0 below 0. Every term is a share times a
// chance: nothing cancels. The rows a step looks back to are kept in a ring.
// The rows of the pass for n counts (a template, so that the loop over the
// counts unrolls): a ring of a power of two rows, each row's look-backs at
// b - c found by a mask.

// The tail beyond a pass, from its last rows: where the walk is tilted by
// exp(theta cost) v (v_target = 0), exp(-theta z) v_J of the budget z left is
// a martingale; stopped where z first falls to the pass's last `width` + 1
// rows, it brackets P(spent > y) between low and high times v_t exp(-theta y)
// for every y beyond the pass, low and high the least and greatest of
// P(spent > z) exp(theta z) / v_j over those rows. The further the pass
// goes, the more the walk forgets where it was, and the closer they come.
struct TailStrip {
  double theta = 0.0;  // per unit of the lattice
  std::array<double, kMaxTarget> v{};
  std::int64_t width = 0;  // the dearest step, in units
  double low = kInfinity, high = 0.0;
  std::int64_t last = -1;  // the row measured at, -1 where none
  // Where it is measured before the pass's end (each time four times as
  // far), the pass stopping once the bracket's width in budget is at most
  // `share` of the budgets beyond; -1: at the end only.
  std::int64_t check_at = -1;
  double share = 0.0;
  // The row every budget beyond surely lies at or past, as the counts and
  // the decay bound them: the width is a share of that.
  double floor_rows = 0.0;
};

bool StripClose(const TailStrip& strip) {
  const double beyond = std::max(static_cast<double>(strip.last + 1), strip.floor_rows);
  return strip.last >= 0 && std::log(strip.high / strip.low) <= strip.share * strip.theta * beyond;
}

struct PassState {
  std::array<double, kMaxTarget> success{}, failed{}, lost{}, destroyed{};
  std::array<std::int64_t, kMaxTarget> attempt_back{}, destroyed_back{};
  // A rounded walk's shares a unit further back.
  std::array<double, kMaxTarget> up_success{}, up_failed{}, up_lost{}, up_destroyed{};
  std::array<std::int64_t, kMaxTarget> up_attempt_back{}, up_destroyed_back{};
  double free_into_target = 0.0;
  std::array<int, kMaxTarget> next{};
  std::array<double, kMaxTarget> looked_for{};
  // On a rounded walk: the levels looked for are `margin` above the wanted
  // ones, and each also `margin` below them.
  double margin = 0.0;
  std::array<int, kMaxTarget> next_low{};
  std::array<double, kMaxTarget> looked_low{};
  int left = 0;
  TailStrip* strip = nullptr;
};

// The strip's bracket from the ring's last rows. Each row's chances carry
// the rounding of every row before: rows times a few ulps, taken off and on.
template <int N>
void MeasureStrip(const std::vector<double>& ring, std::size_t mask, std::int64_t top,
                  TailStrip* strip) {
  constexpr std::size_t kStride = kMaxTarget + 1;
  strip->low = kInfinity;
  strip->high = 0.0;
  strip->last = -1;
  if (top < strip->width) return;
  const double slack = static_cast<double>(top + 1) * (N + 4) * 0x1p-52;
  std::array<double, N> low{}, high{};
  low.fill(kInfinity);
  for (std::int64_t b = top - strip->width; b <= top; ++b) {
    const double* row = &ring[(static_cast<std::size_t>(b) & mask) * kStride];
    const double at = std::exp(strip->theta * static_cast<double>(b));
    for (int t = 0; t < N; ++t) {
      const double beyond = 1.0 - row[t];
      low[t] = std::min(low[t], std::max(0.0, beyond - slack) * at);
      high[t] = std::max(high[t], (beyond + slack) * at);
    }
  }
  // Within a unit the chance stays, the exponential grows by exp(theta).
  for (int t = 0; t < N; ++t) {
    strip->low = std::min(strip->low, low[t] / strip->v[t]);
    strip->high = std::max(strip->high, high[t] * std::exp(strip->theta) / strip->v[t]);
  }
  strip->last = top;
}

// The next wanted level from `next` on, and its chance moved by `by`.
void NextLevel(const Levels& wanted, int t, double by, int* next, double* looked_for) {
  while (*next < kPercentileCount && !wanted[t][*next]) ++*next;
  *looked_for = *next < kPercentileCount ? kPercentileLevels[*next] + by : 2.0;
}

// Row b's levels reached, each the least row that reaches it.
template <int N, bool kRounded>
void LevelsFound(const Levels& wanted, const std::array<double, kMaxTarget + 1>& x, std::int64_t b,
                 PassState* state, PassResult* result) {
  PassState& s = *state;
  for (int t = 0; t < N; ++t) {
    while (kRounded && x[t] >= s.looked_low[t]) {
      result->low_units[t][s.next_low[t]] = b;
      ++s.next_low[t];
      NextLevel(wanted, t, -s.margin, &s.next_low[t], &s.looked_low[t]);
    }
    while (x[t] >= s.looked_for[t]) {
      result->units[t][s.next[t]] = b;
      --s.left;
      ++s.next[t];
      NextLevel(wanted, t, s.margin, &s.next[t], &s.looked_for[t]);
    }
  }
}

template <int N, bool kRounded>
std::int64_t PassRows(const Lattice& lattice, const Levels& wanted, std::int64_t asked,
                      std::int64_t last, PassState* state, PassResult* result,
                      std::array<double, kMaxTarget + 1>* last_row) {
  constexpr std::size_t kStride = kMaxTarget + 1;
  std::int64_t history = 1;
  for (int t = 0; t < N; ++t) {
    history = std::max(history, state->destroyed_back[t] + 1);
    if (kRounded) history = std::max(history, state->up_destroyed_back[t] + 1);
  }
  std::int64_t rows = 1;
  while (rows < history) rows *= 2;
  const auto mask = static_cast<std::size_t>(rows - 1);
  std::vector<double> ring(static_cast<std::size_t>(rows) * kStride, 0.0);
  // Before 0 units nothing is within: rows below 0 read as 0 until b has
  // passed them, as the ring starts full of zeros and is written in order.
  PassState& s = *state;
  std::array<double, kMaxTarget + 1> x{};
  std::int64_t b = 0;
  for (; b <= last; ++b) {
    const auto here = static_cast<std::size_t>(b);
    for (int t = 0; t < N; ++t) {
      const double* a =
          &ring[((here - static_cast<std::size_t>(s.attempt_back[t])) & mask) * kStride];
      const double* d =
          &ring[((here - static_cast<std::size_t>(s.destroyed_back[t])) & mask) * kStride];
      x[t] =
          s.success[t] * a[t + 1] + s.failed[t] * a[t] + s.lost[t] * a[0] + s.destroyed[t] * d[0];
      if (kRounded) {
        const double* up_a =
            &ring[((here - static_cast<std::size_t>(s.up_attempt_back[t])) & mask) * kStride];
        const double* up_d =
            &ring[((here - static_cast<std::size_t>(s.up_destroyed_back[t])) & mask) * kStride];
        x[t] += s.up_success[t] * up_a[t + 1] + s.up_failed[t] * up_a[t] + s.up_lost[t] * up_a[0] +
                s.up_destroyed[t] * up_d[0];
      }
    }
    x[N - 1] += s.free_into_target;
    x[N] = 1.0;
    if (lattice.free_count > 0) SolveFreeOf<N>(lattice, x.data());
    std::copy(x.begin(), x.begin() + N + 1,
              ring.begin() + static_cast<std::ptrdiff_t>((here & mask) * kStride));
    bool found = false;
    for (int t = 0; t < N; ++t)
      found = found || x[t] >= s.looked_for[t] || (kRounded && x[t] >= s.looked_low[t]);
    if (found) LevelsFound<N, kRounded>(wanted, x, b, &s, result);
    if (b == asked) {
      for (int t = 0; t < N; ++t) result->within[t] = x[t];
      result->within_reached = true;
    }
    if (s.left == 0 && b >= asked) break;
    if (s.strip != nullptr && b == s.strip->check_at && b >= asked) {
      MeasureStrip<N>(ring, mask, b, s.strip);
      if (StripClose(*s.strip)) break;
      s.strip->check_at = 4 * b;
    }
  }
  if (s.strip != nullptr && b > last) MeasureStrip<N>(ring, mask, last, s.strip);
  *last_row = x;
  return b;
}

// The rows of the pass for n counts.
using PassRowsRun = std::int64_t (*)(const Lattice&, const Levels&, std::int64_t, std::int64_t,
                                     PassState*, PassResult*, std::array<double, kMaxTarget + 1>*);
template <bool kRounded>
PassRowsRun PassRowsFor(int n) {
  constexpr std::array<PassRowsRun, kMaxTarget> kRuns = {
      PassRows<1, kRounded>, PassRows<2, kRounded>, PassRows<3, kRounded>, PassRows<4, kRounded>,
      PassRows<5, kRounded>, PassRows<6, kRounded>, PassRows<7, kRounded>};
  return kRuns[static_cast<std::size_t>(std::clamp(n, 1, kMaxTarget) - 1)];
}

// On a rounded walk, the levels are looked for `margin` above and below.
PassResult PassWithItemsIn(const Lattice& lattice, const Levels& wanted, std::int64_t asked,
                           std::int64_t last, TailStrip* strip = nullptr, double margin = 0.0) {
  const int n = lattice.target;
  PassResult result;
  for (auto& row : result.units) row.fill(-1);
  for (auto& row : result.low_units) row.fill(-1);
  PassState state;
  state.strip = strip;
  state.margin = margin;
  // The shares as locals, each count's terms that look back: the rows'
  // loop is the whole cost of the pass. Rows before 0 units are zero, the
  // ring's first rows.
  for (int t = 0; t < n; ++t) {
    const bool counted = lattice.live[t];
    const bool attempt_back = counted && lattice.units[t] > 0;
    const double stay = 1.0 - lattice.up[t];
    state.success[t] = attempt_back ? lattice.success[t] * stay : 0.0;
    state.failed[t] = attempt_back ? lattice.failed[t] * stay : 0.0;
    state.lost[t] = attempt_back ? lattice.lost[t] * stay : 0.0;
    state.destroyed[t] = counted && lattice.destroyed_units[t] > 0
                             ? lattice.destroyed[t] * (1.0 - lattice.destroyed_up[t])
                             : 0.0;
    // A look-back beyond the last row only ever reads rows before 0: a ring
    // of more rows than the pass keeps them zeros, however dear the item.
    state.attempt_back[t] = std::min(lattice.units[t], last + 1);
    state.destroyed_back[t] = std::min(lattice.destroyed_units[t], last + 1);
    if (lattice.rounded && counted) {
      state.up_success[t] = lattice.success[t] * lattice.up[t];
      state.up_failed[t] = lattice.failed[t] * lattice.up[t];
      state.up_lost[t] = lattice.lost[t] * lattice.up[t];
      state.up_destroyed[t] = lattice.destroyed[t] * lattice.destroyed_up[t];
      state.up_attempt_back[t] = std::min(lattice.units[t] + 1, last + 1);
      state.up_destroyed_back[t] = std::min(lattice.destroyed_units[t] + 1, last + 1);
    }
    NextLevel(wanted, t, margin, &state.next[t], &state.looked_for[t]);
    NextLevel(wanted, t, -margin, &state.next_low[t], &state.looked_low[t]);
    for (const bool w : wanted[t]) state.left += w ? 1 : 0;
  }
  // A free step into the target arrives in its own row.
  state.free_into_target = lattice.live[n - 1] && lattice.units[n - 1] == 0
                               ? lattice.success[n - 1] * (1.0 - lattice.up[n - 1])
                               : 0.0;
  std::array<double, kMaxTarget + 1> x{};
  const auto rows = lattice.rounded ? PassRowsFor<true>(n) : PassRowsFor<false>(n);
  const std::int64_t b = rows(lattice, wanted, asked, last, &state, &result, &x);
  result.complete = state.left == 0;
  if (!lattice.rounded) result.low_units = result.units;
  if (!result.within_reached) {
    for (int t = 0; t < n; ++t) result.within[t] = b > 0 ? x[t] : 0.0;
  }
  return result;
}

// The lattice of the attempts' units with the items destroyed counted
// apart: W_t(a, k), the chance to reach the target spending at most a units
// on attempts and destroying exactly k items. The pass keeps a ring of the
// rows a step looks back to and, where asked, every row; the chance to
// spend at most B is then the sum over k of W_t((B - k price) / unit, k).
struct ItemsApartPass {
  std::int64_t rows = 0, items = 0;
  int target = 1;
  std::vector<double> kept;  // [(a * items + k) * target + t], where kept

  double Kept(std::int64_t k, std::int64_t a, int t) const {
    return kept[static_cast<std::size_t>((a * items + k) * target + t)];
  }
};

// What a pass may stop at: the first row where W_t(a, k) reaches `need`,
// and W of every count at (asked_row, asked_items).
struct Watch {
  std::int64_t items;
  int t;
  double need;
  std::int64_t found;  // -1 until then
};
struct Watches {
  std::vector<Watch> each;
  std::vector<std::size_t> open;  // the ones not yet found
  std::int64_t asked_row = -1, asked_items = 0;
  std::array<double, kMaxTarget> asked{};
  bool stop_when_found = false;
};

// A live count whose attempts cost something, as the pass reads it row by
// row: its shares, and the ring's row it looks back to, a - units, kept
// in step with the pass's own.
struct CostedCount {
  int t = 0;
  std::int64_t units = 0;
  double success = 0.0, failed = 0.0, lost = 0.0, destroyed = 0.0;
  std::int64_t back = 0;
};

// The costed counts of the lattice, at row 0 of a ring of `history` rows.
int CostedCounts(const Lattice& lattice, std::int64_t history,
                 std::array<CostedCount, kMaxTarget>* costed) {
  int count = 0;
  for (int t = 0; t < lattice.target; ++t) {
    // The ring starts full of zeros: a dead count's cells are never written.
    if (!lattice.live[t] || lattice.units[t] == 0) continue;
    (*costed)[static_cast<std::size_t>(count++)] = {t,
                                                    lattice.units[t],
                                                    lattice.success[t],
                                                    lattice.failed[t],
                                                    lattice.lost[t],
                                                    lattice.destroyed[t],
                                                    history - lattice.units[t]};
  }
  return count;
}

// W of every talik count at every item count at row a, from the rows
// looked back to. A costed count reads only rows before this one, so its
// cells are taken over every item count in one loop (a row before its
// first look-back, a < units, is written for the first time: 0); a free
// count's are solved after them, item count by item count, as its
// destroyed item looks at this row's previous item count.
void RowCells(const Lattice& lattice, std::array<CostedCount, kMaxTarget>* costed, int count,
              std::int64_t a, const double* ring, std::int64_t history, std::size_t items,
              double* here) {
  const int n = lattice.target;
  const auto stride = static_cast<std::size_t>(n);
  const auto width = items * stride;
  for (int i = 0; i < count; ++i) {
    CostedCount& c = (*costed)[static_cast<std::size_t>(i)];
    const std::int64_t from = c.back;
    c.back = c.back + 1 == history ? 0 : c.back + 1;
    if (a < c.units) continue;
    const int t = c.t;
    double* x = here + t;
    const double success = c.success, failed = c.failed, lost = c.lost, destroyed = c.destroyed;
    // The target's W is 1 with no item destroyed, 0 with one (success * 0
    // adds nothing to the sum).
    const double* b = ring + static_cast<std::size_t>(from) * width;
    x[0] = success * (t + 1 == n ? 1.0 : b[t + 1]) + failed * b[t] + lost * b[0];
    const std::size_t at = static_cast<std::size_t>(t);
    const std::size_t up = t + 1 == n ? at : at + 1;
    const double up_share = t + 1 == n ? 0.0 : success;
    for (std::size_t k = 1; k < items; ++k) {
      const double* row = b + k * stride;
      x[k * stride] =
          up_share * row[up] + failed * row[at] + lost * row[0] + destroyed * (row - n)[0];
    }
  }
  if (lattice.free_count == 0) return;
  for (std::size_t k = 0; k < items; ++k) {
    double* x = here + k * stride;
    for (int f = 0; f < lattice.free_count; ++f) {
      const int t = lattice.free_counts[f];
      double sum = t + 1 == n && k == 0 ? lattice.success[t] : 0.0;
      if (k > 0) sum += lattice.destroyed[t] * (x - n)[0];
      x[t] = sum;
    }
    SolveFree(lattice, x);
  }
}

// The watches are looked at every kWatchStride rows (W only grows row by
// row), not at each: where one has come within rounding of its need at
// the last row, the rows since, all still in the ring, are looked at in
// order for the first that reaches it. True once all are found.
constexpr std::int64_t kWatchStride = 64;
constexpr double kWatchSlack = 1e-12;  // far beyond a row's rounding

bool WatchRows(const std::vector<double>& ring, std::int64_t history, std::int64_t width,
               std::int64_t from, std::int64_t to, int n, Watches* watches) {
  const auto row = [&](std::int64_t r) {
    return &ring[static_cast<std::size_t>((r % history) * width)];
  };
  std::vector<std::size_t>& open = watches->open;
  for (std::size_t i = 0; i < open.size();) {
    Watch& w = watches->each[open[i]];
    const auto at = static_cast<std::size_t>(w.items * n + w.t);
    if (row(to)[at] >= w.need - kWatchSlack) {
      for (std::int64_t r = from; r <= to && w.found < 0; ++r) {
        if (row(r)[at] >= w.need) w.found = r;
      }
    }
    if (w.found >= 0) {
      open[i] = open.back();
      open.pop_back();
    } else {
      ++i;
    }
  }
  return open.empty();
}

// keep: every row kept, for the chance within any budget.
ItemsApartPass PassWithItemsApart(const Lattice& lattice, std::int64_t rows, std::int64_t items,
                                  bool keep, Watches* watches) {
  const int n = lattice.target;
  ItemsApartPass pass;
  pass.rows = rows;
  pass.items = items;
  pass.target = n;
  // Every row is written once, in order.
  if (keep) pass.kept.reserve(static_cast<std::size_t>(rows * items * n));
  std::int64_t history = 1;
  for (int t = 0; t < n; ++t) history = std::max(history, lattice.units[t] + 1);
  const std::int64_t width = items * n;  // one row of the ring
  std::vector<double> ring(static_cast<std::size_t>(history * width), 0.0);
  watches->open.resize(watches->each.size());
  std::iota(watches->open.begin(), watches->open.end(), std::size_t{0});
  const std::int64_t stride = std::min(history, kWatchStride);
  std::int64_t watched = -1;  // the last row the watches were looked at
  std::array<CostedCount, kMaxTarget> costed;
  const int costed_count = CostedCounts(lattice, history, &costed);
  std::int64_t a = 0;
  std::int64_t place = 0;  // a's row in the ring, a % history
  for (; a < rows; ++a, place = place + 1 == history ? 0 : place + 1) {
    double* here = &ring[static_cast<std::size_t>(place * width)];
    RowCells(lattice, &costed, costed_count, a, ring.data(), history,
             static_cast<std::size_t>(items), here);
    if (keep) pass.kept.insert(pass.kept.end(), here, here + width);
    if (a == watches->asked_row) {
      for (int t = 0; t < n; ++t)
        watches->asked[t] = here[static_cast<std::size_t>(watches->asked_items * n + t)];
    }
    if (a - watched < stride && a + 1 < rows) continue;
    const bool all = WatchRows(ring, history, width, watched + 1, a, n, watches);
    watched = a;
    if (watches->stop_when_found && all && a >= watches->asked_row) {
      ++a;
      break;
    }
  }
  const std::int64_t last = a - 1;
  const auto last_at = static_cast<std::ptrdiff_t>((last % history) * width);
  if (watches->asked_row > last) {
    for (int t = 0; t < n; ++t)
      watches->asked[t] = ring[static_cast<std::size_t>(last_at + watches->asked_items * n + t)];
  }
  return pass;
}

// P(spent <= budget) from t where every item count is kept.
double WithinAllKept(const ItemsApartPass& pass, double unit, double item, double budget, int t) {
  double sum = 0.0;
  for (std::int64_t k = 0; k < pass.items; ++k) {
    const double left = budget - item * static_cast<double>(k);
    if (left < 0) break;
    const auto a = std::min(pass.rows - 1, static_cast<std::int64_t>(std::floor(left / unit)));
    sum += pass.Kept(k, a, t);
  }
  return sum;
}

// The least whole budget with WithinAllKept >= level, or +infinity beyond
// the pass.
double LeastWithinAllKept(const ItemsApartPass& pass, double unit, double item, int t,
                          double level) {
  double high =
      unit * static_cast<double>(pass.rows - 1) + item * static_cast<double>(pass.items - 1);
  if (WithinAllKept(pass, unit, item, high, t) < level) return kInfinity;
  double low = -1.0;  // falls short
  while (high - low > 1.0) {
    const double middle = std::floor((low + high) / 2.0);
    (WithinAllKept(pass, unit, item, middle, t) >= level ? high : low) = middle;
  }
  return high;
}

// ---- The tail's decay --------------------------------------------------------

// exp(theta spent) v(count) is a martingale where v is the right eigenvector
// of the attempt's matrix with each share times exp(theta cost), at the theta
// where its eigenvalue is 1. v_0 = 1 and v_t = 1 - gamma_t from the top down:
// gamma_t = (E s gamma_{t+1} - (E - 1) - E d (exp(theta I) - 1)) / (L - f (E - 1)),
// E = exp(theta c_t), L the share that leaves t, gamma_target = 1; theta is
// the root of gamma_0. Every term is computed without cancelling.
struct Decay {
  double theta = 0.0;  // per unit of currency
  std::array<double, kMaxTarget> v{};
  bool found = false;
};

// gamma_0 at theta, and v; -infinity past a pole (a count's failures alone
// grow without bound).
double GammaZero(const JourneySteps& steps, double theta, std::array<double, kMaxTarget>* v) {
  double gamma = 1.0;
  const double item = std::expm1(theta * steps.item_cost);
  for (int t = steps.target - 1; t >= 0; --t) {
    const OutcomeOdds& odds = steps.odds[t];
    const double s = OutcomeProbability(odds, AttemptOutcome::kSuccess);
    const double d = OutcomeProbability(odds, AttemptOutcome::kItemDestroyed);
    const double f = OutcomeProbability(odds, AttemptOutcome::kFailed);
    const double leaving =
        static_cast<double>(odds.success + odds.item_destroyed + odds.taliks_destroyed) /
        static_cast<double>(kOutcomeOddsDenominator);
    const double grown = std::expm1(theta * steps.attempt_cost[t]);
    const double below = leaving - f * grown;
    if (!(below > 0.0)) return -kInfinity;
    gamma = ((1.0 + grown) * s * gamma - grown - (1.0 + grown) * d * item) / below;
    (*v)[t] = 1.0 - gamma;
  }
  return gamma;
}

// The decay of the tail where the walk ends for sure and can come back to 0
// from the count below the target (otherwise some v is 0).
Decay TailDecay(const JourneySteps& steps) {
  Decay decay;
  const int n = steps.target;
  const OutcomeOdds& top = steps.odds[n - 1];
  if (top.item_destroyed + top.taliks_destroyed == 0) return decay;
  for (int t = 0; t < n; ++t) {
    if (steps.odds[t].success == 0) return decay;
  }
  std::array<double, kMaxTarget> v{};
  double low = 0.0;
  double high = 1.0 / std::max(1.0, *std::max_element(steps.attempt_cost.begin(),
                                                      steps.attempt_cost.begin() + n));
  for (int i = 0; i < 2100 && GammaZero(steps, high, &v) > 0.0; ++i) high *= 2.0;
  if (!(GammaZero(steps, high, &v) <= 0.0) || !std::isfinite(high)) return decay;
  for (int i = 0; i < 200; ++i) {
    const double middle = low + (high - low) / 2.0;
    if (middle <= low || middle >= high) break;
    (GammaZero(steps, middle, &v) > 0.0 ? low : high) = middle;
  }
  if (!(low > 0.0)) return decay;
  decay.theta = low;
  GammaZero(steps, low, &decay.v);
  decay.v[0] = 1.0;
  for (int t = 0; t < n; ++t) {
    if (!(decay.v[t] > 0.0) || !std::isfinite(decay.v[t])) return decay;
  }
  decay.found = true;
  return decay;
}

// ---- Putting the figures together ------------------------------------------

struct Bound {
  double upper = kInfinity;  // suffices
  double lower = 0.0;        // the true budget is above it
};

void Tighten(Bound* bound, double upper, double lower) {
  bound->upper = std::min(bound->upper, upper);
  bound->lower = std::max(bound->lower, lower);
}

// The attempts' costs at the counts the target can be reached from: a
// journey that reaches it never pays at another (a loss or a destroyed item
// there ends it), so those count as nothing, and size no unit or bound.
struct Costs {
  std::array<std::int64_t, kMaxTarget> attempt{};
  std::int64_t item = 0;
  std::int64_t cheapest = 0, dearest = 0;
  std::int64_t unit = 0;  // the greatest common divisor of the attempts' costs
};

Costs CostsOf(const JourneySteps& steps) {
  Costs costs;
  const int n = steps.target;
  const std::array<bool, kMaxTarget + 1> live = LiveCounts(steps);
  costs.item = Whole(steps.item_cost);
  bool first = true;
  for (int t = 0; t < n; ++t) {
    if (!live[t]) continue;
    costs.attempt[t] = Whole(steps.attempt_cost[t]);
    costs.cheapest = first ? costs.attempt[t] : std::min(costs.cheapest, costs.attempt[t]);
    first = false;
    costs.dearest = std::max(costs.dearest, costs.attempt[t]);
    costs.unit = std::gcd(costs.unit, costs.attempt[t]);
  }
  return costs;
}

// A budget that surely suffices for level p from t: the attempts and the
// items for halfway to reach, each at its dearest (both hold together with
// at least the level's chance), or one of them at the level and the other
// at its tail; and one below which none does.
Bound CountsBound(const Costs& costs, const BudgetCounts& counts, int t, int p) {
  Bound bound;
  const std::int64_t attempts = counts.attempts_halfway[t][p];
  const std::int64_t items = counts.items_halfway[t][p];
  const auto total = [&](std::int64_t attempt_count, std::int64_t item_count) {
    return attempt_count == kNever || item_count == kNever
               ? kInfinity
               : static_cast<double>(costs.dearest) * static_cast<double>(attempt_count) +
                     static_cast<double>(costs.item) * static_cast<double>(item_count);
  };
  const std::int64_t least_attempts = counts.attempts_for[t][p];
  const std::int64_t least_items = counts.items_for[t][p];
  // Or one count at the level and the other at the tail, where all but
  // kBudgetTailMass of the chance lies: sharp where one cost dominates.
  bound.upper = std::min({total(attempts, items), total(least_attempts, counts.items_tail[t]),
                          total(counts.attempts_tail[t], least_items)});
  const double by_attempts = least_attempts == kNever ? 0.0
                                                      : static_cast<double>(costs.cheapest) *
                                                            static_cast<double>(least_attempts);
  const double by_items = least_items == kNever
                              ? 0.0
                              : static_cast<double>(costs.item) * static_cast<double>(least_items);
  // The least budget is at least this; less by one keeps "lower" below it.
  bound.lower = std::max(by_attempts, by_items) - 1.0;
  return bound;
}

// The largest budget any wanted level may need, from the counts; +infinity
// where they do not bound it.
double LargestNeeded(const Costs& costs, const BudgetCounts& counts, const Levels& wanted, int n) {
  double largest = 0.0;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (wanted[t][p]) largest = std::max(largest, CountsBound(costs, counts, t, p).upper);
    }
  }
  return largest;
}

// The chance to reach the target with at most `items` destroyed.
double WithItems(const BudgetCounts& counts, int t, double items) {
  if (counts.renewed[t] <= 0.0) return counts.reach_first[t];
  const double kept = counts.stay_log == -kInfinity ? (items > 0 ? -1.0 : 0.0)
                                                    : std::expm1(items * counts.stay_log);
  return std::min(1.0, counts.reach_first[t] - counts.renewed[t] * kept);
}

struct Outcome {
  JourneyBudgets budgets;
  Levels wanted;
};

// A pass on the lattice of whole units with the items in it, and the strip
// of its last rows: from the exact lattice where it ran, else its own.
struct StripRun {
  TailStrip strip;
  PassResult pass;
  std::int64_t unit = 0;
  bool ran = false;
};

// The strip for the walk's decay on units of `unit`, or none (width 0)
// where the walk has no such tail or its dearest step does not fit a ring.
TailStrip StripFor(const Decay& decay, const Costs& costs, std::int64_t unit) {
  TailStrip strip;
  if (!decay.found || unit <= 0) return strip;
  const std::int64_t width = (costs.dearest + costs.item) / unit;
  if (width + 1 > kRingRows) return strip;
  strip.theta = decay.theta * static_cast<double>(unit);
  strip.v = decay.v;
  strip.width = width;
  return strip;
}

// The lattice in units of `unit`, a divisor of every cost, with the item in
// it.
Lattice ItemsInLattice(const JourneySteps& steps, const Costs& costs, std::int64_t unit) {
  std::array<std::int64_t, kMaxTarget> units{};
  for (int t = 0; t < steps.target; ++t) units[t] = costs.attempt[t] / unit;
  return MakeLattice(steps, units, costs.item / unit, false);
}

// The player's budget in whole units, -1 where none is asked.
std::int64_t AskedUnits(double asked, double unit) {
  return asked < 0 ? -1 : static_cast<std::int64_t>(std::min(std::floor(asked / unit), 4e18));
}

// Step 1: a total fixed by one count of the walk.
bool SingleCountTotals(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                       Outcome* out) {
  const int n = steps.target;
  const double asked = steps.budget;
  const bool free_attempts = costs.dearest == 0;
  const bool one_price = costs.item == 0 && costs.cheapest == costs.dearest && costs.cheapest > 0;
  if (!free_attempts && !one_price) return false;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      double& budget = out->budgets.budget[t][p];
      if (free_attempts) {
        const std::int64_t items = counts.items_for[t][p];
        budget = costs.item == 0   ? 0.0
                 : items == kNever ? kInfinity
                                   : static_cast<double>(costs.item) * static_cast<double>(items);
      } else {
        const std::int64_t attempts = counts.attempts_for[t][p];
        budget = attempts == kNever
                     ? kInfinity
                     : static_cast<double>(costs.cheapest) * static_cast<double>(attempts);
      }
    }
    if (asked < 0) continue;
    out->budgets.within_exact[t] = true;
    if (free_attempts) {
      out->budgets.within[t] =
          costs.item == 0
              ? counts.reach[t]
              : WithItems(counts, t, std::floor(asked / static_cast<double>(costs.item)));
    } else {
      const double attempts = std::floor(asked / static_cast<double>(costs.cheapest));
      out->budgets.within[t] = ReachedWithin(
          steps, t,
          static_cast<std::int64_t>(std::min(attempts, static_cast<double>(kMaxCountedAttempts))));
    }
  }
  return true;
}

// Step 2: a journey of few totals, walked forward attempt by attempt: the
// chance of each (total spent, count) on the way, and of each total the
// target is reached with. Where a few attempts of a few costs lie beside a
// dear item, there are far fewer such totals than units up to the budgets,
// which is what the lattice below walks. Like the lattice it leaves out at
// most kBudgetTailMass: it stops once no more than that is on the way.
// Totals in order, each once, with their chance.
using SparseTotals = std::vector<std::pair<std::int64_t, double>>;
// The work it may do over every count (each a total merged once) before it
// gives up: about 2 10^8 instructions. It gives up sooner where the work
// foretold for the rest of the attempts the journey's tail may take would
// take more: an attempt's work grown since the first as the attempts are
// (a total for each of the ways to split them between two costs).
constexpr std::int64_t kSparseWork = std::int64_t{1} << 24;
// A total less likely than this is left out (and counted as on the way).
constexpr double kSparseLeftOut = 1e-19;

// into += share * (from moved up by `shift`), in order; the work it took.
std::int64_t AddShifted(const SparseTotals& from, std::int64_t shift, double share,
                        SparseTotals* into, SparseTotals* scratch) {
  if (share == 0.0 || from.empty()) return 0;
  scratch->clear();
  auto a = into->begin();
  for (const auto& [total, chance] : from) {
    const std::int64_t moved = total + shift;
    for (; a != into->end() && a->first < moved; ++a) scratch->push_back(*a);
    if (a != into->end() && a->first == moved) {
      scratch->emplace_back(moved, a->second + share * chance);
      ++a;
    } else {
      scratch->emplace_back(moved, share * chance);
    }
  }
  scratch->insert(scratch->end(), a, into->end());
  into->swap(*scratch);
  return static_cast<std::int64_t>(into->size());
}

using SparseCounts = std::array<SparseTotals, kMaxTarget>;

// One attempt from every total on the way: those it leads to, and those it
// reaches the target with added to `reached`; the work it took.
std::int64_t SparseAttempt(const Lattice& shares, const Costs& costs, const SparseCounts& on_way,
                           SparseCounts* next, SparseTotals* reached, SparseTotals* scratch) {
  const int n = shares.target;
  const auto at = [&](int t) -> const SparseTotals& { return on_way[static_cast<std::size_t>(t)]; };
  std::int64_t done =
      AddShifted(at(n - 1), costs.attempt[n - 1], shares.success[n - 1], reached, scratch);
  for (int u = n - 1; u >= 0; --u) {
    SparseTotals& into = (*next)[static_cast<std::size_t>(u)];
    into.clear();
    done += AddShifted(at(u), costs.attempt[u], shares.failed[u], &into, scratch);
    if (u > 0) {
      done += AddShifted(at(u - 1), costs.attempt[u - 1], shares.success[u - 1], &into, scratch);
      continue;
    }
    for (int t = 0; t < n; ++t) {
      done += AddShifted(at(t), costs.attempt[t], shares.lost[t], &into, scratch);
      done += AddShifted(at(t), costs.attempt[t] + costs.item, shares.destroyed[t], &into, scratch);
    }
  }
  return done;
}

// What a walk has found for good: every total the target is reached with
// below the least total on the way plus its count's attempt (no later
// attempt reaches the target for less), the chance up to each, and the
// levels and the chance within the player's budget it settles. Levels are
// settled from the lowest up.
struct SparseSettled {
  double chance = 0.0;  // of the totals settled
  std::array<double, kPercentileCount> budget = [] {
    std::array<double, kPercentileCount> none{};
    none.fill(kInfinity);
    return none;
  }();
  double within = 0.0;
  bool within_known = false;
};

// The least total any later attempt reaches the target with: the least
// total on the way at a count and that count's attempt, costs being at
// least 0.
std::int64_t LeastLaterTotal(const SparseCounts& on_way, const Costs& costs, int n) {
  std::int64_t least = std::numeric_limits<std::int64_t>::max();
  for (int t = 0; t < n; ++t) {
    const SparseTotals& v = on_way[static_cast<std::size_t>(t)];
    if (!v.empty()) least = std::min(least, v.front().first + costs.attempt[t]);
  }
  return least;
}

// The totals reached below `bound` taken into what is settled, and out of
// `reached`, which later attempts then merge into the faster; true where
// every wanted level and the chance within the player's budget are.
bool Settle(std::int64_t bound, const std::array<bool, kPercentileCount>& wanted, double asked,
            SparseTotals* reached, SparseSettled* settled) {
  std::size_t counted = 0;
  for (; counted < reached->size() && (*reached)[counted].first < bound; ++counted) {
    const auto& [total, chance] = (*reached)[counted];
    if (asked >= 0 && static_cast<double>(total) <= asked) settled->within += chance;
    settled->chance += chance;
    for (int p = 0; p < kPercentileCount; ++p) {
      if (wanted[p] && !std::isfinite(settled->budget[p]) &&
          settled->chance >= kPercentileLevels[p])
        settled->budget[p] = static_cast<double>(total);
    }
  }
  reached->erase(reached->begin(), reached->begin() + static_cast<std::ptrdiff_t>(counted));
  settled->within_known = asked < 0 || asked < static_cast<double>(bound);
  for (int p = 0; p < kPercentileCount; ++p) {
    if (wanted[p] && !std::isfinite(settled->budget[p])) return false;
  }
  return settled->within_known;
}

// The totals the target is reached with from count `from`, in at most about
// `attempts` attempts (kNever: as far as the work goes); false where the
// walk takes more than `work` has left, a total more than a double holds,
// or a level wanted is not reached. It stops sooner once every level
// wanted of it and the chance within the player's budget are settled; what
// is settled is kept either way.
bool SparseWalk(const Lattice& shares, const Costs& costs, int from, std::int64_t attempts,
                const std::array<bool, kPercentileCount>& wanted, double asked, std::int64_t* work,
                SparseTotals* reached, SparseSettled* settled) {
  SparseCounts on_way, next;
  SparseTotals scratch;
  on_way[static_cast<std::size_t>(from)] = {{0, 1.0}};
  reached->clear();
  *settled = SparseSettled{};
  double still = 1.0, left_out = 0.0;
  std::int64_t step_work = 1;  // the last attempt's
  for (std::int64_t walked = 0; still + left_out > kBudgetTailMass; ++walked) {
    const double now = static_cast<double>(walked + 1);
    const double last = std::max(static_cast<double>(attempts), now);
    if (attempts != kNever &&
        static_cast<double>(step_work) * (last * last - now * now) / (2.0 * now) >
            static_cast<double>(*work))
      return false;
    for (int t = 0; t < shares.target; ++t) {
      const SparseTotals& v = on_way[static_cast<std::size_t>(t)];
      if (!v.empty() &&
          !(static_cast<double>(v.back().first + costs.attempt[t] + costs.item) < kLargestWhole))
        return false;
    }
    step_work =
        std::max<std::int64_t>(SparseAttempt(shares, costs, on_way, &next, reached, &scratch), 1);
    *work -= step_work;
    if (*work < 0) return false;
    still = 0.0;
    for (SparseTotals& v : next) {
      const auto kept = std::remove_if(v.begin(), v.end(), [&](const auto& total) {
        if (total.second >= kSparseLeftOut) return false;
        left_out += total.second;
        return true;
      });
      v.erase(kept, v.end());
      still = std::accumulate(v.begin(), v.end(), still,
                              [](double sum, const auto& total) { return sum + total.second; });
    }
    on_way.swap(next);
    if (Settle(LeastLaterTotal(on_way, costs, shares.target), wanted, asked, reached, settled))
      return true;
  }
  return Settle(std::numeric_limits<std::int64_t>::max(), wanted, asked, reached, settled);
}

// The figures a walk settled for count t: its budgets exact, the chance
// within the player's budget where known.
void TakeSettled(const SparseSettled& settled, const Levels& wanted, int t,
                 JourneyBudgets* budgets) {
  for (int p = 0; p < kPercentileCount; ++p) {
    if (!wanted[t][p] || !std::isfinite(settled.budget[p])) continue;
    budgets->budget[t][p] = settled.budget[p];
    budgets->relative_error[t][p] = 0.0;
  }
  if (settled.within_known) {
    budgets->within[t] = settled.within;
    budgets->within_exact[t] = true;
  }
}

// Where a count's journey may never end, each walk settles only what its
// first attempts do, on this much of the work: the other steps run anyway.
constexpr std::int64_t kSparseNeverWork = std::int64_t{1} << 18;
// So is a count once a walk has given up, where its lowest level's least
// budget is at most this many of the dearest attempts.
constexpr double kSettleAttempts = 256.0;

// What another walk from the same count settled, where this one had not:
// both are exact.
void TakeSettledToo(const SparseSettled& walked, SparseSettled* found) {
  for (int p = 0; p < kPercentileCount; ++p) {
    if (!std::isfinite(found->budget[p])) found->budget[p] = walked.budget[p];
  }
  if (!found->within_known && walked.within_known) {
    found->within = walked.within;
    found->within_known = true;
  }
}

// The walk from each count that has a level or the player's budget, the
// longest journey first, each with its share of the work left: where one
// gives up, little has been spent on the others, which the exact passes
// may then find (else SettleFirstAttempts walks them for what their first
// attempts settle). True where every figure is found, and then in `out`;
// what the walks settled is in `settled` either way.
bool SparseBudgets(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                   Outcome* out, std::array<SparseSettled, kMaxTarget>* settled) {
  const int n = steps.target;
  const Lattice shares = MakeLattice(steps, costs.attempt, costs.item, false);
  std::array<int, kMaxTarget> order{};
  int walks = 0;
  bool endless = false;
  for (int t = 0; t < n; ++t) {
    const bool any =
        std::find(out->wanted[t].begin(), out->wanted[t].end(), true) != out->wanted[t].end();
    if (!shares.live[t] || (!any && steps.budget < 0)) continue;
    order[walks++] = t;
    endless = endless || counts.attempts_tail[t] == kNever;
  }
  // kNever is the greatest tail.
  const auto tail = [&](int t) { return static_cast<std::uint64_t>(counts.attempts_tail[t]); };
  for (int i = 1; i < walks; ++i) {
    for (int j = i; j > 0 && tail(order[j]) > tail(order[j - 1]); --j)
      std::swap(order[j], order[j - 1]);
  }
  std::int64_t work = kSparseWork;
  SparseTotals reached;
  bool all = true;
  // An endless journey's counts are each walked on kSparseNeverWork,
  // whatever the others found.
  for (int i = 0; i < walks && (all || endless); ++i) {
    const int t = order[i];
    std::int64_t allowed = endless ? kSparseNeverWork : work / (walks - i);
    const std::int64_t before = allowed;
    SparseSettled& found = (*settled)[static_cast<std::size_t>(t)];
    all = SparseWalk(shares, costs, t, counts.attempts_tail[t], out->wanted[t], steps.budget,
                     &allowed, &reached, &found) &&
          all;
    work -= before - allowed;
  }
  if (!all) return false;
  for (int i = 0; i < walks; ++i) {
    const int t = order[i];
    TakeSettled((*settled)[static_cast<std::size_t>(t)], out->wanted, t, &out->budgets);
  }
  if (steps.budget >= 0) out->budgets.within_exact.fill(true);
  return true;
}

// Where a walk gave up and no exact pass found the budgets: each count
// walked again as far as its first attempts go, on kSparseNeverWork and
// without a forecast, where its lowest level's bracket shows they may
// settle it (its least budget at most kSettleAttempts of the dearest
// attempts); what it settles is added to what the first walk did.
void SettleFirstAttempts(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                         const Outcome& out, std::array<SparseSettled, kMaxTarget>* settled) {
  const Lattice shares = MakeLattice(steps, costs.attempt, costs.item, false);
  const int n = steps.target;
  for (int t = 0; t < n; ++t) {
    if (shares.live[t] && counts.attempts_tail[t] == kNever) return;
  }
  SparseTotals reached;
  for (int t = 0; t < n; ++t) {
    const SparseSettled& found = (*settled)[static_cast<std::size_t>(t)];
    int lowest = -1;
    for (int p = kPercentileCount - 1; p >= 0; --p) {
      if (out.wanted[t][p] && !std::isfinite(found.budget[p])) lowest = p;
    }
    if (!shares.live[t] || lowest < 0) continue;
    const double least = out.budgets.budget[t][static_cast<std::size_t>(lowest)] /
                         (1.0 + out.budgets.relative_error[t][static_cast<std::size_t>(lowest)]);
    if (!(least <= kSettleAttempts * static_cast<double>(costs.dearest))) continue;
    std::int64_t allowed = kSparseNeverWork;
    SparseSettled walked;
    SparseWalk(shares, costs, t, kNever, out.wanted[t], steps.budget, &allowed, &reached, &walked);
    TakeSettledToo(walked, &(*settled)[static_cast<std::size_t>(t)]);
  }
}

// Step 3: the exact lattice, where it fits. Fills the levels it finds and
// the chance within the budget; false where it does not fit or falls short.
// Where `floor` is not below 0, only if the pass may reach that far.
bool ExactLattice(const JourneySteps& steps, const Costs& costs, double largest, double floor,
                  Outcome* out, bool* ran, StripRun* run) {
  const int n = steps.target;
  const double asked = steps.budget;
  const double reach_to = std::max(largest, asked);
  // Items in the lattice: units of the greatest common divisor of all costs.
  const std::int64_t unit_in = std::gcd(costs.unit, costs.item);
  const std::int64_t history = (costs.dearest + costs.item) / unit_in + 1;
  // As far as the largest budget, or as the pass may go: the counts' bound
  // is far above the budgets where costs are spread.
  const double rows_needed = std::floor(reach_to / static_cast<double>(unit_in)) + 1.0;
  const double rows_in = std::min(rows_needed, static_cast<double>(kPassCells) / (n + kRowCells));
  if (floor >= 0 && rows_in < std::floor(floor / static_cast<double>(unit_in)) + 1.0) return false;
  const bool fits_in =
      history <= kRingRows && rows_in * static_cast<double>(unit_in) < kLargestWhole;
  // Items apart: the attempts' units up to the tail's count of attempts, the
  // items up to the tail's count or the largest budget's worth.
  if (fits_in) {
    const Lattice lattice = ItemsInLattice(steps, costs, unit_in);
    const std::int64_t asked_units = AskedUnits(asked, static_cast<double>(unit_in));
    run->unit = unit_in;
    TailStrip* strip = run->strip.width > 0 ? &run->strip : nullptr;
    const PassResult pass = PassWithItemsIn(lattice, out->wanted, asked_units,
                                            static_cast<std::int64_t>(rows_in) - 1, strip);
    run->pass = pass;
    run->ran = true;
    *ran = true;
    if (!pass.complete) return false;
    for (int t = 0; t < n; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        if (out->wanted[t][p]) {
          out->budgets.budget[t][p] =
              static_cast<double>(pass.units[t][p]) * static_cast<double>(unit_in);
        }
      }
      if (asked >= 0) {
        out->budgets.within[t] = pass.within[t];
        out->budgets.within_exact[t] = pass.within_reached;
      }
    }
    return true;
  }
  return false;
}

// The attempts' units that suffice with all but `mass` (at least
// kBudgetTailMass): from the decay of the attempts' cost alone where it is
// known, else the dearest attempt times the tail's count of attempts.
double AttemptUnitsTail(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                        double mass = kBudgetTailMass) {
  const int n = steps.target;
  std::int64_t attempts = 0;
  for (int t = 0; t < n; ++t) {
    if (counts.reach[t] < kPercentileLevels[0]) continue;
    if (counts.attempts_tail[t] == kNever) return kInfinity;
    attempts = std::max(attempts, counts.attempts_tail[t]);
  }
  const double unit = static_cast<double>(costs.unit);
  double tail = static_cast<double>(costs.dearest) / unit * static_cast<double>(attempts);
  JourneySteps attempts_only = steps;
  attempts_only.item_cost = 0.0;
  const Decay decay = TailDecay(attempts_only);
  if (decay.found) {
    const double v_min = *std::min_element(decay.v.begin(), decay.v.begin() + n);
    const double v_max = *std::max_element(decay.v.begin(), decay.v.begin() + n);
    const double spent =
        static_cast<double>(costs.dearest) + std::log(v_max / (v_min * mass)) / decay.theta;
    tail = std::min(tail, std::ceil(spent / unit));
  }
  return tail + 1.0;
}

// The item price is beyond the attempts where one item's price buys every
// attempts' total but for kItemBeyondMass: a journey's fewer items are then
// counted whole, over by at most that chance in all (the chance that the
// attempts of the whole journey cost more than an item).
bool ItemBeyond(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts) {
  return costs.item > 0 && costs.unit > 0 &&
         static_cast<double>(costs.item) >=
             static_cast<double>(costs.unit) *
                 AttemptUnitsTail(steps, costs, counts, kItemBeyondMass);
}

// Where the item price is beyond every attempts' total the pass reaches,
// the budget for a level lies between k and k + 1 item prices for the
// level's count of items k: every fewer item count has all its chance
// within it, every larger none, so only k's row is watched. The item counts
// the pass needs, or -1 where a level is never reached.
std::int64_t WatchLevelsItemCounts(const JourneySteps& steps, const BudgetCounts& counts,
                                   double unit, double item, double rows, const Levels& wanted,
                                   Watches* watches) {
  const double asked = steps.budget;
  std::int64_t items = 0;
  watches->stop_when_found = true;
  for (int t = 0; t < steps.target; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!wanted[t][p]) continue;
      const std::int64_t k = counts.items_for[t][p];
      if (k == kNever) return -1;
      items = std::max(items, k);
      const double below = k == 0 ? 0.0 : WithItems(counts, t, static_cast<double>(k - 1));
      watches->each.push_back({k, t, kPercentileLevels[p] - below, -1});
    }
  }
  if (asked >= 0) {
    watches->asked_items = static_cast<std::int64_t>(std::min(std::floor(asked / item), 1e9));
    watches->asked_row = static_cast<std::int64_t>(
        std::floor((asked - item * static_cast<double>(watches->asked_items)) / unit));
    // Beyond the tail's rows the whole of that item count is within.
    if (static_cast<double>(watches->asked_row) >= rows) watches->asked_row = -1;
    items = std::max(items, watches->asked_items);
  }
  return items + 1;
}

// Elsewhere every item count up to the largest budget's (at most the
// tail's) is kept.
std::int64_t KeptItemCounts(const JourneySteps& steps, const BudgetCounts& counts, double item,
                            double largest) {
  std::int64_t tail = 0;
  for (int t = 0; t < steps.target; ++t) {
    if (counts.reach[t] >= kPercentileLevels[0]) tail = std::max(tail, counts.items_tail[t]);
  }
  const double reach_to = std::max(largest, steps.budget);
  return static_cast<std::int64_t>(
             std::min(static_cast<double>(tail), std::floor(std::min(reach_to / item, 1e9)))) +
         1;
}

// The pass's work: beyond, about as far as the budgets' rows (at most the
// tail); else the tail in full, every row kept.
bool ItemsApartFits(double rows, double history, std::int64_t items, int n, bool item_beyond) {
  const double width = static_cast<double>(items * n);
  const double cells = rows * (width + kRowCells);
  if (!(history * width <= static_cast<double>(kStoredCells))) return false;
  if (item_beyond) return cells <= static_cast<double>(kItemsApartCells);
  return cells <= static_cast<double>(kPassCells) &&
         rows * width <= static_cast<double>(kStoredCells);
}

// The budgets from the watched rows: k item prices and the units the
// level's row took.
void FillFromWatches(const BudgetCounts& counts, double unit, double item, double asked,
                     const Watches& watches, Outcome* out, int n) {
  std::size_t next = 0;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      const Watch& w = watches.each[next++];
      out->budgets.budget[t][p] =
          item * static_cast<double>(w.items) + unit * static_cast<double>(w.found);
    }
    if (asked >= 0) {
      const std::int64_t k = watches.asked_items;
      const double below = k == 0 ? 0.0 : WithItems(counts, t, static_cast<double>(k - 1));
      out->budgets.within[t] = watches.asked_row < 0 ? WithItems(counts, t, static_cast<double>(k))
                                                     : std::min(1.0, below + watches.asked[t]);
      out->budgets.within_exact[t] = true;
    }
  }
}

// The budgets from every kept row; false where a level lies beyond them.
// Where the rows stop short of the tail, a budget past the last row's
// units has its chance read from that row, short of the truth: exact only
// below it.
bool FillFromKept(const ItemsApartPass& pass, double unit, double item, double asked, Outcome* out,
                  int n, bool short_of_tail) {
  const double beyond = short_of_tail ? unit * static_cast<double>(pass.rows) : kInfinity;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      const double budget = LeastWithinAllKept(pass, unit, item, t, kPercentileLevels[p]);
      if (!(budget < beyond)) return false;
      out->budgets.budget[t][p] = budget;
    }
    if (asked >= 0) {
      out->budgets.within[t] = WithinAllKept(pass, unit, item, asked, t);
      out->budgets.within_exact[t] = true;
    }
  }
  return true;
}

// The watched item counts' rows from the lives' powers, where every count
// below the target is live and its attempts cost at least a unit; false
// where the work would run out (a watch not found keeps found < 0).
bool WatchBySlices(const Lattice& lattice, double rows, Watches* watches) {
  const int n = lattice.target;
  LifeShares shares;
  shares.target = n;
  for (int t = 0; t < n; ++t) {
    const std::int64_t units = lattice.units[t];
    if (!lattice.live[t] || units == 0 || units > kSliceUnits) return false;
    shares.success[t] = lattice.success[t];
    shares.failed[t] = lattice.failed[t];
    shares.lost[t] = lattice.lost[t];
    shares.destroyed[t] = lattice.destroyed[t];
    shares.units[t] = units;
  }
  std::vector<ItemSlice> slices;
  std::transform(watches->each.begin(), watches->each.end(), std::back_inserter(slices),
                 [](const Watch& w) { return ItemSlice{w.t, w.items, w.need, -1, -1, 0.0}; });
  if (watches->asked_row >= 0) {
    for (int t = 0; t < n; ++t)
      slices.push_back({t, watches->asked_items, kInfinity, watches->asked_row, -1, 0.0});
  }
  if (!FindItemSlices(shares, static_cast<std::int64_t>(rows), kSliceWork, &slices)) return false;
  for (std::size_t i = 0; i < watches->each.size(); ++i) watches->each[i].found = slices[i].found;
  for (std::size_t i = watches->each.size(); i < slices.size(); ++i)
    watches->asked[static_cast<std::size_t>(slices[i].t)] = slices[i].chance_at_row;
  return true;
}

// Items apart, exactly: the watched rows where the item price is beyond
// every attempts' total, else every row kept.
bool ExactItemsApart(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                     bool item_beyond, double largest, Outcome* out, bool* ran) {
  const int n = steps.target;
  if (costs.item == 0 || costs.unit == 0) return false;
  const double unit = static_cast<double>(costs.unit);
  const double item = static_cast<double>(costs.item);
  const double tail_rows = AttemptUnitsTail(steps, costs, counts);
  const double history = static_cast<double>(costs.dearest) / unit + 1.0;
  if (!(tail_rows * unit + item < kLargestWhole)) return false;
  // Every row kept: none past the largest budget's, where that comes first.
  const double rows =
      item_beyond ? tail_rows
                  : std::min(tail_rows, std::floor(std::max(largest, steps.budget) / unit) + 1.0);
  Watches watches;
  const std::int64_t items =
      item_beyond ? WatchLevelsItemCounts(steps, counts, unit, item, rows, out->wanted, &watches)
                  : KeptItemCounts(steps, counts, item, largest);
  if (items < 0) return false;
  std::array<std::int64_t, kMaxTarget> units{};
  for (int t = 0; t < n; ++t) units[t] = costs.attempt[t] / costs.unit;
  const Lattice lattice = MakeLattice(steps, units, 0, true);
  if (!ItemsApartFits(rows, history, items, n, item_beyond)) {
    // Where the pass does not fit, the watched rows from the lives' powers.
    if (!item_beyond || !WatchBySlices(lattice, rows, &watches)) return false;
  } else {
    *ran = true;
    const ItemsApartPass pass =
        PassWithItemsApart(lattice, static_cast<std::int64_t>(rows), items, !item_beyond, &watches);
    if (!item_beyond) return FillFromKept(pass, unit, item, steps.budget, out, n, rows < tail_rows);
  }
  if (std::any_of(watches.each.begin(), watches.each.end(),
                  [](const Watch& w) { return w.found < 0; }))
    return false;
  FillFromWatches(counts, unit, item, steps.budget, watches, out, n);
  return true;
}

// Step 4: bounds where no exact lattice fits. The coarse pass rounds every
// cost up to a whole number of a coarser unit: its totals are at least the
// true ones, so its budgets suffice. Each total grows by at most the
// largest share `grown` of a cost, so its budget is at most that share (and
// a unit) above the true one. Where one cost is too small for that share
// to be close (an attempt of 7 among attempts of 10^5), a second pass
// rounds every cost down instead: its totals are at most the true ones, so
// its budgets are at most the true ones too.
// The most attempts of a journey from any count but for kBudgetTailMass:
// they bound a rounded walk's roundings.
double MostAttempts(const BudgetCounts& counts, int n) {
  double most = 0.0;
  for (int t = 0; t < n; ++t) {
    if (counts.attempts_tail[t] == kNever) return kInfinity;
    most = std::max(most, static_cast<double>(counts.attempts_tail[t]));
  }
  return most;
}

struct CoarseUnits {
  std::array<std::int64_t, kMaxTarget> attempt{};
  std::int64_t item = 0;
  double grown = 0.0;  // the largest share a cost grows by, rounded up
};

CoarseUnits RoundedCosts(const Costs& costs, int n, double unit, bool up) {
  CoarseUnits units;
  const auto rounded = [&](std::int64_t cost) {
    const double exact = static_cast<double>(cost) / unit;
    const double whole_units = up ? std::ceil(exact) : std::floor(exact);
    if (cost > 0) {
      units.grown = std::max(units.grown, (whole_units * unit - static_cast<double>(cost)) /
                                              static_cast<double>(cost));
    }
    return static_cast<std::int64_t>(whole_units);
  };
  for (int t = 0; t < n; ++t) units.attempt[t] = rounded(costs.attempt[t]);
  units.item = rounded(costs.item);
  return units;
}

PassResult CoarsePass(const JourneySteps& steps, const CoarseUnits& units, const Levels& wanted,
                      double unit, double reach_to) {
  const Lattice lattice = MakeLattice(steps, units.attempt, units.item, false);
  return PassWithItemsIn(lattice, wanted, AskedUnits(steps.budget, unit),
                         static_cast<std::int64_t>(std::floor(reach_to / unit)) + 1);
}

// Each attempt moves the totals of the pass rounding up and the one rounding
// down apart by at most a unit: the two are worth their work where that,
// over the attempts a level takes, is well within some level's bracket.
bool CoarseNarrows(const BudgetCounts& counts, double unit, const Levels& wanted,
                   const std::array<std::array<Bound, kPercentileCount>, kMaxTarget>& bounds,
                   int n) {
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      const std::int64_t attempts = counts.attempts_for[t][p];
      if (!wanted[t][p] || attempts == kNever) continue;
      if (4.0 * unit * static_cast<double>(attempts) < bounds[t][p].upper - bounds[t][p].lower)
        return true;
    }
  }
  return false;
}

bool Close(const Bound& bound) {
  return bound.upper <= std::max(bound.lower, 1.0) * (1.0 + kBudgetRelativeError);
}

// Where rounding every cost up and down moves the totals far apart (many
// cheap attempts on a coarse unit), each cost rounded at random to one of
// its neighbouring multiples of the unit, its mean kept: the rounded total
// then strays from the true one by a sum of roundings of mean 0, which over
// at most `attempts` attempts (all but kBudgetTailMass of journeys) takes
// off at most `below` and adds at most `above` but for a chance of
// kRoundingStrayChance each. A level's chance is looked for kRoundingMargin
// above and below, which holds both.
struct RoundedWalk {
  std::int64_t unit = 0;  // 0: none
  Roundings rounding;
  double below = 0.0, above = 0.0;
};

// The divisors of the costs' differences tried as the unit, as far as this
// many times the least.
constexpr std::int64_t kRoundedDivisors = 4096;
constexpr std::int64_t kRoundedSpan = 64;

RoundedWalk RoundedWalkOn(const Costs& costs, int n, std::int64_t w, double attempts) {
  RoundedWalk walk;
  walk.unit = w;
  double variance = 0.0, below = 0.0, above = 0.0;
  const auto round = [&](std::int64_t cost, std::int64_t* units, double* up) {
    const std::int64_t r = cost % w;
    *units = cost / w;
    *up = static_cast<double>(r) / static_cast<double>(w);
    const auto rest = static_cast<double>(r);
    variance = std::max(variance, rest * static_cast<double>(w - r));
    below = std::max(below, rest);
    if (r > 0) above = std::max(above, static_cast<double>(w - r));
  };
  Roundings& rounding = walk.rounding;
  for (int t = 0; t < n; ++t) {
    round(costs.attempt[t], &rounding.units[t], &rounding.up[t]);
    round(costs.attempt[t] + costs.item, &rounding.destroyed_units[t], &rounding.destroyed_up[t]);
  }
  // A unit more for the chances of the unit above, each rounded.
  walk.below = std::ceil(RoundingStray(below, attempts * variance)) + 1.0;
  walk.above = std::ceil(RoundingStray(above, attempts * variance)) + 1.0;
  return walk;
}

// The rounded walk of the narrowest bracket (its strays and a unit) on a
// unit of at least `least`: that one, or a divisor of the costs'
// differences, which leaves the costs the same remainder.
RoundedWalk RoundedWalkFor(const Costs& costs, int n, std::int64_t least, double attempts) {
  if (!(attempts < kInfinity)) return {};
  std::vector<std::int64_t> costs_of{0};
  for (int t = 0; t < n; ++t) {
    costs_of.push_back(costs.attempt[t]);
    costs_of.push_back(costs.attempt[t] + costs.item);
  }
  std::vector<std::int64_t> candidates = {least};
  for (const std::int64_t a : costs_of) {
    for (const std::int64_t b : costs_of) {
      const std::int64_t difference = a - b;
      if (difference < least) continue;
      for (std::int64_t k = 1; k <= kRoundedDivisors && difference / k >= least; ++k) {
        if (difference % k == 0 && difference / k <= kRoundedSpan * least)
          candidates.push_back(difference / k);
      }
    }
  }
  RoundedWalk best;
  double narrowest = kInfinity;
  for (const std::int64_t w : candidates) {
    const RoundedWalk walk = RoundedWalkOn(costs, n, w, attempts);
    const double width = walk.below + walk.above + static_cast<double>(w);
    if (width < narrowest) {
      narrowest = width;
      best = walk;
    }
  }
  return best;
}

// The rounded walk's pass as far as `reach_to`, and every wanted level's
// bracket from it.
void RoundedBounds(const JourneySteps& steps, const RoundedWalk& walk, double reach_to,
                   std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds,
                   Outcome* out) {
  const int n = steps.target;
  const auto w = static_cast<double>(walk.unit);
  const Lattice lattice = MakeLattice(steps, walk.rounding.units, 0, false, &walk.rounding);
  const double asked = steps.budget;
  const std::int64_t asked_units =
      asked - walk.below < 0.0 ? -1 : AskedUnits(asked - walk.below, w);
  const PassResult pass = PassWithItemsIn(lattice, out->wanted, asked_units,
                                          static_cast<std::int64_t>(std::floor(reach_to / w)) + 1,
                                          nullptr, kRoundingMargin);
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      const std::int64_t low = pass.low_units[t][p];
      const std::int64_t high = pass.units[t][p];
      Tighten(&(*bounds)[t][p],
              high < 0 ? kInfinity : std::ceil(static_cast<double>(high) * w + walk.below),
              low < 0 ? 0.0 : static_cast<double>(low) * w - walk.above - 1.0);
    }
    if (asked_units >= 0 && pass.within_reached)
      out->budgets.within[t] = std::max(out->budgets.within[t], pass.within[t] - kRoundingMargin);
  }
}

// Whether the rounded walk brackets the levels still wide closer than the
// pair rounding up and down on `unit`, each about a unit an attempt apart,
// and well within some level's bracket: worth its pass.
bool RoundedCloser(const BudgetCounts& counts, const RoundedWalk& walk, double unit,
                   const Levels& wanted,
                   const std::array<std::array<Bound, kPercentileCount>, kMaxTarget>& bounds,
                   int n) {
  if (walk.unit == 0) return false;
  const double rounded = walk.below + walk.above + 2.0 * static_cast<double>(walk.unit);
  double fewest = kInfinity;
  bool narrows = false;  // well within some wide level's bracket
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      const Bound& bound = bounds[t][p];
      if (!wanted[t][p] || Close(bound) || counts.attempts_for[t][p] == kNever) continue;
      fewest = std::min(fewest, static_cast<double>(counts.attempts_for[t][p]));
      narrows = narrows || 2.0 * rounded < bound.upper - bound.lower;
    }
  }
  return narrows && rounded < unit * fewest;
}

// The costs as a pass as far as `reach_to` sees them: one dearer than twice
// that takes every total it is in beyond the pass's last row (its rows end
// within a unit of reach_to, a unit far below it), rounded up or down, so
// it may cost just that much, and the ring need not hold more.
Costs CappedCosts(const Costs& costs, int n, double reach_to) {
  const double most = 2.0 * std::ceil(reach_to) + 2.0;
  if (!(most < static_cast<double>(costs.dearest + costs.item))) return costs;
  const auto cap = static_cast<std::int64_t>(most);
  Costs capped = costs;
  capped.dearest = 0;
  for (int t = 0; t < n; ++t) {
    capped.attempt[t] = std::min(capped.attempt[t], cap);
    capped.dearest = std::max(capped.dearest, capped.attempt[t]);
  }
  capped.item = std::min(capped.item, cap);
  return capped;
}

// The attempts' whole units that a coarser unit divides, tried as its
// divisors this far: each attempt then costs its units exactly, and only
// the item is rounded.
constexpr std::int64_t kAlignedDivisors = 4096;

// The finest unit at least `least` that every attempt's cost is a whole
// number of, 0 where none: the attempts' greatest common divisor over the
// largest of the divisors tried that leaves it at least `least`.
std::int64_t AlignedUnit(const Costs& costs, int n, double least) {
  std::int64_t whole = 0;
  for (int t = 0; t < n; ++t) whole = std::gcd(whole, costs.attempt[t]);
  if (whole == 0 || !(least <= static_cast<double>(whole))) return 0;
  // A whole number of units is at least `least` where it is at least its ceiling.
  const auto at_least = static_cast<std::int64_t>(std::ceil(least));
  std::int64_t aligned = whole;
  for (std::int64_t d = 2; d <= kAlignedDivisors && whole / d >= at_least; ++d) {
    if (whole % d == 0) aligned = whole / d;
  }
  return aligned;
}

// The coarse passes as far as `reach_to`, on `rows_allowed` rows; after a
// pass, the two passes share the rows one would have. Where the attempts'
// own unit, or a divisor of it, is within the rows of one pass and rounds
// the item up within half the tolerance, that one pass has every attempt
// exact and brackets every budget closely.
void CoarsePair(const JourneySteps& steps, const Costs& given, const BudgetCounts& counts,
                double reach_to, double rows_allowed, bool after_a_pass, bool rounded_only,
                std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds, Outcome* out) {
  const int n = steps.target;
  const Costs costs = CappedCosts(given, n, reach_to);
  const double asked = steps.budget;
  const auto unit_for = [&](double rows) {
    return std::max(
        {1.0, std::ceil(reach_to / rows),
         std::ceil(static_cast<double>(costs.dearest) / static_cast<double>(kRingRows - 2))});
  };
  double unit = unit_for(rows_allowed);
  CoarseUnits up = RoundedCosts(costs, n, unit, true);
  const auto aligned = static_cast<double>(
      AlignedUnit(costs, n, unit_for(after_a_pass ? rows_allowed : 2.0 * rows_allowed)));
  if (aligned > 0.0) {
    const CoarseUnits exact_attempts = RoundedCosts(costs, n, aligned, true);
    if (exact_attempts.grown <= kBudgetRelativeError / 2 && exact_attempts.grown < up.grown) {
      unit = aligned;
      up = exact_attempts;
    }
  }
  const bool both = up.grown > kBudgetRelativeError / 2;
  if (both && after_a_pass) {
    unit = unit_for(rows_allowed / 2.0);
    up = RoundedCosts(costs, n, unit, true);
  }
  // A rounded walk's row reads twice the rows of one rounding up or down:
  // it has the rows of one of the pair, and half that where the tail is the
  // decay's (no pair would have run after its strip's pass).
  if (both) {
    const double rows = after_a_pass ? rows_allowed / (rounded_only ? 4.0 : 2.0) : rows_allowed;
    const RoundedWalk walk = RoundedWalkFor(costs, n, static_cast<std::int64_t>(unit_for(rows)),
                                            MostAttempts(counts, n));
    if (RoundedCloser(counts, walk, unit, out->wanted, *bounds, n)) {
      RoundedBounds(steps, walk, reach_to, bounds, out);
      return;
    }
  }
  if (rounded_only) return;
  if (both && !CoarseNarrows(counts, unit, out->wanted, *bounds, n)) return;
  const PassResult pass = CoarsePass(steps, up, out->wanted, unit, reach_to);
  PassResult down;
  if (both)
    down = CoarsePass(steps, RoundedCosts(costs, n, unit, false), out->wanted, unit, reach_to);
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      Bound& bound = (*bounds)[t][p];
      const double lower_down = both && down.units[t][p] >= 0
                                    ? static_cast<double>(down.units[t][p]) * unit
                                    : bound.lower;
      if (pass.units[t][p] < 0) {
        Tighten(&bound, kInfinity, lower_down);
        continue;
      }
      const double upper = static_cast<double>(pass.units[t][p]) * unit;
      Tighten(&bound, upper, both ? lower_down : (upper - unit) / (1.0 + up.grown));
    }
    if (asked >= 0) out->budgets.within[t] = std::max(out->budgets.within[t], pass.within[t]);
  }
}

// Levels far below the others' bounds (short of a destroyed item where it
// is dear) get a unit of their own where the first passes left them wide.
constexpr double kSmallLevels = 16.0;
constexpr int kSmallRounds = 3;

void CoarseBounds(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                  double largest, bool after_a_pass, bool rounded_only,
                  std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds,
                  Outcome* out) {
  const int n = steps.target;
  // As far as every level's least upper bound yet, where all have one.
  double highest = 0.0;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (out->wanted[t][p]) highest = std::max(highest, (*bounds)[t][p].upper);
    }
  }
  const double reach_to = std::max(std::min(largest, highest), steps.budget);
  if (!std::isfinite(reach_to) || !(reach_to < kLargestWhole)) return;
  const double rows_allowed = static_cast<double>(kPassCells) / 2.0 / (n + kRowCells);
  CoarsePair(steps, costs, counts, reach_to, rows_allowed, after_a_pass, rounded_only, bounds, out);
  // Again on their own finer unit while that leaves some far below: a cheap
  // attempt's level whose first upper bound was a coarse unit's attempts.
  double from = reach_to;
  for (int round = 0; round < kSmallRounds; ++round) {
    double small = 0.0;
    for (int t = 0; t < n; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        const Bound& bound = (*bounds)[t][p];
        if (out->wanted[t][p] && !Close(bound) && bound.upper * kSmallLevels <= from)
          small = std::max(small, bound.upper);
      }
    }
    if (small <= 0.0) return;
    CoarsePair(steps, costs, counts, small, rows_allowed / 4.0, true, rounded_only, bounds, out);
    from = small;
  }
}

// From the martingale: while the walk is on its way, exp(theta spent) v is
// on average what it was, so spending more than y on the way has a chance
// of at most v_start / v_min exp(-theta y), and at least v_start / v_max
// exp(-theta (y + the dearest step)); the last attempt, into the target,
// costs up to the dearest attempt more. That brackets every budget, widely
// where v is spread; the strip of a pass narrows it (StripBounds). Where
// theta times the walk's memory is small, the walk forgets where it was
// long before a level's budget, and the strip of a pass far short of the
// budgets brackets them closely.
constexpr double kAsymptoticScale = 0.25;

// theta times the walk's longest stay at one count, in the currency: how
// much of the tail's scale the walk remembers where it was.
double MemoryScale(const JourneySteps& steps, const Costs& costs, const Decay& decay) {
  double memory = static_cast<double>(costs.dearest + costs.item);
  for (int t = 0; t < steps.target; ++t) {
    const OutcomeOdds& odds = steps.odds[t];
    const double leaving =
        static_cast<double>(odds.success + odds.item_destroyed + odds.taliks_destroyed) /
        static_cast<double>(kOutcomeOddsDenominator);
    memory = std::max(memory, (steps.attempt_cost[t] + steps.item_cost) / leaving);
  }
  return decay.theta * memory;
}

void DecayBounds(const JourneySteps& steps, const Costs& costs, const Decay& decay,
                 std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds,
                 Outcome* out) {
  const int n = steps.target;
  if (!decay.found) return;
  const double v_min = *std::min_element(decay.v.begin(), decay.v.begin() + n);
  const double v_max = *std::max_element(decay.v.begin(), decay.v.begin() + n);
  const double dearest = static_cast<double>(costs.dearest);
  const double dearest_step = dearest + static_cast<double>(costs.item);
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      const double beyond = 1.0 - kPercentileLevels[p];
      Bound& bound = (*bounds)[t][p];
      const double upper =
          std::ceil(dearest + std::log(decay.v[t] / (v_min * beyond)) / decay.theta);
      const double lower = std::log(decay.v[t] / (v_max * beyond)) / decay.theta - dearest_step;
      Tighten(&bound, kInfinity, lower);
      if (upper > 0.0 && std::isfinite(upper)) Tighten(&bound, upper, lower);
    }
    if (steps.budget >= 0) {
      const double over = decay.v[t] / v_min * std::exp(-decay.theta * (steps.budget - dearest));
      out->budgets.within[t] = std::max(out->budgets.within[t], std::clamp(1.0 - over, 0.0, 1.0));
    }
  }
}

// Step 5: the exact lattice as far as a pass may go where the budgets lie
// beyond it: the levels it finds are exact, the others bracketed by the
// strip of its last rows.
constexpr std::int64_t kStripCells = std::int64_t{1} << 18;
constexpr std::int64_t kStripWidths = 16;
// How close the strip must bracket a budget before the pass stops growing.
constexpr double kStripShare = kBudgetRelativeError / 8;

// The pass for the strip, where the exact lattice did not run: from many
// widths past the dearest step until the strip brackets every budget beyond
// it closely, as far as a pass may go.
void StripPass(const JourneySteps& steps, const Costs& costs, const Levels& wanted, double floor,
               StripRun* run) {
  const int n = steps.target;
  TailStrip& strip = run->strip;
  const std::int64_t most = kPassCells / (n + kRowCells);
  if (strip.width >= most) return;
  const Lattice lattice = ItemsInLattice(steps, costs, run->unit);
  const std::int64_t asked_units = AskedUnits(steps.budget, static_cast<double>(run->unit));
  strip.check_at = std::clamp(kStripWidths * strip.width, kStripCells / (n + kRowCells), most);
  strip.share = kStripShare;
  strip.floor_rows = std::floor(floor / static_cast<double>(run->unit));
  run->pass = PassWithItemsIn(lattice, wanted, asked_units, most - 1, &strip);
  run->ran = true;
}

// Every budget the pass found is exact; the others lie beyond the row the
// strip was measured at, bracketed by it. True where the strip is close.
bool StripBounds(const JourneySteps& steps, const Decay& decay, const StripRun& run,
                 std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds,
                 Outcome* out) {
  const int n = steps.target;
  if (!run.ran) return false;
  const PassResult& pass = run.pass;
  const TailStrip& strip = run.strip;
  const double asked = steps.budget;
  const double whole_unit = static_cast<double>(run.unit);
  const double past = static_cast<double>(strip.last + 1) * whole_unit;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out->wanted[t][p]) continue;
      Bound& bound = (*bounds)[t][p];
      if (pass.units[t][p] >= 0) {
        const double exact = static_cast<double>(pass.units[t][p]) * whole_unit;
        bound = Bound{exact, exact};
        continue;
      }
      if (strip.last < 0) continue;
      // Every budget not found lies beyond the strip's row.
      const double beyond = 1.0 - kPercentileLevels[p];
      const double upper = std::log(strip.high * decay.v[t] / beyond) / decay.theta;
      const double lower = std::log(strip.low * decay.v[t] / beyond) / decay.theta;
      Tighten(&bound, std::max(std::ceil(upper), past), std::max(lower, past - 1.0));
    }
    if (asked < 0) continue;
    if (pass.within_reached) {
      out->budgets.within[t] = pass.within[t];
      out->budgets.within_exact[t] = true;
    } else if (strip.last >= 0) {
      const double over = strip.high * decay.v[t] * std::exp(-decay.theta * asked);
      out->budgets.within[t] = std::max(out->budgets.within[t], std::clamp(1.0 - over, 0.0, 1.0));
    }
  }
  return StripClose(strip);
}

// The lives' work (LivesBounds, some ten instructions a unit) where they
// come first, and where the strip's pass came before them: the plan within
// its bound of instructions either way.
constexpr double kLivesFirstWork = 37748736.0;  // 9 2^22
constexpr double kLivesAfterWork = 4194304.0;   // 2^22
// Where no pass ran at all, the lives alone, beside what the counts took
// before them.
constexpr double kLivesAloneWork = 41943040.0;  // 40 2^20
// After the lives came first, the strip's pass (about 2.3 10^8
// instructions) only where they spent at most kLivesFirstWork less this.
constexpr double kStripWork = 29360128.0;  // 7 2^22

// Step 6: where a bracket is still wide, the lives of the items, for
// journeys whose every count can reach the target on attempts that all cost
// something, with an item price.

// True where every bracket is then close.
bool LivesStep(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
               double most_work,
               std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* bounds, Outcome* out,
               double* spent) {
  const int n = steps.target;
  if (costs.item == 0 || costs.cheapest == 0 || !LiveCounts(steps)[0]) return false;
  BudgetLevels asked{};
  BudgetFigures lower{}, upper{};
  bool any = false;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      const Bound& bound = (*bounds)[t][p];
      const double floor = std::max(bound.lower, 1.0);
      asked[t][p] = out->wanted[t][p] && !Close(bound);
      lower[t][p] = floor;
      upper[t][p] = bound.upper;
      any = any || asked[t][p];
    }
  }
  if (!any) return true;
  const LivesBrackets lives =
      LivesBounds(steps, costs.unit, asked, lower, upper, most_work, MostAttempts(counts, n));
  *spent = lives.work;
  bool close = true;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!asked[t][p]) continue;
      Tighten(&(*bounds)[t][p], lives.upper[t][p], lives.lower[t][p]);
      close = close && Close((*bounds)[t][p]);
    }
    if (steps.budget >= 0)
      out->budgets.within[t] = std::max(out->budgets.within[t], lives.within[t]);
  }
  return close;
}

// Where the budgets must be exact: the attempts for the highest level
// reached at the dearest attempt's cost are within kExactAttemptUnits units
// of the attempts' greatest common divisor.
constexpr double kExactAttemptUnits = 4194304.0;  // 2^22

bool ExactWanted(const Costs& costs, const BudgetCounts& counts, const Levels& wanted, int n) {
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!wanted[t][p]) continue;
      const std::int64_t attempts = counts.attempts_for[t][p];
      if (attempts == kNever || static_cast<double>(attempts) * static_cast<double>(costs.dearest) >
                                    kExactAttemptUnits * static_cast<double>(costs.unit))
        return false;
    }
  }
  return true;
}

}  // namespace

std::array<double, kMaxTarget> ReachWithNewItems(const JourneySteps& steps) {
  const std::array<bool, kMaxTarget + 1> live = LiveCounts(steps);
  std::array<double, kMaxTarget> reach{};
  double climb = 1.0;  // to the target from t without a loss
  for (int t = steps.target - 1; t >= 0; --t) {
    const OutcomeOdds& odds = steps.odds[t];
    if (!live[t]) break;
    const std::uint64_t leaving = odds.success + odds.item_destroyed + odds.taliks_destroyed;
    climb *= static_cast<double>(odds.success) / static_cast<double>(leaving);
    reach[t] = live[0] ? 1.0 : climb;
  }
  return reach;
}

double ShownBudget(double upper, double lower) {
  const double whole = std::ceil(upper);
  if (!(whole > 0.0)) return 0.0;
  const double magnitude = std::floor(std::log10(whole));
  // Where even the finest digits cannot bring it within the tolerance, the
  // bracket is wide: the fewest digits are all that is known.
  double fewest_digits = whole;
  for (int digits = kBudgetShownDigits; digits < 17; ++digits) {
    const double step = std::pow(10.0, magnitude - digits + 1);
    if (step < 1.0) break;
    double shown = std::ceil(whole / step) * step;
    if (shown < whole) shown += step;
    if (digits == kBudgetShownDigits) fewest_digits = shown;
    if (shown - lower <= kBudgetRelativeError * lower) return shown;
  }
  return lower < whole ? fewest_digits : whole;
}

namespace {

// A higher level's budget suffices for a lower one, and a lower level's
// true budget is a floor for a higher one: each level keeps the tighter.
void OrderLevels(const std::array<bool, kPercentileCount>& wanted,
                 std::array<Bound, kPercentileCount>* bounds) {
  for (int p = kPercentileCount - 2; p >= 0; --p) {
    if (wanted[p + 1]) (*bounds)[p].upper = std::min((*bounds)[p].upper, (*bounds)[p + 1].upper);
  }
  for (int p = 1; p < kPercentileCount; ++p) {
    if (wanted[p]) (*bounds)[p].lower = std::max((*bounds)[p].lower, (*bounds)[p - 1].lower);
  }
}

// Each bracket's shown budget and the bound on its error.
void ShowBounds(const Costs& costs, const BudgetCounts& counts, int n,
                std::array<std::array<Bound, kPercentileCount>, kMaxTarget>* all, Outcome* out) {
  auto& bounds = *all;
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      // Bounds that cross cannot both hold: the counts' alone are proven
      // from the counts themselves.
      Bound& bound = bounds[t][p];
      if (!(bound.upper >= bound.lower)) bound = CountsBound(costs, counts, t, p);
    }
    OrderLevels(out->wanted[t], &bounds[t]);
    // From the highest level down: a lower level never shows more, even
    // where its wider bracket keeps fewer digits.
    double above = kInfinity;
    for (int p = kPercentileCount - 1; p >= 0; --p) {
      if (!out->wanted[t][p]) continue;
      const Bound& bound = bounds[t][p];
      if (!std::isfinite(bound.upper)) continue;
      const double lower = std::max(bound.lower, 0.0);
      const bool exact = bound.upper == bound.lower;
      const double shown = std::min(above, exact ? bound.upper : ShownBudget(bound.upper, lower));
      above = shown;
      out->budgets.budget[t][p] = shown;
      out->budgets.relative_error[t][p] = exact         ? 0.0
                                          : lower > 0.0 ? (shown - lower) / lower
                                                        : kInfinity;
    }
  }
}

// Whether the lives take up every level, their work sized by the counts'
// bounds.
// Whether the lives take up every level, their work sized by the counts'
// and the decay's bounds.
bool LivesFitFirst(const JourneySteps& steps, const Costs& costs, const BudgetCounts& counts,
                   const Decay& decay, const Outcome& out) {
  if (!LiveCounts(steps)[0]) return false;
  std::array<std::array<Bound, kPercentileCount>, kMaxTarget> bounds{};
  for (int t = 0; t < steps.target; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) bounds[t][p] = CountsBound(costs, counts, t, p);
  }
  Outcome scratch = out;
  DecayBounds(steps, costs, decay, &bounds, &scratch);
  BudgetFigures lower{}, upper{};
  for (int t = 0; t < steps.target; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      lower[t][p] = std::max(bounds[t][p].lower, 1.0);
      upper[t][p] = bounds[t][p].upper;
    }
  }
  return LivesFit(steps, costs.unit, out.wanted, lower, upper, kLivesFirstWork,
                  MostAttempts(counts, steps.target));
}

// The least budgets the wanted levels surely need, their lower bounds: the
// smallest of them and the largest.
struct Floors {
  double smallest = kInfinity, largest = 0.0;
};

Floors FloorsOf(const Costs& costs, const BudgetCounts& counts, const Outcome& out) {
  Floors floors;
  for (int t = 0; t < kMaxTarget; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (!out.wanted[t][p]) continue;
      const double lower = CountsBound(costs, counts, t, p).lower;
      floors.smallest = std::min(floors.smallest, lower);
      floors.largest = std::max(floors.largest, lower);
    }
  }
  return floors;
}

// The most items destroyed at any wanted level: where the budgets lie
// furthest, the lumps of the item price are the most spread.
double MostItems(const BudgetCounts& counts, const Outcome& out) {
  double most = 0.0;
  for (int t = 0; t < kMaxTarget; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (out.wanted[t][p] && counts.items_for[t][p] != kNever)
        most = std::max(most, static_cast<double>(counts.items_for[t][p]));
    }
  }
  return most;
}

// Steps 3 to 5 where no exact count reached every level: the counts' and
// the decay's bounds, then the passes each only where the brackets are
// still wide, and the figures shown from the tightest.
void BoundsBeyondTheLattice(const JourneySteps& steps, const Costs& costs,
                            const BudgetCounts& counts, const Decay& decay, bool lives_first,
                            double largest, bool asymptotic, bool passed, StripRun* run,
                            Outcome* out) {
  const int n = steps.target;
  std::array<std::array<Bound, kPercentileCount>, kMaxTarget> bounds{};
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) bounds[t][p] = CountsBound(costs, counts, t, p);
    out->budgets.within[t] = 0.0;
    out->budgets.within_exact[t] = false;
  }
  DecayBounds(steps, costs, decay, &bounds, out);
  bool close = StripBounds(steps, decay, *run, &bounds, out);
  // The lives before the strip's pass where they were chosen first, else
  // after it, with the work the pass leaves.
  double spent = 0.0;
  if (!close && lives_first)
    close = LivesStep(steps, costs, counts, kLivesFirstWork, &bounds, out, &spent);
  // The strip's pass where the lives left the work for it.
  if (!close && !run->ran && run->strip.width > 0 && spent <= kLivesFirstWork - kStripWork) {
    // The budgets not yet close lie past the least of their lower bounds.
    double floor = kInfinity;
    for (int t = 0; t < n; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        if (out->wanted[t][p] && !Close(bounds[t][p])) floor = std::min(floor, bounds[t][p].lower);
      }
    }
    StripPass(steps, costs, out->wanted, std::isfinite(floor) ? floor : 0.0, run);
    close = StripBounds(steps, decay, *run, &bounds, out);
  }
  // After a pass, the lives have the work it leaves; where none ran, the
  // work of the lives alone, for the levels that fit in it.
  const bool after_a_pass = passed || run->ran;
  if (!close && !lives_first) {
    const double work = after_a_pass ? kLivesAfterWork : kLivesAloneWork;
    close = LivesStep(steps, costs, counts, work, &bounds, out, &spent);
  }
  // The coarse pass, as long as the strip's, where the lives left the work for it.
  // Where the walk's tail is its decay's and a strip can be had, only a
  // rounded walk may still narrow a bracket.
  const bool rounded_only = asymptotic && run->strip.width > 0;
  if (!close && spent <= kLivesFirstWork - kStripWork)
    CoarseBounds(steps, costs, counts, largest, after_a_pass, rounded_only, &bounds, out);
  ShowBounds(costs, counts, n, &bounds, out);
}

JourneyBudgets FiguresFor(const JourneySteps& steps, const BudgetCounts& counts) {
  const int n = steps.target;
  Outcome out{};
  for (auto& row : out.budgets.budget) row.fill(kInfinity);
  // Only levels the target is reached with at all have a budget.
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p)
      out.wanted[t][p] = counts.reach[t] >= kPercentileLevels[p];
  }
  const Costs costs = CostsOf(steps);
  if (SingleCountTotals(steps, costs, counts, &out)) return out.budgets;
  std::array<SparseSettled, kMaxTarget> settled{};
  if (SparseBudgets(steps, costs, counts, &out, &settled)) return out.budgets;
  const double largest = LargestNeeded(costs, counts, out.wanted, n);
  // The lattice where it must be exact or nothing else is close; the strip
  // of a shorter pass for the longest journeys.
  const Decay tail = TailDecay(steps);
  const bool tail_asymptotic = tail.found && MemoryScale(steps, costs, tail) <= kAsymptoticScale;
  StripRun run;
  run.unit = std::gcd(costs.unit, costs.item);
  run.strip = StripFor(tail, costs, run.unit);
  // The lives first where the total is lumpy at the item's scale, or no
  // strip can be had, and they can take up every level.
  const bool lives_first = (run.strip.width == 0 || LivesLumpy(steps, MostItems(counts, out))) &&
                           LivesFitFirst(steps, costs, counts, tail, out);
  bool passed = false;  // the items apart ran, whatever they found (the lattice: run.ran)
  if (!tail_asymptotic || ExactWanted(costs, counts, out.wanted, n)) {
    // One exact pass at most: items apart only where the lattice with the
    // item in it does not fit.
    // The items apart first where the item price is beyond every attempts'
    // total: that pass stops at the budgets' rows.
    const bool item_beyond = ItemBeyond(steps, costs, counts);
    bool ran = item_beyond;
    if (item_beyond && ExactItemsApart(steps, costs, counts, item_beyond, largest, &out, &passed))
      return out.budgets;
    // Where the lives bracket the budgets closely, the lattice only where it
    // may reach them all; where the strip does, only where it may reach one
    // (the strip's own pass stops once it is close).
    const Floors floors = FloorsOf(costs, counts, out);
    const double floor = lives_first           ? floors.largest
                         : run.strip.width > 0 ? floors.smallest
                                               : -1.0;
    if (!ran && ExactLattice(steps, costs, largest, floor, &out, &ran, &run)) return out.budgets;
    if (!ran && ExactItemsApart(steps, costs, counts, item_beyond, largest, &out, &passed))
      return out.budgets;
  }

  BoundsBeyondTheLattice(steps, costs, counts, tail, lives_first, largest, tail_asymptotic, passed,
                         &run, &out);
  SettleFirstAttempts(steps, costs, counts, out, &settled);
  // What the forward walks settled is exact: the lowest levels from the
  // counts they were walked from, which a bracket shows above.
  for (int t = 0; t < n; ++t)
    TakeSettled(settled[static_cast<std::size_t>(t)], out.wanted, t, &out.budgets);
  return out.budgets;
}

// A budget beyond which all but twice kBudgetTailMass of the chance to get
// there is within: the tail's attempts at the dearest cost and its items
// (both hold together with that chance); +infinity where they do not bound it.
double TailBudget(const Costs& costs, const BudgetCounts& counts, int n) {
  double largest = 0.0;
  for (int t = 0; t < n; ++t) {
    if (counts.reach[t] <= 0.0) continue;
    if (counts.attempts_tail[t] == kNever || counts.items_tail[t] == kNever) return kInfinity;
    largest = std::max(
        largest, static_cast<double>(costs.dearest) * static_cast<double>(counts.attempts_tail[t]) +
                     static_cast<double>(costs.item) * static_cast<double>(counts.items_tail[t]));
  }
  return largest;
}

}  // namespace

JourneyBudgets BudgetsFor(const JourneySteps& steps, const BudgetCounts& counts) {
  const int n = steps.target;
  if (steps.budget < 0 || steps.budget < TailBudget(CostsOf(steps), counts, n)) {
    JourneyBudgets budgets = FiguresFor(steps, counts);
    // A chance: the free steps' solve may leave a rounding's worth below 0.
    for (double& within : budgets.within) within = std::clamp(within, 0.0, 1.0);
    return budgets;
  }
  // A budget beyond the tail: the chance within it is the chance to get
  // there, to within twice the tail's mass; no pass need go as far.
  JourneySteps without = steps;
  without.budget = -1.0;
  JourneyBudgets budgets = FiguresFor(without, counts);
  for (int t = 0; t < n; ++t) {
    budgets.within[t] = std::max(0.0, counts.reach[t] - 2.0 * kBudgetTailMass);
    budgets.within_exact[t] = true;
  }
  return budgets;
}
