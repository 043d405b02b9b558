#include "model/probability_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProbabilityTablesTest, NamesFollowTheIniLayout) {
  EXPECT_EQ(ItemGradeSection(0), "ItemGrade0");
  EXPECT_EQ(ItemGradeSection(10), "ItemGrade10");
  EXPECT_EQ(UpgradeLevelKey(6), "UpgradeLevel6");
}

TEST(ProbabilityTablesTest, ReadsEveryCellOnceRowByRowUnchanged) {
  std::vector<std::string> asked;
  const ProbabilityTable table =
      LoadProbabilityTable([&](const std::string& section, const std::string& key) {
        asked.push_back(section + "/" + key);
        // A distinct, unusual value per cell, negative ones included.
        return static_cast<std::int32_t>(asked.size()) * -1000 + 7;
      });
  ASSERT_EQ(asked.size(), 77u);
  EXPECT_EQ(asked.front(), "ItemGrade0/UpgradeLevel0");
  EXPECT_EQ(asked[1], "ItemGrade0/UpgradeLevel1");
  EXPECT_EQ(asked[7], "ItemGrade1/UpgradeLevel0");
  EXPECT_EQ(asked.back(), "ItemGrade10/UpgradeLevel6");
  EXPECT_EQ(table.entry[0][0], -993);
  EXPECT_EQ(table.entry[3][2], (3 * 7 + 2 + 1) * -1000 + 7);
  EXPECT_EQ(table.entry[10][6], -76993);
}

}  // namespace
