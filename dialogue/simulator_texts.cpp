#include "dialogue/simulator_texts.h"

#include "model/success_chance.h"

std::string ChanceLine(std::int32_t chance) {
  return "Шанс успеха = " + std::to_string(DisplayedPercent(chance)) + " %\n";
}

std::string_view AttemptOutcomeLabel(AttemptOutcome outcome) {
  switch (outcome) {
    case AttemptOutcome::kSuccess:
      return "+ Модификация успешна";
    case AttemptOutcome::kItemDestroyed:
      return "- Предмет уничтожен";
    case AttemptOutcome::kTaliksDestroyed:
      return "- Талики уничтожены";
    case AttemptOutcome::kFailed:
      break;
  }
  return "- Модификация неудачна";
}
