#include "odds/odds_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/attempt_series.h"
#include "model/outcome_odds.h"
#include "model/probability_tables.h"
#include "model/success_chance.h"
#include "model/upgrade_request.h"
#include "platform/console.h"
#include "platform/probability_files.h"

#ifndef UPGRADE_SIM_VERSION
#define UPGRADE_SIM_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "Использование: upgrade-odds [--csv] ПОПЫТКИ ТИП УРОВЕНЬ ТАЛИКИ КАМЕНЬ1 КАМЕНЬ2 КАМЕНЬ3 "
    "КАМЕНЬ4\n"
    "               upgrade-odds [--csv] --table УРОВЕНЬ КАМЕНЬ1 КАМЕНЬ2 КАМЕНЬ3 КАМЕНЬ4\n"
    "               upgrade-odds --help | --version\n";

constexpr const char* kHelp =
    "Точные шансы модификации по таблицам CustomSettings/ в текущей папке.\n"
    "Числа те же и в том же порядке, что ответы upgrade-sim:\n"
    "  ПОПЫТКИ  число попыток, от 1 до 100\n"
    "  ТИП      тип оружия или брони, от 0 до 10\n"
    "  УРОВЕНЬ  уровень оружия или брони, от 1 до 65\n"
    "  ТАЛИКИ   число установленных талик, от 0 до 6\n"
    "  КАМЕНЬ1..КАМЕНЬ4  тип каждого камня: 0 без камня, 1 до 6 Т1 до Т6\n"
    "  --table  шанс успеха для каждого типа и числа талик\n"
    "  --csv    вывод для таблиц: запятые, точка в дробях\n";

constexpr AttemptOutcome kOutcomes[] = {AttemptOutcome::kSuccess, AttemptOutcome::kItemDestroyed,
                                        AttemptOutcome::kTaliksDestroyed, AttemptOutcome::kFailed};

constexpr const char* kSetUpCsvHeader =
    "attempts,item_grade,item_level,talik_count,stone_factor_sum,chance,shown_percent,success,"
    "item_destroyed,taliks_destroyed,failed,at_least_one_success,expected_successes,"
    "expected_items_destroyed,expected_taliks_destroyed,expected_failures\n";
constexpr const char* kTableCsvHeader =
    "item_grade,talik_count,chance,shown_percent,success,item_destroyed,taliks_destroyed,failed\n";

// ---- The command line ----------------------------------------------------

struct NumberArgument {
  const char* meaning;  // for the message when it is wrong
  ValueRange range;
};

constexpr NumberArgument kAttempts = {"число попыток", kAttemptCountRange};
constexpr NumberArgument kGrade = {"тип оружия или брони", kItemGradeRange};
constexpr NumberArgument kLevel = {"уровень оружия или брони", kItemLevelRange};
constexpr NumberArgument kTaliks = {"число установленных талик", kTalikCountRange};
constexpr NumberArgument kStone = {"тип камня", kStoneTierRange};

enum class Command { kSetUp, kTable, kHelp, kVersion, kBadUsage };

struct OddsCommandLine {
  bool csv = false;
  UpgradeRequest request;  // the attempt count, grade and talik count unused by --table
};

// A plain decimal integer with an optional sign that fits 32 bits.
bool ParseInteger(std::string_view text, std::int32_t* value) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return false;
  }
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && stop == end;
}

// Reads one number into value; on failure error tells what was wrong.
bool ReadNumber(const char* text, const NumberArgument& argument, std::int32_t* value,
                std::string* error) {
  if (ParseInteger(text, value) && InRange(*value, argument.range)) return true;
  *error = std::string(argument.meaning) + " должно быть целым числом от " +
           std::to_string(argument.range.low) + " до " + std::to_string(argument.range.high) +
           ", а не «" + text + "»";
  return false;
}

Command ParseArguments(int argc, const char* const* argv, OddsCommandLine* command_line,
                       std::string* error) {
  UpgradeRequest* request = &command_line->request;
  bool table = false;
  const char* numbers[8];
  int number_count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") return Command::kHelp;
    if (argument == "--version") return Command::kVersion;
    if (argument == "--csv") {
      command_line->csv = true;
    } else if (argument == "--table") {
      table = true;
    } else if (argument.substr(0, 2) == "--") {
      *error = "неизвестный параметр «" + std::string(argument) + "»";
      return Command::kBadUsage;
    } else if (number_count < 8) {
      numbers[number_count++] = argv[i];
    } else {
      ++number_count;
    }
  }
  const int wanted = table ? 5 : 8;
  if (number_count != wanted) {
    *error = "нужно " + std::to_string(wanted) + " чисел, а задано " + std::to_string(number_count);
    return Command::kBadUsage;
  }
  const char* const* next = numbers;
  if (!table && (!ReadNumber(*next++, kAttempts, &request->attempt_count, error) ||
                 !ReadNumber(*next++, kGrade, &request->item_grade, error)))
    return Command::kBadUsage;
  if (!ReadNumber(*next++, kLevel, &request->item_level, error)) return Command::kBadUsage;
  if (!table && !ReadNumber(*next++, kTaliks, &request->talik_count, error))
    return Command::kBadUsage;
  for (std::int32_t& stone : request->stone_tiers) {
    if (!ReadNumber(*next++, kStone, &stone, error)) return Command::kBadUsage;
  }
  return table ? Command::kTable : Command::kSetUp;
}

// ---- Numbers as text, with a point in every locale ------------------------

// A count over 2^60 as its exact decimal fraction: 60 binary places need at
// most 60 decimal ones, and each step keeps the rest below 2^60.
std::string ExactFraction(std::uint64_t numerator) {
  if (numerator >= kOutcomeOddsDenominator) return "1";
  if (numerator == 0) return "0";
  std::string text = "0.";
  const std::uint64_t mask = kOutcomeOddsDenominator - 1;
  while (numerator != 0) {
    numerator *= 10;
    text.push_back(static_cast<char>('0' + (numerator >> 60)));
    numerator &= mask;
  }
  return text;
}

std::string FixedDecimals(double value, int decimals) {
  char buffer[128];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

// A fixed-point decimal with at least the given significant digits.
std::string Decimal(double value, int significant_digits) {
  if (value == 0.0) return "0";
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  return FixedDecimals(value, std::clamp(significant_digits - 1 - magnitude, 0, 60));
}

// The shortest form that reads back as the same float: 7.125, 0.5, 40.
std::string StoneSumText(float sum) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, sum);
  return std::string(buffer, result.ptr);
}

// ---- Human output ---------------------------------------------------------

// Characters, not bytes: the texts are UTF-8.
std::size_t DisplayWidth(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // not a continuation byte
  }));
}

std::string PadRight(std::string text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  return shown < width ? std::string(width - shown, ' ') + text : text;
}

std::string OutcomeName(AttemptOutcome outcome) {
  return std::string(AttemptOutcomeLabel(outcome));
}

// A set-up's attempt and the odds of its outcomes.
struct Cell {
  std::int32_t chance;
  OutcomeOdds odds;
};

Cell OddsOfCell(const ProbabilityTables& tables, int grade, int taliks, int level,
                const StoneTiers& stones) {
  const AttemptSetUp set_up = SetUpAttempt(tables, grade, taliks, level, stones);
  return {set_up.chance, AttemptOutcomeOdds(set_up)};
}

// A named figure of the report, its name and number in their columns.
std::string ReportLine(const std::string& name, double value, std::string_view unit) {
  return "  " + PadRight(name, 26) + PadLeft(FixedDecimals(value, 4), 9) + std::string(unit) + "\n";
}

// The exact probability of each outcome of one attempt, each after a comma.
std::string OutcomeFractions(const Cell& cell) {
  std::string fields;
  for (const AttemptOutcome outcome : kOutcomes)
    fields += "," + ExactFraction(OutcomeCount(cell.odds, outcome));
  return fields;
}

std::string SetUpReport(const UpgradeRequest& request, const Cell& cell, float stone_sum) {
  std::string text = ChanceLine(cell.chance);
  text += "Шанс успеха на 100000: " + std::to_string(cell.chance) + "\n";
  text += "Сумма множителей камней: " + StoneSumText(stone_sum) + "\n\nОдна попытка:\n";
  for (const AttemptOutcome outcome : kOutcomes)
    text += ReportLine(OutcomeName(outcome), 100.0 * OutcomeProbability(cell.odds, outcome), " %");
  text += "\nЧисло попыток: " + std::to_string(request.attempt_count) + "\n";
  text += ReportLine("Хотя бы один успех",
                     100.0 * AtLeastOneSuccess(cell.odds, request.attempt_count), " %");
  text += "  В среднем исходов:\n";
  for (const AttemptOutcome outcome : kOutcomes) {
    const double expected = request.attempt_count * OutcomeProbability(cell.odds, outcome);
    text += ReportLine(OutcomeName(outcome), expected, "");
  }
  const double to_success = ExpectedAttemptsToSuccess(cell.odds);
  text += "\nВ среднем попыток до первого успеха: ";
  text += to_success > 0.0 ? FixedDecimals(to_success, 2) + "\n" : "успех невозможен\n";
  return text;
}

std::string SetUpCsv(const UpgradeRequest& request, const Cell& cell, float stone_sum) {
  std::string row = std::to_string(request.attempt_count) + "," +
                    std::to_string(request.item_grade) + "," + std::to_string(request.item_level) +
                    "," + std::to_string(request.talik_count) + "," + StoneSumText(stone_sum) +
                    "," + std::to_string(cell.chance) + "," +
                    std::to_string(DisplayedPercent(cell.chance));
  row += OutcomeFractions(cell);
  row += "," + Decimal(AtLeastOneSuccess(cell.odds, request.attempt_count), 17);
  for (const AttemptOutcome outcome : kOutcomes)
    row += "," + Decimal(request.attempt_count * OutcomeProbability(cell.odds, outcome), 15);
  return kSetUpCsvHeader + row + "\n";
}

std::string TableReport(const ProbabilityTables& tables, const UpgradeRequest& request,
                        float stone_sum) {
  constexpr std::size_t kNameWidth = 19;
  std::string text = "Шанс успеха одной попытки, %: уровень " + std::to_string(request.item_level) +
                     ", сумма множителей камней " + StoneSumText(stone_sum) + "\n";
  text += PadRight(" Тип \\ талики", kNameWidth);
  for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
    text += PadLeft(std::to_string(taliks), 8);
  text += "\n";
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    text += PadRight(" " + std::to_string(grade) + ":" + kItemGradeNames[grade], kNameWidth);
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      const Cell cell = OddsOfCell(tables, grade, taliks, request.item_level, request.stone_tiers);
      text += PadLeft(
          FixedDecimals(100.0 * OutcomeProbability(cell.odds, AttemptOutcome::kSuccess), 2), 8);
    }
    text += "\n";
  }
  return text;
}

std::string TableCsv(const ProbabilityTables& tables, const UpgradeRequest& request) {
  std::string text = kTableCsvHeader;
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      const Cell cell = OddsOfCell(tables, grade, taliks, request.item_level, request.stone_tiers);
      text += std::to_string(grade) + "," + std::to_string(taliks) + "," +
              std::to_string(cell.chance) + "," + std::to_string(DisplayedPercent(cell.chance));
      text += OutcomeFractions(cell) + "\n";
    }
  }
  return text;
}

int Finish(const std::string& text) {
  WriteText(text);
  return FlushOutput() ? kReportWritten : kReportCutShort;
}

}  // namespace

int RunOddsReport(int argc, const char* const* argv) {
  SetUpConsole();
  OddsCommandLine command_line;
  std::string error;
  const Command command = ParseArguments(argc, argv, &command_line, &error);
  switch (command) {
    case Command::kHelp:
      return Finish(std::string(kUsage) + kHelp);
    case Command::kVersion:
      return Finish("upgrade-odds " UPGRADE_SIM_VERSION "\n");
    case Command::kBadUsage:
      WriteErrorText("upgrade-odds: " + error + "\n" + kUsage);
      return kBadUsage;
    case Command::kSetUp:
    case Command::kTable:
      break;
  }
  if (command_line.csv) UseLfLineBreaks();
  const ProbabilityTables tables = LoadProbabilityTables();
  const UpgradeRequest& request = command_line.request;
  const float stone_sum = StoneFactorSum(request.stone_tiers);
  if (command == Command::kTable) {
    return Finish(command_line.csv ? TableCsv(tables, request)
                                   : TableReport(tables, request, stone_sum));
  }
  const Cell cell = OddsOfCell(tables, request.item_grade, request.talik_count, request.item_level,
                               request.stone_tiers);
  return Finish(command_line.csv ? SetUpCsv(request, cell, stone_sum)
                                 : SetUpReport(request, cell, stone_sum));
}
