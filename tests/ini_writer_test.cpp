// Written grids read back to the very same cells.
#include "platform/ini_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "platform/ini_reader.h"
#include "platform/probability_files.h"

namespace {

TEST(IniWriterTest, RandomGridsReadBackExactly) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::int32_t> any(std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max());
  const std::int32_t extremes[] = {std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max(), -1, 0, 10000};
  for (int round = 0; round < 200; ++round) {
    ProbabilityTable table{};
    for (auto& row : table.entry) {
      for (std::int32_t& cell : row)
        cell = random() % 4 == 0 ? extremes[random() % 5] : any(random);
    }
    const std::string text = ProbabilityTableText(table);
    const ProbabilityTable back = ProbabilityTableFromText(text);
    for (int g = 0; g < kItemGradeCount; ++g) {
      for (int u = 0; u < kUpgradeLevelCount; ++u) ASSERT_EQ(back.entry[g][u], table.entry[g][u]);
    }
    ASSERT_EQ(text.find_first_of(std::string("\n", 1)), text.find("\r\n") + 1);
  }
}

TEST(IniWriterTest, EveryCellInOrderInAsciiWithCrLf) {
  ProbabilityTable table{};
  table.entry[0][0] = -2147483647 - 1;
  table.entry[10][6] = 2147483647;
  const std::string text = ProbabilityTableText(table);
  EXPECT_EQ(text.substr(0, 42), "[ItemGrade0]\r\nUpgradeLevel0=-2147483648\r\nU");

  EXPECT_NE(text.find("UpgradeLevel6=2147483647\r\n"), std::string::npos);
  for (const char c : text) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F));
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
    ++lines;
  EXPECT_EQ(lines, 11u * 8u);
}

// The file the Windows reader reads in the Windows build's tests is this
// writer's own output.
TEST(IniWriterTest, TheWrittenCorpusFileIsTheWritersOutput) {
  ProbabilityTable table{};
  for (int g = 0; g < kItemGradeCount; ++g) {
    for (int u = 0; u < kUpgradeLevelCount; ++u) table.entry[g][u] = (g - 5) * 123457 * (u + 1);
  }
  table.entry[0][0] = -2147483647 - 1;
  table.entry[10][6] = 2147483647;
  std::ifstream file(UPGRADE_SIM_TEST_DATA "/ini/written_crlf.ini", std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  EXPECT_EQ(bytes.str(), ProbabilityTableText(table));
}

}  // namespace
