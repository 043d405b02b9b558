// The results as a player reads them in a terminal: upgrade-odds' reports.
#ifndef UPGRADE_SIM_RESULTS_TEXT_WRITER_H_
#define UPGRADE_SIM_RESULTS_TEXT_WRITER_H_

#include <string>

#include "results/views.h"

/// The chance line as the simulator prints it, then the odds of one attempt
/// and of the series.
std::string SetUpText(const SetUpView& view);

/// The success percent of every grade and talik count.
std::string TableText(const TableView& view);

/// The journey from each talik count, with a legend.
std::string PlanText(const PlanView& view);

#endif  // UPGRADE_SIM_RESULTS_TEXT_WRITER_H_
