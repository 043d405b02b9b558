// The results for a spreadsheet: a header line, then one line per row;
// fractions with a point, exact where the draws are counted exactly, and an
// empty field where a figure is infinite or never comes.
#ifndef UPGRADE_SIM_RESULTS_CSV_WRITER_H_
#define UPGRADE_SIM_RESULTS_CSV_WRITER_H_

#include <string>

#include "results/views.h"

std::string SetUpCsv(const SetUpView& view);
std::string TableCsv(const TableView& view);
std::string PlanCsv(const PlanView& view);

#endif  // UPGRADE_SIM_RESULTS_CSV_WRITER_H_
