// A float of about 32 decimal digits as the unevaluated sum of two doubles
// (double-double), for the journey's long powers: 2^62 attempts square a
// matrix 62 times, and a double's 16 digits do not survive that. Plain IEEE
// arithmetic only (no fused multiply-add), so every platform gets the same
// digits.
#ifndef UPGRADE_SIM_MODEL_WIDE_FLOAT_H_
#define UPGRADE_SIM_MODEL_WIDE_FLOAT_H_

#include <cstdint>

struct WideFloat {
  double hi = 0.0;
  double lo = 0.0;  // |lo| at most half an ulp of hi
};

namespace wide_float_detail {

// a + b exactly, as a rounded sum and its error.
inline WideFloat TwoSum(double a, double b) {
  const double sum = a + b;
  const double b_part = sum - a;
  return {sum, (a - (sum - b_part)) + (b - b_part)};
}

// The same where |a| >= |b|.
inline WideFloat QuickTwoSum(double a, double b) {
  const double sum = a + b;
  return {sum, b - (sum - a)};
}

// a as two halves of 26 bits each, whose products are exact (Dekker).
inline WideFloat Split(double a) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double t = kSplitter * a;
  const double high = t - (t - a);
  return {high, a - high};
}

// a * b exactly, as a rounded product and its error.
inline WideFloat TwoProduct(double a, double b) {
  const double product = a * b;
  const WideFloat x = Split(a);
  const WideFloat y = Split(b);
  return {product, ((x.hi * y.hi - product) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

}  // namespace wide_float_detail

inline WideFloat operator+(WideFloat a, WideFloat b) {
  using wide_float_detail::QuickTwoSum;
  using wide_float_detail::TwoSum;
  WideFloat s = TwoSum(a.hi, b.hi);
  const WideFloat t = TwoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}

inline WideFloat operator-(WideFloat a) { return {-a.hi, -a.lo}; }
inline WideFloat operator-(WideFloat a, WideFloat b) { return a + -b; }

inline WideFloat operator*(WideFloat a, WideFloat b) {
  WideFloat p = wide_float_detail::TwoProduct(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return wide_float_detail::QuickTwoSum(p.hi, p.lo);
}

// a / b by long division: three double quotients, each from what the ones
// before leave over.
inline WideFloat operator/(WideFloat a, WideFloat b) {
  const double first = a.hi / b.hi;
  WideFloat rest = a - b * WideFloat{first, 0.0};
  const double second = rest.hi / b.hi;
  rest = rest - b * WideFloat{second, 0.0};
  const double third = rest.hi / b.hi;
  return wide_float_detail::QuickTwoSum(first, second) + WideFloat{third, 0.0};
}

inline bool operator<(WideFloat a, WideFloat b) {
  return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo);
}

/// A count over 2^60, exactly.
inline WideFloat WideShare(std::uint64_t count) {
  const double high = static_cast<double>(count);
  // The rounding error of a count below 2^63 is a whole number a double holds.
  const auto low = static_cast<std::int64_t>(count) - static_cast<std::int64_t>(high);
  constexpr double kPerCombination = 0x1p-60;
  return {high * kPerCombination, static_cast<double>(low) * kPerCombination};
}

inline WideFloat Wide(double value) { return {value, 0.0}; }

#endif  // UPGRADE_SIM_MODEL_WIDE_FLOAT_H_
