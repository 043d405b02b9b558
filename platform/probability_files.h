// The odds tables as the files under CustomSettings/ in the working
// directory hold them.
#ifndef UPGRADE_SIM_PLATFORM_PROBABILITY_FILES_H_
#define UPGRADE_SIM_PLATFORM_PROBABILITY_FILES_H_

#include <array>
#include <string>
#include <string_view>

#include "model/probability_tables.h"
#include "platform/ini_reader.h"

/// The INI names of a cell: the section "ItemGrade<grade>" holds a row, its
/// key "UpgradeLevel<level>" one cell of it.
constexpr std::string_view kItemGradeSectionStem = "ItemGrade";
constexpr std::string_view kUpgradeLevelKeyStem = "UpgradeLevel";

/// Where the INI names of the table cells sit, for the INI reader.
constexpr IniGridLayout kProbabilityTableLayout = {kItemGradeSectionStem, kItemGradeCount,
                                                   kUpgradeLevelKeyStem, kUpgradeLevelCount};

/// The three files, relative to the working directory, in the order they
/// are read.
constexpr const char* kProbabilityFilePaths[3] = {"CustomSettings/SuccessProb.ini",
                                                  "CustomSettings/DestroyProb.ini",
                                                  "CustomSettings/DowngradeProb.ini"};
using TableFilesRead = std::array<FileOpening, 3>;

/// A table from its INI file, values unchanged; anything missing reads as 0.
/// opening, if given, tells whether the file was read, or why not.
ProbabilityTable LoadProbabilityTable(const std::string& path, FileOpening* opening = nullptr);

/// A table from the text of its INI file, by the same rules.
ProbabilityTable ProbabilityTableFromText(std::string_view text);

/// The INI text of a table, every cell written, ASCII with CR LF.
std::string ProbabilityTableText(const ProbabilityTable& table);

/// The three tables from CustomSettings/ in the working directory, read in
/// the order SuccessProb, DestroyProb, DowngradeProb; read, if given, tells
/// which files were read, and why the others were not.
ProbabilityTables LoadProbabilityTables(TableFilesRead* read = nullptr);

#endif  // UPGRADE_SIM_PLATFORM_PROBABILITY_FILES_H_
