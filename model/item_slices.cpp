#include "model/item_slices.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <numeric>
#include <utility>

namespace {

// Totals in units from `first` on, each with its chance, and a bound on
// the sum of the chances' errors against the true ones (roundings, and the
// chances dropped or never walked).
struct Spread {
  std::int64_t first = 0;
  std::vector<double> chance;
  double error = 0.0;
};

constexpr double kRounding = 0x1p-53;
constexpr double kPi = 3.141592653589793;
// At either end of a spread, chances that add up to at most this are
// dropped, and counted: beyond the spread's own chances, a transform's
// roundings leave a floor of some 10^-16 a total.
constexpr double kDropped = 1e-15;
// A life's walk stops once what is still on its way is below this; that
// and the least chances at its ends are counted as its error.
constexpr double kLifeLeft = 1e-22;
// Products of two spreads with fewer pairs of totals than this are summed
// pair by pair; larger ones through the discrete Fourier transform.
constexpr std::int64_t kDirectPairs = std::int64_t{1} << 16;

// The work left, counted in about one machine instruction: a pair of
// totals multiplied pair by pair takes kPairWork, a transform's product of
// length n about n (24 log2 n + kTransformWork) (as callgrind counts them),
// and a row of a life's walk kLifeRowWork a talik count.
constexpr std::int64_t kPairWork = 2;
constexpr std::int64_t kTransformWork = 100;
constexpr std::int64_t kTurnWork = 100;  // a twiddle factor's cosine and sine
constexpr double kPowerWork = 400;       // a term's power's bound, besides its squarings
constexpr std::int64_t kLifeRowWork = 40;
constexpr std::int64_t kLivesShare = 4;  // of the work, at most, for the lives' walks

// Values by key, few of them (a journey's counts and lengths), in the
// order of their keys; At makes a value where there is none.
template <typename Key, typename Value>
using Few = std::map<Key, Value>;

template <typename Key, typename Value>
Value* Find(Few<Key, Value>* few, Key key) {
  auto known = few->find(key);
  return known == few->end() ? nullptr : &known->second;
}

template <typename Key, typename Value>
Value& At(Few<Key, Value>* few, Key key) {
  return (*few)[key];
}

struct Turns {
  std::vector<double> re, im;
};

struct Work {
  std::int64_t left = 0;
  // The twiddle factors of each transform length, worked out once.
  Few<std::size_t, Turns> turns;
};

// log2 n of a power of two.
int Log2(std::size_t n) {
  int log = 0;
  for (; n > 1; n >>= 1) ++log;
  return log;
}

double Mass(const Spread& s) { return std::accumulate(s.chance.begin(), s.chance.end(), 0.0); }

// Totals at or beyond `rows` are never read (every cost is at least 0, so
// they lead only to totals beyond them); each end's chances are dropped as
// long as they add up to at most `least`, and counted in the error.
void Trim(std::int64_t rows, double least, Spread* s) {
  std::vector<double>& c = s->chance;
  if (s->first >= rows) {
    c.clear();
    return;
  }
  if (c.size() > static_cast<std::size_t>(rows - s->first))
    c.resize(static_cast<std::size_t>(rows - s->first));
  std::size_t low = 0;
  double below = 0.0;
  while (low < c.size() && below + c[low] <= least) below += c[low++];
  std::size_t high = c.size();
  double above = 0.0;
  while (high > low && above + c[high - 1] <= least) above += c[--high];
  s->error += below + above;
  c.erase(c.begin() + static_cast<std::ptrdiff_t>(high), c.end());
  c.erase(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(low));
  s->first += static_cast<std::int64_t>(low);
}

// cos x and sin x for 0 <= x <= pi / 4, by their series, nested: to within
// about an ulp, the last term left out below 10^-22.
void CosSin(double x, double* c, double* s) {
  const double x2 = x * x;
  double nested_cos = 1.0, nested_sin = 1.0;
  for (int k = 10; k >= 1; --k) {
    nested_cos = 1.0 - x2 / static_cast<double>((2 * k - 1) * (2 * k)) * nested_cos;
    nested_sin = 1.0 - x2 / static_cast<double>((2 * k) * (2 * k + 1)) * nested_sin;
  }
  *c = nested_cos;
  *s = x * nested_sin;
}

// The angle 2 pi k / n for k < n / 2, as its cosine and sine: its eighth
// of the circle brought to the first in whole steps of k, where the
// series holds.
void Turn(std::size_t k, std::size_t n, double* c, double* s) {
  if (n < 8) {
    // n is 2 or 4: 0 or a quarter.
    *c = k == 0 ? 1.0 : 0.0;
    *s = k == 0 ? 0.0 : 1.0;
    return;
  }
  const std::size_t quarter = n / 4, eighth = n / 8;
  const bool second_quarter = k > quarter;
  const std::size_t in_quarter = second_quarter ? k - quarter : k;
  const bool upper_eighth = in_quarter > eighth;
  const std::size_t steps = upper_eighth ? quarter - in_quarter : in_quarter;
  double a = 0.0, b = 0.0;
  CosSin(2.0 * kPi * static_cast<double>(steps) / static_cast<double>(n), &a, &b);
  // The first quarter's cosine and sine, then a quarter turn on.
  const double cq = upper_eighth ? b : a, sq = upper_eighth ? a : b;
  *c = second_quarter ? -sq : cq;
  *s = second_quarter ? cq : sq;
}

// The twiddle factors exp(-2 pi i k / n), k < n / 2, of a transform of
// length n: taken from `work` where known, else worked out there.
const Turns& TurnsOf(std::size_t n, Work* work) {
  if (const Turns* known = Find(&work->turns, n)) return *known;
  Turns turns{std::vector<double>(n / 2), std::vector<double>(n / 2)};
  for (std::size_t k = 0; k < n / 2; ++k) {
    double c = 0.0, s = 0.0;
    Turn(k, n, &c, &s);
    turns.re[k] = c;
    turns.im[k] = -s;
  }
  work->left -= static_cast<std::int64_t>(n / 2) * kTurnWork;
  Turns& made = At(&work->turns, n);
  made = std::move(turns);
  return made;
}

// In place, over a length that is a power of two; the inverse without its
// division by the length.
void Transform(std::vector<double>* re, std::vector<double>* im, bool inverse, Work* work) {
  const std::size_t n = re->size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap((*re)[i], (*re)[j]);
      std::swap((*im)[i], (*im)[j]);
    }
  }
  const Turns& turns = TurnsOf(n, work);
  const std::vector<double>& wr = turns.re;
  const std::vector<double>& wi = turns.im;
  const double sign = inverse ? -1.0 : 1.0;
  double* x = re->data();
  double* y = im->data();
  // Butterflies of one twiddle factor at a time down the whole sequence
  // while they are short, of one block at a time once they are long.
  const auto butterfly = [&](std::size_t a, std::size_t b, double cr, double ci) {
    const double vr = x[b] * cr - y[b] * ci, vi = x[b] * ci + y[b] * cr;
    x[b] = x[a] - vr;
    y[b] = y[a] - vi;
    x[a] += vr;
    y[a] += vi;
  };
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::size_t half = len / 2, step = n / len;
    if (half < 16) {
      for (std::size_t k = 0; k < half; ++k) {
        const double cr = wr[k * step], ci = sign * wi[k * step];
        for (std::size_t i = k; i < n; i += len) butterfly(i, i + half, cr, ci);
      }
      continue;
    }
    for (std::size_t i = 0; i < n; i += len) {
      for (std::size_t k = 0; k < half; ++k)
        butterfly(i + k, i + k + half, wr[k * step], sign * wi[k * step]);
    }
  }
}

// a * b through the transform: both in one complex sequence, a + i b, and
// their product's transform taken back. Its roundings, summed over every
// total, are at most kTransformError sqrt(n) log2(n) units in the last
// place of the larger mass times the other (each transform's error is at
// most some 12 log2(n) of them in the Euclidean norm, the product's twice
// that, and a sum of n errors at most sqrt(n) times their norm).
constexpr double kTransformError = 2048.0;

std::vector<double> ByTransform(const Spread& a, const Spread& b, std::size_t size, Work* work,
                                double* error) {
  std::size_t n = 1;
  int log_n = 0;
  while (n < a.chance.size() + b.chance.size() - 1) {
    n <<= 1;
    ++log_n;
  }
  std::vector<double> re(n, 0.0), im(n, 0.0);
  std::copy(a.chance.begin(), a.chance.end(), re.begin());
  std::copy(b.chance.begin(), b.chance.end(), im.begin());
  Transform(&re, &im, false, work);
  // A_k = (Z_k + conj Z_-k) / 2, B_k = (Z_k - conj Z_-k) / 2i, and their product.
  std::vector<double> pr(n), pi(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t m = (n - k) & (n - 1);
    const double ar = (re[k] + re[m]) / 2.0, ai = (im[k] - im[m]) / 2.0;
    const double br = (im[k] + im[m]) / 2.0, bi = (re[m] - re[k]) / 2.0;
    pr[k] = ar * br - ai * bi;
    pi[k] = ar * bi + ai * br;
  }
  Transform(&pr, &pi, true, work);
  std::vector<double> out(size);
  // A chance below 0 is a rounding's: the true one is at least 0, nearer.
  for (std::size_t i = 0; i < size; ++i) out[i] = std::max(0.0, pr[i] / static_cast<double>(n));
  *error = kTransformError * kRounding * std::sqrt(static_cast<double>(n)) * log_n *
           std::max(1.0, std::max(Mass(a), Mass(b)));
  return out;
}

// The totals of two independent parts of a journey, below `rows`; false
// where the work would run out.
bool Convolve(const Spread& a, const Spread& b, std::int64_t rows, Work* work, Spread* out) {
  out->first = a.first + b.first;
  out->chance.clear();
  const double mass_a = Mass(a) + a.error, mass_b = Mass(b) + b.error;
  out->error = a.error * mass_b + mass_a * b.error;
  if (a.chance.empty() || b.chance.empty() || out->first >= rows) return true;
  const auto room = static_cast<std::size_t>(rows - out->first);
  const std::size_t size = std::min(a.chance.size() + b.chance.size() - 1, room);
  const std::int64_t pairs =
      static_cast<std::int64_t>(a.chance.size()) * static_cast<std::int64_t>(b.chance.size());
  if (pairs <= kDirectPairs) {
    if (pairs * kPairWork > work->left) return false;
    work->left -= pairs * kPairWork;
    out->chance.assign(size, 0.0);
    double* o = out->chance.data();
    const double* y = b.chance.data();
    for (std::size_t i = 0; i < a.chance.size() && i < size; ++i) {
      const double x = a.chance[i];
      const std::size_t m = std::min(b.chance.size(), size - i);
      for (std::size_t j = 0; j < m; ++j) o[i + j] += x * y[j];
    }
    // Sums of at most `pairs` products of chances at least 0.
    out->error += static_cast<double>(std::min(a.chance.size(), b.chance.size()) + 1) * kRounding *
                  mass_a * mass_b;
  } else {
    std::size_t n = 1;
    while (n < a.chance.size() + b.chance.size() - 1) n <<= 1;
    const auto log_n = static_cast<std::int64_t>(Log2(n));
    const std::int64_t cost =
        static_cast<std::int64_t>(n) * (24 * log_n + kTransformWork) +
        (Find(&work->turns, n) != nullptr ? 0 : static_cast<std::int64_t>(n / 2) * kTurnWork);
    if (cost > work->left) return false;
    work->left -= static_cast<std::int64_t>(n) * (24 * log_n + kTransformWork);
    double transform_error = 0.0;
    out->chance = ByTransform(a, b, size, work, &transform_error);
    out->error += transform_error;
  }
  Trim(rows, kDropped, out);
  return true;
}

// ---- Many lives at once ------------------------------------------------------

// The transform of a life wrapped onto n totals, as the lives of each
// count take it, worked out once for each n.
struct LifeTransform {
  std::vector<double> re, im;
};

// m lives lost from 0, through the transform: the life's transform raised
// to the m-th power term by term and taken back. The totals wrap around
// the transform's length, so it is as long as the totals that hold all but
// kManyTail of the chance (Chernoff's bound), the rest counted as error;
// so are the roundings: of the transform (at most log2(n) 12 units in the
// last place of each term's sum of the absolute values taken, and in the
// Euclidean norm of the whole), of the powers (a power's error grows with
// it), and of the life's own error m times.
constexpr double kManyTail = 1e-16;

// A life's moment function log M(theta) = log E[e^(theta cost)] (of its
// chance made whole) on a grid of theta both ways, in half octaves of
// 1 / (its spread): Chernoff's bound on m lives is then
// P(total >= x) <= exp(m log M(theta) - theta x) at each theta > 0, and
// P(total <= x) <= the same at each theta < 0.
constexpr int kLeastTheta = -30, kMostTheta = 6;  // in half octaves of 1 / spread
constexpr std::int64_t kThetas = std::int64_t{2} * (kMostTheta - kLeastTheta + 1);
constexpr std::int64_t kMomentWork = 60;

struct Moments {
  double mean = 0.0, spread = 0.0, mass = 0.0;
  std::vector<double> theta, log_moment;
};

Moments MomentsOf(const Spread& life) {
  Moments m;
  m.mass = Mass(life);
  if (life.chance.empty() || !(m.mass > 0.0)) return m;
  const auto total = [&](std::size_t i) {
    return static_cast<double>(life.first + static_cast<std::int64_t>(i));
  };
  for (std::size_t i = 0; i < life.chance.size(); ++i) m.mean += total(i) * life.chance[i] / m.mass;
  double square = 0.0;
  for (std::size_t i = 0; i < life.chance.size(); ++i)
    square += (total(i) - m.mean) * (total(i) - m.mean) * life.chance[i] / m.mass;
  m.spread = std::max(std::sqrt(square), 1.0);
  std::vector<double> logs(life.chance.size());
  for (std::size_t i = 0; i < life.chance.size(); ++i) {
    logs[i] = life.chance[i] > 0.0 ? std::log(life.chance[i] / m.mass)
                                   : -std::numeric_limits<double>::infinity();
  }
  for (int k = kLeastTheta; k <= kMostTheta; ++k) {
    for (const double sign : {1.0, -1.0}) {
      const double theta =
          sign * std::ldexp((k & 1) != 0 ? std::sqrt(2.0) : 1.0, (k - (k & 1)) / 2) / m.spread;
      // Around the mean, the largest term apart, so that nothing overflows.
      double top = -std::numeric_limits<double>::infinity();
      for (std::size_t i = 0; i < logs.size(); ++i)
        top = std::max(top, logs[i] + theta * (total(i) - m.mean));
      double sum = 0.0;
      for (std::size_t i = 0; i < logs.size(); ++i)
        sum += std::exp(logs[i] + theta * (total(i) - m.mean) - top);
      m.theta.push_back(theta);
      // The largest term is 1: the sum is at least that.
      m.log_moment.push_back(theta * m.mean + top + std::log(std::max(sum, 1.0)));
    }
  }
  return m;
}

// The totals of m lives lost from 0 that hold all but kManyTail of their
// chance, the chance beyond them, and the transform's length and work.
struct ManyWindow {
  double low = 0.0, high = 0.0, tails = 0.0;
  std::size_t n = 0;  // 0: no window found
  std::int64_t cost = 0;
};

ManyWindow WindowOf(const Spread& life, const Moments& moments, std::int64_t m) {
  ManyWindow w;
  // No lives at all: the one total 0, nothing to transform.
  if (m <= 0) {
    w.n = 1;
    return w;
  }
  const auto md = static_cast<double>(m);
  const double all = std::pow(moments.mass, md);
  if (moments.theta.empty() || !(all > 1e-300)) return w;
  const double least = md * static_cast<double>(life.first);
  const double most =
      md * static_cast<double>(life.first + static_cast<std::int64_t>(life.chance.size()) - 1);
  // Each side's tail at most half of kManyTail of the whole.
  const double log_tail = std::log(kManyTail / 2.0 / all);
  double up = most, down = least;
  for (std::size_t i = 0; i < moments.theta.size(); ++i) {
    const double theta = moments.theta[i];
    const double edge = (md * moments.log_moment[i] - log_tail) / theta;
    if (theta > 0.0) {
      up = std::min(up, edge);
    } else {
      down = std::max(down, edge);
    }
  }
  w.high = std::min(most, std::ceil(up));
  w.low = std::max(least, std::floor(down));
  w.tails = ((w.high < most ? 1.0 : 0.0) + (w.low > least ? 1.0 : 0.0)) * kManyTail / 2.0;
  if (!(w.high >= w.low) || !(w.high - w.low < 1e9)) return w;
  w.n = 1;
  while (static_cast<double>(w.n) < w.high - w.low + 1.0) w.n <<= 1;
  const double log_n = Log2(w.n);
  w.cost = static_cast<std::int64_t>(
      static_cast<double>(w.n) *
      (24.0 * log_n + 16.0 * (std::log(md) / std::log(2.0) + 1.0) + kPowerWork));
  return w;
}

bool LostLives(const Spread& life, std::int64_t m, const ManyWindow& window, std::int64_t rows,
               Work* work, Few<std::size_t, LifeTransform>* transforms, Spread* out) {
  *out = Spread{0, {1.0}, 0.0};
  if (m == 0) return true;
  const double mass = Mass(life);
  if (window.n == 0 || window.cost > work->left) return false;
  work->left -= window.cost;
  const std::size_t n = window.n;
  const double log_n = Log2(n);
  const double low = window.low, high = window.high;
  LifeTransform* known = Find(transforms, n);
  if (known == nullptr) {
    LifeTransform t{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (std::size_t i = 0; i < life.chance.size(); ++i) {
      t.re[static_cast<std::size_t>(life.first + static_cast<std::int64_t>(i)) & (n - 1)] +=
          life.chance[i];
    }
    Transform(&t.re, &t.im, false, work);
    known = &At(transforms, n);
    *known = std::move(t);
  }
  const LifeTransform& z = *known;
  const double u = kRounding;
  const double forward = log_n * 16.0 * u * mass;  // each term's error, at most
  std::vector<double> pr(n), pi(n);
  double power_error = 0.0, power_norm = 0.0;
  const auto md = static_cast<double>(m);
  for (std::size_t k = 0; k < n; ++k) {
    // z_k^m by squaring.
    double br = z.re[k], bi = z.im[k], rr = 1.0, ri = 0.0;
    for (std::int64_t e = m; e > 0; e >>= 1) {
      if ((e & 1) != 0) {
        const double t = rr * br - ri * bi;
        ri = rr * bi + ri * br;
        rr = t;
      }
      const double t = br * br - bi * bi;
      bi = 2.0 * br * bi;
      br = t;
    }
    pr[k] = rr;
    pi[k] = ri;
    const double r = std::min(mass, std::sqrt(z.re[k] * z.re[k] + z.im[k] * z.im[k]) + forward);
    const double bound = md * std::pow(r, md - 1.0) * forward + 5.0 * md * u * std::pow(r, md);
    power_error += bound * bound;
    power_norm += rr * rr + ri * ri;
  }
  Transform(&pr, &pi, true, work);
  const double back = log_n * 12.0 * u * 1.01;
  const double life_error = md * life.error * std::pow(mass + life.error, md - 1.0);
  out->first = static_cast<std::int64_t>(low);
  out->chance.assign(static_cast<std::size_t>(high - low) + 1, 0.0);
  for (std::size_t i = 0; i < out->chance.size(); ++i) {
    const std::size_t at =
        static_cast<std::size_t>(out->first + static_cast<std::int64_t>(i)) & (n - 1);
    out->chance[i] = std::max(0.0, pr[at] / static_cast<double>(n));
  }
  out->error = std::sqrt(power_error) + back * std::sqrt(power_norm) + window.tails + life_error;
  Trim(rows, kDropped, out);
  return true;
}

// One life from talik count `from`: the totals it loses the item with and
// those it reaches the target with, walked row by row of units.
bool WalkLife(const LifeShares& s, int from, std::int64_t rows, Work* work, Spread* lost,
              Spread* won) {
  const int n = s.target;
  std::int64_t history = 1;
  for (int t = 0; t < n; ++t) history = std::max(history, s.units[t] + 1);
  const auto width = static_cast<std::size_t>(n);
  std::vector<double> ring(static_cast<std::size_t>(history) * width, 0.0);
  lost->first = won->first = 0;
  lost->chance.assign(1, 0.0);
  won->chance.assign(1, 0.0);
  ring[static_cast<std::size_t>(from)] = 1.0;
  const auto add = [](std::vector<double>* to, std::int64_t at, double chance) {
    if (to->size() <= static_cast<std::size_t>(at))
      to->resize(std::max(static_cast<std::size_t>(at) + 1, 2 * to->size()), 0.0);
    (*to)[static_cast<std::size_t>(at)] += chance;
  };
  double remainder = 0.0;  // what the walk left on its way, below kLifeLeft
  for (std::int64_t r = 0; r < rows; ++r) {
    work->left -= kLifeRowWork * n;
    if (work->left < 0) return false;
    double* here = &ring[static_cast<std::size_t>(r % history) * width];
    for (int u = 0; u < n; ++u) {
      const double m = here[u];
      if (m == 0.0) continue;
      here[u] = 0.0;
      const std::int64_t to = r + s.units[u];
      if (to >= rows) continue;
      double* there = &ring[static_cast<std::size_t>(to % history) * width];
      there[u] += m * s.failed[u];
      there[0] += m * s.lost[u];
      if (u + 1 < n) {
        there[u + 1] += m * s.success[u];
      } else {
        add(&won->chance, to, m * s.success[u]);
      }
      add(&lost->chance, to, m * s.destroyed[u]);
    }
    // What is still on its way, summed anew (a running difference would
    // keep its roundings) once a history of rows.
    if (r % history == history - 1) {
      const double left = std::accumulate(ring.begin(), ring.end(), 0.0);
      if (left < kLifeLeft) {
        remainder = left;
        break;
      }
    }
  }
  // The chance at a total of r units is a sum of products along paths of
  // at most r + 1 attempts, every term at least 0.
  const auto walked = [](const Spread& s) {
    double error = 0.0;
    for (std::size_t r = 0; r < s.chance.size(); ++r)
      error += 2.0 * static_cast<double>(r + 2) * kRounding * s.chance[r];
    return error;
  };
  lost->error = walked(*lost) + remainder;
  won->error = walked(*won) + remainder;
  Trim(rows, kLifeLeft, lost);
  Trim(rows, kLifeLeft, won);
  return true;
}

// Counts of lives within kClusterLives and 1 / kClusterShare of the
// fewest of them share that fewest's long part.
constexpr std::int64_t kClusterLives = 16;
constexpr std::int64_t kClusterShare = 8;

// The need's own error: the chance of fewer items is known to about 10^-15.
constexpr double kNeedError = 1e-14;

// The chance up to each total of a spread, its mass, and the bound on its
// errors: the spread's own, and the roundings of the running sum.
struct UpTo {
  std::int64_t first = 0;
  std::vector<double> chance;
  double mass = 0.0, error = 0.0;
};

UpTo UpToOf(const Spread& s) {
  UpTo up{s.first, s.chance, 0.0, 0.0};
  std::partial_sum(up.chance.begin(), up.chance.end(), up.chance.begin());
  up.mass = up.chance.empty() ? 0.0 : up.chance.back();
  up.error = s.error + static_cast<double>(s.chance.size() + 1) * kRounding * up.mass;
  return up;
}

double At(const UpTo& up, std::int64_t total) {
  if (total < up.first) return 0.0;
  const auto i = static_cast<std::size_t>(total - up.first);
  return i < up.chance.size() ? up.chance[i] : up.mass;
}

// The chance up to `total` of a journey of two independent parts: a short
// one chance by chance and a long one by its chance up to each total.
double Within(const Spread& near, const UpTo& far, std::int64_t total, Work* work) {
  work->left -= kPairWork * static_cast<std::int64_t>(near.chance.size());
  double sum = 0.0;
  for (std::size_t l = 0; l < near.chance.size(); ++l)
    sum += near.chance[l] * At(far, total - near.first - static_cast<std::int64_t>(l));
  return sum;
}

// The least total whose chance surely reaches the slice's need, where the
// total below it surely does not (-1 where none below `rows`, or where the
// errors leave it in doubt), and the chance at the slice's row. The chance
// up to a total only grows with it: the total is found by halving.
void Read(const Spread& near, const UpTo& far, std::int64_t rows, Work* work, ItemSlice* slice) {
  const double near_mass = Mass(near) + near.error;
  // Within `error` of the true chance either way.
  const double error = near.error * (far.mass + far.error) + near_mass * far.error +
                       static_cast<double>(near.chance.size() + 1) * kRounding * near_mass +
                       kNeedError;
  slice->chance_at_row = slice->row >= 0 ? Within(near, far, slice->row, work) : 0.0;
  slice->found = -1;
  if (slice->need <= 0.0) {
    slice->found = 0;
    return;
  }
  if (near.chance.empty() || far.chance.empty()) return;
  std::int64_t low = near.first + far.first;
  std::int64_t high = std::min(
      rows - 1, low + static_cast<std::int64_t>(near.chance.size() + far.chance.size()) - 2);
  if (high < low || Within(near, far, high, work) < slice->need) return;
  while (low < high) {
    const std::int64_t middle = low + (high - low) / 2;
    if (Within(near, far, middle, work) >= slice->need) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  const bool sure = Within(near, far, low, work) - error >= slice->need &&
                    Within(near, far, low - 1, work) + error < slice->need;
  if (sure) slice->found = low;
}

// What the slices share: the lives walked from each count a slice starts
// at (and from 0), the clusters of their counts of lives lost from 0 before
// the last (each count's cluster's fewest: that many are taken whole, the
// long part; a slice's own first and last lives and the lives beyond its
// cluster's fewest are its short part), and what is worked out once.
struct Shared {
  Few<int, std::pair<Spread, Spread>> lives;  // lost, won
  Few<std::int64_t, std::int64_t> fewest_of;  // in order of the counts
  Few<std::int64_t, ManyWindow> windows;      // for each count of lives taken at once
  Few<std::size_t, LifeTransform> transforms;
  Few<std::int64_t, Spread> many;  // lives taken at once, by their count
  Few<std::int64_t, UpTo> long_parts;
  Few<int, Spread> ends;  // a first life from t and the last, by t
};

// Counts close together in one cluster; the windows of the lives taken at
// once, and what they will take: false where more than the work left, so
// that nothing is spent where it cannot be had.
bool Plan(const std::vector<ItemSlice>& slices, Work* work, Shared* shared) {
  for (const ItemSlice& slice : slices) {
    if (slice.items > 0) At(&shared->fewest_of, slice.items - 1);
  }
  std::int64_t base = -1;
  for (auto& [m, fewest] : shared->fewest_of) {
    if (base < 0 || m > base + base / kClusterShare + kClusterLives) base = m;
    fewest = base;
    At(&shared->windows, fewest);
    if (m > fewest) At(&shared->windows, m - fewest);
  }
  const Spread& life = At(&shared->lives, 0).first;
  // The moment function: a logarithm and two exponentials a total and theta.
  const std::int64_t moment_work =
      static_cast<std::int64_t>(life.chance.size()) * kThetas * kMomentWork;
  if (moment_work > work->left) return false;
  work->left -= moment_work;
  const Moments moments = MomentsOf(life);
  std::int64_t foretold = 0;
  std::vector<std::size_t> lengths;
  for (auto& [count, window] : shared->windows) {
    window = WindowOf(life, moments, count);
    if (window.n == 0) return false;
    foretold += window.cost;
    if (std::find(lengths.begin(), lengths.end(), window.n) == lengths.end()) {
      foretold += static_cast<std::int64_t>(window.n) * (kTurnWork / 2 + 24);
      lengths.push_back(window.n);
    }
  }
  return foretold <= work->left;
}

// m lives lost from 0 taken at once, worked out once for each m; null
// where the work runs out.
const Spread* ManyLives(std::int64_t m, std::int64_t rows, Work* work, Shared* shared) {
  if (const Spread* known = Find(&shared->many, m)) return known;
  Spread made;
  if (!LostLives(At(&shared->lives, 0).first, m, At(&shared->windows, m), rows, work,
                 &shared->transforms, &made))
    return nullptr;
  Spread& kept = At(&shared->many, m);
  kept = std::move(made);
  return &kept;
}

// A slice's two parts, each worked out once for all the slices that share it.
bool Parts(const ItemSlice& slice, std::int64_t rows, Work* work, Shared* shared, const UpTo** far,
           Spread* near) {
  const std::int64_t fewest = At(&shared->fewest_of, slice.items - 1);
  UpTo* whole = Find(&shared->long_parts, fewest);
  if (whole == nullptr) {
    const Spread* lost_lives = ManyLives(fewest, rows, work, shared);
    if (lost_lives == nullptr) return false;
    whole = &At(&shared->long_parts, fewest);
    *whole = UpToOf(*lost_lives);
  }
  *far = whole;
  Spread* first_and_last = Find(&shared->ends, slice.t);
  if (first_and_last == nullptr) {
    Spread both;
    if (!Convolve(At(&shared->lives, slice.t).first, At(&shared->lives, 0).second, rows, work,
                  &both))
      return false;
    first_and_last = &At(&shared->ends, slice.t);
    *first_and_last = std::move(both);
  }
  const std::int64_t more = slice.items - 1 - fewest;
  if (more == 0) {
    *near = *first_and_last;
    return true;
  }
  const Spread* beyond = ManyLives(more, rows, work, shared);
  return beyond != nullptr && Convolve(*first_and_last, *beyond, rows, work, near);
}

}  // namespace

bool FindItemSlices(const LifeShares& shares, std::int64_t rows, std::int64_t work_left,
                    std::vector<ItemSlice>* slices) {
  Work work;
  work.left = work_left;
  Shared shared;
  At(&shared.lives, 0);
  for (const ItemSlice& slice : *slices) At(&shared.lives, slice.t);
  // The lives on a share of their own: a journey whose single lives take
  // more is not one whose slices can be had, and gives up early.
  const std::int64_t before = work.left;
  work.left = before / kLivesShare;
  for (auto& [from, life] : shared.lives) {
    if (!WalkLife(shares, from, rows, &work, &life.first, &life.second)) return false;
  }
  work.left += before - before / kLivesShare;
  if (!Plan(*slices, &work, &shared)) return false;
  const UpTo none = UpToOf(Spread{0, {1.0}, 0.0});
  for (ItemSlice& slice : *slices) {
    if (slice.items == 0) {
      Read(At(&shared.lives, slice.t).second, none, rows, &work, &slice);
    } else {
      const UpTo* far = nullptr;
      Spread near;
      if (!Parts(slice, rows, &work, &shared, &far, &near)) return false;
      Read(near, *far, rows, &work, &slice);
    }
    if (work.left < 0) return false;
  }
  return true;
}
