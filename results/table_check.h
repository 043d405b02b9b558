// What is wrong in the tables' INI files, as the reader met it, and what it
// takes instead: for the admin who writes them. upgrade-odds --check and the
// page write these findings; the simulator stays silent.
#ifndef UPGRADE_SIM_RESULTS_TABLE_CHECK_H_
#define UPGRADE_SIM_RESULTS_TABLE_CHECK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_reader.h"

/// Which table a file holds, for its scale: 0 SuccessProb, 1 DestroyProb,
/// 2 DowngradeProb.
constexpr int kSuccessTable = 0;

struct TableFinding {
  std::string file;  // CustomSettings/NAME.ini
  int line;          // 0: none (a missing file, a missing section)
  std::string code;  // for the CSV: missing_file, foreign_section, ...
  int row;           // the section's grade, or -1
  int column;        // the key's talik count, or -1
  bool has_value;    // read_as means something
  std::int32_t read_as;
  std::string message;  // what is wrong, and what the reader takes instead
};

/// The findings of one file: what the reader told, in the order of the text,
/// then values outside the table's scale and cells given nowhere.
std::vector<TableFinding> CheckTableFile(std::string_view file, int table, bool found,
                                         const std::vector<IniFinding>& told,
                                         const IniGridCheck& read);

/// "FILE:LINE: message" a line each (no LINE where there is none).
std::string TableFindingsText(const std::vector<TableFinding>& findings);

/// file,line,finding,section,key,read_as
std::string TableFindingsCsv(const std::vector<TableFinding>& findings);

/// A JSON array of {"line", "finding", "text"}, for the page.
std::string TableFindingsData(const std::vector<TableFinding>& findings);

#endif  // UPGRADE_SIM_RESULTS_TABLE_CHECK_H_
