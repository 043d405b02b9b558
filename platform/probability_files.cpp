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

ProbabilityTable LoadProbabilityTable(const std::string& path, FileOpening* opening) {
  return TableOfGrid(ReadIniGridFromFile(path, kProbabilityTableLayout, opening));
}

ProbabilityTable ProbabilityTableFromText(std::string_view text) {
  return TableOfGrid(ReadIniGridFromText(text, kProbabilityTableLayout));
}

ProbabilityTables LoadProbabilityTables(TableFilesRead* read) {
  TableFilesRead openings{};
  ProbabilityTables tables{};
  for (int which = 0; which < kProbabilityTableCount; ++which)
    TableAt(tables, which) = LoadProbabilityTable(kProbabilityFilePaths[which], &openings[which]);
  if (read != nullptr) *read = openings;
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
