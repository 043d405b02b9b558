// Written grids read back to the very same cells.
#include "platform/ini_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ini_reader.h"
#include "platform/probability_files.h"

using namespace std::string_literals;

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

// ---- Editing a loaded file in place --------------------------------------

constexpr IniGridLayout kSmall = {"ItemGrade", 2, "UpgradeLevel", 2};

IniGrid Grid(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  IniGrid grid{};
  grid.cell[0][0] = a;
  grid.cell[0][1] = b;
  grid.cell[1][0] = c;
  grid.cell[1][1] = d;
  return grid;
}

std::string Edited(const std::string& text, const IniGrid& grid) {
  bool kept = false;
  std::string edited = EditedIniText(text, grid, kSmall, &kept);
  EXPECT_TRUE(kept) << text;
  return edited;
}

TEST(IniEditTest, OnlyTheEditedValuesChange) {
  const std::string text =
      "; weights\r\n[ItemGrade0]\r\n  UpgradeLevel0 = 0x10 ; hex\r\n\r\nUpgradeLevel1=\"5\"\r\n"
      "[ItemGrade1]\r\nUpgradeLevel0=7\r\nUpgradeLevel1=8\r\n; the end\r\n";
  EXPECT_EQ(Edited(text, Grid(16, 5, 7, 8)), text);  // nothing edited: the very bytes
  EXPECT_EQ(Edited(text, Grid(17, 5, -3, 8)),
            "; weights\r\n[ItemGrade0]\r\n  UpgradeLevel0 = 17 ; hex\r\n\r\nUpgradeLevel1=\"5\"\r\n"
            "[ItemGrade1]\r\nUpgradeLevel0=-3\r\nUpgradeLevel1=8\r\n; the end\r\n");
  // Only the first of duplicates is read, so only it changes; a key without
  // '=' gets one, a value with junk or quotes becomes plain.
  EXPECT_EQ(Edited("[ItemGrade0]\nUpgradeLevel0=1\nUpgradeLevel0=2\n[ItemGrade0]\nUpgradeLevel1=3\n"
                   "[ItemGrade1]\nUpgradeLevel0\nUpgradeLevel1=53%\n",
                   Grid(9, 0, 4, 60)),
            "[ItemGrade0]\nUpgradeLevel0=9\nUpgradeLevel0=2\n[ItemGrade0]\nUpgradeLevel1=3\n"
            "[ItemGrade1]\nUpgradeLevel0=4\nUpgradeLevel1=60\n");
}

TEST(IniEditTest, ACellTheFileLacksGoesIntoItsSectionAMissingSectionAtTheEnd) {
  EXPECT_EQ(
      Edited("[ItemGrade0]\nUpgradeLevel0=1\n; about grade 1\n\n[ItemGrade1]\nUpgradeLevel1=4\n",
             Grid(1, 2, 3, 4)),
      "[ItemGrade0]\nUpgradeLevel0=1\nUpgradeLevel1=2\n; about grade 1\n\n[ItemGrade1]\n"
      "UpgradeLevel1=4\nUpgradeLevel0=3\n");
  // New lines end as the first line does; a last line without an end keeps
  // the text without a final one.
  EXPECT_EQ(Edited("[ItemGrade0]\rUpgradeLevel0=1", Grid(1, 2, 3, 0)),
            "[ItemGrade0]\rUpgradeLevel0=1\rUpgradeLevel1=2\r[ItemGrade1]\rUpgradeLevel0=3");
  EXPECT_EQ(Edited("; nothing yet\n", Grid(0, 0, 0, 5)),
            "; nothing yet\n[ItemGrade1]\nUpgradeLevel1=5\n");
  EXPECT_EQ(Edited("", Grid(1, 0, 0, 0)), "[ItemGrade0]\r\nUpgradeLevel0=1\r\n");
  // A section of another name, or without ']', is no place for a cell.
  EXPECT_EQ(Edited("[ItemGrade0]\nUpgradeLevel0=1\n[ItemGrade1\n[Other]\n", Grid(1, 2, 0, 0)),
            "[ItemGrade0]\nUpgradeLevel0=1\nUpgradeLevel1=2\n[ItemGrade1\n[Other]\n");
}

std::string Utf16(const std::string& text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

TEST(IniEditTest, TheEncodingStays) {
  for (const bool big_endian : {false, true}) {
    std::string text = Utf16("[ItemGrade0]\r\nUpgradeLevel0=1\r\n", big_endian);
    // A comment with a Cyrillic letter.
    text += big_endian ? "\0;\x04\x10\0\r\0\n"s : ";\0\x10\x04\r\0\n\0"s;
    EXPECT_EQ(Edited(text, Grid(2, 3, 0, 0)),
              Utf16("[ItemGrade0]\r\nUpgradeLevel0=2\r\nUpgradeLevel1=3\r\n", big_endian) +
                  text.substr(text.size() - 8));
  }
  EXPECT_EQ(Edited("\xEF\xBB\xBF[ItemGrade0]\nUpgradeLevel0=1 ; \xD0\xB0\n", Grid(5, 0, 0, 0)),
            "\xEF\xBB\xBF[ItemGrade0]\nUpgradeLevel0=5 ; \xD0\xB0\n");
}

// Every file of the corpus, with cells changed here and there, reads back
// to the changed grid, and keeps what it had.
TEST(IniEditTest, EditedCorpusFilesReadBackToTheEditedGrid) {
  const char* names[] = {"blanks.ini",
                         "bom_crlf.ini",
                         "comments.ini",
                         "duplicate_keys.ini",
                         "duplicate_sections.ini",
                         "hex.ini",
                         "keys_before_sections.ini",
                         "letter_case.ini",
                         "lone_cr.ini",
                         "missing.ini",
                         "no_final_break.ini",
                         "quotes.ini",
                         "trailing_junk.ini",
                         "utf16le_crlf.ini",
                         "utf16be_lf.ini",
                         "signs.ini",
                         "long_lines.ini",
                         "out_of_range.ini"};
  std::mt19937 random(20261209);
  for (const char* name : names) {
    std::ifstream file(std::string(UPGRADE_SIM_TEST_DATA "/ini/") + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string text = bytes.str();
    ASSERT_FALSE(text.empty()) << name;
    for (int round = 0; round < 20; ++round) {
      IniGrid grid = ReadIniGridFromText(text, kProbabilityTableLayout);
      for (int edits = 0; edits < round % 5 + 1; ++edits)
        grid.cell[random() % 11][random() % 7] = static_cast<std::int32_t>(random() % 20001) - 5000;
      bool kept = false;
      const std::string edited = EditedIniText(text, grid, kProbabilityTableLayout, &kept);
      EXPECT_TRUE(kept) << name;
      const IniGrid back = ReadIniGridFromText(edited, kProbabilityTableLayout);
      ASSERT_EQ(std::memcmp(&back, &grid, sizeof grid), 0) << name;
      // Only the lines of changed cells change: every comment stays.
      for (std::size_t at = text.find(';'); at != std::string::npos; at = text.find(';', at + 1)) {
        const std::string comment = text.substr(at, text.find_first_of("\r\n", at) - at);
        EXPECT_NE(edited.find(comment), std::string::npos) << name << ": " << comment;
      }
    }
  }
}

// The kept-layout files of the corpus, which the Windows build's tests read
// with the Windows reader, are this editor's output.
TEST(IniEditTest, TheKeptLayoutCorpusFilesAreTheEditorsOutput) {
  const auto slurp = [](const std::string& name) {
    std::ifstream file(UPGRADE_SIM_TEST_DATA "/ini/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  };
  for (const char* name :
       {"comments.ini", "lone_cr.ini", "missing.ini", "no_final_break.ini", "utf16le_crlf.ini",
        "utf16be_lf.ini", "bom_crlf.ini", "duplicate_sections.ini", "quotes.ini"}) {
    const std::string text = slurp(name);
    IniGrid grid = ReadIniGridFromText(text, kProbabilityTableLayout);
    grid.cell[0][0] += 1000;
    grid.cell[5][3] = 4242;
    grid.cell[10][6] = -7;
    grid.cell[2][1] = 10000;
    EXPECT_EQ(slurp(std::string("kept_") + name),
              EditedIniText(text, grid, kProbabilityTableLayout))
        << name;
  }
}

}  // namespace
