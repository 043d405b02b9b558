// The three odds tables of the upgrade model: one integer per item grade and
// number of installed taliks.
#ifndef UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
#define UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_

#include <cstdint>
#include <functional>
#include <string>

constexpr int kItemGradeCount = 11;    // item grades 0 to 10
constexpr int kUpgradeLevelCount = 7;  // 0 to 6 installed taliks

/// Row = item grade, column = upgrade level (the talik count).
struct ProbabilityTable {
  std::int32_t entry[kItemGradeCount][kUpgradeLevelCount];
};

/// "ItemGrade<grade>": the INI section that holds one row.
std::string ItemGradeSection(int grade);

/// "UpgradeLevel<level>": the INI key that holds one cell of a row.
std::string UpgradeLevelKey(int level);

/// Returns the integer stored under an INI section and key, 0 when missing.
using CellReader = std::function<std::int32_t(const std::string& section, const std::string& key)>;

/// Fills a table by reading every cell, row by row, values taken unchanged.
ProbabilityTable LoadProbabilityTable(const CellReader& read_cell);

#endif  // UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
