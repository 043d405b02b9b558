#include "dialogue/run_driver.h"

#include <string>
#include <string_view>

#include "dialogue/answer_reader.h"
#include "dialogue/simulator_texts.h"
#include "model/attempt_series.h"
#include "model/success_chance.h"
#include "model/upgrade_request.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/key_press.h"
#include "platform/probability_files.h"
#include "platform/random_source.h"

namespace {

constexpr const char* kAttemptCountQuestion =
    "Задайте число повторений операций с одинаковыми параметрами от 1 до 100\n";
constexpr const char* kItemLevelQuestion = "Задайте уровень оружия или брони от 1 до 65\n";
constexpr const char* kTalikCountQuestion = "Задайте число установленных талик от 0 до 6\n";
constexpr const char* kClosingText = "\n Вычисление завершено.\n Для выхода нажмите любую клавишу";

// A heading, then one line per grade: a blank, the grade, a colon, its label.
std::string ItemGradeQuestion() {
  std::string question = "Задайте тип оружия или брони согласно списку:\n";
  for (int grade = 0; grade < kItemGradeCount; ++grade)
    question += " " + std::to_string(grade) + ":" + kItemGradeNames[grade] + "\n";
  return question;
}

std::string StoneQuestion(int stone_number) {
  return "Задайте тип " + std::to_string(stone_number) +
         " камня\n 0:Без камня 1:Т1 2:Т2 3:Т3 4:Т4 5:Т5 6:Т6\n";
}

// Prints a question and reads its answer; the stone question is printed
// again before every further read. The output is flushed first so the
// question is on the screen while we wait; false when the answer cannot come.
bool Ask(AnswerInput& answers, std::string_view question, ValueRange range, std::int32_t* value,
         bool repeat_question = false) {
  WriteText(question);
  if (!FlushOutput()) return false;
  if (!repeat_question) return AskInRange(answers, range.low, range.high, value);
  return AskInRange(answers, range.low, range.high, value, [question] {
    WriteText(question);
    return FlushOutput();
  });
}

bool AskRequest(AnswerInput& answers, UpgradeRequest* request) {
  if (!Ask(answers, kAttemptCountQuestion, kAttemptCountRange, &request->attempt_count) ||
      !Ask(answers, ItemGradeQuestion(), kItemGradeRange, &request->item_grade) ||
      !Ask(answers, kItemLevelQuestion, kItemLevelRange, &request->item_level) ||
      !Ask(answers, kTalikCountQuestion, kTalikCountRange, &request->talik_count))
    return false;
  for (int stone = 0; stone < kStoneCount; ++stone) {
    if (!Ask(answers, StoneQuestion(stone + 1), kStoneTierRange, &request->stone_tiers[stone],
             true))
      return false;
  }
  return true;
}

}  // namespace

int RunUpgradeSimulation() {
  SetUpConsole();                                            // output encoding
  RandomSource random = SeededRandomSource(ClockSeed());     // seeded once, from the clock
  const ProbabilityTables tables = LoadProbabilityTables();  // read once, before any question

  AnswerInput answers{ReadInputByte};
  UpgradeRequest request;
  if (!AskRequest(answers, &request)) return kRunCutShort;  // the eight answers

  const AttemptSetUp set_up = SetUpAttempt(tables, request);
  WriteText(ChanceLine(set_up.chance));
  RunAttemptSeries(
      request.attempt_count, set_up.chance, set_up.destroy_value, set_up.downgrade_value,
      [&random] { return DrawRandom(random); },
      [](AttemptOutcome outcome) {
        WriteText(AttemptOutcomeLabel(outcome));
        WriteText("\n");
      });

  WriteText(kClosingText);  // ends without a line break, on screen before the wait
  if (!FlushOutput()) return kRunCutShort;
  WaitForKeyPress();
  return kRunCompleted;
}
