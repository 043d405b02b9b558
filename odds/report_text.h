// Numbers and columns as the reports write them: a decimal point in every
// locale, widths counted in characters.
#ifndef UPGRADE_SIM_ODDS_REPORT_TEXT_H_
#define UPGRADE_SIM_ODDS_REPORT_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/outcome_odds.h"

/// A count over 2^60 as its exact decimal fraction.
std::string ExactFraction(std::uint64_t numerator);

/// The exact probability of each outcome of one attempt, each after a comma.
std::string OutcomeFractions(const OutcomeOdds& odds);

/// value with the given number of decimals.
std::string FixedDecimals(double value, int decimals);

/// A fixed-point decimal with at least the given significant digits.
std::string Decimal(double value, int significant_digits);

/// The shortest form that reads back as the same float: 7.125, 0.5, 40.
std::string StoneSumText(float sum);

/// Up to 4 significant digits in at most 9 characters, for narrow columns.
std::string Compact(double value);

/// Characters, not bytes: the texts are UTF-8.
std::size_t DisplayWidth(std::string_view text);

std::string PadRight(std::string text, std::size_t width);
std::string PadLeft(const std::string& text, std::size_t width);

#endif  // UPGRADE_SIM_ODDS_REPORT_TEXT_H_
