// How every writer shows a figure: numbers with a decimal point in every
// locale, "never" for what never comes, stone digits, widths in characters.
// A figure shown in more than one place is decided here, once.
#ifndef UPGRADE_SIM_RESULTS_FIGURES_H_
#define UPGRADE_SIM_RESULTS_FIGURES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/journey.h"
#include "model/outcome_odds.h"
#include "model/upgrade_request.h"
#include "results/texts.h"

/// A count over 2^60 as its exact decimal fraction.
std::string ExactFraction(std::uint64_t numerator);

/// The exact probability of each outcome of one attempt, each after a comma.
std::string OutcomeFractions(const OutcomeOdds& odds);

/// value with the given number of decimals.
std::string FixedDecimals(double value, int decimals);

/// A fixed-point decimal with at least the given significant digits.
std::string Decimal(double value, int significant_digits);

/// The shortest form that reads back as the same double; "null" where the
/// value is not finite (for JSON).
std::string ShortestDouble(double value);

/// The shortest form that reads back as the same float: 7.125, 0.5, 40.
std::string StoneSumText(float sum);

/// Up to 4 significant digits in at most 9 characters, for narrow columns.
std::string Compact(double value);

/// A figure of a narrow column: Compact, or "never" where it is infinite.
std::string FigureText(double value, Language language);

/// A count of attempts: in full below a million, else Compact; kNever reads
/// "never".
std::string AttemptsText(std::int64_t attempts, Language language);

/// What marks a figure rounded up to the digits it has, and a chance that
/// is a lower bound.
constexpr std::string_view kRoundedMark = "≈";
constexpr std::string_view kAtLeastMark = "≥";

/// A budget: a whole number in plain digits, "never" where it is infinite.
/// A whole number's digits; beyond 2^53, the fewest that read back as the
/// same double, then zeros.
std::string WholeDigits(double whole);
std::string BudgetText(double budget, Language language);

/// A budget with the bound on its relative error: marked rounded where it
/// is not exact.
std::string BudgetText(double budget, double relative_error, Language language);

/// The largest of a row's budgets' relative errors, over those that exist.
double LargestRelativeError(const std::array<double, kPercentileCount>& budgets,
                            const std::array<double, kPercentileCount>& relative_errors);

/// A share (0 to 1) as a percent of a narrow column: Compact(100 share).
std::string PercentFigure(double share);

/// A chance that is a promise (at least this), as a percent to three
/// significant digits rounded down, never up: 2.75 for 0.027559.
std::string PercentAtLeast(double share);

/// A bound that is a promise (at most this), as a percent to two
/// significant digits and every whole one, rounded up, never down: 1.8 for
/// 0.017743, 12 for 0.1154, 0.11 for 0.00101.
std::string PercentAtMost(double share);

/// An expected cost: the nearest whole number in plain digits, never a power
/// of ten; "never" where it is infinite.
std::string CostText(double cost, Language language);

/// A share of the table's cells as a percent with two decimals: 13.25.
std::string TableCellText(double share);

/// A field of a CSV: the value to 17 significant digits, empty where it is
/// infinite.
std::string CsvFigure(double value);

/// The four tiers as digits, the highest first: 6630.
std::string StoneDigits(StoneTiers stones);

/// A stone tier's label: "no stone", "T1" to "T6".
std::string TierLabel(std::int32_t tier, Language language);

/// The stones as labels, in slot order: "T6 T5 no stone T1".
std::string StoneLabels(const StoneTiers& stones, Language language);

/// Characters, not bytes: the texts are UTF-8.
std::size_t DisplayWidth(std::string_view text);

std::string PadRight(std::string text, std::size_t width);
std::string PadLeft(const std::string& text, std::size_t width);

#endif  // UPGRADE_SIM_RESULTS_FIGURES_H_
