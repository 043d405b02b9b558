#include "dialogue/run_driver.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "dialogue/answer_reader.h"
#include "model/attempt_series.h"
#include "model/success_chance.h"
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

// A question put together from pieces, in room enough for the longest.
struct QuestionText {
  char text[1024];
  std::size_t length = 0;
};

void Append(QuestionText& question, std::string_view piece) {
  const std::size_t room = sizeof question.text - question.length;
  const std::size_t size = piece.size() < room ? piece.size() : room;
  std::memcpy(question.text + question.length, piece.data(), size);
  question.length += size;
}

void AppendNumber(QuestionText& question, int number) {
  char digits[12];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
  Append(question, std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
}

std::string_view Text(const QuestionText& question) {
  return std::string_view(question.text, question.length);
}

// A heading, then one line per grade: a blank, the grade, a colon, its label.
QuestionText ItemGradeQuestion() {
  QuestionText question;
  Append(question, "Задайте тип оружия или брони согласно списку:\n");
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    Append(question, " ");
    AppendNumber(question, grade);
    Append(question, ":");
    Append(question, kItemGradeNames[grade]);
    Append(question, "\n");
  }
  return question;
}

QuestionText StoneQuestion(int stone_number) {
  QuestionText question;
  Append(question, "Задайте тип ");
  AppendNumber(question, stone_number);
  Append(question, " камня\n 0:Без камня 1:Т1 2:Т2 3:Т3 4:Т4 5:Т5 6:Т6\n");
  return question;
}

// Prints a question and reads its answer. The output is flushed first so the
// question is on the screen while we wait; false when the answer cannot come.
bool Ask(AnswerInput& answers, std::string_view question, std::int32_t low, std::int32_t high,
         std::int32_t* value) {
  WriteText(question);
  return FlushOutput() && AskInRange(answers, low, high, value);
}

// The stone question is printed again before every read, until a tier from
// 0 to 6 comes.
bool AskStoneTier(AnswerInput& answers, int stone_number, std::int32_t* tier) {
  for (;;) {
    WriteText(Text(StoneQuestion(stone_number)));
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
      !Ask(answers, Text(ItemGradeQuestion()), 0, kItemGradeCount - 1, &request->item_grade) ||
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

int RunUpgradeSimulation() {
  SetUpConsole();                                         // output encoding
  RandomSource random = SeededRandomSource(ClockSeed());  // seeded once, from the clock
  const OddsTables odds = LoadOddsTables();               // read once, before any question

  AnswerInput answers{ReadInputByte};
  UpgradeRequest request;
  if (!AskRequest(answers, &request)) return kRunCutShort;  // the eight answers

  // Every look-up uses the same cell: row = item grade, column = talik count.
  const int grade = request.item_grade;
  const int taliks = request.talik_count;
  const std::int32_t chance = SuccessChance(odds.success_prob.entry[grade][taliks],
                                            request.stone_factor_sum, request.item_level);
  WriteText(ChanceLine(chance));

  RunAttemptSeries(
      request.attempt_count, chance, odds.destroy_prob.entry[grade][taliks],
      odds.downgrade_prob.entry[grade][taliks], [&random] { return DrawRandom(random); },
      [](std::string_view line) { WriteText(line); });

  WriteText(kClosingText);  // ends without a line break, on screen before the wait
  if (!FlushOutput()) return kRunCutShort;
  WaitForKeyPress();
  return kRunCompleted;
}
