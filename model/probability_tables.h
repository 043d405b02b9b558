// The three probability tables of the upgrade model: one integer per item
// grade and number of installed taliks.
#ifndef UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
#define UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_

#include <cstdint>

constexpr int kItemGradeCount = 11;                     // item grades 0 to 10
constexpr int kMaxTalikCount = 6;                       // taliks installed on an item at most
constexpr int kUpgradeLevelCount = kMaxTalikCount + 1;  // a column per talik count

/// Row = item grade, column = upgrade level (the talik count).
struct ProbabilityTable {
  std::int32_t entry[kItemGradeCount][kUpgradeLevelCount];
};

/// DestroyProb and DowngradeProb are chances per this many.
constexpr std::int32_t kLossScale = 10000;

/// The three tables of one set of files.
struct ProbabilityTables {
  ProbabilityTable success_prob;    // success weights
  ProbabilityTable destroy_prob;    // per 10000: a failed attempt destroys the item
  ProbabilityTable downgrade_prob;  // per 10000: ... or else the installed taliks
};

/// The tables in the order their files are read: SuccessProb, DestroyProb,
/// DowngradeProb.
constexpr int kProbabilityTableCount = 3;

/// Table `which` of the three, 0 to 2 in that order; callers check it.
inline const ProbabilityTable& TableAt(const ProbabilityTables& tables, int which) {
  return which == 0   ? tables.success_prob
         : which == 1 ? tables.destroy_prob
                      : tables.downgrade_prob;
}

// cppcheck-suppress constParameter ; the table returned is written through
inline ProbabilityTable& TableAt(ProbabilityTables& tables, int which) {
  return which == 0   ? tables.success_prob
         : which == 1 ? tables.destroy_prob
                      : tables.downgrade_prob;
}

#endif  // UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
