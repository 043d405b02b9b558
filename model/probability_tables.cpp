#include "model/probability_tables.h"

std::string ItemGradeSection(int grade) { return "ItemGrade" + std::to_string(grade); }

std::string UpgradeLevelKey(int level) { return "UpgradeLevel" + std::to_string(level); }

ProbabilityTable LoadProbabilityTable(const CellReader& read_cell) {
  ProbabilityTable table{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    const std::string section = ItemGradeSection(grade);
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      table.entry[grade][level] = read_cell(section, UpgradeLevelKey(level));
  }
  return table;
}
