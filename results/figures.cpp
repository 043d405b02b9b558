#include "results/figures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "model/journey.h"
#include "model/outcome_odds.h"

namespace {

enum class Notation { kFixed, kScientific, kShortest, kShortestDouble };

#if !defined(__cpp_lib_to_chars)
// Whether printf's text reads back as value, as strtod would read it. A text
// of at most 2^53 as a whole number of digits, and at most 22 places either
// way, is that number times or over an exact power of ten: one rounding, the
// correct one (Clinger's fast path), without strtod's long arithmetic.
bool ReadsBack(const char* text, double value) {
  static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
  std::uint64_t digits = 0;
  int places = 0;
  bool point = false;
  const char* c = *text == '-' ? text + 1 : text;
  for (; *c != '\0' && *c != 'e'; ++c) {
    if (*c < '0' || *c > '9') {
      point = true;
      continue;
    }
    digits = digits * 10 + static_cast<std::uint64_t>(*c - '0');
    if (digits > kExact) return std::strtod(text, nullptr) == value;
    if (point) ++places;
  }
  const long exponent = *c == 'e' ? std::strtol(c + 1, nullptr, 10) - places : -places;
  if (exponent < -22 || exponent > 22) return std::strtod(text, nullptr) == value;
  const double size = static_cast<double>(digits);
  const double read = exponent < 0 ? size / kTens[-exponent] : size * kTens[exponent];
  return (*text == '-' ? -read : read) == value;
}
#endif

// value in the notation, with a point in every locale. libc++ before 15
// (the page's) has no floating-point to_chars; its printf, musl's, is exact
// as well, and what the locale makes of the point is put back.
std::string Formatted(double value, Notation notation, int precision) {
#if defined(__cpp_lib_to_chars)
  char buffer[400];
  const std::chars_format format = notation == Notation::kFixed ? std::chars_format::fixed
                                   : notation == Notation::kScientific
                                       ? std::chars_format::scientific
                                       : std::chars_format::general;
  const auto result = notation == Notation::kShortest
                          ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value))
                      : notation == Notation::kShortestDouble
                          ? std::to_chars(buffer, buffer + sizeof buffer, value)
                          : std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  return std::string(buffer, result.ptr);
#else
  char buffer[400];
  const char* format = notation == Notation::kFixed        ? "%.*f"
                       : notation == Notation::kScientific ? "%.*e"
                                                           : "%.*g";
  if (notation == Notation::kShortestDouble) {
    // The fewest digits that read back as the same double. Where 15 do
    // (a normal double's 15 correctly rounded digits are the shortest ones
    // with zeros after them), the shortest are those between the first and
    // the last digit other than 0: three tries at most, not seventeen.
    const bool normal = std::fpclassify(value) != FP_SUBNORMAL;
    for (precision = normal ? 15 : 1; precision < 17; ++precision) {
      (void)std::snprintf(buffer, sizeof buffer, format, precision, value);
      if (ReadsBack(buffer, value)) break;
    }
    if (normal && precision == 15) {
      int digits = 0, zeros = 0;
      for (const char* c = buffer; *c != '\0' && *c != 'e'; ++c) {
        if (*c < '0' || *c > '9' || (*c == '0' && digits == 0)) continue;
        if (*c == '0') {
          ++zeros;
        } else {
          digits += zeros + 1;
          zeros = 0;
        }
      }
      precision = std::max(digits, 1);
    }
  }
  (void)std::snprintf(buffer, sizeof buffer, format, precision, value);
  std::string text = buffer;
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
#endif
}

}  // namespace

// A count over 2^60 as its exact decimal fraction: 60 binary places need at
// most 60 decimal ones, and each step keeps the rest below 2^60.
std::string ExactFraction(std::uint64_t numerator) {
  if (numerator >= kOutcomeOddsDenominator) return "1";
  if (numerator == 0) return "0";
  std::string text = "0.";
  const std::uint64_t mask = kOutcomeOddsDenominator - 1;
  while (numerator != 0) {
    numerator *= 10;
    text.push_back(static_cast<char>('0' + (numerator >> 60)));
    numerator &= mask;
  }
  return text;
}

std::string OutcomeFractions(const OutcomeOdds& odds) {
  std::string fields;
  for (const AttemptOutcome outcome : kAttemptOutcomes)
    fields += "," + ExactFraction(OutcomeCount(odds, outcome));
  return fields;
}

std::string FixedDecimals(double value, int decimals) {
  return Formatted(value, Notation::kFixed, decimals);
}

// A fixed-point decimal with at least the given significant digits.
std::string Decimal(double value, int significant_digits) {
  if (value == 0.0) return "0";
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  return FixedDecimals(value, std::clamp(significant_digits - 1 - magnitude, 0, 60));
}

// The shortest form that reads back as the same float: 7.125, 0.5, 40.
// Every stone sum is a multiple of 0.125 below 41, which 9 significant
// digits write in full.
std::string StoneSumText(float sum) { return Formatted(sum, Notation::kShortest, 9); }

// Characters, not bytes: the texts are UTF-8.
std::size_t DisplayWidth(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // not a continuation byte
  }));
}

std::string PadRight(std::string text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  return shown < width ? std::string(width - shown, ' ') + text : text;
}

// Up to 4 significant digits in at most 9 characters: 0.1234, 12.35,
// 123457, 1.23e+15.
std::string Compact(double value) {
  if (value == 0.0) return "0";
  const double size = std::fabs(value);
  if (size >= 1e6 || size < 1e-3) {
    return Formatted(value, Notation::kScientific, 2);
  }
  const int magnitude = static_cast<int>(std::floor(std::log10(size)));
  return FixedDecimals(value, std::clamp(3 - magnitude, 0, 4));
}

std::string ShortestDouble(double value) {
  return std::isfinite(value) ? Formatted(value, Notation::kShortestDouble, 17) : "null";
}

std::string FigureText(double value, Language language) {
  return std::isfinite(value) ? Compact(value) : std::string(TextOf(language, ReportText::kNever));
}

std::string AttemptsText(std::int64_t attempts, Language language) {
  if (attempts == kNever) return std::string(TextOf(language, ReportText::kNever));
  if (attempts < 1000000) return std::to_string(attempts);
  return Compact(static_cast<double>(attempts));
}

// Beyond 2^53 a double's binary expansion ends in noise
// ("8390000000000000092241133568" for 8.39e27).
std::string WholeDigits(double whole) {
  if (!(std::fabs(whole) >= 0x1p53)) return FixedDecimals(whole, 0);
  std::string text = ShortestDouble(whole);
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  const long exponent = std::strtol(text.c_str() + e + 1, nullptr, 10);
  std::string digits = text.substr(0, e);
  const std::size_t point = digits.find('.');
  int after = 0;
  if (point != std::string::npos) {
    after = static_cast<int>(digits.size() - point - 1);
    digits.erase(point, 1);
  }
  return digits + std::string(static_cast<std::size_t>(std::max(0L, exponent - after)), '0');
}

std::string BudgetText(double budget, Language language) {
  return std::isfinite(budget) ? WholeDigits(budget)
                               : std::string(TextOf(language, ReportText::kNever));
}

std::string BudgetText(double budget, double relative_error, Language language) {
  const std::string text = BudgetText(budget, language);
  return std::isfinite(budget) && relative_error > 0.0 ? std::string(kRoundedMark) + text : text;
}

double LargestRelativeError(const std::array<double, kPercentileCount>& budgets,
                            const std::array<double, kPercentileCount>& relative_errors) {
  double largest = 0.0;
  for (std::size_t p = 0; p < budgets.size(); ++p) {
    if (std::isfinite(budgets[p])) largest = std::max(largest, relative_errors[p]);
  }
  return largest;
}

std::string PercentFigure(double share) { return Compact(100 * share); }

std::string PercentAtLeast(double share) {
  if (!(share > 0.0)) return "0";
  if (share >= 1.0) return "100";
  const double percent = 100 * share;
  const int magnitude = static_cast<int>(std::floor(std::log10(percent)));
  const int decimals = std::max(0, 2 - magnitude);
  // Cut from the double's decimal expansion, so that nothing rounds up.
  std::string digits = FixedDecimals(percent, decimals + 30);
  digits.resize(digits.find('.') + static_cast<std::size_t>(decimals > 0 ? decimals + 1 : 0));
  if (decimals > 0) {
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.back() == '.') digits.pop_back();
  }
  return digits;
}

std::string PercentAtMost(double share) {
  if (!(share > 0.0)) return "0";
  // The double's own decimal digits, exact for any share above 2^-288, so
  // that nothing rounds down; the percent's point stands two places on.
  std::string digits = FixedDecimals(share, share >= 1.0 ? 60 : 340);
  const std::size_t point = digits.find('.');
  digits.erase(point, 1);
  std::size_t whole = point + 2;
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
  const std::size_t kept = std::max(first + 2, whole);
  const bool beyond =
      kept < digits.size() && digits.find_first_not_of('0', kept) != std::string::npos;
  digits.resize(kept, '0');
  if (beyond) {
    // One up in the last digit kept, carried.
    std::size_t i = kept;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(0, "1");
      ++whole;
    } else {
      ++digits[i - 1];
    }
  }
  std::string text = digits.substr(0, whole);
  text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
  std::string decimals = digits.substr(whole);
  decimals.erase(decimals.find_last_not_of('0') + 1);
  return decimals.empty() ? text : text + "." + decimals;
}

std::string CostText(double cost, Language language) { return BudgetText(cost, language); }

std::string TableCellText(double share) { return FixedDecimals(100 * share, 2); }

std::string CsvFigure(double value) { return std::isfinite(value) ? Decimal(value, 17) : ""; }

std::string StoneDigits(StoneTiers stones) {
  std::sort(stones.begin(), stones.end(), std::greater<>());
  std::string digits;
  for (const std::int32_t tier : stones) digits += static_cast<char>('0' + tier);
  return digits;
}

std::string TierLabel(std::int32_t tier, Language language) {
  return tier == 0 ? std::string(TextOf(language, ReportText::kNoStone))
                   : Say(language, ReportText::kTier, {std::to_string(tier)});
}

std::string StoneLabels(const StoneTiers& stones, Language language) {
  std::string labels;
  for (const std::int32_t tier : stones) {
    if (!labels.empty()) labels += " ";
    labels += TierLabel(tier, language);
  }
  return labels;
}
