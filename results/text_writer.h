// The results as a player reads them in a terminal: upgrade-odds' reports,
// in the language asked for.
#ifndef UPGRADE_SIM_RESULTS_TEXT_WRITER_H_
#define UPGRADE_SIM_RESULTS_TEXT_WRITER_H_

#include <string>

#include "results/texts.h"
#include "results/views.h"

/// The chance line as the simulator prints it, then the odds of one attempt
/// and of the series.
std::string SetUpText(const SetUpView& view, Language language);

/// The success percent of every grade and talik count.
std::string TableText(const TableView& view, Language language);

/// The journey from each talik count, with a legend.
std::string PlanText(const PlanView& view, Language language);

#endif  // UPGRADE_SIM_RESULTS_TEXT_WRITER_H_
