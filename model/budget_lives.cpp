#include "model/budget_lives.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <tuple>
#include <utility>
#include <vector>

#include "model/journey_budget.h"
#include "model/outcome_odds.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kUlp = 0x1p-52;
// The chance that the lives' rounding strays beyond its bound.
constexpr double kStrayChance = kRoundingStrayChance;
// The bracket's width a level's coarse unit is chosen for, as a share of the
// budget: nearly the tolerance; the figure then shows the digits it needs.
constexpr double kBracketShare = kBudgetRelativeError * 0.9;
// The lives' pass stops once every life's cost is counted but this chance,
// or at this many cells (rows times counts).
constexpr double kLifeLeft = 1e-10;
constexpr std::int64_t kLifeCells = std::int64_t{1} << 22;
// A life's cost falls below kLifeLeft within about this many times its mean
// (a heavy tail takes longer: the pass goes on to kLifeOverrun times as
// far, then gives up); a cell of its pass, with its rounding into the
// kernels, is some 67 instructions: this much work, at about ten
// instructions a unit, as a renewal's.
constexpr double kLifeTailMeans = 30.0;
constexpr double kLifeOverrun = 3.0;
constexpr double kFineCellWork = 6.5;
// A rounded walk's cell reads two rows for each term: some 110
// instructions, its kernels' rounding included; its pass is kept to a
// third of the cells.
constexpr double kRoundedCellWork = 11.0;
constexpr std::int64_t kRoundedLifeCells = kLifeCells / 3;
// The attempts' roundings on a coarser walk may take this share of a
// level's bracket; the divisors of the costs' differences tried as its unit.
constexpr double kWalkShare = 0.25;
constexpr std::int64_t kWalkDivisors = 4096;
// The lives' costs spread over less than this many item prices: the total
// spent is lumpy at the item's scale.
constexpr double kLumpyItems = 2.0;
// The most rows of a level's renewal, and the most of a life's chance left
// uncounted for the lives to bound anything.
constexpr std::int64_t kRenewalRows = std::int64_t{1} << 23;
constexpr double kLivesLeftUsable = 1e-6;
// A level's rows are foretold as far as this many times its lower bound.
constexpr double kFarAsLower = 1.5;

// ln(2 / kStrayChance) / 2: with n lives, each rounded within one unit's
// range, the sum strays beyond unit sqrt(n kStrayLog) with at most
// kStrayChance.
double StrayLog() { return std::log(2.0 / kStrayChance) / 2.0; }

// The unit of one item's walk: the attempts' own, every cost a whole number
// of it, or a coarser one where their lattice is too fine for the lives'
// pass. On a coarser unit each attempt's cost is rounded to one of its two
// neighbouring multiples at random, its mean kept: over a journey of at
// most `attempts` attempts the roundings' sum then takes off at most
// `below` and adds at most `above` but for a chance of kStrayChance each
// (Bernstein's inequality: a rounding of a cost r above a multiple of w
// varies by r (w - r), and lies within r below and w - r above the cost).
// Only at 0 taliks may a cost round to nothing.
struct WalkUnit {
  std::int64_t unit = 1;
  double below = 0.0, above = 0.0;
  bool rounded = false;
};

// The lives of one coarse unit, by cost in units, [units * kMaxTarget + t]:
// from each start count t, those that end with the item destroyed (its
// price included) and those that reach the target.
struct Kernels {
  std::int64_t unit = 0;
  std::int64_t item_units = 0;  // the fewest units a destroyed life costs
  // The root of the sum of the squared ranges of a life's roundings.
  double spread = 0.0;
  WalkUnit walk;  // the attempts' own roundings, where the walk is rounded
  std::vector<double> destroyed, reached;
  // The reached lives' chances summed from cost 0 up, in order: a count's
  // chance at a row starts from it.
  std::vector<double> reached_within;
  // Each count's destroyed lives from the dearest down, [t * Length() + m]
  // for the cost Length() - 1 - m, t below the target: its sum with the
  // renewal's rows then runs forward through both, on vectors.
  std::vector<double> destroyed_back;
  int target = 0;

  std::size_t Length() const { return destroyed.size() / kMaxTarget; }
};

// The lives of one row, all of one cost in the currency, rounded to one of
// the two neighbouring whole units with their mean kept. The row holds a
// chance for every count, 0 from the target on, and so does the kernel.
void RoundInto(double* __restrict low, double* __restrict high, const double* __restrict chances,
               double up) {
  for (std::size_t t = 0; t < kMaxTarget; ++t) {
    low[t] += chances[t] * (1.0 - up);
    high[t] += chances[t] * up;
  }
}

void AddRounded(std::int64_t cost, std::int64_t unit, const double* chances,
                std::vector<double>* kernel) {
  const auto whole = static_cast<std::size_t>(cost / unit);
  const double up = static_cast<double>(cost % unit) / static_cast<double>(unit);
  if (kernel->size() < (whole + 2) * kMaxTarget) kernel->resize((whole + 2) * kMaxTarget, 0.0);
  double* low = &(*kernel)[whole * kMaxTarget];
  RoundInto(low, low + kMaxTarget, chances, up);
}

// The lives' pass on the walk's lattice: the chance of each life to end at
// each cost, by the walk of one item, its lives rounded into each the
// kernels' unit as they are counted.
struct LifeCount {
  double left = 1.0;   // bound on a life's chance not counted, its rounding included
  double error = 0.0;  // bound on the rounding of the chances counted
  double cells = 0.0;  // the pass's rows times counts
};

// The walk on w: its roundings' strays from the greatest variance and reach
// of any count's.
WalkUnit WalkOn(const JourneySteps& steps, std::int64_t w, double attempts) {
  WalkUnit walk;
  walk.unit = w;
  double variance = 0.0, below = 0.0, above = 0.0;
  for (int t = 0; t < steps.target; ++t) {
    const std::int64_t cost = std::llround(steps.attempt_cost[t]);
    const auto r = static_cast<double>(cost % w);
    if (r == 0.0) continue;
    walk.rounded = true;
    variance = std::max(variance, r * (static_cast<double>(w) - r));
    below = std::max(below, r);
    above = std::max(above, static_cast<double>(w) - r);
  }
  if (walk.rounded) {
    walk.below = std::ceil(RoundingStray(below, attempts * variance));
    walk.above = std::ceil(RoundingStray(above, attempts * variance));
  }
  return walk;
}

// Whether a walk on w keeps the counts above 0 taliks at least a unit an
// attempt: only a count's own row, at 0 taliks, is solved for.
bool WalkKeepsSteps(const JourneySteps& steps, std::int64_t w) {
  for (int t = 1; t < steps.target; ++t) {
    if (std::llround(steps.attempt_cost[t]) < w) return false;
  }
  return true;
}

// The coarsest walk whose roundings take off and add together at most
// `room`: from the attempts' own unit, the coarsest unit whose roundings
// are surely within it however the costs lie, and the divisors of the
// costs' differences above it, which leave the costs the same remainder.
WalkUnit WalkFor(const JourneySteps& steps, std::int64_t unit, double attempts, double room) {
  WalkUnit best = WalkOn(steps, unit, attempts);
  if (!(attempts < kInfinity) || !(room > 0.0)) return best;
  // Each rounding within w, varying by at most w^2 / 4: strays of w times
  // those of a unit's.
  const double per_unit = 2.0 * RoundingStray(1.0, attempts / 4.0);
  const auto surely = static_cast<std::int64_t>(std::floor(room / per_unit));
  std::vector<std::int64_t> candidates = {surely};
  std::array<std::int64_t, kMaxTarget + 1> costs{};
  for (int t = 0; t < steps.target; ++t) costs[t] = std::llround(steps.attempt_cost[t]);
  for (int i = 0; i < steps.target; ++i) {
    for (int j = 0; j <= steps.target; ++j) {  // j at the target: the cost itself
      const std::int64_t difference = costs[i] - (j < steps.target ? costs[j] : 0);
      if (difference <= surely) continue;
      for (std::int64_t k = 1; k <= kWalkDivisors && difference / k > surely; ++k) {
        if (difference % k == 0) candidates.push_back(difference / k);
      }
    }
  }
  for (const std::int64_t w : candidates) {
    if (w <= best.unit || !WalkKeepsSteps(steps, w)) continue;
    const WalkUnit walk = WalkOn(steps, w, attempts);
    if (walk.below + walk.above <= room) best = walk;
  }
  return best;
}

// One item's walk on its unit: each count's shares, the units an attempt
// there looks back and the chance it looks one unit further.
struct LifeWalk {
  std::array<std::int64_t, kMaxTarget> back{};
  std::array<double, kMaxTarget> up{};
  std::array<double, kMaxTarget> success{}, destroyed{}, lost{}, failed{};
  // Where rounded: each share times the chance of looking `back` rows back
  // (near) or one further (far), over what leaves a count whose own row
  // it may stay in.
  std::array<std::array<double, 4>, kMaxTarget> near{}, far{};
  std::int64_t history = 1;                                       // rows looked back, and this one
  std::int64_t least = std::numeric_limits<std::int64_t>::max();  // no life ends before
};

LifeWalk WalkOf(const JourneySteps& steps, std::int64_t unit) {
  LifeWalk walk;
  for (int t = 0; t < steps.target; ++t) {
    const OutcomeOdds& odds = steps.odds[t];
    const std::int64_t cost = std::llround(steps.attempt_cost[t]);
    walk.back[t] = cost / unit;
    walk.up[t] = static_cast<double>(cost % unit) / static_cast<double>(unit);
    walk.history = std::max(walk.history, walk.back[t] + 2);
    walk.least = std::min(walk.least, walk.back[t]);
    walk.success[t] = OutcomeProbability(odds, AttemptOutcome::kSuccess);
    walk.destroyed[t] = OutcomeProbability(odds, AttemptOutcome::kItemDestroyed);
    walk.lost[t] = OutcomeProbability(odds, AttemptOutcome::kTaliksDestroyed);
    walk.failed[t] = OutcomeProbability(odds, AttemptOutcome::kFailed);
    const double near = 1.0 - walk.up[t];
    const bool own = walk.back[t] == 0;
    const double leaving = 1.0 - (own ? near * (walk.failed[t] + walk.lost[t]) : 0.0);
    const std::array<double, 4> shares = {walk.success[t], walk.failed[t], walk.lost[t],
                                          walk.destroyed[t]};
    for (std::size_t i = 0; i < shares.size(); ++i) {
      // A stay in the count's own row is solved for: not a term of it.
      const bool stays = own && (i == 1 || i == 2);
      walk.near[t][i] = stays ? 0.0 : shares[i] * near / leaving;
      walk.far[t][i] = shares[i] * walk.up[t] / leaving;
    }
  }
  return walk;
}

// A row: reached [t] with the target's [n] (1 at no cost), destroyed
// [kEnded + t] with the target's [kEnded + n] (0), and [kNow] (1 at no
// cost) for a destroyed item's own row. Rows before 0 are the ring's
// zeros, not yet written.
constexpr std::size_t kEnded = kMaxTarget + 1;
constexpr std::size_t kNow = 2 * kEnded;
constexpr std::size_t kLifeStride = kNow + 1;

// Row b of the walk on the attempts' own lattice, each count's chances
// added to its run.
void ExactRow(const LifeWalk& walk, int n, std::int64_t b, std::size_t mask,
              std::vector<double>* ring, std::array<double, kMaxTarget>* run) {
  const auto& back = walk.back;
  const auto& [success, destroyed, lost, failed] =
      std::tie(walk.success, walk.destroyed, walk.lost, walk.failed);
  double* here = &(*ring)[(static_cast<std::size_t>(b) & mask) * kLifeStride];
  for (int t = 0; t < n; ++t) {
    const double* from = &(*ring)[(static_cast<std::size_t>(b - back[t]) & mask) * kLifeStride];
    const double reached = success[t] * from[t + 1] + failed[t] * from[t] + lost[t] * from[0];
    const double ended = destroyed[t] * from[kNow] + success[t] * from[kEnded + t + 1] +
                         failed[t] * from[kEnded + t] + lost[t] * from[kEnded];
    here[t] = reached;
    here[kEnded + t] = ended;
    (*run)[t] += reached + ended;
  }
  here[n] = b == 0 ? 1.0 : 0.0;
  here[kNow] = here[n];
}

// Row b of the walk with its costs rounded: each count's terms from `back`
// rows back, or one further with the chance `up`. From the target down, so
// that a cost rounded to nothing at 0 taliks reads its row's counts above
// it, and its own chance is solved for.
void RoundedRow(const LifeWalk& walk, int n, std::int64_t b, std::size_t mask,
                std::vector<double>* ring, std::array<double, kMaxTarget>* run) {
  const auto at = [&](std::int64_t row) {
    return &(*ring)[(static_cast<std::size_t>(row) & mask) * kLifeStride];
  };
  double* here = at(b);
  here[n] = b == 0 ? 1.0 : 0.0;
  here[kNow] = here[n];
  for (int t = n - 1; t >= 0; --t) {
    const double* from = at(b - walk.back[t]);
    const double* further = at(b - walk.back[t] - 1);
    const auto& [s, f, l, d] = walk.near[t];
    const auto& [fs, ff, fl, fd] = walk.far[t];
    const double reached = s * from[t + 1] + f * from[t] + l * from[0] + fs * further[t + 1] +
                           ff * further[t] + fl * further[0];
    const double ended = d * from[kNow] + s * from[kEnded + t + 1] + f * from[kEnded + t] +
                         l * from[kEnded] + fd * further[kNow] + fs * further[kEnded + t + 1] +
                         ff * further[kEnded + t] + fl * further[kEnded];
    here[t] = reached;
    here[kEnded + t] = ended;
    (*run)[t] += reached + ended;
  }
}

// The cells of the lives' own pass, about (below, from a life's mean cost).
double FineCells(const JourneySteps& steps, std::int64_t unit);

LifeCount CountLives(const JourneySteps& steps, const WalkUnit& on, Kernels* kernels) {
  const int n = steps.target;
  const std::int64_t unit = on.unit;
  const LifeWalk walk = WalkOf(steps, unit);
  const std::int64_t item = std::llround(steps.item_cost);
  std::int64_t rows = 1;
  while (rows < walk.history) rows *= 2;
  const auto mask = static_cast<std::size_t>(rows - 1);
  std::vector<double> ring(static_cast<std::size_t>(rows) * kLifeStride, 0.0);
  // Each life's chance counted so far: rows summed in runs of 1024, the
  // runs with their rounding kept (Neumaier), as 1 less it is the chance
  // left.
  std::array<double, kMaxTarget> run{}, total{}, carry{};
  LifeCount count;
  const auto foretold = static_cast<std::int64_t>(kLifeOverrun * FineCells(steps, unit));
  const std::int64_t last = std::min(on.rounded ? kRoundedLifeCells : kLifeCells, foretold) / n + 1;
  for (std::int64_t b = 0; b < last; ++b) {
    if (on.rounded) {
      RoundedRow(walk, n, b, mask, &ring, &run);
    } else {
      ExactRow(walk, n, b, mask, &ring, &run);
    }
    const double* here = &ring[(static_cast<std::size_t>(b) & mask) * kLifeStride];
    if (b >= walk.least) {
      const std::int64_t cost = b * unit;
      AddRounded(cost + item, kernels->unit, here + kEnded, &kernels->destroyed);
      AddRounded(cost, kernels->unit, here, &kernels->reached);
    }
    if (b % 1024 != 1023 && b + 1 != last) continue;
    double left = 0.0;
    for (int t = 0; t < n; ++t) {
      const double sum = total[t] + run[t];
      carry[t] += total[t] >= run[t] ? (total[t] - sum) + run[t] : (run[t] - sum) + total[t];
      total[t] = sum;
      run[t] = 0.0;
      left = std::max(left, 1.0 - (total[t] + carry[t]));
    }
    // Each chance is a few shares times chances of earlier rows, its
    // rounding a few ulps a row (twice as many where rounded, and a
    // division); a run's sum adds one a row.
    count.error = static_cast<double>((on.rounded ? 12 : 5) * (b + 2)) * kUlp;
    count.left = std::max(left, 0.0) + count.error;
    count.cells = static_cast<double>((b + 1) * n);
    if (left <= kLifeLeft) break;
  }
  return count;
}

// ---- The renewal --------------------------------------------------------------

using Complex = std::complex<double>;
// Two doubles in one vector.
using RowPair = double __attribute__((vector_size(16)));

// Spectra of one length side by side, each in pairs of terms, the real
// parts of a pair in one vector and its imaginary ones in the next, so that
// products of spectra run on vectors with one address for both parts: terms
// 2 c and 2 c + 1 of spectrum s at [s * stride + 2 c] (real) and
// [s * stride + 2 c + 1] (imaginary), a last odd term's pair 0.
struct Spectra {
  std::size_t stride = 0;  // the terms, even
  std::vector<RowPair> parts;

  Spectra(std::size_t count, std::size_t terms)
      : stride(terms + terms % 2), parts(count * stride, RowPair{0.0, 0.0}) {}
  RowPair* At(std::size_t s) { return parts.data() + s * stride; }
  const RowPair* At(std::size_t s) const { return parts.data() + s * stride; }
};

// A spectrum's parts apart, each of an even count of terms, into its
// pairs, and back.
void PairTerms(const double* re, const double* im, std::size_t terms, RowPair* to) {
  for (std::size_t f = 0; f < terms; f += 2) {
    std::memcpy(&to[f], re + f, sizeof(RowPair));
    std::memcpy(&to[f + 1], im + f, sizeof(RowPair));
  }
}

void UnpairTerms(const RowPair* from, std::size_t terms, double* re, double* im) {
  for (std::size_t f = 0; f < terms; f += 2) {
    std::memcpy(re + f, &from[f], sizeof(RowPair));
    std::memcpy(im + f, &from[f + 1], sizeof(RowPair));
  }
}

// The discrete Fourier transform in place of (re, im), of a power-of-two
// size, given in the size's bit-reversed order, with the roots
// (cos, sin)[k * step] of exp(-+2 pi i k / size) (the inverse without its
// 1 / size), each computed directly so that their rounding does not build
// up. The roots
// of each stage of groups of 2 h, h from kGroupedHalf up, are also kept in
// a row of their own, [h + k] for k below h, so that a group's butterflies
// run on vectors.
constexpr std::size_t kGroupedHalf = 4;

struct Roots {
  std::vector<double> cos, sin;
  std::vector<double> stage_cos, stage_sin;
};

// The stages' rows of roots for a transform of `size` with `step`.
void StagesOf(std::size_t step, std::size_t size, Roots* roots) {
  roots->stage_cos.assign(std::max(size, kGroupedHalf), 0.0);
  roots->stage_sin.assign(std::max(size, kGroupedHalf), 0.0);
  for (std::size_t half = kGroupedHalf; half < size; half <<= 1) {
    const std::size_t stride = size / (2 * half) * step;
    for (std::size_t k = 0; k < half; ++k) {
      roots->stage_cos[half + k] = roots->cos[k * stride];
      roots->stage_sin[half + k] = roots->sin[k * stride];
    }
  }
}

// The butterflies of one group of 2 half, its low half against its high.
void Butterflies(double* __restrict low_re, double* __restrict low_im, double* __restrict high_re,
                 double* __restrict high_im, const double* __restrict wr,
                 const double* __restrict wi, std::size_t half) {
  for (std::size_t k = 0; k < half; ++k) {
    const double odd_re = high_re[k] * wr[k] - high_im[k] * wi[k];
    const double odd_im = high_re[k] * wi[k] + high_im[k] * wr[k];
    high_re[k] = low_re[k] - odd_re;
    high_im[k] = low_im[k] - odd_im;
    low_re[k] += odd_re;
    low_im[k] += odd_im;
  }
}

// The stages of groups of 2 and 4 at once, where the roots are 1 and -+i
// (wi = -+1): sums and differences, the products by 1, 0 and -+1 that they
// stand for being exact.
void FirstTwoStages(double* re, double* im, std::size_t size, double wi) {
  for (std::size_t low = 0; low < size; low += 4) {
    const double re0 = re[low] + re[low + 1], im0 = im[low] + im[low + 1];
    const double re1 = re[low] - re[low + 1], im1 = im[low] - im[low + 1];
    const double re2 = re[low + 2] + re[low + 3], im2 = im[low + 2] + im[low + 3];
    const double re3 = re[low + 2] - re[low + 3], im3 = im[low + 2] - im[low + 3];
    const double odd_re = -(im3 * wi), odd_im = re3 * wi;
    re[low] = re0 + re2;
    im[low] = im0 + im2;
    re[low + 2] = re0 - re2;
    im[low + 2] = im0 - im2;
    re[low + 1] = re1 + odd_re;
    im[low + 1] = im1 + odd_im;
    re[low + 3] = re1 - odd_re;
    im[low + 3] = im1 - odd_im;
  }
}

void Transform(const Roots& roots, std::size_t step, double* re, double* im, std::size_t size) {
  std::size_t length = 2;
  if (size >= 4) {
    FirstTwoStages(re, im, size, roots.sin[size / 4 * step]);
    length = 8;
  }
  for (; length <= size; length <<= 1) {
    const std::size_t half = length / 2;
    if (half >= kGroupedHalf) {
      // A group at a time, its roots in a row.
      const double* wr = &roots.stage_cos[half];
      const double* wi = &roots.stage_sin[half];
      for (std::size_t low = 0; low < size; low += length)
        Butterflies(re + low, im + low, re + low + half, im + low + half, wr, wi, half);
      continue;
    }
    const std::size_t stride = size / length * step;
    // Each root once, over every group of the stage.
    for (std::size_t k = 0; k < half; ++k) {
      const double wr = roots.cos[k * stride];
      const double wi = roots.sin[k * stride];
      for (std::size_t low = k; low < size; low += length) {
        const std::size_t high = low + half;
        const double odd_re = re[high] * wr - im[high] * wi;
        const double odd_im = re[high] * wi + im[high] * wr;
        re[high] = re[low] - odd_re;
        im[high] = im[low] - odd_im;
        re[low] += odd_re;
        im[low] += odd_im;
      }
    }
  }
}

// log2 of a power of two.
std::size_t LogOfSize(std::size_t size) {
  std::size_t log = 0;
  while ((std::size_t{1} << log) < size) ++log;
  return log;
}

Complex Times(Complex a, Complex b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// Transforms of real rows of `size` (a power of two, at least 2), each
// packed as size / 2 complex values (even + i odd) and transformed at half
// the size: a spectrum of size / 2 + 1 terms.
struct RealTransform {
  std::size_t half = 1;
  Roots forward, inverse;               // exp(-+2 pi i k / size), k < half
  std::vector<std::uint32_t> reversed;  // of half
  std::vector<double> re, im;           // the packed row

  explicit RealTransform(std::size_t size) : half(size / 2), reversed(half), re(half), im(half) {
    // r_j = exp(-2 pi i / 2^j), the angle halved from r_2 = -i with square
    // roots and quotients that cancel nothing; root k the product of those of
    // its bits, its rounding a few ulps times log2 size.
    const std::size_t log_size = LogOfSize(size);
    std::vector<Complex> halving{Complex(1.0, 0.0), Complex(-1.0, 0.0), Complex(0.0, -1.0)};
    while (halving.size() <= log_size) {
      const Complex last = halving.back();
      const double c = std::sqrt((1.0 + last.real()) / 2.0);
      halving.emplace_back(c, last.imag() / (2.0 * c));
    }
    for (std::size_t k = 0; k < half; ++k) {
      Complex root(1.0, 0.0);
      for (std::size_t bit = 0; (std::size_t{1} << bit) <= k; ++bit) {
        if (((k >> bit) & 1U) != 0) root = Times(root, halving[log_size - bit]);
      }
      forward.cos.push_back(root.real());
      forward.sin.push_back(root.imag());
    }
    inverse.cos = forward.cos;
    for (const double sine : forward.sin) inverse.sin.push_back(-sine);
    StagesOf(2, half, &forward);
    StagesOf(2, half, &inverse);
    for (std::size_t i = 1, j = 0; i < half; ++i) {
      std::size_t bit = half >> 1;
      for (; (j & bit) != 0; bit >>= 1) j ^= bit;
      j ^= bit;
      reversed[i] = static_cast<std::uint32_t>(j);
    }
  }

  // The spectrum of a row of 2 half values, its parts apart.
  void Forward(const double* row, double* spectrum_re, double* spectrum_im) {
    for (std::size_t k = 0; k < half; ++k) {
      re[reversed[k]] = row[2 * k];
      im[reversed[k]] = row[2 * k + 1];
    }
    Transform(forward, 2, re.data(), im.data(), half);
    // Terms 0 and half from the packed term 0; the others in pairs.
    spectrum_re[0] = re[0] + im[0];
    spectrum_im[0] = 0.0;
    spectrum_re[half] = re[0] - im[0];
    spectrum_im[half] = 0.0;
    for (std::size_t k = 1; k < half; ++k) {
      const Complex a(re[k], im[k]);
      const Complex b(re[half - k], -im[half - k]);
      const Complex sum = a + b;
      const Complex odd = Times(a - b, Complex(forward.cos[k], forward.sin[k]));
      // (a + b) / 2 - i (a - b) w / 2
      spectrum_re[k] = (sum.real() + odd.imag()) * 0.5;
      spectrum_im[k] = (sum.imag() - odd.real()) * 0.5;
    }
  }

  // The row of a spectrum, row i then at Row(i).
  void Inverse(const double* spectrum_re, const double* spectrum_im) {
    const double scale = 0.5 / static_cast<double>(half);
    for (std::size_t k = 0; k < half; ++k) {
      const Complex a(spectrum_re[k], spectrum_im[k]);
      const Complex b(spectrum_re[half - k], -spectrum_im[half - k]);
      const Complex odd = Times(a - b, Complex(inverse.cos[k], inverse.sin[k]));
      const Complex packed = (a + b + Complex(-odd.imag(), odd.real())) * scale;
      re[reversed[k]] = packed.real();
      im[reversed[k]] = packed.imag();
    }
    Transform(inverse, 2, re.data(), im.data(), half);
  }

  double Row(std::size_t i) const { return i % 2 == 0 ? re[i / 2] : im[i / 2]; }

  // Rows `half` on, none below 0, into `to`: where half is even, the even
  // ones from re and the odd ones from im, side by side.
  void UpperRowsAtLeastZero(double* to) const {
    if (half % 2 != 0) {
      for (std::size_t r = 0; r < half; ++r) to[r] = std::max(0.0, Row(half + r));
      return;
    }
    for (std::size_t k = 0; k < half / 2; ++k) {
      to[2 * k] = std::max(0.0, re[half / 2 + k]);
      to[2 * k + 1] = std::max(0.0, im[half / 2 + k]);
    }
  }
};

// The renewal from a new item at 0 taliks: V(j), the chance to reach the
// target spending at most j units, V = S + D * V with S the lives that reach
// it and D those destroyed. D starts at item_units >= 1, so a block of at
// most that many rows takes only rows before it. The blocks are a power of
// two b long; D is cut into segments of b, and each block's sum is that of
// each segment's convolution with the pair of blocks it reaches, all in one
// spectrum: every block and segment is transformed once (a uniformly
// partitioned convolution). Rows are added until `done` says every level
// asked of them is reached, or `rows` are.
struct RenewalRun {
  std::vector<double> v;  // empty where the work ran out
  double work = 0.0;
  double error = 0.0;  // bound on a block's rounding in the transforms, each row
};

// The blocks' length for lives that cost at least `shortest` units: the
// greatest power of two within it.
std::size_t BlockFor(std::size_t shortest) {
  std::size_t b = 1;
  while (2 * b <= shortest) b *= 2;
  return b;
}

// A block's work: its two transforms of twice its length, and a product of
// spectra for each segment. A product's term is some 7 instructions, four
// segments at a time, where a unit is about 11 (kProductWork); the block's
// three spectra are put in pairs and back, about a unit a term. Never more
// than a unit a product's term, as before the products ran four at a time.
constexpr double kProductWork = 0.65;

double BlockWork(double block, double segments) {
  const auto log = static_cast<double>(LogOfSize(2 * static_cast<std::size_t>(block)));
  const double terms = block + 1.0;
  return 2.0 * block * log + std::min(segments, kProductWork * segments + 1.0) * terms;
}

// A row's sum taken directly: a unit of work for the row, and for each of
// its products a fifth, one sum a row or a block of rows from each of the
// kernel's taps in short vectors (the blocks where they hold at least
// kBlockRows).
constexpr double kTapShare = 0.2;
constexpr std::size_t kBlockRows = 16;
// The rows of a direct renewal between its checks whether they are enough.
constexpr std::size_t kRowsBetweenChecks = 64;

double DirectWork(double rows, double shortest, double longest) {
  return rows * (1.0 + std::max(1.0, longest - shortest) * kTapShare);
}

double TransformWork(double rows, double shortest, double longest) {
  const auto block = static_cast<double>(BlockFor(static_cast<std::size_t>(shortest)));
  return std::ceil(rows / block) * BlockWork(block, std::ceil(longest / block) + 1.0);
}

// The work of a renewal of `rows` rows for lives of `shortest` to `longest`
// units, the cheaper way.
double RenewalWork(double rows, double shortest, double longest) {
  if (!(shortest >= 1.0) || !(rows < static_cast<double>(kRenewalRows))) return kInfinity;
  return std::min(DirectWork(rows, shortest, longest), TransformWork(rows, shortest, longest));
}

// to[i] += share from[i]: rows of a block from rows before it, which never
// overlap, so that the loop runs on vectors.
void AddScaled(double* __restrict to, const double* __restrict from, double share,
               std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) to[i] += share * from[i];
}

// to[i] += sum of share[e] from[i + step e], e below kTaps, in that order:
// a run of taps over rows, as many loads and stores of its rows for all of
// them as for one. Step -1: a block's rows from rows before it; 1: rows
// side by side from the rows after each.
// Two rows at a time, each tap's share twice in one vector: a compiler left
// to vectorize the loop itself keeps each tap's rows from one pair to the
// next, and spends more on moving them than on the sums. Each row's sum is
// taken in the same order either way.
RowPair PairAt(const double* row) {
  RowPair pair;
  std::memcpy(&pair, row, sizeof pair);
  return pair;
}

template <std::size_t kTaps, std::ptrdiff_t kStep>
[[gnu::noinline]] void AddTaps(double* __restrict to, const double* __restrict from,
                               const double* share, std::size_t count) {
  const auto at = [&](std::size_t i, std::size_t e) {
    return from + static_cast<std::ptrdiff_t>(i) + kStep * static_cast<std::ptrdiff_t>(e);
  };
  std::array<RowPair, kTaps> taps;
  for (std::size_t e = 0; e < kTaps; ++e) taps[e] = RowPair{share[e], share[e]};
  std::size_t i = 0;
  for (; i + 2 <= count; i += 2) {
    RowPair sum = PairAt(to + i);
    for (std::size_t e = 0; e < kTaps; ++e) sum += taps[e] * PairAt(at(i, e));
    std::memcpy(to + i, &sum, sizeof sum);
  }
  for (; i < count; ++i) {
    double sum = to[i];
    for (std::size_t e = 0; e < kTaps; ++e) sum += share[e] * *at(i, e);
    to[i] = sum;
  }
}

// The taps that may add anything to the rows of a block, each row j from
// the taps' rows j - shortest - d, none of them beyond `largest` and the
// greatest tap's none below `least`: those before the first tap d from
// which every tap's share of its row, at most greatest_on[d] times the
// largest, is below 2^-56 times the greatest tap's share of its own row.
// That one is added first, and a row's sum is at least each of its terms
// (all at least 0); a share below half a unit in the last place of a sum
// leaves it as it is, and the taps from d on are the last.
std::size_t TapsThatAdd(const std::vector<double>& greatest_on, std::size_t greatest, double least,
                        double largest) {
  const std::size_t taps = greatest_on.size() - 1;
  // Where it is normal, the scaling is exact.
  const double below = greatest_on[greatest] * least * 0x1p-56;
  if (!(below >= std::numeric_limits<double>::min())) return taps;
  // The fewest taps, past the greatest, after which no share reaches it.
  std::size_t low = greatest + 1, high = taps;
  if (greatest_on[low] * largest <= below) return low;
  while (high - low > 1) {
    const std::size_t middle = low + (high - low) / 2;
    (greatest_on[middle] * largest <= below ? high : low) = middle;
  }
  return high;
}

// A run of 1 to 8 taps, by their count, each way.
using TapRun = void (*)(double*, const double*, const double*, std::size_t);
template <std::ptrdiff_t kStep>
TapRun TapRunFor(std::size_t taps) {
  constexpr std::array<TapRun, 9> kRuns = {nullptr,           AddTaps<1, kStep>, AddTaps<2, kStep>,
                                           AddTaps<3, kStep>, AddTaps<4, kStep>, AddTaps<5, kStep>,
                                           AddTaps<6, kStep>, AddTaps<7, kStep>, AddTaps<8, kStep>};
  return kRuns[taps];
}

// The work a renewal of blocks of `block` rows, each `block_work`, spends
// where it runs out of `most_work` before a block ends past row
// `unreached` (before which no level is reached): what it spends had it
// run; -1 where it may not run out first. `clipped`: the last block ends
// at `most`.
double RunOutWork(double block_work, std::size_t block, std::size_t most, bool clipped,
                  std::size_t unreached, double most_work) {
  double work = 0.0;
  for (std::size_t start = 0; start < most; start += block) {
    const std::size_t end = clipped ? std::min(most, start + block) : start + block;
    work += block_work;
    if (work > most_work) return work;
    if (end > unreached) return -1.0;
  }
  return -1.0;
}

// The taps of a direct renewal: the kernel from the shortest life on, as far
// as the rows counted, in order and reversed; the greatest tap, and the
// greatest from each tap on (a tap's share of a row below half its unit in
// the last place, where the greatest tap's alone is more, adds nothing to
// it); and whether the last taps are far enough below the greatest for
// that to leave any out, for long kernels.
struct DirectTaps {
  std::vector<double> kernel, reversed, greatest_on;
  std::size_t greatest = 0;
  bool cut = false;
};

DirectTaps DirectTapsOf(const Kernels& k, std::size_t shortest, std::size_t length) {
  DirectTaps taps;
  for (std::size_t d = shortest; d < length; ++d)
    taps.kernel.push_back(k.destroyed[d * kMaxTarget]);
  const std::vector<double>& kernel = taps.kernel;
  const std::size_t most = kernel.size();
  taps.reversed.assign(kernel.rbegin(), kernel.rend());
  taps.greatest =
      static_cast<std::size_t>(std::max_element(kernel.begin(), kernel.end()) - kernel.begin());
  taps.greatest_on.assign(most + 1, 0.0);
  for (std::size_t d = most; d-- > 0;)
    taps.greatest_on[d] = std::max(taps.greatest_on[d + 1], kernel[d]);
  taps.cut = most >= 2 * kBlockRows &&
             taps.greatest_on[most - 1] <= taps.greatest_on[taps.greatest] * 0x1p-55;
  return taps;
}

// to[i] += the first `taps` taps of `share`, tap d over the rows from
// `row` + kStep d: in runs of eight, then the last in one.
template <std::ptrdiff_t kStep>
void AddTapRuns(double* to, const double* row, const double* share, std::size_t taps,
                std::size_t count) {
  std::size_t d = 0;
  const auto at = [&](std::size_t tap) { return row + kStep * static_cast<std::ptrdiff_t>(tap); };
  for (; d + 8 <= taps; d += 8) AddTaps<8, kStep>(to, at(d), share + d, count);
  if (taps > d) TapRunFor<kStep>(taps - d)(to, at(d), share + d, count);
}

// A run of rows, at most as long as lives of at least kBlockRows units: its
// rows read only rows before it, each tap over the whole run, row j from
// row j - shortest - d; in runs of taps where every row is reached by them
// all. `least_of` holds each run's least row before it, `largest` the
// largest row.
void RenewLongRun(const DirectTaps& taps, std::size_t shortest, std::size_t start, std::size_t end,
                  const std::vector<double>& least_of, double largest, std::vector<double>* v) {
  const std::vector<double>& kernel = taps.kernel;
  const std::size_t taps_most = kernel.size();
  std::size_t d = 0;
  if (start + 1 >= shortest + taps_most) {
    double* to = &(*v)[start];
    const std::size_t count = end - start;
    std::size_t adding = taps_most;
    if (taps.cut) {
      // The greatest tap's rows lie in at most two runs, both done.
      const std::size_t first = start - shortest - taps.greatest;
      const double least =
          std::min(least_of[first / shortest], least_of[(first + count - 1) / shortest]);
      adding = TapsThatAdd(taps.greatest_on, taps.greatest, least, largest);
    }
    AddTapRuns<-1>(to, to - shortest, kernel.data(), adding, count);
    d = taps_most;
  }
  for (; d < taps_most; ++d) {
    const std::size_t from = std::max(start, shortest + d);
    if (from < end) AddScaled(&(*v)[from], &(*v)[from - shortest - d], kernel[d], end - from);
  }
}

// A block of shorter lives, row by row: each row's sum of the rows
// j - shortest - d for d below the taps, from row 0 up.
void RenewShortBlock(const DirectTaps& taps, std::size_t shortest, std::size_t start,
                     std::size_t end, std::vector<double>* v) {
  const std::size_t taps_most = taps.kernel.size();
  for (std::size_t j = std::max(start, shortest); j < end;) {
    if (j + 1 >= shortest + taps_most) {
      // Every tap reaches row 0 or after from here on: the rows up to
      // `shortest` on read only rows before them, their sums together.
      const std::size_t count = std::min(end, j + shortest) - j;
      std::array<double, kBlockRows> sums{};
      AddTapRuns<1>(sums.data(), &(*v)[j + 1 - shortest - taps_most], taps.reversed.data(),
                    taps_most, count);
      for (std::size_t i = 0; i < count; ++i) (*v)[j + i] += sums[i];
      j += count;
      continue;
    }
    const std::size_t reaching = std::min(taps_most, j - shortest + 1);
    const double* rows_from = &(*v)[j - shortest + 1 - reaching];
    const double* taps_from = &taps.reversed[taps_most - reaching];
    double sum = 0.0;
    for (std::size_t e = 0; e < reaching; ++e) sum += taps_from[e] * rows_from[e];
    (*v)[j] += sum;
    ++j;
  }
}

// A block of long lives run by run (RenewLongRun); where taps may be cut,
// each run's least row noted, and the largest so far.
void RenewLongRuns(const DirectTaps& taps, std::size_t shortest, std::size_t start, std::size_t end,
                   std::vector<double>* least_of, double* largest, std::vector<double>* v) {
  for (std::size_t from = start; from < end; from += shortest) {
    const std::size_t to = std::min(end, from + shortest);
    RenewLongRun(taps, shortest, from, to, *least_of, *largest, v);
    if (!taps.cut) continue;
    double least = kInfinity;
    for (std::size_t j = from; j < to; ++j) {
      least = std::min(least, (*v)[j]);
      *largest = std::max(*largest, (*v)[j]);
    }
    least_of->push_back(least);
  }
}

// The renewal with each row's sum taken directly, for short kernels.
template <typename Done>
RenewalRun DirectRenewal(const Kernels& k, std::int64_t rows, double most_work,
                         std::size_t unreached, const Done& done) {
  const std::size_t reached_length = k.reached.size() / kMaxTarget;
  const auto shortest = static_cast<std::size_t>(k.item_units);
  // No tap past the rows counted reaches one of them.
  const std::size_t length = std::min(k.Length(), static_cast<std::size_t>(rows));
  // The taps and the blocks as below, the work first: none spent in vain.
  const std::size_t taps_count = length > shortest ? length - shortest : 0;
  const auto most = static_cast<std::size_t>(rows);
  // A block a whole number of runs as long as the shortest life (each run's
  // rows read only rows before it), and at least kRowsBetweenChecks.
  const std::size_t block = shortest * ((kRowsBetweenChecks + shortest - 1) / shortest);
  const double block_work = DirectWork(static_cast<double>(block), static_cast<double>(shortest),
                                       static_cast<double>(shortest + taps_count));
  // One that would run out before any level is reached is not run, and
  // spends nothing: the work is left for the levels and steps after it.
  if (RunOutWork(block_work, block, most, true, unreached, most_work) >= 0.0) return RenewalRun{};
  RenewalRun run;
  const DirectTaps taps = DirectTapsOf(k, shortest, length);
  run.error = static_cast<double>(taps.kernel.size() + 2) * kUlp;
  std::vector<double>& v = run.v;
  // Each row from the lives that reach the target within it, then from
  // those destroyed before it.
  // Past the reached lives' dearest, every row the same.
  v.reserve(most);
  double reached_within = 0.0;
  for (std::size_t j = 0; j < std::min(most, reached_length); ++j) {
    reached_within += k.reached[j * kMaxTarget];
    v.push_back(reached_within);
  }
  v.resize(most, reached_within);
  // The largest row so far, and each run's least, where taps may be cut.
  double largest = 0.0;
  std::vector<double> least_of;
  // As many blocks as `done` waits for.
  std::size_t counted = most;
  for (std::size_t start = 0; start < most; start += block) {
    const std::size_t end = std::min(most, start + block);
    if (shortest >= kBlockRows) {
      RenewLongRuns(taps, shortest, start, end, &least_of, &largest, &v);
    } else {
      RenewShortBlock(taps, shortest, start, end, &v);
    }
    run.work += block_work;
    if (run.work > most_work) {
      counted = 0;
      break;
    }
    if (done(v, end, run.error)) {
      counted = end;
      break;
    }
  }
  v.resize(counted);
  return run;
}

// D cut into segments of b: segment s the distances [(first + s) b,
// (first + s + 1) b), from the first with any share to the last; each
// segment's spectrum, and the sum of their norms.
struct Segments {
  std::size_t b = 1, first = 0, count = 0;
  Spectra spectra{0, 0};
  double norms = 0.0;
};

// The segments of b from the first with any share to the last that reaches
// a row below `rows`: a life dearer than every row counted ends beyond them.
std::size_t SegmentCount(const Kernels& k, std::size_t b, std::int64_t rows) {
  const std::size_t first = static_cast<std::size_t>(k.item_units) / b;
  const std::size_t length = std::min(k.Length(), static_cast<std::size_t>(rows));
  return (length <= first * b ? first : (length - 1) / b) - first + 1;
}

Segments SegmentsOf(const Kernels& k, std::int64_t rows, RealTransform* transform) {
  Segments segments;
  const auto shortest = static_cast<std::size_t>(k.item_units);
  const std::size_t b = BlockFor(shortest);
  const std::size_t length = k.Length();
  segments.b = b;
  segments.first = shortest / b;
  segments.count = SegmentCount(k, b, rows);
  segments.spectra = Spectra(segments.count, b + 1);
  // The spectrum's parts apart, a last odd term's pair 0.
  const std::size_t even = segments.spectra.stride;
  std::vector<double> piece(2 * b, 0.0), re(even, 0.0), im(even, 0.0);
  for (std::size_t s = 0; s < segments.count; ++s) {
    double norm = 0.0;
    for (std::size_t e = 0; e < b; ++e) {
      const std::size_t d = (segments.first + s) * b + e;
      piece[e] = d < length && d >= shortest ? k.destroyed[d * kMaxTarget] : 0.0;
      norm += piece[e] * piece[e];
    }
    segments.norms += std::sqrt(norm);
    transform->Forward(piece.data(), re.data(), im.data());
    PairTerms(re.data(), im.data(), even, segments.spectra.At(s));
  }
  return segments;
}

// The work a renewal of blocks of b rows spends where it runs out of
// `most_work` first (RunOutWork).
double TransformRunOutWork(const Kernels& k, std::size_t b, std::int64_t rows,
                           std::size_t unreached, double most_work) {
  const double block_work =
      BlockWork(static_cast<double>(b), static_cast<double>(SegmentCount(k, b, rows)));
  return RunOutWork(block_work, b, static_cast<std::size_t>(rows), false, unreached, most_work);
}

// Up to four products of spectra (Spectra's pairs of terms): block x times
// segment h.
constexpr std::size_t kProductsAtOnce = 4;

struct SpectraProducts {
  std::array<const RowPair*, kProductsAtOnce> x{}, h{};
};

// sum[f] += x_e[f] h_e[f] for the first kCount products, e in order, for
// each of `pairs` pairs of terms: a pair at a time on vectors, the sum
// loaded and stored once for them all. The first sum from 0. Each term's
// sum is taken in the same order as one product at a time.
template <std::size_t kCount, bool kFirst>
[[gnu::noinline]] void AddProducts(const SpectraProducts& products, std::size_t pairs,
                                   RowPair* __restrict sum) {
  std::array<const RowPair*, kCount> x, h;
  for (std::size_t e = 0; e < kCount; ++e) {
    x[e] = products.x[e];
    h[e] = products.h[e];
  }
  for (std::size_t c = 0; c < 2 * pairs; c += 2) {
    RowPair re = kFirst ? RowPair{0.0, 0.0} : sum[c];
    RowPair im = kFirst ? RowPair{0.0, 0.0} : sum[c + 1];
    for (std::size_t e = 0; e < kCount; ++e) {
      const RowPair a = x[e][c], b = x[e][c + 1];
      const RowPair g = h[e][c], d = h[e][c + 1];
      re += a * g - b * d;
      im += a * d + b * g;
    }
    sum[c] = re;
    sum[c + 1] = im;
  }
}

using ProductsRun = void (*)(const SpectraProducts&, std::size_t, RowPair*);

ProductsRun ProductsRunFor(std::size_t count, bool first) {
  constexpr std::array<ProductsRun, kProductsAtOnce> kFirstRuns = {
      AddProducts<1, true>, AddProducts<2, true>, AddProducts<3, true>, AddProducts<4, true>};
  constexpr std::array<ProductsRun, kProductsAtOnce> kLaterRuns = {
      AddProducts<1, false>, AddProducts<2, false>, AddProducts<3, false>, AddProducts<4, false>};
  return (first ? kFirstRuns : kLaterRuns)[count - 1];
}

// Block m's sum of the segments' spectra times the spectra of the pairs of
// blocks they meet: segment s meets the pair of blocks m - first - s - 1 and
// m - first - s.
void SumOfSegments(const Segments& segments, const Spectra& blocks, std::size_t m,
                   std::size_t depth, Spectra* sum) {
  const std::size_t pairs = sum->stride / 2;
  const std::size_t first = segments.first;
  const std::size_t meeting = std::min(segments.count, m - first + 1);
  if (meeting == 0) std::fill(sum->parts.begin(), sum->parts.end(), RowPair{0.0, 0.0});
  const Spectra& h = segments.spectra;
  for (std::size_t s = 0; s < meeting; s += kProductsAtOnce) {
    const std::size_t count = std::min(kProductsAtOnce, meeting - s);
    SpectraProducts products;
    for (std::size_t e = 0; e < count; ++e) {
      const std::size_t x = (m - first - s - e) % depth;
      products.x[e] = blocks.At(x);
      products.h[e] = h.At(s + e);
    }
    ProductsRunFor(count, s == 0)(products, pairs, sum->At(0));
  }
}

// The block from `start` and the one before it (zeros before row 0).
void PairOfBlocks(const std::vector<double>& v, std::size_t start, std::size_t b,
                  std::vector<double>* pair) {
  if (start >= b) {
    std::copy(&v[start - b], &v[start - b] + 2 * b, pair->begin());
  } else {
    std::fill(pair->begin(), pair->begin() + static_cast<std::ptrdiff_t>(b), 0.0);
    std::copy(&v[0], &v[0] + b, pair->begin() + static_cast<std::ptrdiff_t>(b));
  }
}

// The renewal a block at a time, each block's sum from the spectra.
template <typename Done>
RenewalRun TransformRenewal(const Kernels& k, std::int64_t rows, double most_work,
                            std::size_t unreached, const Done& done) {
  const std::size_t reached_length = k.reached.size() / kMaxTarget;
  const std::size_t b = BlockFor(static_cast<std::size_t>(k.item_units));
  // Not run where it would run out first (DirectRenewal).
  if (TransformRunOutWork(k, b, rows, unreached, most_work) >= 0.0) return RenewalRun{};
  const std::size_t size = 2 * b;
  const std::size_t spectrum = b + 1;
  RealTransform transform(size);
  const Segments segments = SegmentsOf(k, rows, &transform);
  const std::size_t first = segments.first;
  // The spectra of the latest blocks' pairs, a ring as deep as the segments
  // reach.
  const std::size_t depth = first + segments.count;
  Spectra blocks(depth, spectrum);
  Spectra sum(1, spectrum);
  std::vector<double> pair(size, 0.0), re(sum.stride, 0.0), im(sum.stride, 0.0);
  // A transform's convolution errs by at most a few ulps times its log2
  // size (and its roots' own rounding) times the norms of its two inputs
  // (the rows at most 1 each).
  const auto log_size = static_cast<double>(LogOfSize(size));
  const double per_block = (8.0 + 2.0 * log_size) * log_size *
                           std::sqrt(static_cast<double>(size)) * segments.norms * kUlp;
  const double block_work = BlockWork(static_cast<double>(b), static_cast<double>(segments.count));
  RenewalRun run;
  std::vector<double>& v = run.v;
  double reached_within = 0.0;
  const auto most = static_cast<std::size_t>(rows);
  v.reserve(most + b);
  for (std::size_t m = 0; m * b < most; ++m) {
    run.work += block_work;
    if (run.work > most_work) {
      v.clear();
      break;
    }
    const std::size_t start = m * b;
    v.resize(start + b, 0.0);
    if (m >= first) {
      SumOfSegments(segments, blocks, m, depth, &sum);
      UnpairTerms(sum.At(0), sum.stride, re.data(), im.data());
      transform.Inverse(re.data(), im.data());
      transform.UpperRowsAtLeastZero(&v[start]);
      run.error = per_block;
    }
    std::size_t j = start;
    for (; j < std::min(start + b, reached_length); ++j) {
      reached_within += k.reached[j * kMaxTarget];
      v[j] += reached_within;
    }
    for (; j < start + b; ++j) v[j] += reached_within;
    // This block and the one before, for the blocks to come.
    PairOfBlocks(v, start, b, &pair);
    transform.Forward(pair.data(), re.data(), im.data());
    PairTerms(re.data(), im.data(), sum.stride, blocks.At(m % depth));
    if (done(v, v.size(), run.error)) break;
  }
  if (v.size() > most) v.resize(most);
  return run;
}

// The renewal the cheaper way.
template <typename Done>
RenewalRun Renewal(const Kernels& k, std::int64_t rows, double most_work, std::size_t unreached,
                   const Done& done) {
  const auto rows_asked = static_cast<double>(rows);
  const auto shortest = static_cast<double>(k.item_units);
  const auto longest = static_cast<double>(std::min(k.Length(), static_cast<std::size_t>(rows)));
  if (DirectWork(rows_asked, shortest, longest) <= TransformWork(rows_asked, shortest, longest))
    return DirectRenewal(k, rows, most_work, unreached, done);
  return TransformRenewal(k, rows, most_work, unreached, done);
}

// The sum of a[i] b[i], in eight sums side by side (vectors), then the
// rest.
double Dot(const double* __restrict a, const double* __restrict b, std::size_t size) {
  constexpr std::size_t kLanes = 8;
  std::array<double, kLanes> sums{};
  std::size_t i = 0;
  for (; i + kLanes <= size; i += kLanes) {
    for (std::size_t e = 0; e < kLanes; ++e) sums[e] += a[i + e] * b[i + e];
  }
  double sum = 0.0;
  for (; i < size; ++i) sum += a[i] * b[i];
  return std::accumulate(sums.begin(), sums.end(), sum);
}

// From start count t: S_t(j) + sum_i D_t[i] V(j - i), the sum over i from
// item_units up to j taken on the count's column from the dearest down.
double FromCount(const Kernels& k, const std::vector<double>& v, int t, std::int64_t j) {
  const auto at = static_cast<std::size_t>(j);
  const std::size_t reached_end = std::min(k.reached.size() / kMaxTarget, at + 1);
  double sum = reached_end == 0
                   ? 0.0
                   : k.reached_within[(reached_end - 1) * kMaxTarget + static_cast<std::size_t>(t)];
  const std::size_t length = k.Length();
  const auto shortest = static_cast<std::size_t>(k.item_units);
  const std::size_t end = std::min(length, at + 1);
  if (end <= shortest) return sum;
  const double* column = &k.destroyed_back[static_cast<std::size_t>(t) * length + (length - end)];
  return sum + Dot(column, &v[at + 1 - end], end - shortest);
}

// A count's chance at a row above 0 taliks (FromCount) reads its kernel's
// whole length, some 2.6 instructions a term: the checks and searches that
// take it draw on a share of the work set aside for them, and give up
// where it is spent.
constexpr double kProbeTermWork = 0.25;
// The share set aside: as many as this many probes for each search.
constexpr double kProbesPerSearch = 12.0;

struct Probes {
  double each = 0.0, left = 0.0;
  bool spent = false;  // a probe was refused
};

bool TakeProbe(Probes* probes) {
  if (probes->left < probes->each) {
    probes->spent = true;
    return false;
  }
  probes->left -= probes->each;
  return true;
}

// The least row from t with a chance of at least `level`, or -1 (also where
// the probes ran out): from a row near it, by steps that double, then
// halving. From 0 taliks the chance is V itself.
std::int64_t LeastRow(const Kernels& k, const std::vector<double>& v, int t, double level,
                      std::int64_t near, Probes* probes) {
  const auto within = [&](std::int64_t j) {
    if (t == 0) return v[static_cast<std::size_t>(j)] >= level;
    return TakeProbe(probes) && FromCount(k, v, t, j) >= level;
  };
  const auto last = static_cast<std::int64_t>(v.size()) - 1;
  if (last < 0 || !within(last) || probes->spent) return -1;
  std::int64_t high = std::clamp<std::int64_t>(near, 0, last);  // within
  std::int64_t low = -1;                                        // short of it
  std::int64_t step = 1;
  if (within(high)) {
    for (low = high - step; low >= 0 && within(low); low = high - step) {
      high = low;
      step *= 2;
    }
    low = std::max<std::int64_t>(low, -1);
  } else {
    low = high;
    for (high = low + step; high < last && !within(high); high = low + step) {
      low = high;
      step *= 2;
    }
    high = std::min(high, last);
  }
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (within(middle) ? high : low) = middle;
  }
  return probes->spent ? -1 : high;
}

// The reached lives' running sums of a kernel's rows, and the destroyed
// lives' columns from the dearest down.
void SumReached(Kernels* k) {
  k->reached_within.assign(k->reached.size(), 0.0);
  std::array<double, kMaxTarget> sum{};
  for (std::size_t i = 0; i < k->reached.size(); ++i) {
    sum[i % kMaxTarget] += k->reached[i];
    k->reached_within[i] = sum[i % kMaxTarget];
  }
  const std::size_t length = k->Length();
  const auto counts = static_cast<std::size_t>(k->target);
  k->destroyed_back.resize(counts * length);
  for (std::size_t t = 0; t < counts; ++t) {
    for (std::size_t m = 0; m < length; ++m)
      k->destroyed_back[t * length + m] = k->destroyed[(length - 1 - m) * kMaxTarget + t];
  }
}

// The bound on the lives' rounding, in the currency, for at most `lives`.
double Stray(const Kernels& k, double lives) { return k.spread * std::sqrt(StrayLog() * lives); }

// The spread for budgets from `smallest` up: its stray, and one unit,
// within kBracketShare of the budget, less what the walk's roundings take.
double SpreadFor(double smallest, double item, double walk) {
  const double lives = smallest / item + 2.0;
  return (kBracketShare * smallest - walk) / (2.0 * std::sqrt(StrayLog() * lives) + 1.0);
}

// The kernels rounded again to a coarser unit, each share to the two
// neighbouring multiples with its mean kept.
Kernels Coarser(const Kernels& fine, std::int64_t unit) {
  Kernels k;
  k.unit = unit;
  k.item_units = fine.item_units * fine.unit / unit;
  const auto coarse = static_cast<double>(unit);
  k.spread = std::sqrt(fine.spread * fine.spread + coarse * coarse);
  k.walk = fine.walk;
  k.target = fine.target;
  for (const auto& [from, to] :
       {std::pair{&fine.destroyed, &k.destroyed}, std::pair{&fine.reached, &k.reached}}) {
    const std::size_t length = from->size() / kMaxTarget;
    to->assign(
        (static_cast<std::size_t>(static_cast<std::int64_t>(length) * fine.unit / unit) + 2) *
            kMaxTarget,
        0.0);
    for (std::size_t i = 0; i < length; ++i) {
      const std::int64_t cost = static_cast<std::int64_t>(i) * fine.unit;
      const double up = static_cast<double>(cost % unit) / static_cast<double>(unit);
      double* low = &(*to)[static_cast<std::size_t>(cost / unit) * kMaxTarget];
      for (std::size_t t = 0; t < kMaxTarget; ++t) {
        const double chance = (*from)[i * kMaxTarget + t];
        low[t] += chance * (1.0 - up);
        low[kMaxTarget + t] += chance * up;
      }
    }
  }
  SumReached(&k);
  return k;
}

// A level's renewal that would run out of work on the whole kernels may
// fit without a life's dearest costs: those from which on every count's
// chance is within kTailLeft, the chance the lives' pass itself may leave
// uncounted, are cut off and their chance is added to what is left.
constexpr double kTailLeft = kLifeLeft;

void CutTail(Kernels* k, LifeCount* lives) {
  const std::size_t length = std::max(k->destroyed.size(), k->reached.size()) / kMaxTarget;
  std::array<double, kMaxTarget> tail{};
  std::size_t kept = length;
  for (bool within = true; within && kept > 0;) {
    const std::size_t i = (kept - 1) * kMaxTarget;
    for (std::size_t t = 0; t < kMaxTarget; ++t) {
      if (i < k->destroyed.size()) tail[t] += k->destroyed[i + t];
      if (i < k->reached.size()) tail[t] += k->reached[i + t];
      // Half the bound: the sum's own rounding is far below the rest.
      within = within && tail[t] <= kTailLeft / 2.0;
    }
    if (within) --kept;
  }
  k->destroyed.resize(std::min(k->destroyed.size(), kept * kMaxTarget));
  k->reached.resize(std::min(k->reached.size(), kept * kMaxTarget));
  lives->left += kTailLeft;
  SumReached(k);
}

// What the computed chances may miss or add, as a chance: each life's
// uncounted and rounded chance, the renewal's own rounding, a first life's
// sum, and the stray. An error in a life's chances, or in one row, reaches
// a later row as often as a life starts on the way there: at most the lives
// in the rows, and on average 1 / (the chance a life reaches the target).
struct Margin {
  double left = 0.0, reach = 0.0, item_units = 1.0, length = 0.0, walk = 0.0;

  double Of(std::size_t rows_counted, double error) const {
    const double most_lives = static_cast<double>(rows_counted) / item_units + 2.0;
    const double renewals = reach > 0.0 ? std::min(most_lives, 1.0 / reach + 1.0) : most_lives;
    return renewals * (left + error) + (length + 4.0) * kUlp + kStrayChance + walk;
  }
};

Margin MarginOf(const Kernels& k, const LifeCount& lives) {
  Margin margin;
  margin.left = lives.left;
  margin.reach = -lives.left;
  for (std::size_t i = 0; i < k.reached.size(); i += kMaxTarget) margin.reach += k.reached[i];
  margin.item_units = static_cast<double>(k.item_units);
  margin.length = static_cast<double>(k.Length());
  // Each side's stray, and more attempts than the walk's roundings were
  // bounded for.
  margin.walk = k.walk.rounded ? kRoundingMargin : 0.0;
  return margin;
}

// Each asked count's bracket at `level` from the renewal's rows, within
// `margin` of it either way, widened by the stray.
void BracketsFrom(const JourneySteps& steps, const Kernels& k, const std::vector<double>& v,
                  const BudgetLevels& asked, int p, double margin, Probes* probes,
                  LivesBrackets* out) {
  const double coarse = static_cast<double>(k.unit);
  const double item_units = static_cast<double>(k.item_units);
  const double item = std::round(steps.item_cost);
  const double level = kPercentileLevels[p];
  // Each count's rows lie near those of 0 taliks.
  const std::int64_t near =
      LeastRow(k, v, 0, level, static_cast<std::int64_t>(v.size()) / 2, probes);
  for (int t = 0; t < steps.target; ++t) {
    if (!asked[t][p]) continue;
    const std::int64_t lower_row = LeastRow(k, v, t, level - margin, near, probes);
    const std::int64_t upper_row = LeastRow(k, v, t, level + margin, lower_row, probes);
    if (upper_row < 0 || lower_row < 0) continue;
    const double up = static_cast<double>(upper_row);
    out->upper[t][p] =
        std::ceil(coarse * up + Stray(k, std::floor(up / item_units) + 1.0) + k.walk.below);
    const double below = coarse * static_cast<double>(lower_row);
    out->lower[t][p] =
        std::max(0.0, below - Stray(k, std::floor(below / item) + 1.0) - k.walk.above - 1.0);
  }
}

// The player's budget's row, -1 where none is asked: the rounded total and
// its stray within the budget.
double BudgetRow(const Kernels& k, double budget, const Margin& margin, std::int64_t rows) {
  if (budget < 0) return -1.0;
  const auto coarse = static_cast<double>(k.unit);
  const double stray =
      Stray(k, std::floor(budget / coarse / margin.item_units) + 1.0) + k.walk.below;
  return std::min(std::floor((budget - stray) / coarse), static_cast<double>(rows - 1));
}

// One level's brackets from the renewal on the kernels' unit, as far as
// `rows` at most, within the work left; false where the renewal would run
// out of it before any level is reached, and was not run.
bool BracketLevel(const JourneySteps& steps, const Kernels& k, const LifeCount& lives,
                  const BudgetLevels& asked, int p, std::int64_t rows, double lower,
                  double* work_left, LivesBrackets* out) {
  const int n = steps.target;
  if (k.item_units < 1) return true;
  const double coarse = static_cast<double>(k.unit);
  const double level = kPercentileLevels[p];
  const Margin margin = MarginOf(k, lives);
  const double budget_row = BudgetRow(k, steps.budget, margin, rows);
  // The probes set aside from the work, as much for the renewal's checks
  // as for the searches after it, which may draw on what the renewal left
  // too; given back as far as they are left.
  const double each = static_cast<double>(k.Length()) * kProbeTermWork;
  double asked_counts = 0.0;
  for (int t = 0; t < n; ++t) asked_counts += asked[t][p] ? 1.0 : 0.0;
  const double share = std::min(*work_left / 4.0, asked_counts * 2.0 * kProbesPerSearch * each);
  Probes checks{each, share}, searches{each, share};
  *work_left -= 2.0 * share;
  int count = 0;
  // Whether the first `counted` rows of v reach every level asked.
  const auto done = [&](const std::vector<double>& v, std::size_t counted, double error) {
    if (static_cast<double>(counted) <= budget_row) return false;
    const double wanted = level + margin.Of(counted, error);
    // From 0 taliks the chance is V itself, the quickest to look at; the
    // other counts every few blocks.
    if (asked[0][p] && v[counted - 1] < wanted) return false;
    if (++count % 4 != 0) return false;
    for (int t = 0; t < n; ++t) {
      if (!asked[t][p]) continue;
      if (!TakeProbe(&checks) ||
          FromCount(k, v, t, static_cast<std::int64_t>(counted) - 1) < wanted)
        return false;
    }
    return true;
  };
  // No row short of the largest lower bound, less its stray twice and a
  // tolerance, reaches the level: an upper bracket from it would lie below.
  const double short_of = lower * (1.0 - kBudgetRelativeError) -
                          2.0 * Stray(k, lower / std::round(steps.item_cost) + 2.0) - k.walk.below -
                          k.walk.above;
  const auto unreached =
      static_cast<std::size_t>(std::max(0.0, std::floor(short_of / coarse) - 2.0));
  const RenewalRun run = Renewal(k, rows, *work_left, unreached, done);
  *work_left -= run.work;
  searches.left += std::max(0.0, *work_left);
  *work_left = std::min(0.0, *work_left);
  const std::vector<double>& v = run.v;
  if (!v.empty()) {
    const double m = margin.Of(v.size(), run.error);
    BracketsFrom(steps, k, v, asked, p, m, &searches, out);
    const auto j =
        static_cast<std::int64_t>(std::min(budget_row, static_cast<double>(v.size() - 1)));
    for (int t = 0; budget_row >= 0 && t < n; ++t) {
      if (TakeProbe(&searches))
        out->within[t] = std::max(out->within[t], FromCount(k, v, t, j) - m);
    }
  }
  *work_left += checks.left + searches.left;
  return !v.empty() || run.work > 0.0;
}

// What a life adds up from each count of its attempts, g_t an attempt at
// t: x_t = g_t + s x_{t+1} + f x_t + l x_0, written as x_t = a_t + b_t x_0
// from the target down.
std::array<double, kMaxTarget> OverALife(const JourneySteps& steps,
                                         const std::array<double, kMaxTarget>& g) {
  std::array<double, kMaxTarget + 1> a{}, b{};
  for (int t = steps.target - 1; t >= 0; --t) {
    const OutcomeOdds& odds = steps.odds[t];
    const double s = OutcomeProbability(odds, AttemptOutcome::kSuccess);
    const double l = OutcomeProbability(odds, AttemptOutcome::kTaliksDestroyed);
    const double leaving =
        static_cast<double>(odds.success + odds.item_destroyed + odds.taliks_destroyed) /
        static_cast<double>(kOutcomeOddsDenominator);
    a[t] = (g[t] + s * a[t + 1]) / leaving;
    b[t] = (s * b[t + 1] + l) / leaving;
  }
  std::array<double, kMaxTarget> x{};
  const double from_zero = b[0] < 1.0 ? a[0] / (1.0 - b[0]) : kInfinity;
  for (int t = 0; t < steps.target; ++t) x[t] = a[t] + b[t] * from_zero;
  return x;
}

// A life's mean cost e_t, from each count.
std::array<double, kMaxTarget> MeanLifeCosts(const JourneySteps& steps) {
  return OverALife(steps, steps.attempt_cost);
}

double MeanLifeCost(const JourneySteps& steps) { return MeanLifeCosts(steps)[0]; }

// A life's spread of cost from 0 taliks: its second moment adds up
// 2 c_t e_t - c_t^2 an attempt, less the mean's square.
double LifeCostSpread(const JourneySteps& steps) {
  const std::array<double, kMaxTarget> mean = MeanLifeCosts(steps);
  std::array<double, kMaxTarget> g{};
  for (int t = 0; t < steps.target; ++t) {
    const double cost = steps.attempt_cost[t];
    g[t] = 2.0 * cost * mean[t] - cost * cost;
  }
  const double second = OverALife(steps, g)[0];
  return std::sqrt(std::max(0.0, second - mean[0] * mean[0]));
}

// The cells of the lives' own pass, about.
double FineCells(const JourneySteps& steps, std::int64_t unit) {
  return kLifeTailMeans * MeanLifeCost(steps) / static_cast<double>(unit) * steps.target;
}

bool LivesCountable(const JourneySteps& steps, std::int64_t unit) {
  const int n = steps.target;
  if (unit <= 0 || !(steps.item_cost >= 1.0)) return false;
  for (int t = 0; t < n; ++t) {
    if (steps.odds[t].success == 0 || !(steps.attempt_cost[t] > 0.0)) return false;
  }
  return true;
}

// The walk the lives are counted on: the attempts' own lattice where its
// pass fits, else a coarser one whose roundings take at most kWalkShare of
// the smallest asked budget's bracket; its unit 0 where none fits.
WalkUnit LivesWalk(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
                   const BudgetFigures& known_lower, double attempts) {
  WalkUnit walk;
  walk.unit = 0;
  if (!LivesCountable(steps, unit)) return walk;
  const auto fits = [&](const WalkUnit& on) {
    return FineCells(steps, on.unit) <=
           static_cast<double>(on.rounded ? kRoundedLifeCells : kLifeCells);
  };
  const WalkUnit exact = WalkOn(steps, unit, attempts);
  if (fits(exact)) return exact;
  double smallest = kInfinity;
  for (int t = 0; t < steps.target; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      if (asked[t][p]) smallest = std::min(smallest, known_lower[t][p]);
    }
  }
  const WalkUnit coarser = WalkFor(steps, unit, attempts, kWalkShare * kBracketShare * smallest);
  return fits(coarser) ? coarser : walk;
}

// Each level's spread, from its smallest budget, and the largest budget its
// rows must reach; a spread of 0 where the level's renewal is out of reach
// or would take the levels' work beyond `most_work`, as the transforms'
// sizes foretell.
struct LevelSpreads {
  WalkUnit walk;  // unit 0: the lives bound nothing
  std::array<double, kPercentileCount> spread{}, largest{};
  // Each level's spread and its renewal's work as foretold, where in reach.
  std::array<double, kPercentileCount> wanted{}, work{};
};

// The levels whose renewals fit in `most_work` after `spent`, in order,
// each taken up as far as its spread is at least `finest`.
void ChooseLevels(double spent, double most_work, double finest, LevelSpreads* levels) {
  for (int p = 0; p < kPercentileCount; ++p) {
    if (levels->spread[p] >= 1.0) spent += levels->work[p];
  }
  for (int p = 0; p < kPercentileCount; ++p) {
    if (levels->spread[p] >= 1.0 || !(levels->wanted[p] >= finest)) continue;
    if (spent + levels->work[p] > most_work) continue;
    spent += levels->work[p];
    levels->spread[p] = levels->wanted[p];
  }
}

LevelSpreads SpreadsOf(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
                       const BudgetFigures& known_lower, const BudgetFigures& known_upper,
                       double most_work, double attempts) {
  LevelSpreads levels;
  levels.walk = LivesWalk(steps, unit, asked, known_lower, attempts);
  const WalkUnit& walk = levels.walk;
  if (walk.unit == 0) return levels;
  // The lives' own pass first.
  const double work =
      FineCells(steps, walk.unit) * (walk.rounded ? kRoundedCellWork : kFineCellWork);
  const double item = std::round(steps.item_cost);
  const double life = MeanLifeCost(steps);
  for (int p = 0; p < kPercentileCount; ++p) {
    double smallest = kInfinity;
    double largest_lower = 0.0;
    double& largest = levels.largest[p];
    for (int t = 0; t < steps.target; ++t) {
      if (!asked[t][p]) continue;
      smallest = std::min(smallest, known_lower[t][p]);
      largest_lower = std::max(largest_lower, known_lower[t][p]);
      largest = std::max(largest, known_upper[t][p]);
    }
    if (!(smallest > 0.0) || !std::isfinite(largest)) continue;
    const double spread =
        std::floor(std::min(SpreadFor(smallest, item, walk.below + walk.above), item));
    if (!(spread >= 1.0) || largest / spread > static_cast<double>(kRenewalRows)) continue;
    // The renewal stops where every level is reached, about as far as
    // the lower bounds, however far the upper ones lie.
    const double rows = std::min(largest, kFarAsLower * largest_lower) / spread;
    levels.work[p] = RenewalWork(rows, item / spread, (kLifeTailMeans * life + item) / spread);
    levels.wanted[p] = spread;
  }
  ChooseLevels(work, most_work, 1.0, &levels);
  return levels;
}

// The brackets of the levels in `levels`, from kernels `fine`, each level on
// a coarser unit where its spread leaves room for it; a level stays in
// `levels` only where its renewal would run out of work and was not run.
void BracketLevels(const JourneySteps& steps, const Kernels& fine, const LifeCount& lives,
                   const LevelSpreads& spreads, double finest, const BudgetLevels& asked,
                   const BudgetFigures& known_lower, std::array<bool, kPercentileCount>* levels,
                   double* work_left, LivesBrackets* out) {
  for (int p = 0; p < kPercentileCount; ++p) {
    if (!(*levels)[p]) continue;
    (*levels)[p] = false;
    const double spread = spreads.spread[p];
    const double room = std::sqrt(std::max(0.0, spread * spread - finest * finest));
    const bool coarser = room >= 1.5 * finest;
    const Kernels k = coarser ? Coarser(fine, static_cast<std::int64_t>(room)) : Kernels{};
    const Kernels& used = coarser ? k : fine;
    const double rows = std::ceil(spreads.largest[p] / static_cast<double>(used.unit)) + 2.0;
    if (rows > static_cast<double>(kRenewalRows)) continue;
    double lower = 0.0;
    for (int t = 0; t < steps.target; ++t) {
      if (asked[t][p]) lower = std::max(lower, known_lower[t][p]);
    }
    (*levels)[p] = !BracketLevel(steps, used, lives, asked, p, static_cast<std::int64_t>(rows),
                                 lower, work_left, out);
  }
}

}  // namespace

bool LivesLumpy(const JourneySteps& steps, double items) {
  return LifeCostSpread(steps) * std::sqrt(items + 1.0) < kLumpyItems * steps.item_cost;
}

bool LivesFit(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
              const BudgetFigures& known_lower, const BudgetFigures& known_upper, double most_work,
              double attempts) {
  const LevelSpreads levels =
      SpreadsOf(steps, unit, asked, known_lower, known_upper, most_work, attempts);
  if (levels.walk.unit == 0) return false;
  for (int p = 0; p < kPercentileCount; ++p) {
    for (int t = 0; t < steps.target; ++t) {
      if (asked[t][p] && levels.spread[p] < 1.0) return false;
    }
  }
  return true;
}

LivesBrackets LivesBounds(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
                          const BudgetFigures& known_lower, const BudgetFigures& known_upper,
                          double most_work, double attempts) {
  LivesBrackets out{};
  for (auto& row : out.upper) row.fill(kInfinity);
  const double item = std::round(steps.item_cost);
  // The lives counted once on the finest unit.
  LevelSpreads levels =
      SpreadsOf(steps, unit, asked, known_lower, known_upper, most_work, attempts);
  const WalkUnit& walk = levels.walk;
  if (walk.unit == 0) return out;
  const std::array<double, kPercentileCount>& spread = levels.spread;
  double finest = item;
  for (const double each : spread) {
    if (each >= 1.0) finest = std::min(finest, each);
  }
  if (*std::max_element(spread.begin(), spread.end()) < 1.0) return out;
  Kernels fine;
  // A walk's rows are its unit apart: no kernel finer than that.
  fine.unit = std::max(static_cast<std::int64_t>(finest), walk.rounded ? walk.unit : 1);
  fine.item_units = static_cast<std::int64_t>(item) / fine.unit;
  fine.spread = static_cast<double>(fine.unit);
  fine.walk = walk;
  fine.target = steps.target;
  const LifeCount lives = CountLives(steps, walk, &fine);
  SumReached(&fine);
  out.work = lives.cells * (walk.rounded ? kRoundedCellWork : kFineCellWork);
  if (!(lives.left <= kLivesLeftUsable)) return out;
  // A pass shorter than foretold leaves room for levels left out, as fine
  // as the kernels.
  ChooseLevels(out.work, most_work, static_cast<double>(fine.unit), &levels);
  // The levels' renewals share the work the pass leaves.
  double work_left = most_work - out.work;
  std::array<bool, kPercentileCount> left{};
  bool every = true;  // every asked level taken up
  for (int p = 0; p < kPercentileCount; ++p) {
    left[p] = spread[p] >= 1.0;
    for (int t = 0; t < steps.target; ++t) every = every && (left[p] || !asked[t][p]);
  }
  BracketLevels(steps, fine, lives, levels, finest, asked, known_lower, &left, &work_left, &out);
  // Where the lives take up every level, those whose renewal would run out
  // of work again without a life's dearest costs, once the others are done.
  if (every && std::find(left.begin(), left.end(), true) != left.end()) {
    Kernels shorter = fine;
    LifeCount shorter_lives = lives;
    CutTail(&shorter, &shorter_lives);
    if (shorter.Length() < fine.Length()) {
      BracketLevels(steps, shorter, shorter_lives, levels, finest, asked, known_lower, &left,
                    &work_left, &out);
    }
  }
  out.work = most_work - work_left;
  return out;
}

double RoundingStray(double reach, double variance) {
  // Bernstein's inequality, solved for the stray.
  const double log = std::log(1.0 / kStrayChance);
  const double linear = reach * log / 3.0;
  return linear + std::sqrt(linear * linear + 2.0 * variance * log);
}
