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
  int index = -1;       // -1 before its first digit
  bool exact = true;    // the stem's letters in their own case
  bool blanks = false;  // blanks before or after the name
};

constexpr std::size_t kMaxStemLength = 24;

// A lower-case stem as written and in lower case, and how many indexes its
// names have.
struct NameRule {
  char stem[kMaxStemLength];
  char written[kMaxStemLength];
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
      if (IsBlank(c)) {
        name.blanks = true;
        return;
      }
      name.stage = NameStage::kStem;
      [[fallthrough]];
    case NameStage::kStem:
      if (name.stem_matched < rule.length) {
        name.exact = name.exact && c == static_cast<unsigned char>(rule.written[name.stem_matched]);
        const bool same = SameLetter(c, rule.stem[name.stem_matched++]);
        if (!same) name.stage = NameStage::kWrong;
        return;
      }
      name.stage = NameStage::kIndex;
      [[fallthrough]];
    case NameStage::kIndex:
      if (IsDecimalDigit(c) && AddIndexDigit(name.index, c, rule.count)) return;
      name.blanks = name.blanks || IsBlank(c);
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
  NameMatch header_name;               // the name up to the last ']'
  std::size_t header_written = 0;      // how much of written it is
  int column = 0;                      // the cell a value goes to
  unsigned char quote = 0;
  bool quote_closed = false;  // the last non-blank after the quote is the quote
  NumberScan number;

  // How the bytes are turned into characters.
  TextEncoding encoding = TextEncoding::kUndecided;
  unsigned char head[3] = {};
  std::size_t head_length = 0;
  int pending_byte = -1;        // the first byte of a UTF-16 code unit
  unsigned high_surrogate = 0;  // the first unit of a UTF-16 pair, or 0

  // Checking: every finding told, lines counted, and what a line wrote kept.
  const IniFindingSink* sink = nullptr;
  int line = 1;
  bool after_cr = false;
  bool any_section = false;
  std::string written;  // up to one byte more than is kept, to know it was cut
  int section_line[kMaxIniGridSide] = {};
  int cell_line[kMaxIniGridSide][kMaxIniGridSide] = {};
  // The first bytes, held until they tell whether this is text at all.
  unsigned char sniff[512] = {};
  std::size_t sniff_length = 0;
  bool sniffed = false;
};

void Keep(IniScan& scan, unsigned char c) {
  if (scan.sink != nullptr && scan.written.size() <= kMaxIniWritten)
    scan.written += static_cast<char>(c);
}

void Tell(const IniScan& scan, IniFindingKind kind, int row, int column, std::int32_t read_as,
          int first_line = 0) {
  if (scan.sink == nullptr) return;
  const bool cut = scan.written.size() > kMaxIniWritten;
  (*scan.sink)(IniFinding{kind, scan.line, row, column,
                          cut ? scan.written.substr(0, kMaxIniWritten) : scan.written, cut, read_as,
                          first_line, IniTextForm::kText});
}

void Tell(const IniScan& scan, IniFindingKind kind, int column, int first_line = 0) {
  Tell(scan, kind, scan.section_row, column, 0, first_line);
}

bool UnusualName(const NameMatch& name) { return !name.exact || name.blanks; }

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
  if (UnusualName(scan.header_name)) Tell(scan, IniFindingKind::kNameForm, -1);
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
  if (!scan.name.exact) Tell(scan, IniFindingKind::kNameForm, column);
  return true;
}

// A value written as anything but its number in plain decimal, then the
// cell as read.
void CheckValue(IniScan& scan) {
  if (scan.sink == nullptr) return;
  const std::int32_t read_as = scan.grid.cell[scan.section_row][scan.column];
  std::string_view written = scan.written;
  while (!written.empty() && IsBlank(static_cast<unsigned char>(written.back())))
    written.remove_suffix(1);
  if (written != std::to_string(read_as))
    Tell(scan, IniFindingKind::kNotPlainNumber, scan.section_row, scan.column, read_as);
  Tell(scan, IniFindingKind::kCellRead, scan.section_row, scan.column, read_as);
}

void StoreValue(IniScan& scan) {
  scan.grid.cell[scan.section_row][scan.column] = NumberValue(scan.number);
}

void EndLine(IniScan& scan) {
  switch (scan.stage) {
    case LineStage::kSection:
      if (scan.header_row != kNoClosingBracket) {
        scan.written.resize(std::min(scan.written.size(), scan.header_written));
        OpenSection(scan, scan.header_row);
      } else {
        // The row it names, for what follows from it.
        Tell(scan, IniFindingKind::kUnclosedSection, scan.section_row, NameIndex(scan.name), 0);
      }
      break;
    case LineStage::kKeyName:
      if (NameIndex(scan.name) < 0) {
        Tell(scan, IniFindingKind::kStrayLine, -1);      // no key of ours, and no '='
      } else if (TakeKey(scan, NameIndex(scan.name))) {  // a key without '=' reads 0
        Tell(scan, IniFindingKind::kKeyWithoutValue, NameIndex(scan.name));
        Tell(scan, IniFindingKind::kCellRead, scan.section_row, NameIndex(scan.name), 0);
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
    scan.header_name = NameMatch{};
    scan.header_written = 0;
    scan.stage = LineStage::kSection;
  } else if (c == ';' || scan.section_row < 0) {
    scan.stage = LineStage::kSkip;  // a comment, or a key of no section of ours
    Keep(scan, c);                  // enough to tell what the line meant to be
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
  if (c == ']') {
    scan.header_row = NameIndex(scan.name);
    scan.header_name = scan.name;
    scan.header_written = scan.written.size() + 1;
  }
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

// Appends a code point as UTF-8; returns the new count.
std::size_t PutUtf8(unsigned char* out, std::size_t count, unsigned code) {
  if (code < 0x80) {
    out[count++] = static_cast<unsigned char>(code);
  } else if (code < 0x800) {
    out[count++] = static_cast<unsigned char>(0xC0 | code >> 6);
    out[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out[count++] = static_cast<unsigned char>(0xE0 | code >> 12);
    out[count++] = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
    out[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  } else {
    out[count++] = static_cast<unsigned char>(0xF0 | code >> 18);
    out[count++] = static_cast<unsigned char>(0x80 | (code >> 12 & 0x3F));
    out[count++] = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
    out[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  }
  return count;
}

constexpr unsigned kReplacementCharacter = 0xFFFD;

// One UTF-16 unit into UTF-8; a pair's first unit waits for its second.
std::size_t PutUtf16Unit(IniScan& scan, unsigned char* out, std::size_t count, unsigned unit) {
  const bool high = unit >= 0xD800 && unit < 0xDC00;
  const bool low = unit >= 0xDC00 && unit < 0xE000;
  if (scan.high_surrogate != 0) {
    const unsigned first = scan.high_surrogate;
    scan.high_surrogate = 0;
    if (low) return PutUtf8(out, count, 0x10000 + ((first - 0xD800) << 10) + (unit - 0xDC00));
    count = PutUtf8(out, count, kReplacementCharacter);
  }
  if (high) {
    scan.high_surrogate = unit;
    return count;
  }
  return PutUtf8(out, count, low ? kReplacementCharacter : unit);
}

// UTF-16 code units become UTF-8. The names and numbers the rules look at
// are ASCII; any other character is just some other character, whatever
// its bytes.
void ScanUtf16(IniScan& scan, const unsigned char* p, const unsigned char* end) {
  unsigned char chars[4096];
  while (p < end) {
    std::size_t count = 0;
    for (; p < end && count + 8 <= sizeof chars; ++p) {
      if (scan.pending_byte < 0) {
        scan.pending_byte = *p;
        continue;
      }
      const unsigned first = static_cast<unsigned>(scan.pending_byte);
      const unsigned unit =
          scan.encoding == TextEncoding::kUtf16Le ? first | (*p << 8u) : (first << 8u) | *p;
      scan.pending_byte = -1;
      count = PutUtf16Unit(scan, chars, count, unit);
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

void FeedText(IniScan& scan, const unsigned char* p, const unsigned char* end) {
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

// What the first bytes are: a byte-order mark of UTF-16 says text, one of
// UTF-32 does not; without a mark, zero bytes at every other place are
// UTF-16, at three places in four UTF-32, and many zero or control bytes
// are no text at all.
IniTextForm SniffedForm(const unsigned char* p, std::size_t n) {
  const auto starts = [&](std::string_view mark) {
    return n >= mark.size() && std::equal(mark.begin(), mark.end(), p, [](char a, unsigned char b) {
             return static_cast<unsigned char>(a) == b;
           });
  };
  using namespace std::string_view_literals;
  if (starts("\xFF\xFE\0\0"sv) || starts("\0\0\xFE\xFF"sv)) return IniTextForm::kUtf32;
  if (starts("\xFF\xFE"sv) || starts("\xFE\xFF"sv)) return IniTextForm::kText;
  std::size_t zeros[4] = {}, places[4] = {}, controls = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ++places[i % 4];
    if (p[i] == 0) ++zeros[i % 4];
    if ((p[i] < 0x20 && !IsBlank(p[i]) && !IsLineEnd(p[i])) || p[i] == 0x7F) ++controls;
  }
  // Too few bytes to tell a pattern: zero bytes there are no text.
  if (n < 4) return zeros[0] + zeros[1] + zeros[2] > 0 ? IniTextForm::kBinary : IniTextForm::kText;
  const auto mostly = [&](int at) { return zeros[at] * 4 >= places[at] * 3 && places[at] > 0; };
  const auto seldom = [&](int at) { return zeros[at] * 4 <= places[at]; };
  if (mostly(1) && mostly(2) && mostly(3) && seldom(0)) return IniTextForm::kUtf32;
  if (mostly(0) && mostly(1) && mostly(2) && seldom(3)) return IniTextForm::kUtf32;
  const std::size_t odd = zeros[1] + zeros[3], even = zeros[0] + zeros[2];
  const std::size_t odd_places = places[1] + places[3], even_places = places[0] + places[2];
  if (odd * 2 >= odd_places && odd_places > 0 && even * 8 <= even_places)
    return IniTextForm::kUtf16LeWithoutMark;
  if (even * 2 >= even_places && even_places > 0 && odd * 8 <= odd_places)
    return IniTextForm::kUtf16BeWithoutMark;
  return controls * 16 > n ? IniTextForm::kBinary : IniTextForm::kText;
}

void Sniff(IniScan& scan) {
  scan.sniffed = true;
  const IniTextForm form = SniffedForm(scan.sniff, scan.sniff_length);
  if (form != IniTextForm::kText) {
    IniFinding finding{IniFindingKind::kNotText, 0, -1, -1, "", false, 0, 0, form};
    (*scan.sink)(finding);
  }
  FeedText(scan, scan.sniff, scan.sniff + scan.sniff_length);
}

void FeedBytes(IniScan& scan, const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  if (scan.sink != nullptr && !scan.sniffed) {
    const std::size_t take =
        std::min(sizeof scan.sniff - scan.sniff_length, static_cast<std::size_t>(end - p));
    std::copy_n(p, take, scan.sniff + scan.sniff_length);
    scan.sniff_length += take;
    p += take;
    if (scan.sniff_length < sizeof scan.sniff) return;
    Sniff(scan);
  }
  FeedText(scan, p, end);
}

void FinishText(IniScan& scan) {
  if (scan.sink != nullptr && !scan.sniffed) Sniff(scan);
  if (scan.encoding == TextEncoding::kUndecided) DecideEncoding(scan, true);
  if (scan.high_surrogate != 0) {
    unsigned char last[4];
    scan.high_surrogate = 0;
    ScanChars(scan, last, last + PutUtf8(last, 0, kReplacementCharacter));
  }
  EndLine(scan);
}

// A stem too long to keep could never match a name of ours.
NameRule MakeNameRule(std::string_view stem, int count) {
  NameRule rule{};
  rule.length = std::min(stem.size(), kMaxStemLength);
  for (std::size_t i = 0; i < rule.length; ++i) {
    rule.stem[i] = static_cast<char>(stem[i] | 0x20);
    rule.written[i] = stem[i];
  }
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

int IniNameIndex(std::string_view name, std::string_view stem, int count) {
  const NameRule rule = MakeNameRule(stem, count);
  NameMatch match;
  for (const char c : name) FeedName(match, rule, static_cast<unsigned char>(c));
  return NameIndex(match);
}

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

IniGrid ReadIniGridFromFile(const std::string& path, const IniGridLayout& layout,
                            FileOpening* opening) {
  IniGrid grid{};
  ReadRegularFile(
      path, [&](const ByteChunkSource& source) { grid = ReadIniGrid(source, layout); }, opening);
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
                                  const IniFindingSink& sink, FileOpening* opening) {
  IniGridCheck check{};
  ReadRegularFile(
      path,
      [&](const ByteChunkSource& source) {
        IniScan scan = NewScan(layout);
        scan.sink = &sink;
        char chunk[kChunkSize];
        for (std::size_t got; (got = source(chunk, sizeof chunk)) != 0;)
          FeedBytes(scan, chunk, std::min(got, sizeof chunk));
        FinishText(scan);
        check = Checked(scan);
      },
      opening);
  return check;
}
