#include "platform/ini_reader.h"

#include <algorithm>
#include <iterator>
#include <string>

// The text is read as a stream of characters, each looked at once: a line
// is never held, only the little that the rules need of it (how much of a
// wanted name has matched, the number read so far). That keeps the cost in
// proportion to the text and the memory fixed, for lines of any length.

namespace {

constexpr std::size_t kChunkSize = std::size_t{16} * 1024;

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool IsLineEnd(unsigned char c) { return c == '\n' || c == '\r'; }

bool IsDecimalDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// For a letter, setting bit 0x20 gives its lower case; no other character
// then equals a lower-case letter, so this folds exactly the letter's cases.
bool SameLetter(unsigned char c, char lower_stem_letter) {
  return (c | 0x20) == static_cast<unsigned char>(lower_stem_letter);
}

// The digit's value in base 10 or 16, or -1 when c is no digit of that base.
int DigitValue(unsigned char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

// ---- Numbers --------------------------------------------------------------

enum class NumberStage { kLead, kSigned, kZero, kZeroX, kDigits, kDone };

struct NumberScan {
  NumberStage stage = NumberStage::kLead;
  bool negative = false;
  int base = 10;
  std::int64_t magnitude = 0;
};

// Adds a digit of the number's base; false when c is none. Accumulating
// toward the limit of the sign's side keeps -2147483648 exact.
bool AddDigit(NumberScan& number, unsigned char c) {
  const int digit = DigitValue(c, number.base);
  if (digit < 0) return false;
  const std::int64_t limit = number.negative ? 2147483648LL : 2147483647LL;
  number.stage = NumberStage::kDigits;
  number.magnitude = std::min(limit, number.magnitude * number.base + digit);
  return true;
}

// Takes the next character of a value; false once the number is complete
// and no later character can change it.
bool FeedNumber(NumberScan& number, unsigned char c) {
  switch (number.stage) {
    case NumberStage::kLead:
      if (IsBlank(c)) return true;
      if (c == '+' || c == '-') {
        number.negative = c == '-';
        number.stage = NumberStage::kSigned;
        return true;
      }
      [[fallthrough]];
    case NumberStage::kSigned:
      if (c == '0') {
        number.stage = NumberStage::kZero;
        return true;
      }
      if (AddDigit(number, c)) return true;
      break;
    case NumberStage::kZero:
      // Only a lower-case "0x" makes a hex number, as with the Windows reader.
      if (c == 'x') {
        number.stage = NumberStage::kZeroX;
        number.base = 16;
        return true;
      }
      [[fallthrough]];
    case NumberStage::kZeroX:  // "0x" without a hex digit after it is 0
    case NumberStage::kDigits:
      if (AddDigit(number, c)) return true;
      break;
    case NumberStage::kDone:
      return false;
  }
  number.stage = NumberStage::kDone;
  return false;
}

std::int32_t NumberValue(const NumberScan& number) {
  return static_cast<std::int32_t>(number.negative ? -number.magnitude : number.magnitude);
}

// ---- Names ----------------------------------------------------------------

// How far a name has gone as "<stem><index>" with blanks around it.
enum class NameStage { kLead, kStem, kIndex, kTail, kWrong };

struct NameMatch {
  NameStage stage = NameStage::kLead;
  std::size_t stem_matched = 0;
  int index = -1;  // -1 before its first digit
};

constexpr std::size_t kMaxStemLength = 24;

// A lower-case stem, and how many indexes its names have.
struct NameRule {
  char stem[kMaxStemLength];
  std::size_t length;
  int count;
};

// The index in plain decimal: no leading zero, below count.
bool AddIndexDigit(int& index, unsigned char c, int count) {
  if (index == 0) return false;
  const int next = (index < 0 ? 0 : index * 10) + (c - '0');
  if (next >= count) return false;
  index = next;
  return true;
}

void FeedName(NameMatch& name, const NameRule& rule, unsigned char c) {
  switch (name.stage) {
    case NameStage::kLead:
      if (IsBlank(c)) return;
      name.stage = NameStage::kStem;
      [[fallthrough]];
    case NameStage::kStem:
      if (name.stem_matched < rule.length) {
        const bool same = SameLetter(c, rule.stem[name.stem_matched++]);
        if (!same) name.stage = NameStage::kWrong;
        return;
      }
      name.stage = NameStage::kIndex;
      [[fallthrough]];
    case NameStage::kIndex:
      if (IsDecimalDigit(c) && AddIndexDigit(name.index, c, rule.count)) return;
      name.stage = IsBlank(c) && name.index >= 0 ? NameStage::kTail : NameStage::kWrong;
      return;
    case NameStage::kTail:
      if (!IsBlank(c)) name.stage = NameStage::kWrong;
      return;
    case NameStage::kWrong:
      return;
  }
}

// The index the name read so far stands for, or -1 when it is none of ours.
int NameIndex(const NameMatch& name) {
  const bool whole = name.stage == NameStage::kIndex || name.stage == NameStage::kTail;
  return whole ? name.index : -1;
}

// ---- Lines ----------------------------------------------------------------

enum class LineStage {
  kStart,      // blanks before the line's first character
  kSkip,       // nothing more on this line can matter
  kSection,    // after '['
  kKeyName,    // before '='
  kValueLead,  // blanks after '='
  kValue,      // the value itself
  kValueTail,  // after the value's number, when checking
};

enum class TextEncoding { kUndecided, kBytes, kUtf16Le, kUtf16Be };

constexpr int kNoClosingBracket = -2;

struct IniScan {
  NameRule section_rule;
  NameRule key_rule;
  IniGrid grid{};
  bool found[kMaxIniGridSide][kMaxIniGridSide] = {};
  bool opened[kMaxIniGridSide] = {};
  int section_row = -1;  // the row whose keys are being read, or -1

  // The line being read.
  LineStage stage = LineStage::kStart;
  NameMatch name;
  int header_row = kNoClosingBracket;  // what the name up to the last ']' stands for
  int column = 0;                      // the cell a value goes to
  unsigned char quote = 0;
  bool quote_closed = false;  // the last non-blank after the quote is the quote
  NumberScan number;

  // How the bytes are turned into characters.
  TextEncoding encoding = TextEncoding::kUndecided;
  unsigned char head[3] = {};
  std::size_t head_length = 0;
  int pending_byte = -1;  // the first byte of a UTF-16 code unit

  // Checking: every finding told, lines counted, and what a line wrote kept.
  const IniFindingSink* sink = nullptr;
  int line = 1;
  bool after_cr = false;
  bool any_section = false;
  std::string written;
  int section_line[kMaxIniGridSide] = {};
  int cell_line[kMaxIniGridSide][kMaxIniGridSide] = {};
};

constexpr std::size_t kMaxWritten = 40;

void Keep(IniScan& scan, unsigned char c) {
  if (scan.sink != nullptr && scan.written.size() < kMaxWritten)
    scan.written += static_cast<char>(c);
}

void Tell(const IniScan& scan, IniFindingKind kind, int column, int first_line = 0) {
  if (scan.sink == nullptr) return;
  (*scan.sink)(IniFinding{kind, scan.line, scan.section_row, column, scan.written,
                          NumberValue(scan.number), first_line});
}

// Only the first section of a name counts; a repeat of it, or a section of
// another name, takes the keys after it out of the grid.
void OpenSection(IniScan& scan, int row) {
  scan.section_row = -1;
  scan.any_section = true;
  if (row < 0) {
    Tell(scan, IniFindingKind::kForeignSection, -1);
    return;
  }
  if (scan.opened[row]) {
    scan.section_row = row;  // for the finding only
    Tell(scan, IniFindingKind::kSecondSection, -1, scan.section_line[row]);
    scan.section_row = -1;
    return;
  }
  scan.opened[row] = true;
  scan.section_row = row;
  scan.section_line[row] = scan.line;
}

// The first key of a name counts, with or without a value.
bool TakeKey(IniScan& scan, int column) {
  if (column < 0) {
    Tell(scan, IniFindingKind::kForeignKey, -1);
    return false;
  }
  bool& found = scan.found[scan.section_row][column];
  if (found) {
    Tell(scan, IniFindingKind::kSecondKey, column, scan.cell_line[scan.section_row][column]);
    return false;
  }
  found = true;
  scan.cell_line[scan.section_row][column] = scan.line;
  return true;
}

// A value written as anything but its number in plain decimal.
void CheckValue(IniScan& scan) {
  if (scan.sink == nullptr) return;
  std::string_view written = scan.written;
  while (!written.empty() && IsBlank(static_cast<unsigned char>(written.back())))
    written.remove_suffix(1);
  if (written != std::to_string(NumberValue(scan.number)))
    Tell(scan, IniFindingKind::kNotPlainNumber, scan.column);
}

void StoreValue(IniScan& scan) {
  scan.grid.cell[scan.section_row][scan.column] = NumberValue(scan.number);
}

void EndLine(IniScan& scan) {
  switch (scan.stage) {
    case LineStage::kSection:
      if (scan.header_row != kNoClosingBracket) {
        OpenSection(scan, scan.header_row);
      } else {
        Tell(scan, IniFindingKind::kStrayLine, -1);  // '[' without ']'
      }
      break;
    case LineStage::kKeyName:
      if (NameIndex(scan.name) < 0) {
        Tell(scan, IniFindingKind::kStrayLine, -1);      // no key of ours, and no '='
      } else if (TakeKey(scan, NameIndex(scan.name))) {  // a key without '=' reads 0
        scan.number = NumberScan{};
        Tell(scan, IniFindingKind::kKeyWithoutValue, NameIndex(scan.name));
      }
      break;
    case LineStage::kValue:
      // A quoted value counts only when the same quote closes it.
      if (scan.quote == 0 || scan.quote_closed) StoreValue(scan);
      CheckValue(scan);
      break;
    case LineStage::kValueLead:
    case LineStage::kValueTail:
      CheckValue(scan);
      break;
    default:
      break;
  }
  scan.stage = LineStage::kStart;
}

void StartLine(IniScan& scan, unsigned char c) {
  if (IsBlank(c)) return;
  scan.name = NameMatch{};
  scan.written.clear();
  if (c == '[') {
    scan.header_row = kNoClosingBracket;
    scan.stage = LineStage::kSection;
  } else if (c == ';' || scan.section_row < 0) {
    scan.stage = LineStage::kSkip;  // a comment, or a key of no section of ours
    if (c != ';' && !scan.any_section) Tell(scan, IniFindingKind::kOutsideSection, -1);
  } else {
    scan.stage = LineStage::kKeyName;
    Keep(scan, c);
    FeedName(scan.name, scan.key_rule, c);
  }
}

// The name runs to the last ']' on the line, as the Windows reader has it:
// each ']' may close it, and the last one does.
void FeedSection(IniScan& scan, unsigned char c) {
  if (c == ']') scan.header_row = NameIndex(scan.name);
  Keep(scan, c);
  FeedName(scan.name, scan.section_rule, c);
}

void FeedKeyName(IniScan& scan, unsigned char c) {
  if (c == '=') {
    scan.column = NameIndex(scan.name);
    scan.stage = TakeKey(scan, scan.column) ? LineStage::kValueLead : LineStage::kSkip;
    scan.number = NumberScan{};
    scan.quote = 0;
    scan.quote_closed = false;
    scan.written.clear();
    return;
  }
  Keep(scan, c);
  FeedName(scan.name, scan.key_rule, c);
  // Checking reads on to tell a wrong key from a line that is none.
  if (scan.name.stage == NameStage::kWrong && scan.sink == nullptr) scan.stage = LineStage::kSkip;
}

void FeedValue(IniScan& scan, unsigned char c) {
  if (scan.stage == LineStage::kValueLead && IsBlank(c)) return;
  Keep(scan, c);
  if (scan.stage == LineStage::kValueTail) return;
  if (scan.stage == LineStage::kValueLead) {
    scan.stage = LineStage::kValue;
    if (c == '"' || c == '\'') {
      scan.quote = c;
      return;
    }
  }
  if (scan.quote != 0) {
    if (!IsBlank(c)) scan.quote_closed = c == scan.quote;
    (void)FeedNumber(scan.number, c);
  } else if (!FeedNumber(scan.number, c)) {
    StoreValue(scan);
    scan.stage = scan.sink != nullptr ? LineStage::kValueTail : LineStage::kSkip;
  }
}

// Where a stem's letters come one after another, they are matched in a run;
// the character that ends the run takes the general way.
const unsigned char* MatchStemRun(NameMatch& name, const NameRule& rule, const unsigned char* p,
                                  const unsigned char* end) {
  std::size_t matched = name.stem_matched;
  while (p < end && matched < rule.length && SameLetter(*p, rule.stem[matched])) {
    ++p;
    ++matched;
  }
  name.stem_matched = matched;
  return p;
}

// The same for the digits of a plain decimal value.
const unsigned char* ReadDigitRun(NumberScan& number, const unsigned char* p,
                                  const unsigned char* end) {
  const std::int64_t limit = number.negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = number.magnitude;
  for (; p < end && IsDecimalDigit(*p); ++p)
    magnitude = std::min(limit, magnitude * 10 + (*p - '0'));
  number.magnitude = magnitude;
  return p;
}

void ScanChars(IniScan& scan, const unsigned char* p, const unsigned char* end) {
  while (p < end) {
    switch (scan.stage) {
      case LineStage::kSkip:  // most characters of a large file are on lines that do not matter
        while (p < end && !IsLineEnd(*p)) ++p;
        break;
      case LineStage::kSection:
      case LineStage::kKeyName:
        if (scan.name.stage == NameStage::kStem && scan.sink == nullptr) {
          const bool key = scan.stage == LineStage::kKeyName;
          p = MatchStemRun(scan.name, key ? scan.key_rule : scan.section_rule, p, end);
        }
        break;
      case LineStage::kValue:
        if (scan.quote == 0 && scan.number.stage == NumberStage::kDigits &&
            scan.number.base == 10 && scan.sink == nullptr)
          p = ReadDigitRun(scan.number, p, end);
        break;
      default:
        break;
    }
    if (p == end) return;
    const unsigned char c = *p++;
    switch (IsLineEnd(c) ? LineStage::kSkip : scan.stage) {
      case LineStage::kSkip:
        EndLine(scan);  // CR LF is a line end and an empty line
        // ... but one text line.
        if (IsLineEnd(c) && !(c == '\n' && scan.after_cr)) ++scan.line;
        scan.after_cr = c == '\r';
        continue;
      case LineStage::kStart:
        StartLine(scan, c);
        break;
      case LineStage::kSection:
        FeedSection(scan, c);
        break;
      case LineStage::kKeyName:
        FeedKeyName(scan, c);
        break;
      case LineStage::kValueLead:
      case LineStage::kValue:
      case LineStage::kValueTail:
        FeedValue(scan, c);
        break;
    }
    scan.after_cr = false;
  }
}

// ---- Bytes to characters --------------------------------------------------

// UTF-16 code units become characters one for one. The names and numbers
// the rules look at are ASCII; any other unit is just some other character.
void ScanUtf16(IniScan& scan, const unsigned char* p, const unsigned char* end) {
  unsigned char chars[4096];
  while (p < end) {
    std::size_t count = 0;
    for (; p < end && count < sizeof chars; ++p) {
      if (scan.pending_byte < 0) {
        scan.pending_byte = *p;
        continue;
      }
      const unsigned first = static_cast<unsigned>(scan.pending_byte);
      const unsigned unit =
          scan.encoding == TextEncoding::kUtf16Le ? first | (*p << 8u) : (first << 8u) | *p;
      scan.pending_byte = -1;
      chars[count++] = static_cast<unsigned char>(unit < 0x80 ? unit : 0x80);
    }
    ScanChars(scan, chars, chars + count);
  }
}

// Decides from the first bytes how the text is encoded, once they can no
// longer be the start of a byte-order mark.
void DecideEncoding(IniScan& scan, bool at_end) {
  const unsigned char* head = scan.head;
  if (scan.head_length >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    scan.encoding = TextEncoding::kUtf16Le;
  } else if (scan.head_length >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
    scan.encoding = TextEncoding::kUtf16Be;
  } else if (scan.head_length == 3 || at_end) {
    scan.encoding = TextEncoding::kBytes;
    const bool utf8_mark =
        scan.head_length == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
    if (!utf8_mark) ScanChars(scan, head, head + scan.head_length);
  }
}

void FeedBytes(IniScan& scan, const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  while (scan.encoding == TextEncoding::kUndecided && p < end) {
    scan.head[scan.head_length++] = *p++;
    DecideEncoding(scan, false);
  }
  if (scan.encoding == TextEncoding::kBytes) {
    ScanChars(scan, p, end);
  } else if (scan.encoding != TextEncoding::kUndecided) {
    ScanUtf16(scan, p, end);
  }
}

void FinishText(IniScan& scan) {
  if (scan.encoding == TextEncoding::kUndecided) DecideEncoding(scan, true);
  EndLine(scan);
}

// A stem too long to keep could never match a name of ours.
NameRule MakeNameRule(std::string_view stem, int count) {
  NameRule rule{};
  rule.length = std::min(stem.size(), kMaxStemLength);
  for (std::size_t i = 0; i < rule.length; ++i) rule.stem[i] = static_cast<char>(stem[i] | 0x20);
  rule.count = std::clamp(count, 0, kMaxIniGridSide);
  return rule;
}

IniScan NewScan(const IniGridLayout& layout) {
  IniScan scan;
  scan.section_rule = MakeNameRule(layout.section_stem, layout.rows);
  scan.key_rule = MakeNameRule(layout.key_stem, layout.columns);
  return scan;
}

}  // namespace

std::int32_t ParseIniInteger(std::string_view value) {
  NumberScan number;
  for (std::size_t at = 0; at < value.size() && FeedNumber(number, value[at]); ++at) {
  }
  return NumberValue(number);
}

IniGrid ReadIniGrid(const ByteChunkSource& source, const IniGridLayout& layout) {
  IniScan scan = NewScan(layout);
  char chunk[kChunkSize];
  for (std::size_t got; (got = source(chunk, sizeof chunk)) != 0;)
    FeedBytes(scan, chunk, std::min(got, sizeof chunk));
  FinishText(scan);
  return scan.grid;
}

IniGrid ReadIniGridFromText(std::string_view text, const IniGridLayout& layout) {
  IniScan scan = NewScan(layout);
  FeedBytes(scan, text.data(), text.size());
  FinishText(scan);
  return scan.grid;
}

IniGrid ReadIniGridFromFile(const std::string& path, const IniGridLayout& layout, bool* found) {
  IniGrid grid{};
  const bool read = ReadRegularFile(
      path, [&](const ByteChunkSource& source) { grid = ReadIniGrid(source, layout); });
  if (found != nullptr) *found = read;
  return grid;
}

namespace {

IniGridCheck Checked(const IniScan& scan) {
  IniGridCheck check{};
  check.grid = scan.grid;
  std::copy(std::begin(scan.section_line), std::end(scan.section_line),
            std::begin(check.section_line));
  for (int row = 0; row < kMaxIniGridSide; ++row) {
    std::copy(std::begin(scan.cell_line[row]), std::end(scan.cell_line[row]),
              std::begin(check.cell_line[row]));
  }
  return check;
}

}  // namespace

IniGridCheck CheckIniGridFromText(std::string_view text, const IniGridLayout& layout,
                                  const IniFindingSink& sink) {
  IniScan scan = NewScan(layout);
  scan.sink = &sink;
  FeedBytes(scan, text.data(), text.size());
  FinishText(scan);
  return Checked(scan);
}

IniGridCheck CheckIniGridFromFile(const std::string& path, const IniGridLayout& layout,
                                  const IniFindingSink& sink, bool* found) {
  IniGridCheck check{};
  *found = ReadRegularFile(path, [&](const ByteChunkSource& source) {
    IniScan scan = NewScan(layout);
    scan.sink = &sink;
    char chunk[kChunkSize];
    for (std::size_t got; (got = source(chunk, sizeof chunk)) != 0;)
      FeedBytes(scan, chunk, std::min(got, sizeof chunk));
    FinishText(scan);
    check = Checked(scan);
  });
  return check;
}
