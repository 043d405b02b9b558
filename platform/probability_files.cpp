#include "platform/probability_files.h"

#include "platform/ini_writer.h"

namespace {

ProbabilityTable TableOfGrid(const IniGrid& grid) {
  ProbabilityTable table{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      table.entry[grade][level] = grid.cell[grade][level];
  }
  return table;
}

}  // namespace

ProbabilityTable LoadProbabilityTable(const std::string& path, bool* found) {
  return TableOfGrid(ReadIniGridFromFile(path, kProbabilityTableLayout, found));
}

ProbabilityTable ProbabilityTableFromText(std::string_view text) {
  return TableOfGrid(ReadIniGridFromText(text, kProbabilityTableLayout));
}

ProbabilityTables LoadProbabilityTables(TableFilesFound* found) {
  TableFilesFound read{};
  ProbabilityTables tables{};
  for (int which = 0; which < kProbabilityTableCount; ++which)
    TableAt(tables, which) = LoadProbabilityTable(kProbabilityFilePaths[which], &read[which]);
  if (found != nullptr) *found = read;
  return tables;
}

std::string ProbabilityTableText(const ProbabilityTable& table) {
  IniGrid grid{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      grid.cell[grade][level] = table.entry[grade][level];
  }
  return WriteIniGrid(grid, kProbabilityTableLayout);
}
