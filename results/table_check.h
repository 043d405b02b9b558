// What is wrong in the tables' INI files, as the reader met it, and what it
// takes instead: for the admin who writes them. upgrade-odds --check and the
// page write these findings; the simulator stays silent.
//
// An error is what the Windows reader reads otherwise than the admin wrote,
// or not at all; a note is read as written but unusual. One mistake gives
// one finding: what follows from it is folded under it. Each file's
// findings are counted in full, and the first of them kept, in line order,
// in memory bounded whatever the file's length.
#ifndef UPGRADE_SIM_RESULTS_TABLE_CHECK_H_
#define UPGRADE_SIM_RESULTS_TABLE_CHECK_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/probability_tables.h"
#include "platform/ini_reader.h"
#include "results/texts.h"

/// Which table a file holds, for its scale: 0 SuccessProb, 1 DestroyProb,
/// 2 DowngradeProb.
constexpr int kSuccessTable = 0;

/// How many findings of a file are listed: by upgrade-odds, by the page.
constexpr int kCheckListedFindings = 1000;
constexpr int kPageListedFindings = 100;

enum class FindingSeverity { kError, kNote };

struct TableFinding {
  int line;          // 0: none (a missing file, a missing section)
  std::string code;  // for the CSV: missing_file, foreign_section, ...
  FindingSeverity severity;
  int row;         // the section's grade, or -1
  int column;      // the key's talik count, or -1
  bool has_value;  // read_as means something
  std::int32_t read_as;
  std::string message;  // what is wrong, and what the reader takes instead
  std::string name;     // a foreign section's or key's name as written, for the CSV
};

/// One file's check: its first findings in line order, what is given nowhere
/// last, and the count of all.
struct TableFileCheck {
  std::string file;  // CustomSettings/NAME.ini
  Language language = Language::kRussian;
  std::vector<TableFinding> listed;
  std::int64_t errors = 0;
  std::int64_t notes = 0;
  /// For each cell the first error about it ("" none): what the page marks.
  std::array<std::array<std::string, kUpgradeLevelCount>, kItemGradeCount> cell_error;
};

/// The check of one table's INI text; found false where there is no file.
TableFileCheck CheckTableText(int table, std::string_view text, bool found, int listed,
                              Language language = Language::kRussian);

/// The check of a table held in memory, as its file written by
/// ProbabilityTableText would be checked: only values outside the scale can
/// be wrong, each on the line the file would give it.
TableFileCheck CheckTableGrid(int table, const ProbabilityTable& grid, int listed,
                              Language language = Language::kRussian);

/// The check of one table's file under CustomSettings/ in the working
/// directory, read once and never held.
TableFileCheck CheckTableFile(int table, int listed, Language language = Language::kRussian);

/// The three files, SuccessProb, DestroyProb, DowngradeProb.
std::array<TableFileCheck, 3> CheckTableFiles(int listed, Language language = Language::kRussian);

/// "FILE:LINE: message" a line each (no LINE where there is none), then
/// "FILE: и ещё N (всего M)" where some were not listed.
std::string TableCheckText(const TableFileCheck& check);

/// "FILE: 3 ошибки, 77 замечаний", or "" where there is no finding.
std::string TableCheckSummary(const TableFileCheck& check);

/// The CSV's first line: file,line,finding,section,key,read_as,severity; a
/// foreign section or key is named as written.
extern const char* const kTableCheckCsvHeader;

/// One row a listed finding, then a row "more_findings" with the count of
/// those not listed in read_as.
std::string TableCheckCsv(const TableFileCheck& check);

/// The listed findings as a JSON array of {"line", "finding", "severity",
/// "row", "column", "text"}, for the page.
std::string TableFindingsData(const TableFileCheck& check);

/// The counts for the page: {"errors", "notes", "more", "more_text",
/// "summary"}.
std::string TableFindingCountsData(const TableFileCheck& check);

/// The 77 cells' errors, grade by grade, as a JSON array of strings.
std::string TableCellErrorsData(const TableFileCheck& check);

/// The valid name nearest to a foreign one, for a hint: the same but for
/// letter case, blanks, a letter that looks alike (Cyrillic for Latin), or
/// up to two letters changed, added or dropped; -1 where none is nearest.
int NearestNameIndex(std::string_view written, std::string_view stem, int count);

#endif  // UPGRADE_SIM_RESULTS_TABLE_CHECK_H_
