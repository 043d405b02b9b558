#include "results/table_check.h"

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "platform/ini_writer.h"
#include "platform/probability_files.h"
#include "platform/regular_file.h"
#include "results/json.h"
#include "results/texts.h"

namespace {

constexpr int kTableCount = 3;

std::string Section(int row) { return std::string(kItemGradeSectionStem) + std::to_string(row); }
std::string Key(int column) { return std::string(kUpgradeLevelKeyStem) + std::to_string(column); }

// ---- Texts ------------------------------------------------------------------

// A text of the check in the language, its arguments filled in.
std::string Say(Language language, CheckText id,
                std::initializer_list<std::string_view> arguments = {}) {
  return Fill(TextOf(language, id), arguments);
}

std::string Cell(Language language, int row, int column) {
  return Say(language, CheckText::kCell, {Key(column), Section(row)});
}

// ---- Characters -----------------------------------------------------------

// The letters of Windows-1251 from 0xC0 on, for bytes that are no UTF-8:
// a file saved as ANSI by a Russian Windows.
unsigned Cp1251(unsigned char byte) {
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  switch (byte) {
    case 0xA8:
      return 0x0401;  // Ё
    case 0xB8:
      return 0x0451;  // ё
    case 0xB2:
      return 0x0406;  // І
    case 0xB3:
      return 0x0456;  // і
    default:
      return 0;
  }
}

// The code point of a UTF-8 sequence at text[at], and its length; length 0
// where the bytes there are no UTF-8.
std::pair<unsigned, std::size_t> Utf8At(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  const std::size_t length = lead >= 0xF0 && lead < 0xF5 ? 4
                             : lead >= 0xE0              ? 3
                             : lead >= 0xC2              ? 2
                                                         : 0;
  if (length == 0 || at + length > text.size()) return {0, 0};
  unsigned code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0, 0};
    code = code << 6 | (byte(i) & 0x3F);
  }
  const unsigned least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return {0, 0};
  return {code, length};
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The text's characters: UTF-8 where it is UTF-8, a Windows-1251 letter
// where a byte is one, else 0 for a byte that is neither.
std::vector<unsigned> Characters(std::string_view text) {
  std::vector<unsigned> characters;
  for (std::size_t at = 0; at < text.size();) {
    const auto [code, length] = Utf8At(text, at);
    characters.push_back(length > 0 ? code : Cp1251(static_cast<unsigned char>(text[at])));
    at += length > 0 ? length : 1;
  }
  return characters;
}

// What a line wrote, shown as its characters; a control byte or one that
// is no character as a visible escape, "…" where it was cut.
std::string Shown(std::string_view written, bool cut = false) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t at = 0; at < written.size();) {
    const auto byte = static_cast<unsigned char>(written[at]);
    const auto [code, length] = Utf8At(written, at);
    const unsigned letter = length == 0 ? Cp1251(byte) : 0;
    if (length > 0 && code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0)) {
      shown.append(written.substr(at, length));
    } else if (letter != 0) {
      AppendUtf8(shown, letter);
    } else {
      shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
    }
    at += length > 0 ? length : 1;
  }
  return cut ? shown + "…" : shown;
}

// ---- Hints ----------------------------------------------------------------

// A Cyrillic letter that looks like a Latin one, as that letter.
unsigned LatinLookAlike(unsigned code) {
  static constexpr std::pair<unsigned, char> kLookAlikes[] = {
      {0x0430, 'a'}, {0x0410, 'A'}, {0x0412, 'B'}, {0x0435, 'e'}, {0x0415, 'E'}, {0x041A, 'K'},
      {0x043A, 'k'}, {0x041C, 'M'}, {0x041D, 'H'}, {0x043E, 'o'}, {0x041E, 'O'}, {0x0440, 'p'},
      {0x0420, 'P'}, {0x0441, 'c'}, {0x0421, 'C'}, {0x0422, 'T'}, {0x0443, 'y'}, {0x0445, 'x'},
      {0x0425, 'X'}, {0x0456, 'i'}, {0x0406, 'I'}, {0x0458, 'j'}, {0x0408, 'J'}, {0x0455, 's'},
      {0x0405, 'S'}, {0x0501, 'd'}, {0x051B, 'q'}, {0x051D, 'w'}, {0x0432, 'b'}, {0x043C, 'm'},
      {0x043D, 'h'}, {0x0442, 't'}};
  for (const auto& [cyrillic, latin] : kLookAlikes) {
    if (code == cyrillic) return static_cast<unsigned char>(latin);
  }
  return code;
}

// The name as the hint compares it: blanks out, look-alikes Latin, ASCII
// letters in lower case.
std::vector<unsigned> Folded(std::string_view written) {
  std::vector<unsigned> folded;
  for (unsigned code : Characters(written)) {
    if (code == ' ' || code == '\t' || code == '\v' || code == '\f') continue;
    code = LatinLookAlike(code);
    if (code >= 'A' && code <= 'Z') code |= 0x20;
    folded.push_back(code);
  }
  return folded;
}

// Levenshtein distance, given up beyond limit.
int EditDistance(const std::vector<unsigned>& a, const std::string& b, int limit) {
  if (static_cast<int>(a.size()) - static_cast<int>(b.size()) > limit ||
      static_cast<int>(b.size()) - static_cast<int>(a.size()) > limit)
    return limit + 1;
  std::vector<int> previous(b.size() + 1), current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int change = a[i - 1] == static_cast<unsigned char>(b[j - 1]) ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

}  // namespace

int NearestNameIndex(std::string_view written, std::string_view stem, int count) {
  constexpr int kFarthest = 2;
  const std::vector<unsigned> folded = Folded(written);
  int best = -1, best_distance = kFarthest + 1;
  bool tie = false;
  for (int index = 0; index < count; ++index) {
    std::string name;
    std::transform(stem.begin(), stem.end(), std::back_inserter(name),
                   [](char c) { return static_cast<char>(c | 0x20); });
    name += std::to_string(index);
    const int distance = EditDistance(folded, name, kFarthest);
    if (distance < best_distance) {
      best = index;
      best_distance = distance;
      tie = false;
    } else if (distance == best_distance) {
      tie = true;
    }
  }
  return tie ? -1 : best;
}

namespace {

// ---- Values ---------------------------------------------------------------

enum class ValueMistake {
  kEmpty,          // error: reads 0
  kNoNumber,       // error: reads 0
  kJunk,           // error: the number and then something else
  kBeyond32Bits,   // error: saturated
  kUnclosedQuote,  // error: reads 0
  kQuoted,         // note
  kUnusualForm,    // note: a sign, leading zeros, hexadecimal
  kTextAfter,      // note: "; words" after the number
};

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
  return text;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A value without quotes: sign, digits, then what follows them.
ValueMistake BareValueMistake(std::string_view value, bool cut) {
  std::size_t at = 0;
  const bool negative = !value.empty() && value[0] == '-';
  if (!value.empty() && (value[0] == '+' || value[0] == '-')) ++at;
  const bool hex = value.substr(at, 2) == "0x";
  if (hex) at += 2;
  const std::size_t digits_start = at;
  while (at < value.size() && (hex ? IsHexDigit(value[at]) : value[at] >= '0' && value[at] <= '9'))
    ++at;
  std::string_view digits = value.substr(digits_start, at - digits_start);
  if (digits.empty()) return hex ? ValueMistake::kJunk : ValueMistake::kNoNumber;
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  unsigned long long magnitude = 0;
  for (const char c : digits.substr(0, 17)) {
    const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<unsigned>(digit);
  }
  const unsigned long long limit = negative ? 2147483648ULL : 2147483647ULL;
  if (digits.size() > 16 || magnitude > limit) return ValueMistake::kBeyond32Bits;
  const std::string_view rest = Trimmed(value.substr(at));
  if (!rest.empty() && rest[0] == ';') return ValueMistake::kTextAfter;
  if (!rest.empty() || cut) return ValueMistake::kJunk;
  return ValueMistake::kUnusualForm;
}

ValueMistake ValueMistakeOf(std::string_view written, bool cut) {
  const std::string_view value = Trimmed(written);
  if (value.empty()) return ValueMistake::kEmpty;
  const char quote = value[0];
  if (quote != '"' && quote != '\'') return BareValueMistake(value, cut);
  if (cut) return ValueMistake::kJunk;
  if (value.size() < 2 || value.back() != quote) return ValueMistake::kUnclosedQuote;
  const std::string_view inner = Trimmed(value.substr(1, value.size() - 2));
  const ValueMistake mistake =
      inner.empty() ? ValueMistake::kEmpty : BareValueMistake(inner, false);
  // Quotes around a number read as written are only unusual.
  const bool as_written =
      mistake == ValueMistake::kUnusualForm || mistake == ValueMistake::kTextAfter;
  return as_written ? ValueMistake::kQuoted : mistake;
}

// Each value mistake's CSV code, in the order of ValueMistake; its words
// are the texts from CheckText::kEmptyValue on, in the same order.
constexpr const char* kValueMistakeCodes[] = {
    "empty_value",    "not_a_number", "not_plain_number", "beyond_32_bits",
    "unclosed_quote", "quoted_value", "unusual_number",   "text_after_number"};

FindingSeverity SeverityOf(ValueMistake mistake) {
  return mistake >= ValueMistake::kQuoted ? FindingSeverity::kNote : FindingSeverity::kError;
}

CheckText WordsOf(ValueMistake mistake) {
  return static_cast<CheckText>(static_cast<int>(CheckText::kEmptyValue) +
                                static_cast<int>(mistake));
}

// ---- Findings as the check collects them -------------------------------

struct Collector {
  int table = 0;
  int listed = 0;
  TableFileCheck* check = nullptr;
  bool not_text = false;
  int saturated_line = 0;  // the line of a value beyond 32 bits
  int outside_first = 0, outside_last = 0;
  std::int64_t outside_count = 0;
  int unclosed_in_row[kItemGradeCount] = {};     // the first '[' without ']' in a row's section
  bool named_by_unclosed[kItemGradeCount] = {};  // a row an unclosed section names
  std::string hinted_section[kItemGradeCount];   // the finding whose hint names the row
  std::string second_section[kItemGradeCount];   // the first repeat of a row's section
  std::string hinted_key[kItemGradeCount][kUpgradeLevelCount];
};

int OrderKey(const TableFinding& f) { return f.line > 0 ? f.line : INT_MAX; }

std::string Located(const std::string& file, int line) {
  return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
}

void MarkCell(Collector& c, int row, int column, const std::string& text) {
  if (row < 0 || row >= kItemGradeCount || column < 0 || column >= kUpgradeLevelCount) return;
  std::string& mark = c.check->cell_error[row][column];
  if (mark.empty()) mark = text;
}

void MarkRow(Collector& c, int row, const std::string& text) {
  for (int column = 0; column < kUpgradeLevelCount; ++column) MarkCell(c, row, column, text);
}

// Counts the finding, and keeps it while it is among the first in line
// order: the list stays sorted, and at most c.listed long.
void Add(Collector& c, TableFinding finding) {
  TableFileCheck& check = *c.check;
  ++(finding.severity == FindingSeverity::kError ? check.errors : check.notes);
  if (finding.severity == FindingSeverity::kError)
    MarkCell(c, finding.row, finding.column, Located(check.file, finding.line) + finding.message);
  std::vector<TableFinding>& list = check.listed;
  if (c.listed <= 0) return;
  if (static_cast<int>(list.size()) >= c.listed && OrderKey(finding) >= OrderKey(list.back()))
    return;
  const auto at =
      std::upper_bound(list.begin(), list.end(), OrderKey(finding),
                       [](int key, const TableFinding& f) { return key < OrderKey(f); });
  list.insert(at, std::move(finding));
  if (static_cast<int>(list.size()) > c.listed) list.pop_back();
}

TableFinding Finding(int line, const char* code, FindingSeverity severity, int row, int column,
                     std::string message) {
  return {line, code, severity, row, column, false, 0, std::move(message), ""};
}

std::string NotTextMessage(Language language, IniTextForm form) {
  CheckText what = CheckText::kBinary;
  if (form == IniTextForm::kUtf16LeWithoutMark || form == IniTextForm::kUtf16BeWithoutMark)
    what = CheckText::kUtf16WithoutMark;
  if (form == IniTextForm::kUtf32) what = CheckText::kUtf32;
  return Say(language, CheckText::kNotText, {Say(language, what)});
}

// "[ItemGarde3]": not read, and maybe meant as a row of ours.
void AddForeignSection(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  const std::string shown = "[" + Shown(f.written, f.cut);
  std::string name(f.written);
  if (const std::size_t bracket = name.rfind(']'); bracket != std::string::npos)
    name.resize(bracket);
  const int beyond = IniNameIndex(name, kItemGradeSectionStem, INT_MAX / 10);
  std::string message = Say(
      language, beyond >= kItemGradeCount ? CheckText::kSectionBeyond : CheckText::kForeignSection,
      {shown});
  const int hint =
      beyond >= 0 ? -1 : NearestNameIndex(name, kItemGradeSectionStem, kItemGradeCount);
  if (hint >= 0) {
    message += Say(language, CheckText::kMaybe, {Section(hint)});
    if (c.hinted_section[hint].empty())
      c.hinted_section[hint] = Located(c.check->file, f.line) + message;
  }
  TableFinding finding =
      Finding(f.line, "foreign_section", FindingSeverity::kError, -1, -1, message);
  finding.name = Shown(Trimmed(name), f.cut);
  Add(c, std::move(finding));
}

// "# words" is no comment to the Windows reader: it is a key, or a line of
// nothing.
std::string HashWords(Language language, const IniFinding& f) {
  return !f.written.empty() && f.written[0] == '#' ? Say(language, CheckText::kHashWords) : "";
}

void AddForeignKey(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  const std::string shown = Shown(f.written, f.cut);
  const int beyond = IniNameIndex(f.written, kUpgradeLevelKeyStem, INT_MAX / 10);
  std::string message =
      Say(language, beyond >= kUpgradeLevelCount ? CheckText::kKeyBeyond : CheckText::kForeignKey,
          {shown, Section(f.row)});
  message += HashWords(language, f);
  const int hint =
      beyond >= 0 ? -1 : NearestNameIndex(f.written, kUpgradeLevelKeyStem, kUpgradeLevelCount);
  if (hint >= 0) {
    message += Say(language, CheckText::kMaybe, {Key(hint)});
    std::string& hinted = c.hinted_key[f.row][hint];
    if (hinted.empty()) hinted = Located(c.check->file, f.line) + message;
  }
  TableFinding finding =
      Finding(f.line, "foreign_key", FindingSeverity::kError, f.row, -1, message);
  finding.name = Shown(Trimmed(f.written), f.cut);
  Add(c, std::move(finding));
}

void AddUnclosedSection(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  std::string message = Say(language, CheckText::kUnclosedSection, {Shown(f.written, f.cut)});
  message += f.row >= 0 ? Say(language, CheckText::kUnclosedInSection, {Section(f.row)})
                        : Say(language, CheckText::kUnclosedOutside);
  if (f.row >= 0 && c.unclosed_in_row[f.row] == 0) c.unclosed_in_row[f.row] = f.line;
  if (f.column >= 0 && f.column < kItemGradeCount) {
    c.named_by_unclosed[f.column] = true;
    MarkRow(c, f.column, Located(c.check->file, f.line) + message);
  }
  Add(c, Finding(f.line, "unclosed_section", FindingSeverity::kError, f.row, -1, message));
}

void AddValue(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  const ValueMistake mistake = ValueMistakeOf(f.written, f.cut);
  // A value beyond 32 bits is outside any scale too: one finding says both.
  c.saturated_line = mistake == ValueMistake::kBeyond32Bits ? f.line : 0;
  TableFinding finding = Finding(f.line, kValueMistakeCodes[static_cast<int>(mistake)],
                                 SeverityOf(mistake), f.row, f.column,
                                 Say(language, CheckText::kValue,
                                     {Shown(f.written, f.cut), Cell(language, f.row, f.column),
                                      Say(language, WordsOf(mistake)), std::to_string(f.read_as)}));
  finding.has_value = true;
  finding.read_as = f.read_as;
  Add(c, std::move(finding));
}

// The scale of DestroyProb and DowngradeProb is 0…kLossScale; a weight of
// success may be any size but not below 0.
void AddCellRead(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  const std::int32_t v = f.read_as;
  if (c.saturated_line == f.line) return;
  const bool success = c.table == kSuccessTable;
  if (success ? v >= 0 : v >= 0 && v <= kLossScale) return;
  const std::string scale =
      success ? Say(language, CheckText::kNegativeWeight)
              : Say(language, CheckText::kLossScale, {std::to_string(kLossScale)});
  TableFinding finding = Finding(f.line, "outside_scale", FindingSeverity::kError, f.row, f.column,
                                 Say(language, CheckText::kOutsideScale,
                                     {std::to_string(v), Cell(language, f.row, f.column), scale}));
  finding.has_value = true;
  finding.read_as = v;
  Add(c, std::move(finding));
}

void AddNameForm(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  const bool section = f.column < 0;
  const std::string message =
      section
          ? Say(language, CheckText::kSectionForm, {Shown(f.written, f.cut), Section(f.row)})
          : Say(language, CheckText::kKeyForm, {Shown(Trimmed(f.written), f.cut), Key(f.column)});
  Add(c, Finding(f.line, "name_form", FindingSeverity::kNote, f.row, f.column, message));
}

// A second section or key, a key without '=', a stray line.
void TakeLineFinding(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  switch (f.kind) {
    case IniFindingKind::kSecondSection: {
      TableFinding finding = Finding(
          f.line, "second_section", FindingSeverity::kError, f.row, -1,
          Say(language, CheckText::kSecondSection, {Section(f.row), std::to_string(f.first_line)}));
      std::string& second = c.second_section[f.row];
      if (second.empty()) second = Located(c.check->file, f.line) + finding.message;
      Add(c, std::move(finding));
      return;
    }
    case IniFindingKind::kSecondKey:
      // Keys after a '[' without ']' that fall into the section before it.
      if (c.unclosed_in_row[f.row] != 0 && f.line > c.unclosed_in_row[f.row]) return;
      Add(c, Finding(f.line, "second_key", FindingSeverity::kError, f.row, f.column,
                     Say(language, CheckText::kSecondKey,
                         {Cell(language, f.row, f.column), std::to_string(f.first_line)})));
      return;
    case IniFindingKind::kKeyWithoutValue: {
      TableFinding finding =
          Finding(f.line, "key_without_value", FindingSeverity::kError, f.row, f.column,
                  Say(language, CheckText::kKeyWithoutValue, {Cell(language, f.row, f.column)}));
      finding.has_value = true;
      Add(c, std::move(finding));
      return;
    }
    case IniFindingKind::kStrayLine:
      Add(c, Finding(f.line, "stray_line", FindingSeverity::kError, f.row, -1,
                     Say(language, CheckText::kStrayLine, {Shown(f.written, f.cut)}) +
                         HashWords(language, f)));
      return;
    default:
      return;
  }
}

void Take(Collector& c, const IniFinding& f) {
  const Language language = c.check->language;
  if (c.not_text) return;
  switch (f.kind) {
    case IniFindingKind::kNotText:
      c.not_text = true;
      Add(c, Finding(0, "not_text", FindingSeverity::kError, -1, -1,
                     NotTextMessage(language, f.text_form)));
      for (int row = 0; row < kItemGradeCount; ++row)
        MarkRow(c, row, c.check->file + ": " + NotTextMessage(language, f.text_form));
      return;
    case IniFindingKind::kCellRead:
      AddCellRead(c, f);
      return;
    case IniFindingKind::kOutsideSection:
      if (c.outside_count++ == 0) c.outside_first = f.line;
      c.outside_last = f.line;
      return;
    case IniFindingKind::kForeignSection:
      AddForeignSection(c, f);
      return;
    case IniFindingKind::kForeignKey:
      AddForeignKey(c, f);
      return;
    case IniFindingKind::kUnclosedSection:
      AddUnclosedSection(c, f);
      return;
    case IniFindingKind::kNotPlainNumber:
      AddValue(c, f);
      return;
    case IniFindingKind::kNameForm:
      AddNameForm(c, f);
      return;
    case IniFindingKind::kSecondSection:
    case IniFindingKind::kSecondKey:
    case IniFindingKind::kKeyWithoutValue:
    case IniFindingKind::kStrayLine:
      TakeLineFinding(c, f);
      return;
  }
}

void AddOutsideSections(Collector& c) {
  const Language language = c.check->language;
  if (c.outside_count == 0) return;
  const std::string message =
      c.outside_count == 1 ? Say(language, CheckText::kOneLineBefore)
                           : Say(language, CheckText::kLinesBefore,
                                 {std::to_string(c.outside_first), std::to_string(c.outside_last),
                                  std::to_string(c.outside_count)});
  Add(c, Finding(c.outside_first, "outside_section", FindingSeverity::kError, -1, -1, message));
}

// What is given nowhere, unless a finding before has said why.
void AddCellsGivenNowhere(Collector& c, const IniGridCheck& read) {
  const Language language = c.check->language;
  for (int row = 0; row < kItemGradeCount; ++row) {
    if (read.section_line[row] == 0) {
      if (c.named_by_unclosed[row]) continue;
      if (!c.hinted_section[row].empty()) {
        MarkRow(c, row, c.hinted_section[row]);
        continue;
      }
      TableFinding finding = Finding(0, "cells_missing", FindingSeverity::kError, row, -1,
                                     Say(language, CheckText::kNoSection, {Section(row)}));
      finding.has_value = true;
      MarkRow(c, row, Located(c.check->file, 0) + finding.message);
      Add(c, std::move(finding));
      continue;
    }
    std::string missing;
    std::vector<int> columns;
    for (int column = 0; column < kUpgradeLevelCount; ++column) {
      if (read.cell_line[row][column] != 0) continue;
      // A key named nearly right, or a section split in two, says why.
      const std::string& why =
          c.hinted_key[row][column].empty() ? c.second_section[row] : c.hinted_key[row][column];
      if (!why.empty()) {
        MarkCell(c, row, column, why);
        continue;
      }
      missing += (missing.empty() ? "" : ", ") + Key(column);
      columns.push_back(column);
    }
    if (missing.empty()) continue;
    TableFinding finding =
        Finding(read.section_line[row], "cells_missing", FindingSeverity::kError, row, -1,
                Say(language, CheckText::kCellsMissing, {Section(row), missing}));
    finding.has_value = true;
    for (const int column : columns)
      MarkCell(c, row, column, Located(c.check->file, finding.line) + finding.message);
    Add(c, std::move(finding));
  }
}

void Finish(Collector& c, const IniGridCheck& read) {
  if (c.not_text) return;
  AddOutsideSections(c);
  AddCellsGivenNowhere(c, read);
}

TableFileCheck NewCheck(int table, Language language) {
  TableFileCheck check;
  check.language = language;
  check.file = kProbabilityFilePaths[std::clamp(table, 0, kTableCount - 1)];
  return check;
}

// A file that is not there or cannot be read: one finding for every cell.
// other_case names a file that would be it but for letter case, or is "".
void AddFileProblem(Collector& c, const FileOpening& opening, const std::string& other_case) {
  const Language language = c.check->language;
  const std::string& file = c.check->file;
  const char* code = "missing_file";
  std::string message = Say(language, CheckText::kMissingFile);
  if (opening.state == FileState::kUnreadable) {
    code = "unreadable_file";
    message = Say(language, CheckText::kUnreadableFile, {opening.reason});
  } else if (opening.state == FileState::kNotAFile) {
    code = "not_a_file";
    message = Say(language, CheckText::kNotAFile);
  } else if (!other_case.empty()) {
    message = Say(language, CheckText::kOtherCase, {other_case, file});
  }
  Add(c, Finding(0, code, FindingSeverity::kError, -1, -1, message));
  const std::string located = Located(file, 0) + message;
  for (int row = 0; row < kItemGradeCount; ++row) MarkRow(c, row, located);
}

// A count in the form its number takes: one is the first of three texts
// in a row, for 1, 21, ...; then for 2 to 4, 22 to 24, ...; then the rest.
std::string CountText(Language language, std::int64_t n, CheckText one) {
  return Say(language, static_cast<CheckText>(static_cast<int>(one) + CountForm(language, n)),
             {std::to_string(n)});
}

const char* SeverityName(FindingSeverity severity) {
  return severity == FindingSeverity::kError ? "error" : "note";
}

std::int64_t Unlisted(const TableFileCheck& check) {
  return check.errors + check.notes - static_cast<std::int64_t>(check.listed.size());
}

std::string MoreText(const TableFileCheck& check) {
  const Language language = check.language;
  if (Unlisted(check) <= 0) return "";
  return Located(check.file, 0) +
         Say(language, CheckText::kMore,
             {std::to_string(Unlisted(check)), std::to_string(check.errors + check.notes)});
}

// What collects one file's findings into check, the first listed of them kept.
Collector CollectorFor(int table, int listed, TableFileCheck* check) {
  Collector c;
  c.table = table;
  c.listed = listed;
  c.check = check;
  return c;
}

}  // namespace

TableFileCheck CheckTableText(int table, std::string_view text, bool found, int listed,
                              Language language) {
  TableFileCheck check = NewCheck(table, language);
  Collector c = CollectorFor(table, listed, &check);
  if (!found) {
    AddFileProblem(c, FileOpening{FileState::kMissing, ""}, "");
    return check;
  }
  const IniGridCheck read = CheckIniGridFromText(text, kProbabilityTableLayout,
                                                 [&c](const IniFinding& f) { Take(c, f); });
  Finish(c, read);
  return check;
}

TableFileCheck CheckTableGrid(int table, const ProbabilityTable& grid, int listed,
                              Language language) {
  TableFileCheck check = NewCheck(table, language);
  Collector c = CollectorFor(table, listed, &check);
  for (int row = 0; row < kItemGradeCount; ++row) {
    for (int column = 0; column < kUpgradeLevelCount; ++column) {
      IniFinding f{};
      f.kind = IniFindingKind::kCellRead;
      f.line = WrittenIniLine(kProbabilityTableLayout, row, column);
      f.row = row;
      f.column = column;
      f.read_as = grid.entry[row][column];
      AddCellRead(c, f);
    }
  }
  return check;
}

TableFileCheck CheckTableFile(int table, int listed, Language language) {
  TableFileCheck check = NewCheck(table, language);
  Collector c = CollectorFor(table, listed, &check);
  FileOpening opening;
  const IniGridCheck read = CheckIniGridFromFile(
      check.file, kProbabilityTableLayout, [&c](const IniFinding& f) { Take(c, f); }, &opening);
  if (opening.state == FileState::kRead) {
    Finish(c, read);
  } else {
    AddFileProblem(c, opening,
                   opening.state == FileState::kMissing ? SameNameInOtherCase(check.file) : "");
  }
  return check;
}

std::array<TableFileCheck, 3> CheckTableFiles(int listed, Language language) {
  return {CheckTableFile(0, listed, language), CheckTableFile(1, listed, language),
          CheckTableFile(2, listed, language)};
}

std::string TableCheckText(const TableFileCheck& check) {
  std::string text;
  for (const TableFinding& f : check.listed) text += Located(check.file, f.line) + f.message + "\n";
  if (Unlisted(check) > 0) text += MoreText(check) + "\n";
  return text;
}

std::string TableCheckSummary(const TableFileCheck& check) {
  const Language language = check.language;
  if (check.errors + check.notes == 0) return "";
  return Located(check.file, 0) +
         Say(language, CheckText::kSummary,
             {CountText(language, check.errors, CheckText::kErrorsOne),
              CountText(language, check.notes, CheckText::kNotesOne)}) +
         "\n";
}

const char* const kTableCheckCsvHeader = "file,line,finding,section,key,read_as,severity\n";

namespace {

// A field quoted where it holds a comma or a quote.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string TableCheckCsv(const TableFileCheck& check) {
  std::string text;
  for (const TableFinding& f : check.listed) {
    const std::string section = f.row >= 0 ? Section(f.row) : CsvField(f.name);
    const std::string key = f.column >= 0 ? Key(f.column) : f.row >= 0 ? CsvField(f.name) : "";
    text.append(check.file).append(",").append(f.line > 0 ? std::to_string(f.line) : "");
    text.append(",").append(f.code).append(",").append(section).append(",").append(key);
    text.append(",").append(f.has_value ? std::to_string(f.read_as) : "").append(",");
    text.append(SeverityName(f.severity)).append("\n");
  }
  if (Unlisted(check) > 0)
    text += check.file + ",,more_findings,,," + std::to_string(Unlisted(check)) + ",\n";
  return text;
}

std::string TableFindingsData(const TableFileCheck& check) {
  return JsonArrayOf(check.listed, [&check](const TableFinding& f) {
    return JsonObject({{"line", JsonInteger(f.line)},
                       {"finding", JsonString(f.code)},
                       {"severity", JsonString(SeverityName(f.severity))},
                       {"row", JsonInteger(f.row)},
                       {"column", JsonInteger(f.column)},
                       {"text", JsonString(Located(check.file, f.line) + f.message + "\n")}});
  });
}

std::string TableFindingCountsData(const TableFileCheck& check) {
  std::string summary = TableCheckSummary(check);
  if (!summary.empty()) summary.pop_back();
  return JsonObject({{"errors", JsonInteger(check.errors)},
                     {"notes", JsonInteger(check.notes)},
                     {"more", JsonInteger(Unlisted(check))},
                     {"more_text", JsonString(MoreText(check))},
                     {"summary", JsonString(summary)}});
}

std::string TableCellErrorsData(const TableFileCheck& check) {
  std::vector<std::string> cells;
  for (const auto& row : check.cell_error)
    std::transform(row.begin(), row.end(), std::back_inserter(cells), JsonString);
  return JsonArray(cells);
}
