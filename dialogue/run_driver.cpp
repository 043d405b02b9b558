#include "dialogue/run_driver.h"

#include <vector>

#include "dialogue/answer_reader.h"
#include "model/attempt_series.h"
#include "model/success_chance.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/ini_reader.h"
#include "platform/key_press.h"
#include "platform/random_source.h"

namespace {

constexpr const char* kSuccessProbPath = "CustomSettings/SuccessProb.ini";
constexpr const char* kDestroyProbPath = "CustomSettings/DestroyProb.ini";
constexpr const char* kDowngradeProbPath = "CustomSettings/DowngradeProb.ini";

constexpr const char* kAttemptCountQuestion =
    "Задайте число повторений операций с одинаковыми параметрами от 1 до 100\n";
constexpr const char* kItemGradeQuestion =
    "Задайте тип оружия или брони согласно списку:\n"
    " 0:Белое\n"
    " 1:Интовое\n"
    " 2:Фиолетовое\n"
    " 3:Стринт\n"
    " 4:Синий реликт\n"
    " 5:Антиграв\n"
    " 6:Голубой реликт\n"
    " 7:Зелёный реликт\n"
    " 8:Леон\n"
    " 9:Пвп оружие\n"
    " 10:красное\n";
constexpr const char* kItemLevelQuestion = "Задайте уровень оружия или брони от 1 до 65\n";
constexpr const char* kTalikCountQuestion = "Задайте число установленных талик от 0 до 6\n";
constexpr const char* kClosingText = "\n Вычисление завершено.\n Для выхода нажмите любую клавишу";

std::string StoneQuestion(int stone_number) {
  return "Задайте тип " + std::to_string(stone_number) +
         " камня\n 0:Без камня 1:Т1 2:Т2 3:Т3 4:Т4 5:Т5 6:Т6\n";
}

// Prints a question and reads its answer. The output is flushed first so the
// question is on the screen while we wait; false when the answer cannot come.
bool Ask(AnswerInput& answers, const std::string& question, std::int32_t low, std::int32_t high,
         std::int32_t* value) {
  WriteText(question);
  return FlushOutput() && AskInRange(answers, low, high, value);
}

// The stone question is printed again before every read, until a tier from
// 0 to 6 comes.
bool AskStoneTier(AnswerInput& answers, int stone_number, std::int32_t* tier) {
  for (;;) {
    WriteText(StoneQuestion(stone_number));
    if (!FlushOutput()) return false;
    const Answer answer = ReadAnswer(answers);
    if (answer.kind == AnswerKind::kEndOfInput) return false;
    if (answer.kind == AnswerKind::kNumber && answer.value >= 0 && answer.value < kStoneTierCount) {
      *tier = answer.value;
      return true;
    }
  }
}

bool AskRequest(AnswerInput& answers, UpgradeRequest* request) {
  if (!Ask(answers, kAttemptCountQuestion, 1, 100, &request->attempt_count) ||
      !Ask(answers, kItemGradeQuestion, 0, kItemGradeCount - 1, &request->item_grade) ||
      !Ask(answers, kItemLevelQuestion, 1, 65, &request->item_level) ||
      !Ask(answers, kTalikCountQuestion, 0, kUpgradeLevelCount - 1, &request->talik_count))
    return false;
  request->stone_factor_sum = 0.0f;
  for (int stone_number = 1; stone_number <= 4; ++stone_number) {
    std::int32_t tier = 0;
    if (!AskStoneTier(answers, stone_number, &tier)) return false;
    request->stone_factor_sum += kStoneFactor[tier];
  }
  return true;
}

}  // namespace

std::vector<IniKey> ProbabilityTableKeys() {
  std::vector<IniKey> keys;
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      keys.push_back({ItemGradeSection(grade), UpgradeLevelKey(level)});
  }
  return keys;
}

ProbabilityTable LoadTableFile(const std::string& path) {
  const std::vector<IniKey> keys = ProbabilityTableKeys();
  const std::vector<std::int32_t> values = ReadIniIntegersFromFile(path, keys);
  // The file is read once; the table's cells are then looked up in what it held.
  return LoadProbabilityTable([&](const std::string& section, const std::string& key) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i].section == section && keys[i].key == key) return values[i];
    }
    return std::int32_t{0};
  });
}

int RunUpgradeSimulation() {
  SetUpConsole();                                         // output encoding
  RandomSource random = SeededRandomSource(ClockSeed());  // seeded once, from the clock
  const ProbabilityTable success_prob = LoadTableFile(kSuccessProbPath);
  const ProbabilityTable destroy_prob = LoadTableFile(kDestroyProbPath);
  const ProbabilityTable downgrade_prob = LoadTableFile(kDowngradeProbPath);

  AnswerInput answers{ReadInputByte};
  UpgradeRequest request;
  if (!AskRequest(answers, &request)) return kRunCutShort;  // the eight answers

  // Every look-up uses the same cell: row = item grade, column = talik count.
  const int grade = request.item_grade;
  const int taliks = request.talik_count;
  const std::int32_t chance = SuccessChance(success_prob.entry[grade][taliks],
                                            request.stone_factor_sum, request.item_level);
  WriteText("Шанс успеха = " + std::to_string(DisplayedPercent(chance)) + " %\n");

  RunAttemptSeries(
      request.attempt_count, chance, destroy_prob.entry[grade][taliks],
      downgrade_prob.entry[grade][taliks], [&random] { return DrawRandom(random); },
      [](std::string_view line) { WriteText(line); });

  WriteText(kClosingText);  // ends without a line break, on screen before the wait
  if (!FlushOutput()) return kRunCutShort;
  WaitForKeyPress();
  return kRunCompleted;
}
