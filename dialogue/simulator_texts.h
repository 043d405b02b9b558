// The simulator's fixed texts beyond its questions: the grade list, the
// chance line and the outcomes' lines. Players and tools read these exact
// bytes; they never change and are never translated (upgrade-odds and the
// page speak through results/texts.h).
#ifndef UPGRADE_SIM_DIALOGUE_SIMULATOR_TEXTS_H_
#define UPGRADE_SIM_DIALOGUE_SIMULATOR_TEXTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "model/attempt_series.h"
#include "model/probability_tables.h"

/// The label of each item grade, as the list of weapon and armour types
/// shows it.
constexpr const char* kItemGradeNames[kItemGradeCount] = {
    "Белое",          "Интовое",        "Фиолетовое", "Стринт",     "Синий реликт", "Антиграв",
    "Голубой реликт", "Зелёный реликт", "Леон",       "Пвп оружие", "красное"};

/// "Шанс успеха = <percent> %" and its line break, as the run shows it.
std::string ChanceLine(std::int32_t chance);

/// The outcome as its line in the series names it, without the line break.
std::string_view AttemptOutcomeLabel(AttemptOutcome outcome);

#endif  // UPGRADE_SIM_DIALOGUE_SIMULATOR_TEXTS_H_
