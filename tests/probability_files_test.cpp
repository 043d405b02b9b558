#include "platform/probability_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string WriteTempFile(const std::string& name, const std::string& text) {
  std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// A distinct, unusual value per cell, negative ones included.
std::int32_t CellValue(int grade, int level) { return (grade * 7 + level) * -1000 + 7; }

TEST(ProbabilityFilesTest, EveryCellComesFromItsOwnSectionAndKey) {
  std::string text = "[ItemGrade11]\nUpgradeLevel0=1\n";
  for (int grade = kItemGradeCount - 1; grade >= 0; --grade) {  // any order of sections
    text += "[ItemGrade" + std::to_string(grade) + "]\nUpgradeLevel7=1\n";
    for (int level = 0; level < kUpgradeLevelCount; ++level) {
      text += "UpgradeLevel" + std::to_string(level) + "=" +
              std::to_string(CellValue(grade, level)) + "\n";
    }
  }
  const std::string path = WriteTempFile("every_cell.ini", text);
  const ProbabilityTable table = LoadProbabilityTable(path);
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      EXPECT_EQ(table.entry[grade][level], CellValue(grade, level)) << grade << "/" << level;
  }
  EXPECT_EQ(std::remove(path.c_str()), 0);
}

TEST(ProbabilityFilesTest, AMissingFileOrRowReadsZero) {
  const ProbabilityTable missing = LoadProbabilityTable(testing::TempDir() + "no_such.ini");
  const std::string path = WriteTempFile("first_row.ini", "[ItemGrade0]\nUpgradeLevel6=9\n");
  const ProbabilityTable first_row = LoadProbabilityTable(path);
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level) {
      EXPECT_EQ(missing.entry[grade][level], 0);
      EXPECT_EQ(first_row.entry[grade][level], grade == 0 && level == 6 ? 9 : 0);
    }
  }
  EXPECT_EQ(std::remove(path.c_str()), 0);
}

}  // namespace
