// The check of the tables' files: what the reader meets, on which text line,
// and that checking reads the very grid that reading does.
#include "results/table_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/probability_files.h"

namespace {

std::vector<TableFinding> Check(const std::string& text, int table = 1) {
  std::vector<IniFinding> told;
  const IniGridCheck read = CheckIniGridFromText(
      text, kProbabilityTableLayout, [&told](const IniFinding& f) { told.push_back(f); });
  const IniGrid plain = ReadIniGridFromText(text, kProbabilityTableLayout);
  EXPECT_EQ(std::memcmp(&plain, &read.grid, sizeof plain), 0) << text;
  return CheckTableFile("CustomSettings/DestroyProb.ini", table, true, told, read);
}

// Every section and key given with a plain value, then the lines given.
std::string WholeFile(const std::string& extra, const std::string& line_end = "\n") {
  std::string text;
  for (int g = 0; g < 11; ++g) {
    text += "[ItemGrade" + std::to_string(g) + "]" + line_end;
    for (int u = 0; u < 7; ++u) text += "UpgradeLevel" + std::to_string(u) + "=1" + line_end;
  }
  return text + extra;
}

TEST(TableCheckTest, APlainFileHasNoFindings) {
  EXPECT_TRUE(Check(WholeFile("; a comment\n\n   \n")).empty());
}

TEST(TableCheckTest, EachFindingOnItsTextLine) {
  // Lines 1 to 88 are the whole file; 89 on are these.
  const std::vector<TableFinding> findings = Check(
      WholeFile("[ItemGrade 2]\nUpgradeLevel1=53%\n[ItemGrade3]\nUpgradeLevel1=53%\nUpgradeLvl1=4\n"
                "junk\n[ItemGrade3\n"));
  std::vector<std::string> codes;
  for (const TableFinding& f : findings) codes.push_back(std::to_string(f.line) + " " + f.code);
  EXPECT_EQ(codes,
            (std::vector<std::string>{"89 foreign_section", "91 second_section", "95 stray_line"}));
  const std::vector<TableFinding> values =
      Check(WholeFile("").replace(WholeFile("").find("UpgradeLevel1=1"), 15,
                                  "UpgradeLevel1=53%\nUpgradeLevel1=7\nUpgradeLvl2=4\njunk"));
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(
      values[0].message,
      "значение «53%» UpgradeLevel1 в [ItemGrade0] - не простое целое число: читается как 53");
  EXPECT_EQ(TableFindingsText({values[1]}),
            "CustomSettings/DestroyProb.ini:4: второй UpgradeLevel1 в [ItemGrade0]: не читается, "
            "читается строка 3\n");
  EXPECT_EQ(values[2].code, "foreign_key");
  EXPECT_EQ(values[3].code, "stray_line");
}

TEST(TableCheckTest, LinesCountAsTextWhateverTheirEnds) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string text = WholeFile(std::string("x") + end, end);
    const std::vector<TableFinding> findings = Check(text);
    ASSERT_EQ(findings.size(), 1u) << end;
    EXPECT_EQ(findings[0].line, 89) << end;
  }
  // UTF-16, by its text.
  const std::string utf8 = WholeFile("x\r\n", "\r\n");
  std::string utf16 = "\xFF\xFE";
  for (const char c : utf8) utf16 += std::string(1, c) + '\0';
  ASSERT_EQ(Check(utf16).size(), 1u);
  EXPECT_EQ(Check(utf16)[0].line, 89);
}

TEST(TableCheckTest, ValuesThatAreNoPlainNumber) {
  for (const char* value : {"0x64", "12 34", "abc", "", "\"5\"", "5\x1A", "99999999999", "+5",
                            "1234567890123456789012345678901234"}) {
    std::string text = WholeFile("");
    text.replace(text.find("UpgradeLevel1=1"), 15, "UpgradeLevel1=" + std::string(value));
    const std::vector<TableFinding> findings = Check(text, 0);
    ASSERT_EQ(findings.size(), 1u) << value;
    EXPECT_EQ(findings[0].code, "not_plain_number") << value;
  }
  std::string blanks = WholeFile("");
  blanks.replace(blanks.find("UpgradeLevel1=1"), 15, "  UpgradeLevel1 =  15  ");
  EXPECT_TRUE(Check(blanks).empty());
}

TEST(TableCheckTest, ScalesAndCellsGivenNowhere) {
  std::string text = WholeFile("");
  text.replace(text.find("UpgradeLevel1=1"), 15, "UpgradeLevel1=12000");
  text.replace(text.find("UpgradeLevel2=1"), 15, "UpgradeLevel2=-1");
  text.erase(text.find("[ItemGrade10]"));
  const std::vector<TableFinding> destroy = Check(text, 1);
  ASSERT_EQ(destroy.size(), 3u);
  EXPECT_EQ(destroy[0].code, "outside_scale");
  EXPECT_EQ(destroy[0].read_as, 12000);
  EXPECT_EQ(destroy[1].read_as, -1);
  EXPECT_EQ(destroy[2].message, "нет раздела [ItemGrade10]: все его значения 0");
  const std::vector<TableFinding> success = Check(text, 0);
  ASSERT_EQ(success.size(), 2u);  // a weight over 10000 is fine; a negative one is not
  EXPECT_EQ(success[0].read_as, -1);
  std::string short_section = WholeFile("");
  short_section.erase(short_section.find("UpgradeLevel5=1\nUpgradeLevel6=1\n[ItemGrade1]"), 32);
  const std::vector<TableFinding> missing = Check(short_section);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(TableFindingsCsv(missing),
            "file,line,finding,section,key,read_as\n"
            "CustomSettings/DestroyProb.ini,1,cells_missing,ItemGrade0,,0\n");
  EXPECT_EQ(missing[0].message, "в [ItemGrade0] нет UpgradeLevel5, UpgradeLevel6: читается 0");
}

}  // namespace
