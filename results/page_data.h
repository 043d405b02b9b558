// The results as the page's data: JSON objects whose figures are the very
// texts the other writers write (stone digits, "никогда", decimals), with
// the raw numbers beside them where the page draws rather than shows.
#ifndef UPGRADE_SIM_RESULTS_PAGE_DATA_H_
#define UPGRADE_SIM_RESULTS_PAGE_DATA_H_

#include <string>

#include "results/views.h"

/// The chance line, the rest of the report, the shares of one attempt's
/// outcomes and the CSV of the set-up.
std::string SetUpData(const SetUpView& view);

/// The cells as the table shows them, and its CSV.
std::string TableData(const TableView& view);

/// The rows as the plan shows them, its CSV, and the chart.
std::string PlanData(const PlanView& view, const JourneyChart& chart);

/// A share as a percent with at least two significant digits: "0.022 %",
/// "13 %"; "100 %" only when certain.
std::string PercentText(double share);

#endif  // UPGRADE_SIM_RESULTS_PAGE_DATA_H_
