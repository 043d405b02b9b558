#include "results/table_check.h"

#include <algorithm>

#include "model/probability_tables.h"
#include "results/json.h"

namespace {

std::string Section(int row) { return "ItemGrade" + std::to_string(row); }
std::string Key(int column) { return "UpgradeLevel" + std::to_string(column); }

// What a line wrote, shown safely: printable ASCII as it is, anything else
// as '?'.
std::string Shown(std::string_view written) {
  std::string shown;
  for (const char c : written) shown += c >= 0x20 && c < 0x7F ? c : '?';
  return shown;
}

std::string Cell(int row, int column) { return Key(column) + " в [" + Section(row) + "]"; }

std::string Message(const IniFinding& f) {
  const std::string w = Shown(f.written);
  switch (f.kind) {
    case IniFindingKind::kForeignSection:
      return "раздел [" + w + " - не ItemGrade0…ItemGrade10: его ключи не читаются";
    case IniFindingKind::kSecondSection:
      return "второй раздел [" + Section(f.row) +
             "]: его ключи не читаются, читается раздел в строке " + std::to_string(f.first_line);
    case IniFindingKind::kForeignKey:
      return "ключ «" + w + "» в [" + Section(f.row) +
             "] - не UpgradeLevel0…UpgradeLevel6: не читается";
    case IniFindingKind::kSecondKey:
      return "второй " + Cell(f.row, f.column) + ": не читается, читается строка " +
             std::to_string(f.first_line);
    case IniFindingKind::kKeyWithoutValue:
      return Cell(f.row, f.column) + " без «=»: читается как 0";
    case IniFindingKind::kNotPlainNumber:
      return "значение «" + w + "» " + Cell(f.row, f.column) +
             " - не простое целое число: читается как " + std::to_string(f.read_as);
    case IniFindingKind::kOutsideSection:
      return "строка до первого раздела: не читается";
    case IniFindingKind::kStrayLine:
      return "строка «" + w + "» - не раздел, не ключ и не комментарий: не читается";
  }
  return "";
}

const char* Code(IniFindingKind kind) {
  switch (kind) {
    case IniFindingKind::kForeignSection:
      return "foreign_section";
    case IniFindingKind::kSecondSection:
      return "second_section";
    case IniFindingKind::kForeignKey:
      return "foreign_key";
    case IniFindingKind::kSecondKey:
      return "second_key";
    case IniFindingKind::kKeyWithoutValue:
      return "key_without_value";
    case IniFindingKind::kNotPlainNumber:
      return "not_plain_number";
    case IniFindingKind::kOutsideSection:
      return "outside_section";
    case IniFindingKind::kStrayLine:
      return "stray_line";
  }
  return "";
}

bool HasValue(IniFindingKind kind) {
  return kind == IniFindingKind::kNotPlainNumber || kind == IniFindingKind::kKeyWithoutValue;
}

}  // namespace

std::vector<TableFinding> CheckTableFile(std::string_view file, int table, bool found,
                                         const std::vector<IniFinding>& told,
                                         const IniGridCheck& read) {
  const std::string name(file);
  if (!found) return {{name, 0, "missing_file", -1, -1, false, 0, "файла нет: все значения 0"}};
  std::vector<TableFinding> findings;
  for (const IniFinding& f : told) {
    const bool value = HasValue(f.kind);
    findings.push_back(
        {name, f.line, Code(f.kind), f.row, f.column, value, value ? f.read_as : 0, Message(f)});
  }
  for (int row = 0; row < kItemGradeCount; ++row) {
    for (int column = 0; column < kUpgradeLevelCount; ++column) {
      const std::int32_t v = read.grid.cell[row][column];
      const bool outside = table == kSuccessTable ? v < 0 : (v < 0 || v > kLossScale);
      if (read.cell_line[row][column] == 0 || !outside) continue;
      const std::string scale = table == kSuccessTable
                                    ? std::string("отрицательный вес успеха")
                                    : "вне шкалы 0…" + std::to_string(kLossScale);
      findings.push_back({name, read.cell_line[row][column], "outside_scale", row, column, true, v,
                          "значение " + std::to_string(v) + " " + Cell(row, column) + " - " +
                              scale + ": читается как есть"});
    }
  }
  // In the order of the text; what is given nowhere last.
  std::stable_sort(findings.begin(), findings.end(),
                   [](const TableFinding& a, const TableFinding& b) { return a.line < b.line; });
  for (int row = 0; row < kItemGradeCount; ++row) {
    if (read.section_line[row] == 0) {
      findings.push_back({name, 0, "cells_missing", row, -1, true, 0,
                          "нет раздела [" + Section(row) + "]: все его значения 0"});
      continue;
    }
    std::string missing;
    for (int column = 0; column < kUpgradeLevelCount; ++column) {
      if (read.cell_line[row][column] == 0) missing += (missing.empty() ? "" : ", ") + Key(column);
    }
    if (!missing.empty()) {
      findings.push_back({name, read.section_line[row], "cells_missing", row, -1, true, 0,
                          "в [" + Section(row) + "] нет " + missing + ": читается 0"});
    }
  }
  return findings;
}

std::string TableFindingsText(const std::vector<TableFinding>& findings) {
  std::string text;
  for (const TableFinding& f : findings) {
    text += f.file + (f.line > 0 ? ":" + std::to_string(f.line) : std::string()) + ": " +
            f.message + "\n";
  }
  return text;
}

std::string TableFindingsCsv(const std::vector<TableFinding>& findings) {
  std::string text = "file,line,finding,section,key,read_as\n";
  for (const TableFinding& f : findings) {
    text += f.file + "," + (f.line > 0 ? std::to_string(f.line) : "") + "," + f.code + "," +
            (f.row >= 0 ? Section(f.row) : "") + "," + (f.column >= 0 ? Key(f.column) : "") + "," +
            (f.has_value ? std::to_string(f.read_as) : "") + "\n";
  }
  return text;
}

std::string TableFindingsData(const std::vector<TableFinding>& findings) {
  return JsonArrayOf(findings, [](const TableFinding& f) {
    return JsonObject({{"line", JsonInteger(f.line)},
                       {"finding", JsonString(f.code)},
                       {"text", JsonString(TableFindingsText({f}))}});
  });
}
