#include "platform/ini_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/regular_file.h"

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
bool SameLetter(unsigned char c, char stem_letter) {
  return (c | 0x20) == (static_cast<unsigned char>(stem_letter) | 0x20);
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

// Accumulating toward the limit of the sign's side keeps -2147483648 exact.
std::int64_t MagnitudeLimit(const NumberScan& number) {
  return number.negative ? 2147483648LL : 2147483647LL;
}

// Adds a digit of the number's base; false when c is none.
bool AddDigit(NumberScan& number, unsigned char c) {
  const int digit = DigitValue(c, number.base);
  if (digit < 0) return false;
  number.stage = NumberStage::kDigits;
  number.magnitude = std::min(MagnitudeLimit(number), number.magnitude * number.base + digit);
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
        return true;
      }
      if (AddDigit(number, c)) return true;
      break;
    case NumberStage::kZeroX:
      // "0x" without a hex digit after it is the number 0, then a stop.
      number.base = 16;
      if (AddDigit(number, c)) return true;
      break;
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

// ---- Lines ----------------------------------------------------------------

enum class LineStage {
  kStart,             // blanks before the line's first character
  kSkip,              // nothing more on this line can matter
  kSectionLead,       // blanks after '['
  kSectionStem,       // matching the section stem
  kSectionIndex,      // the row's digits
  kSectionTail,       // blanks after them, before ']'
  kSectionClosed,     // a wanted name and its ']'; another ']' would spoil it
  kSectionSeekClose,  // not a wanted name; a ']' still makes the line a section
  kKeyStem,           // matching the key stem
  kKeyIndex,          // the column's digits
  kKeyTail,           // blanks after them, before '='
  kValueLead,         // blanks after '='
  kValue,             // the value itself
};

enum class TextEncoding { kUndecided, kBytes, kUtf16Le, kUtf16Be };

constexpr std::size_t kMaxStemLength = 24;

// A stem of up to 16 letters as two words to compare with the text in two
// steps: the text's bytes with bit 0x20 set, masked to the stem's length.
struct StemWords {
  std::uint64_t word[2];
  std::uint64_t mask[2];
};

struct IniScan {
  IniGridLayout layout;
  char section_stem[kMaxStemLength];  // in lower case
  char key_stem[kMaxStemLength];
  StemWords section_words;
  StemWords key_words;
  IniGrid grid{};
  bool found[kMaxIniGridSide][kMaxIniGridSide] = {};
  bool opened[kMaxIniGridSide] = {};
  int section_row = -1;  // the row whose keys are being read, or -1

  // The line being read.
  LineStage stage = LineStage::kStart;
  std::size_t stem_matched = 0;
  int index = -1;  // the row or column so far; -1 before its first digit
  int column = 0;  // the cell a value goes to
  unsigned char quote = 0;
  bool quote_closed = false;  // the last non-blank after the quote is the quote
  NumberScan number;

  // How the bytes are turned into characters.
  TextEncoding encoding = TextEncoding::kUndecided;
  unsigned char head[3] = {};
  std::size_t head_length = 0;
  int pending_byte = -1;  // the first byte of a UTF-16 code unit
};

// Adds a digit to a row or column number in plain decimal; false when the
// name can no longer be one of the grid's (a leading zero, too large).
bool AddIndexDigit(int& index, unsigned char c, int count) {
  if (index == 0) return false;
  const int next = (index < 0 ? 0 : index * 10) + (c - '0');
  if (next >= count) return false;
  index = next;
  return true;
}

// A ']' after a name that is not wanted still makes the line a section
// header, whose keys then count for nothing.
void OnSectionMismatch(IniScan& scan, unsigned char c) {
  if (c == ']') {
    scan.section_row = -1;
    scan.stage = LineStage::kSkip;
  } else {
    scan.stage = LineStage::kSectionSeekClose;
  }
}

// Only the first section of a name counts; a repeat of it is never read.
void OpenSection(IniScan& scan, int row) {
  scan.section_row = -1;
  if (scan.opened[row]) return;
  scan.opened[row] = true;
  scan.section_row = row;
}

// The first key of a name counts, with or without a value.
bool TakeKey(IniScan& scan, int column) {
  bool& found = scan.found[scan.section_row][column];
  if (found) return false;
  found = true;
  return true;
}

void BeginValue(IniScan& scan) {
  if (!TakeKey(scan, scan.index)) {
    scan.stage = LineStage::kSkip;
    return;
  }
  scan.column = scan.index;
  scan.number = NumberScan{};
  scan.quote = 0;
  scan.stage = LineStage::kValueLead;
}

void StoreValue(IniScan& scan, std::int32_t value) {
  scan.grid.cell[scan.section_row][scan.column] = value;
}

void EndLine(IniScan& scan) {
  switch (scan.stage) {
    case LineStage::kSectionClosed:
      OpenSection(scan, scan.index);
      break;
    case LineStage::kKeyIndex:
    case LineStage::kKeyTail:
      if (scan.index >= 0) (void)TakeKey(scan, scan.index);  // a key without '=' reads 0
      break;
    case LineStage::kValue:
      // A quoted value counts only when the same quote closes it.
      if (scan.quote == 0 || scan.quote_closed) StoreValue(scan, NumberValue(scan.number));
      break;
    default:
      break;
  }
  scan.stage = LineStage::kStart;
}

// Returns false when c starts a key name, which the key stages then read.
bool OnLineStart(IniScan& scan, unsigned char c) {
  if (IsBlank(c)) return true;
  // A comment, or a key outside any section that counts, matters no further.
  if (c == ';' || (c != '[' && scan.section_row < 0)) {
    scan.stage = LineStage::kSkip;
  } else if (c == '[') {
    scan.stage = LineStage::kSectionLead;
  } else {
    scan.stage = LineStage::kKeyStem;
    scan.stem_matched = 0;
    scan.index = -1;
    return false;
  }
  return true;
}

// Returns false when c starts the section name, which ScanChars then
// matches, as it does key names.
bool OnSectionChar(IniScan& scan, unsigned char c) {
  switch (scan.stage) {
    case LineStage::kSectionLead:
      if (IsBlank(c)) return true;
      scan.stage = LineStage::kSectionStem;
      scan.stem_matched = 0;
      scan.index = -1;
      return false;
    case LineStage::kSectionIndex:
      if (IsDecimalDigit(c)) {
        if (!AddIndexDigit(scan.index, c, scan.layout.rows)) OnSectionMismatch(scan, c);
        return true;
      }
      if (scan.index < 0) {
        OnSectionMismatch(scan, c);
        return true;
      }
      [[fallthrough]];
    case LineStage::kSectionTail:
      if (IsBlank(c)) {
        scan.stage = LineStage::kSectionTail;
      } else if (c == ']') {
        scan.stage = LineStage::kSectionClosed;
      } else {
        OnSectionMismatch(scan, c);
      }
      return true;
    case LineStage::kSectionClosed:
    case LineStage::kSectionSeekClose:
      // The name runs to the last ']', as the Windows reader has it.
      if (c == ']') OnSectionMismatch(scan, c);
      return true;
    default:
      return true;
  }
}

// Key stems never come here: ScanChars matches them.
void OnKeyChar(IniScan& scan, unsigned char c) {
  switch (scan.stage) {
    case LineStage::kKeyIndex:
      if (IsDecimalDigit(c)) {
        if (!AddIndexDigit(scan.index, c, scan.layout.columns)) scan.stage = LineStage::kSkip;
        return;
      }
      if (scan.index < 0) {
        scan.stage = LineStage::kSkip;
        return;
      }
      [[fallthrough]];
    case LineStage::kKeyTail:
      if (IsBlank(c)) {
        scan.stage = LineStage::kKeyTail;
      } else if (c == '=') {
        BeginValue(scan);
      } else {
        scan.stage = LineStage::kSkip;
      }
      return;
    case LineStage::kValueLead:
      if (IsBlank(c)) return;
      scan.stage = LineStage::kValue;
      if (c == '"' || c == '\'') {
        scan.quote = c;
        scan.quote_closed = false;
        return;
      }
      [[fallthrough]];
    case LineStage::kValue:
      if (scan.quote != 0) {
        if (!IsBlank(c)) scan.quote_closed = c == scan.quote;
        (void)FeedNumber(scan.number, c);
      } else if (!FeedNumber(scan.number, c)) {
        StoreValue(scan, NumberValue(scan.number));
        scan.stage = LineStage::kSkip;
      }
      return;
    default:
      return;
  }
}

// Matches as much of a lower-case stem as the text holds, picking up where
// an earlier chunk left off; returns where the match stopped. The usual
// lines never come here: AfterStem matches their stems whole.
const unsigned char* MatchStem(const char* stem, std::size_t length, std::size_t& matched,
                               const unsigned char* p, const unsigned char* end) {
  std::size_t m = matched;
  while (m < length && p < end && SameLetter(*p, stem[m])) {
    ++p;
    ++m;
  }
  matched = m;
  return p;
}

const unsigned char* ReadDecimalDigits(NumberScan& number, const unsigned char* p,
                                       const unsigned char* end) {
  const std::int64_t limit = MagnitudeLimit(number);
  std::int64_t magnitude = number.magnitude;
  for (; p < end && IsDecimalDigit(*p); ++p)
    magnitude = std::min(limit, magnitude * 10 + (*p - '0'));
  number.magnitude = magnitude;
  return p;
}

constexpr std::size_t kStemWordsLength = 16;

StemWords MakeStemWords(const char* lowered, std::size_t length) {
  unsigned char bytes[kStemWordsLength] = {};
  unsigned char mask[kStemWordsLength] = {};
  for (std::size_t i = 0; i < length && i < kStemWordsLength; ++i) {
    bytes[i] = static_cast<unsigned char>(lowered[i]);
    mask[i] = 0xFF;
  }
  StemWords words{};
  std::memcpy(words.word, bytes, sizeof bytes);
  std::memcpy(words.mask, mask, sizeof mask);
  return words;
}

// Whether the text at p, which holds at least 16 bytes, starts with the stem.
bool StartsWithStem(const StemWords& stem, const unsigned char* p) {
  constexpr std::uint64_t kLowerCaseBits = 0x2020202020202020ULL;
  std::uint64_t text[2];
  std::memcpy(text, p, sizeof text);
  return ((text[0] | kLowerCaseBits) & stem.mask[0]) == stem.word[0] &&
         ((text[1] | kLowerCaseBits) & stem.mask[1]) == stem.word[1];
}

// Where the stem ends when the text at p starts with it, else nullptr.
const unsigned char* AfterStem(const StemWords& words, const char* stem, std::size_t length,
                               const unsigned char* p, const unsigned char* end) {
  if (length <= kStemWordsLength && static_cast<std::size_t>(end - p) >= kStemWordsLength)
    return StartsWithStem(words, p) ? p + length : nullptr;
  std::size_t matched = 0;
  const unsigned char* q = MatchStem(stem, length, matched, p, end);
  return matched == length ? q : nullptr;
}

// Past the line end at q, CR LF being one; nullptr when q is not at one.
const unsigned char* AfterLineEnd(const unsigned char* q, const unsigned char* end) {
  if (q == end || !IsLineEnd(*q)) return nullptr;
  if (*q++ == '\r' && q < end && *q == '\n') ++q;
  return q;
}

// The usual key line, "<key stem><column>=<digits>" and its line end, read
// in one go where the chunk holds all of it; false, with nothing read, for
// anything else, which the stages then read character by character.
bool ReadPlainKeyLine(IniScan& scan, const unsigned char*& p, const unsigned char* end) {
  const std::size_t stem_length = scan.layout.key_stem.size();
  const unsigned char* q = AfterStem(scan.key_words, scan.key_stem, stem_length, p, end);
  // Room for the column, '=', nine digits and a line end spares a bound
  // check per digit; a line near the chunk's end takes the general way.
  if (q == nullptr || end - q < 12) return false;
  const unsigned column = q[0] - static_cast<unsigned>('0');
  if (column >= static_cast<unsigned>(scan.layout.columns) || q[1] != '=') return false;
  q += 2;
  std::int32_t value = 0;
  int count = 0;
  for (unsigned digit; count < 9 && (digit = q[count] - static_cast<unsigned>('0')) <= 9; ++count)
    value = value * 10 + static_cast<std::int32_t>(digit);
  const unsigned char* next = AfterLineEnd(q + count, end);
  if (count == 0 || next == nullptr) return false;
  if (TakeKey(scan, static_cast<int>(column))) scan.grid.cell[scan.section_row][column] = value;
  p = next;
  return true;
}

// The usual section line, "[<section stem><row>]" and its line end, read in
// one go in the same way.
bool ReadPlainSectionLine(IniScan& scan, const unsigned char*& p, const unsigned char* end) {
  const std::size_t stem_length = scan.layout.section_stem.size();
  if (*p != '[') return false;
  const unsigned char* q =
      AfterStem(scan.section_words, scan.section_stem, stem_length, p + 1, end);
  if (q == nullptr) return false;
  int row = -1;
  for (; q < end && IsDecimalDigit(*q); ++q) {
    if (!AddIndexDigit(row, *q, scan.layout.rows)) return false;
  }
  if (row < 0 || q == end || *q != ']') return false;
  const unsigned char* next = AfterLineEnd(q + 1, end);
  if (next == nullptr) return false;
  OpenSection(scan, row);
  p = next;
  return true;
}

// Matches a stem from where the line's match stands, and moves on to the
// matched stage, or to the mismatched one at the first character that does
// not fit; a chunk that ends first leaves the match to the next one.
const unsigned char* MatchStemStage(IniScan& scan, const char* stem, std::size_t length,
                                    const unsigned char* p, const unsigned char* end,
                                    LineStage matched, LineStage mismatched) {
  p = MatchStem(stem, length, scan.stem_matched, p, end);
  if (scan.stem_matched == length) {
    scan.stage = matched;
  } else if (p < end) {
    scan.stage = mismatched;
  }
  return p;
}

// The stages where most characters go have a loop of their own; every other
// character, and each one that ends such a run, takes the general way.
void ScanChars(IniScan& scan, const unsigned char* p, const unsigned char* end) {
  while (p < end) {
    switch (scan.stage) {
      case LineStage::kStart:
        while (p < end && scan.section_row >= 0 && ReadPlainKeyLine(scan, p, end)) {
        }
        if (p < end && ReadPlainSectionLine(scan, p, end)) continue;
        break;
      case LineStage::kSkip:
        while (p < end && !IsLineEnd(*p)) ++p;
        break;
      case LineStage::kKeyStem:
        p = MatchStemStage(scan, scan.key_stem, scan.layout.key_stem.size(), p, end,
                           LineStage::kKeyIndex, LineStage::kSkip);
        continue;
      case LineStage::kSectionStem:
        // A name that is not wanted may still end in ']', which the stage
        // after a mismatch looks for, from the character that did not match.
        p = MatchStemStage(scan, scan.section_stem, scan.layout.section_stem.size(), p, end,
                           LineStage::kSectionIndex, LineStage::kSectionSeekClose);
        continue;
      case LineStage::kValue:
        if (scan.number.stage == NumberStage::kDigits && scan.number.base == 10)
          p = ReadDecimalDigits(scan.number, p, end);
        break;
      default:
        break;
    }
    if (p == end) return;
    if (IsLineEnd(*p)) {
      p = AfterLineEnd(p, end);
      EndLine(scan);
      continue;
    }
    const unsigned char c = *p++;
    if (scan.stage == LineStage::kStart) {
      if (!OnLineStart(scan, c)) --p;
    } else if (scan.stage < LineStage::kKeyStem) {
      if (!OnSectionChar(scan, c)) --p;
    } else {
      OnKeyChar(scan, c);
    }
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

// Decides from the first bytes how the text is encoded; false while they
// could still be the start of a byte-order mark.
bool DecideEncoding(IniScan& scan, bool at_end) {
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
  } else {
    return false;
  }
  return true;
}

void FeedBytes(IniScan& scan, const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  while (scan.encoding == TextEncoding::kUndecided && p < end) {
    scan.head[scan.head_length++] = *p++;
    (void)DecideEncoding(scan, false);
  }
  if (scan.encoding == TextEncoding::kBytes) {
    ScanChars(scan, p, end);
  } else if (scan.encoding != TextEncoding::kUndecided) {
    ScanUtf16(scan, p, end);
  }
}

void FinishText(IniScan& scan) {
  if (scan.encoding == TextEncoding::kUndecided) (void)DecideEncoding(scan, true);
  EndLine(scan);
}

void LowerStem(std::string_view stem, char* lowered) {
  for (std::size_t i = 0; i < stem.size(); ++i) lowered[i] = static_cast<char>(stem[i] | 0x20);
}

IniScan NewScan(const IniGridLayout& layout) {
  IniScan scan;
  scan.layout = layout;
  // A stem too long to keep could never match; an empty one is not allowed.
  scan.layout.section_stem = layout.section_stem.substr(0, kMaxStemLength);
  scan.layout.key_stem = layout.key_stem.substr(0, kMaxStemLength);
  LowerStem(scan.layout.section_stem, scan.section_stem);
  LowerStem(scan.layout.key_stem, scan.key_stem);
  scan.section_words = MakeStemWords(scan.section_stem, scan.layout.section_stem.size());
  scan.key_words = MakeStemWords(scan.key_stem, scan.layout.key_stem.size());
  scan.layout.rows = std::clamp(layout.rows, 0, kMaxIniGridSide);
  scan.layout.columns = std::clamp(layout.columns, 0, kMaxIniGridSide);
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

IniGrid ReadIniGridFromFile(const std::string& path, const IniGridLayout& layout) {
  IniGrid grid{};
  ReadRegularFile(path, [&](const ByteChunkSource& source) { grid = ReadIniGrid(source, layout); });
  return grid;
}
