// The three odds tables of the upgrade model: one integer per item grade and
// number of installed taliks.
#ifndef UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
#define UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_

#include <cstdint>
#include <string_view>

constexpr int kItemGradeCount = 11;    // item grades 0 to 10
constexpr int kUpgradeLevelCount = 7;  // 0 to 6 installed taliks

/// Row = item grade, column = upgrade level (the talik count).
struct ProbabilityTable {
  std::int32_t entry[kItemGradeCount][kUpgradeLevelCount];
};

/// The INI names of a cell: the section "ItemGrade<grade>" holds a row, its
/// key "UpgradeLevel<level>" one cell of it.
constexpr std::string_view kItemGradeSectionStem = "ItemGrade";
constexpr std::string_view kUpgradeLevelKeyStem = "UpgradeLevel";

/// The label of each item grade, as the list of weapon and armour types
/// shows it.
constexpr const char* kItemGradeNames[kItemGradeCount] = {
    "Белое",          "Интовое",        "Фиолетовое", "Стринт",     "Синий реликт", "Антиграв",
    "Голубой реликт", "Зелёный реликт", "Леон",       "Пвп оружие", "красное"};

/// The three tables of one set of odds files.
struct OddsTables {
  ProbabilityTable success_prob;    // success weights
  ProbabilityTable destroy_prob;    // per 10000: a failed attempt destroys the item
  ProbabilityTable downgrade_prob;  // per 10000: ... or else the installed taliks
};

#endif  // UPGRADE_SIM_MODEL_PROBABILITY_TABLES_H_
