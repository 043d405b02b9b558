// upgrade-odds --plan: the journey to a target talik count, with the stones
// given or the cheapest ones for given prices, for a player or a spreadsheet.
#ifndef UPGRADE_SIM_ODDS_JOURNEY_REPORT_H_
#define UPGRADE_SIM_ODDS_JOURNEY_REPORT_H_

#include <string>

#include "model/journey.h"
#include "model/probability_tables.h"
#include "model/upgrade_request.h"

struct PlanRequest {
  std::int32_t item_grade = 0;
  std::int32_t item_level = 1;
  int target = 1;
  bool by_price = false;
  StoneTiers stones = {};  // at every step, unless chosen by price
  Prices prices;           // all 0 unless given
};

/// The stones of each step and the journey they make.
struct Plan {
  std::array<StoneTiers, kMaxTarget> stones;
  JourneySteps steps;
  Journey journey;
};

Plan MakePlan(const ProbabilityTables& tables, const PlanRequest& request);

std::string PlanReport(const PlanRequest& request, const Plan& plan);
std::string PlanCsv(const ProbabilityTables& tables, const PlanRequest& request, const Plan& plan);

#endif  // UPGRADE_SIM_ODDS_JOURNEY_REPORT_H_
