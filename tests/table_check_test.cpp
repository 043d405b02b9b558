// The check of the tables' files: what the reader meets, on which text line,
// how grave it is, one finding per mistake, and that checking reads the
// very grid that reading does.
#include "results/table_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

#include "platform/probability_files.h"

namespace {

TableFileCheck CheckOf(const std::string& text, int table = 1, int listed = kCheckListedFindings) {
  std::vector<IniFinding> told;
  const IniGridCheck read = CheckIniGridFromText(
      text, kProbabilityTableLayout, [&told](const IniFinding& f) { told.push_back(f); });
  const IniGrid plain = ReadIniGridFromText(text, kProbabilityTableLayout);
  EXPECT_EQ(std::memcmp(&plain, &read.grid, sizeof plain), 0) << text;
  return CheckTableText(table, text, true, listed);
}

std::vector<TableFinding> Check(const std::string& text, int table = 1) {
  return CheckOf(text, table).listed;
}

// "LINE code" of each finding.
std::vector<std::string> Codes(const std::vector<TableFinding>& findings) {
  std::vector<std::string> codes;
  codes.reserve(findings.size());
  for (const TableFinding& f : findings) codes.push_back(std::to_string(f.line) + " " + f.code);
  return codes;
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

// The whole file with UpgradeLevel1 of ItemGrade0 (line 3) written so.
std::string WithValue(const std::string& line) {
  std::string text = WholeFile("");
  return text.replace(text.find("UpgradeLevel1=1"), 15, line);
}

TEST(TableCheckTest, APlainFileHasNoFindings) {
  const TableFileCheck check = CheckOf(WholeFile("; a comment\n\n   \n"));
  EXPECT_TRUE(check.listed.empty());
  EXPECT_EQ(check.errors + check.notes, 0);
  EXPECT_EQ(TableCheckText(check) + TableCheckSummary(check), "");
}

TEST(TableCheckTest, EachFindingOnItsTextLineInLineOrder) {
  // Lines 1 to 88 are the whole file; 89 on are these.
  EXPECT_EQ(
      Codes(Check(WholeFile("[ItemGrade 2]\nUpgradeLevel1=53%\n[ItemGrade3]\nUpgradeLevel1=53%\n"
                            "UpgradeLvl1=4\njunk\n[ItemGrade3\n"))),
      (std::vector<std::string>{"89 foreign_section", "91 second_section", "95 unclosed_section"}));
  std::string text = WithValue("UpgradeLevel1=53%\nUpgradeLevel1=7\nUpgradeLvl2=4\njunk");
  text.replace(text.find("UpgradeLevel3=1"), 15, "UpgradeLevel3=-5");
  text.erase(text.find("UpgradeLevel6=1\n[ItemGrade1]"), 16);
  const TableFileCheck check = CheckOf(text);
  // The cells given nowhere of a section on its line, before what follows it.
  EXPECT_EQ(Codes(check.listed),
            (std::vector<std::string>{"1 cells_missing", "3 not_plain_number", "4 second_key",
                                      "5 foreign_key", "6 stray_line", "8 outside_scale"}));
  const std::string first_lines =
      "CustomSettings/DestroyProb.ini:1: в [ItemGrade0] нет UpgradeLevel6: читается 0\n"
      "CustomSettings/DestroyProb.ini:3: значение «53%» UpgradeLevel1 в [ItemGrade0] - не "
      "простое целое число: читается как 53\n";
  EXPECT_EQ(TableCheckText(check).substr(0, first_lines.size()), first_lines);
  EXPECT_EQ(check.listed[2].message,
            "второй UpgradeLevel1 в [ItemGrade0]: не читается, читается строка 3");
  EXPECT_EQ(TableCheckSummary(check), "CustomSettings/DestroyProb.ini: 6 ошибок, 0 замечаний\n");
  // A second section names the line of the first, and says why the first
  // lacks its keys.
  const TableFileCheck split = CheckOf("[ItemGrade1]\n\n[ItemGrade1]\n" + WholeFile(""));
  EXPECT_EQ(Codes(split.listed),
            (std::vector<std::string>{"3 second_section", "12 second_section"}));
  EXPECT_NE(split.listed[0].message.find("читается раздел в строке 1"), std::string::npos);
  EXPECT_NE(split.listed[1].message.find("читается раздел в строке 1"), std::string::npos);
  EXPECT_NE(split.cell_error[1][4].find(":3: второй раздел"), std::string::npos);
}

TEST(TableCheckTest, LinesCountAsTextWhateverTheirEnds) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::vector<TableFinding> findings = Check(WholeFile(std::string("x") + end, end));
    ASSERT_EQ(findings.size(), 1u) << end;
    EXPECT_EQ(findings[0].line, 89) << end;
  }
  // A lone CR, then LF lines, then CR LF ones: each one line.
  std::string mixed = WholeFile("");
  mixed.replace(mixed.find("]\n"), 2, "]\r");
  mixed.replace(mixed.rfind("=1\n"), 3, "=1\r\n");
  EXPECT_EQ(Codes(Check(mixed + "x\r\ny\rz\n\r\nw\n")),
            (std::vector<std::string>{"89 stray_line", "90 stray_line", "91 stray_line",
                                      "93 stray_line"}));
  // CR LF, then empty LF and CR lines: the LF after CR LF is a line of its own.
  EXPECT_EQ(Codes(Check(WholeFile("") + "x\r\n\n\ny\r\n\r\rz\n")),
            (std::vector<std::string>{"89 stray_line", "92 stray_line", "95 stray_line"}));
  // UTF-16, by its text.
  const std::string utf8 = WholeFile("x\r\n", "\r\n");
  std::string utf16 = "\xFF\xFE";
  for (const char c : utf8) utf16 += std::string(1, c) + '\0';
  ASSERT_EQ(Check(utf16).size(), 1u);
  EXPECT_EQ(Check(utf16)[0].line, 89);
}

struct ValueCase {
  const char* written;
  const char* code;
  FindingSeverity severity;
  std::int32_t read_as;
};

TEST(TableCheckTest, ValuesMisreadAreErrorsValuesReadAsWrittenNotes) {
  const FindingSeverity error = FindingSeverity::kError, note = FindingSeverity::kNote;
  const ValueCase cases[] = {
      {"53%", "not_plain_number", error, 53},
      {"5.3%", "not_plain_number", error, 5},
      {"0,5", "not_plain_number", error, 0},
      {"1O4", "not_plain_number", error, 1},
      {"12 34", "not_plain_number", error, 12},
      {"5\x1A", "not_plain_number", error, 5},
      {"0X64", "not_plain_number", error, 0},
      {"abc", "not_a_number", error, 0},
      {"", "empty_value", error, 0},
      {"\"5", "unclosed_quote", error, 0},
      {"\"5x\"", "not_plain_number", error, 5},
      {"99999999999", "beyond_32_bits", error, 2147483647},
      {"-2147483649", "beyond_32_bits", error, -2147483647 - 1},
      {"1234567890123456789012345678901234567890123", "beyond_32_bits", error, 2147483647},
      {"\"225\"", "quoted_value", note, 225},
      {"'7'", "quoted_value", note, 7},
      {"+5", "unusual_number", note, 5},
      {"007", "unusual_number", note, 7},
      {"0x64", "unusual_number", note, 100},
      {"-0", "unusual_number", note, 0},
      {"5 ; five", "text_after_number", note, 5},
  };
  for (const ValueCase& c : cases) {
    const std::vector<TableFinding> findings =
        Check(WithValue("UpgradeLevel1=" + std::string(c.written)), 0);
    ASSERT_EQ(findings.size(), 1u) << c.written;
    EXPECT_EQ(findings[0].code, c.code) << c.written;
    EXPECT_EQ(findings[0].severity, c.severity) << c.written;
    EXPECT_EQ(findings[0].read_as, c.read_as) << c.written;
  }
  EXPECT_EQ(Check(WithValue("UpgradeLevel1=99999999999"), 0)[0].message,
            "значение «99999999999» UpgradeLevel1 в [ItemGrade0] - целое число за пределами 32 бит "
            "(-2147483648…2147483647): читается как 2147483647");
  EXPECT_TRUE(Check(WithValue("  UpgradeLevel1 =  15  ")).empty());
  // Notes alone: counted, and not errors.
  const TableFileCheck quoted = CheckOf(WithValue("UpgradeLevel1=\"1\""));
  EXPECT_EQ(TableCheckSummary(quoted), "CustomSettings/DestroyProb.ini: 0 ошибок, 1 замечание\n");
}

TEST(TableCheckTest, EachScaleAtItsBounds) {
  struct Bound {
    int table;
    std::int32_t value;
    bool outside;
  };
  const Bound bounds[] = {{0, -1, true},       {0, 0, false}, {0, 10000, false}, {0, 10001, false},
                          {0, 2000000, false}, {1, -1, true}, {1, 0, false},     {1, 10000, false},
                          {1, 10001, true},    {2, -1, true}, {2, 0, false},     {2, 10000, false},
                          {2, 10001, true}};
  for (const Bound& b : bounds) {
    const TableFileCheck check =
        CheckOf(WithValue("UpgradeLevel1=" + std::to_string(b.value)), b.table);
    ASSERT_EQ(check.listed.size(), b.outside ? 1u : 0u) << b.table << " " << b.value;
    if (!b.outside) continue;
    EXPECT_EQ(check.listed[0].code, "outside_scale");
    EXPECT_EQ(check.listed[0].line, 3);
    EXPECT_EQ(check.listed[0].read_as, b.value);
    EXPECT_EQ(check.listed[0].message,
              "значение " + std::to_string(b.value) + " UpgradeLevel1 в [ItemGrade0] - " +
                  (b.table == 0 ? "отрицательный вес успеха" : "вне шкалы 0…10000") +
                  ": читается как есть");
  }
}

// A table held in memory is checked as its written file would be: the same
// findings on the same lines, the same cells marked, in either language.
TEST(TableCheckTest, ATableInMemoryAsItsWrittenFile) {
  ProbabilityTable grid{};
  grid.entry[0][0] = -1;
  grid.entry[3][6] = 10001;
  grid.entry[10][6] = std::numeric_limits<std::int32_t>::min();
  grid.entry[5][2] = 10000;
  for (const Language language : {Language::kRussian, Language::kEnglish}) {
    for (int table = 0; table < 3; ++table) {
      for (const int listed : {1, kCheckListedFindings}) {
        const TableFileCheck written =
            CheckTableText(table, ProbabilityTableText(grid), true, listed, language);
        const TableFileCheck held = CheckTableGrid(table, grid, listed, language);
        EXPECT_EQ(TableCheckText(held), TableCheckText(written)) << table;
        EXPECT_EQ(TableCheckCsv(held), TableCheckCsv(written)) << table;
        EXPECT_EQ(held.errors, written.errors);
        EXPECT_EQ(held.cell_error, written.cell_error);
      }
      EXPECT_EQ(CheckTableGrid(table, grid, 10).errors, table == 0 ? 2 : 3);
    }
  }
}

TEST(TableCheckTest, OneFindingForTextThatIsNoText) {
  const std::string utf8 = WholeFile("", "\r\n");
  std::string le, be, utf32;
  for (const char c : utf8) {
    le += std::string(1, c) + '\0';
    be += std::string(1, '\0') + c;
    utf32 += std::string(1, c) + std::string(3, '\0');
  }
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>(i * 37 % 256);
  for (const std::string& text : {le, be, "\xFF\xFE\0\0"s + utf32, utf32, binary}) {
    const TableFileCheck check = CheckOf(text);
    ASSERT_EQ(Codes(check.listed), std::vector<std::string>{"0 not_text"});
    EXPECT_EQ(check.errors, 1);
    EXPECT_NE(check.cell_error[10][6], "");
  }
  EXPECT_NE(Check(le)[0].message.find("UTF-16 без метки порядка байтов (BOM)"), std::string::npos);
  EXPECT_NE(Check(utf32)[0].message.find("UTF-32"), std::string::npos);
  EXPECT_NE(Check(std::string(1, '\0'))[0].message.find("не текст"), std::string::npos);
  // A few control bytes in text are no reason to call it binary.
  EXPECT_EQ(Codes(Check(WithValue("UpgradeLevel1=1\x01"))),
            std::vector<std::string>{"3 not_plain_number"});
}

TEST(TableCheckTest, WhatFollowsFromOneMistakeIsFoldedUnderIt) {
  // A '[' without ']': the keys after it fall into the section before.
  std::string text = WholeFile("");
  text.replace(text.find("[ItemGrade7]"), 12, "[ItemGrade7");
  const TableFileCheck unclosed = CheckOf(text);
  ASSERT_EQ(Codes(unclosed.listed), std::vector<std::string>{"57 unclosed_section"});
  EXPECT_EQ(unclosed.listed[0].message,
            "строка «[ItemGrade7» - раздел без «]»: не читается, и ключи после неё до следующего "
            "раздела читаются в [ItemGrade6], а повторы в нём не читаются");
  EXPECT_NE(unclosed.cell_error[7][0].find(":57: "), std::string::npos);
  // A typo'd section or key: the hint names what is then missing.
  text = WholeFile("");
  text.replace(text.find("[ItemGrade3]"), 12, "[ItemGarde3]");
  text.replace(text.find("UpgradeLevel4=1"), 15, "UpgradeLvl4=1");
  const TableFileCheck typos = CheckOf(text);
  EXPECT_EQ(Codes(typos.listed), (std::vector<std::string>{"6 foreign_key", "25 foreign_section"}));
  EXPECT_EQ(typos.listed[1].message,
            "раздел «[ItemGarde3]» - не ItemGrade0…ItemGrade10: его ключи не читаются - может "
            "быть, ItemGrade3?");
  EXPECT_NE(typos.listed[0].message.find("может быть, UpgradeLevel4?"), std::string::npos);
  // The CSV names what was written, quoted where it must be.
  EXPECT_EQ(TableCheckCsv(typos),
            "CustomSettings/DestroyProb.ini,6,foreign_key,ItemGrade0,UpgradeLvl4,,error\n"
            "CustomSettings/DestroyProb.ini,25,foreign_section,ItemGarde3,,,error\n");
  EXPECT_EQ(TableCheckCsv(CheckOf(WholeFile("[a,\"b]\n"))),
            "CustomSettings/DestroyProb.ini,89,foreign_section,\"a,\"\"b\",,,error\n");
  EXPECT_NE(typos.cell_error[0][4].find(":6: "), std::string::npos);
  EXPECT_NE(typos.cell_error[3][2].find(":25: "), std::string::npos);
  // Lines before the first section: one finding.
  const std::vector<TableFinding> before = Check("a\n# b\nc\n" + WholeFile(""));
  ASSERT_EQ(Codes(before), std::vector<std::string>{"1 outside_section"});
  EXPECT_EQ(before[0].message, "строки 1…3 до первого раздела (3): не читаются");
}

TEST(TableCheckTest, HintsForNamesNearlyRight) {
  EXPECT_EQ(NearestNameIndex("ItemGarde3", "ItemGrade", 11), 3);
  EXPECT_EQ(NearestNameIndex("Item Grade 2", "ItemGrade", 11), 2);
  EXPECT_EQ(NearestNameIndex("It\xD0\xB5mGrade4", "ItemGrade", 11), 4);  // Cyrillic е
  EXPECT_EQ(NearestNameIndex("It\xE5mGrade4", "ItemGrade", 11), 4);      // the same in ANSI
  EXPECT_EQ(NearestNameIndex("UpgradeLvl4", "UpgradeLevel", 7), 4);
  EXPECT_EQ(NearestNameIndex("ItemGrade11", "ItemGrade", 11), -1);  // as near 1 as 10
  EXPECT_EQ(NearestNameIndex("ItemGrade", "ItemGrade", 11), -1);
  EXPECT_EQ(NearestNameIndex("Comments", "ItemGrade", 11), -1);
  EXPECT_EQ(NearestNameIndex("ItemGr", "ItemGrade", 11), -1);  // three letters short
  const std::vector<TableFinding> beyond = Check(WholeFile("[ItemGrade11]\n"));
  EXPECT_EQ(beyond[0].message,
            "раздел «[ItemGrade11]» за пределами таблицы (ItemGrade0…ItemGrade10): его ключи не "
            "читаются");
  // Another letter case is read as it is: a note.
  std::string text = WholeFile("");
  text.replace(text.find("[ItemGrade2]"), 12, "[ itemgrade2 ]");
  text.replace(text.find("UpgradeLevel1=1"), 15, "UPGRADELEVEL1=1");
  const TableFileCheck cases = CheckOf(text);
  EXPECT_EQ(Codes(cases.listed), (std::vector<std::string>{"3 name_form", "17 name_form"}));
  EXPECT_EQ(cases.errors, 0);
  EXPECT_EQ(cases.listed[1].message,
            "раздел «[ itemgrade2 ]» читается как [ItemGrade2]; надёжнее так и писать");
}

TEST(TableCheckTest, EchoedTextKeepsItsCharacters) {
  const auto message = [](const std::string& value) {
    return Check(WithValue("UpgradeLevel1=" + value))[0].message;
  };
  EXPECT_NE(message("5\xD0\xB0").find("«5а»"), std::string::npos);           // UTF-8
  EXPECT_NE(message("5\xE0").find("«5а»"), std::string::npos);               // Windows-1251
  EXPECT_NE(message("5\x01\x7F").find("«5\\x01\\x7F»"), std::string::npos);  // control bytes
  EXPECT_NE(message("5" + std::string(60, 'x')).find("xxx…»"), std::string::npos);
}

TEST(TableCheckTest, FindingsListedUpToTheBoundAndAllCounted) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += "junk\n";
  // The cells missing in [ItemGrade0] come first, though found last.
  std::string text = WholeFile(junk);
  text.erase(text.find("UpgradeLevel6=1\n[ItemGrade1]"), 16);
  const TableFileCheck check = CheckOf(text, 1, 100);
  ASSERT_EQ(check.listed.size(), 100u);
  EXPECT_EQ(check.errors, 5001);
  EXPECT_EQ(check.listed[0].code, "cells_missing");
  EXPECT_EQ(check.listed[99].line, 87 + 99);
  const std::string listed = TableCheckText(check);
  EXPECT_EQ(listed.substr(listed.rfind('\n', listed.size() - 2) + 1),
            "CustomSettings/DestroyProb.ini: и ещё 4901 (всего 5001)\n");
  const std::string csv = TableCheckCsv(check);
  EXPECT_EQ(csv.substr(csv.rfind('\n', csv.size() - 2) + 1),
            "CustomSettings/DestroyProb.ini,,more_findings,,,4901,\n");
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
            "CustomSettings/DestroyProb.ini,1,cells_missing,ItemGrade0,,0,error\n");
  EXPECT_EQ(TableCheckSummary(check), "CustomSettings/DestroyProb.ini: 5001 ошибка, 0 замечаний\n");
}

TEST(TableCheckTest, CountsInRussian) {
  const struct {
    int errors;
    const char* words;
  } counts[] = {{1, "1 ошибка"},     {2, "2 ошибки"},   {4, "4 ошибки"},   {5, "5 ошибок"},
                {11, "11 ошибок"},   {12, "12 ошибок"}, {21, "21 ошибка"}, {22, "22 ошибки"},
                {111, "111 ошибок"}, {0, "0 ошибок"}};
  for (const auto& c : counts) {
    TableFileCheck check;
    check.file = "F";
    check.errors = c.errors;
    check.notes = 1;
    EXPECT_EQ(TableCheckSummary(check), std::string("F: ") + c.words + ", 1 замечание\n");
  }
}

TEST(TableCheckTest, AMissingFileAndTheCellsItLeavesAtZero) {
  const TableFileCheck missing = CheckTableText(2, "", false, kPageListedFindings);
  EXPECT_EQ(TableCheckText(missing),
            "CustomSettings/DowngradeProb.ini: файла нет: все значения 0\n");
  EXPECT_EQ(missing.cell_error[5][5],
            "CustomSettings/DowngradeProb.ini: файла нет: все значения 0");
  std::string text = WholeFile("");
  text.erase(text.find("[ItemGrade10]"));
  const TableFileCheck short_file = CheckOf(text);
  EXPECT_EQ(Codes(short_file.listed), std::vector<std::string>{"0 cells_missing"});
  EXPECT_EQ(short_file.listed[0].message, "нет раздела [ItemGrade10]: все его значения 0");
  EXPECT_EQ(short_file.cell_error[9][6], "");
  EXPECT_NE(short_file.cell_error[10][6], "");
}

// Every file of the INI corpus reads, from its file, as its expected
// results say, and is checked as they say.
TEST(TableCheckTest, TheCorpusReadsAsExpected) {
  std::ifstream expected(UPGRADE_SIM_TEST_DATA "/ini/expected_results.txt");
  std::string name, cells, check;
  int files = 0;
  while (std::getline(expected, name)) {
    if (name.empty() || name[0] == '#') continue;
    ASSERT_TRUE(std::getline(expected, cells) && std::getline(expected, check)) << name;
    const std::string path = UPGRADE_SIM_TEST_DATA "/ini/" + name;
    FileOpening opening;
    const IniGrid grid = ReadIniGridFromFile(path, kProbabilityTableLayout, &opening);
    ASSERT_EQ(opening.state, FileState::kRead) << name;
    std::string read = "cells";
    for (const auto& row : grid.cell) {
      for (int column = 0; column < kUpgradeLevelCount; ++column)
        read += " " + std::to_string(row[column]);
      if (&row == &grid.cell[kItemGradeCount - 1]) break;
    }
    EXPECT_EQ(read, cells) << name;
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string codes = "check";
    for (const std::string& code : Codes(CheckOf(bytes.str()).listed))
      codes += (codes.size() > 5 ? ", " : " ") + code;
    EXPECT_EQ(codes, check) << name;
    ++files;
  }
  EXPECT_EQ(files, 36);  // every file of the corpus
}

}  // namespace
