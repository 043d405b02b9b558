#include "platform/probability_files.h"

ProbabilityTable LoadProbabilityTable(const std::string& path) {
  const IniGrid grid = ReadIniGridFromFile(path, kProbabilityTableLayout);
  ProbabilityTable table{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      table.entry[grade][level] = grid.cell[grade][level];
  }
  return table;
}

ProbabilityTables LoadProbabilityTables() {
  ProbabilityTables tables{};
  tables.success_prob = LoadProbabilityTable("CustomSettings/SuccessProb.ini");
  tables.destroy_prob = LoadProbabilityTable("CustomSettings/DestroyProb.ini");
  tables.downgrade_prob = LoadProbabilityTable("CustomSettings/DowngradeProb.ini");
  return tables;
}
