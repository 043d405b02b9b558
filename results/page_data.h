// The results as the page's data: JSON objects whose figures are the very
// texts the other writers write (stone digits, "never", decimals), with
// the raw numbers beside them where the page draws rather than shows.
#ifndef UPGRADE_SIM_RESULTS_PAGE_DATA_H_
#define UPGRADE_SIM_RESULTS_PAGE_DATA_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "results/texts.h"
#include "results/views.h"

/// The chance line, the rest of the report, the shares of one attempt's
/// outcomes and the CSV of the set-up.
std::string SetUpData(const SetUpView& view, Language language);

/// The cells as the table shows them, each one's heat and the table's CSV.
std::string TableData(const TableView& view);

/// The hue, from 0 (red) to 120 (green), of a cell whose draw gives the
/// chance `share`: the editor's colour of each cell, as a whole number.
int HeatHue(double share);

/// The rows as the plan shows them (a member for each column of the plan
/// with a page key), its CSV, and the chart.
std::string PlanData(const PlanView& view, const JourneyChart& chart, Language language);

/// A figure as the page shows it: the value and digits the reports write,
/// its whole part in groups of three ("12 345", with no-break spaces) and
/// no exponent; zeros that stand for digits it does not have are marked as
/// rounded ("2.00e+06" reads "≈2 000 000").
std::string GroupedFigure(const std::string& text);

/// One journey played out, for the page: attempts, items, spent (with
/// prices) and the last outcomes, each a line.
std::string JourneyRunData(const JourneyRun& run, bool priced, int target, Language language);

/// The simulator's lines for one series (the chance line, then an outcome a
/// line, in the language) and the count of each outcome.
std::string SimulationData(const SimulationView& view, std::uint32_t seed, Language language);

/// Each grade's chance to reach the target, as a percent.
std::string GradeReachData(const GradeReach& reach);

/// A share as a percent with at least two significant digits: "0.022 %",
/// "13 %"; "100 %" only when certain.
std::string PercentText(double share);

/// What follows a percentage the page shows: a no-break space, so that the
/// figure and its sign never part at a line's end, and the sign.
inline constexpr std::string_view kPercentSign = "\u00a0%";

#endif  // UPGRADE_SIM_RESULTS_PAGE_DATA_H_
