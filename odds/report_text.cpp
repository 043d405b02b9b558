#include "odds/report_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/outcome_odds.h"

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

std::string FixedDecimals(double value, int decimals) {
  char buffer[128];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

// A fixed-point decimal with at least the given significant digits.
std::string Decimal(double value, int significant_digits) {
  if (value == 0.0) return "0";
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  return FixedDecimals(value, std::clamp(significant_digits - 1 - magnitude, 0, 60));
}

// The shortest form that reads back as the same float: 7.125, 0.5, 40.
std::string StoneSumText(float sum) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, sum);
  return std::string(buffer, result.ptr);
}

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
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 2);
    return std::string(buffer, result.ptr);
  }
  const int magnitude = static_cast<int>(std::floor(std::log10(size)));
  return FixedDecimals(value, std::clamp(3 - magnitude, 0, 4));
}
