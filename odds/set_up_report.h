// The exact odds of one set-up, or of every item grade and talik count,
// for a player to read or for a spreadsheet (CSV).
#ifndef UPGRADE_SIM_ODDS_SET_UP_REPORT_H_
#define UPGRADE_SIM_ODDS_SET_UP_REPORT_H_

#include <string>

#include "model/probability_tables.h"
#include "model/upgrade_request.h"

std::string SetUpReport(const ProbabilityTables& tables, const UpgradeRequest& request);
std::string SetUpCsv(const ProbabilityTables& tables, const UpgradeRequest& request);

/// The success percent of one cell, as the table shows it: 13.25.
std::string TableCellText(const ProbabilityTables& tables, const UpgradeRequest& request, int grade,
                          int taliks);

/// The item level and stones of request, for every grade and talik count.
std::string TableReport(const ProbabilityTables& tables, const UpgradeRequest& request);
std::string TableCsv(const ProbabilityTables& tables, const UpgradeRequest& request);

#endif  // UPGRADE_SIM_ODDS_SET_UP_REPORT_H_
