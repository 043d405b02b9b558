// Reads a grid of integers from INI text in one pass over its bytes and in
// bounded memory, whatever the length of the text or of its lines.
//
// The rules: a UTF-8 byte-order mark is skipped, and a UTF-16 one (LE or BE)
// makes the text UTF-16; lines end in LF, CR LF or a lone CR; blanks around
// names, '=' and values are ignored; section and key names compare without
// regard to ASCII letter case; a line whose first non-blank character is ';'
// is a comment; a section name runs to the last ']' on its line; of
// duplicate sections the first counts, of duplicate keys the first; a line
// without '=' is a key without a value; a value in double or single quotes is
// unquoted.
#ifndef UPGRADE_SIM_PLATFORM_INI_READER_H_
#define UPGRADE_SIM_PLATFORM_INI_READER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/regular_file.h"

constexpr int kMaxIniGridSide = 16;

/// The names of a grid's cells: the section "<section_stem><row>" and in it
/// the key "<key_stem><column>", row and column in plain decimal. The stems
/// are ASCII letters; rows and columns are at most kMaxIniGridSide.
struct IniGridLayout {
  std::string_view section_stem;
  int rows;
  std::string_view key_stem;
  int columns;
};

/// The integer of every cell, 0 where its section or key is missing.
struct IniGrid {
  std::int32_t cell[kMaxIniGridSide][kMaxIniGridSide];
};

/// What the reader met that is not plainly a cell of the grid, as it read
/// it. Lines count from 1 as text lines: LF, CR LF or a lone CR.
enum class IniFindingKind {
  kForeignSection,   // a section that is no "<section_stem><row>": its keys are not read
  kSecondSection,    // a row's section again: its keys are not read
  kForeignKey,       // a key in a grid section that is no "<key_stem><column>"
  kSecondKey,        // a cell's key again: not read
  kKeyWithoutValue,  // a cell's key without '=': reads 0
  kNotPlainNumber,   // a value that is not a plain whole number; read_as is what it reads
  kOutsideSection,   // a key before any section: not read
  kStrayLine,        // neither a section, a key, a comment nor blank: not read
  kUnclosedSection,  // '[' without ']': not read, the section before it goes on
  kNameForm,         // a section or key of the grid in another letter case or with
                     // blanks inside the brackets: read as it is
  kCellRead,         // a cell's value as read, on the line that gives it
  kNotText,          // the text's first bytes are no text this reader reads; line 0
};

/// What kind of bytes a kNotText finding met.
enum class IniTextForm { kText, kUtf16LeWithoutMark, kUtf16BeWithoutMark, kUtf32, kBinary };

struct IniFinding {
  IniFindingKind kind;
  int line;
  int row;               // the section's row, or -1
  int column;            // the key's column (for an unclosed section, the row it names), or -1
  std::string written;   // the line's section, key or value as written, UTF-16 as UTF-8
  bool cut;              // written holds only the first kMaxIniWritten bytes
  std::int32_t read_as;  // for a value: what the cell reads
  int first_line;        // for a second section or key: the line of the one read
  IniTextForm text_form;
};

constexpr std::size_t kMaxIniWritten = 40;

using IniFindingSink = std::function<void(const IniFinding&)>;

/// The grid and where each of its rows and cells was given (line 0: nowhere).
struct IniGridCheck {
  IniGrid grid;
  int section_line[kMaxIniGridSide];
  int cell_line[kMaxIniGridSide][kMaxIniGridSide];
};

/// Reads the grid by the same rules as ReadIniGrid, telling sink of every
/// finding, in the order of the text; a kNotText finding comes first.
IniGridCheck CheckIniGridFromText(std::string_view text, const IniGridLayout& layout,
                                  const IniFindingSink& sink);

/// The same, from a file; opening tells whether it was a readable file,
/// and if not, why.
IniGridCheck CheckIniGridFromFile(const std::string& path, const IniGridLayout& layout,
                                  const IniFindingSink& sink, FileOpening* opening);

/// The index a name stands for as "<stem><index>", blanks around it and
/// letter case aside, by the reader's rules; -1 when it stands for none
/// below count.
int IniNameIndex(std::string_view name, std::string_view stem, int count);

/// Reads an INI value as an integer: optional blanks, an optional sign, then
/// decimal digits or a lower-case "0x" and hex digits, up to the first
/// character that cannot continue the number. No number reads 0; numbers
/// outside the signed 32-bit range saturate to it.
std::int32_t ParseIniInteger(std::string_view value);

/// Reads the grid from INI text delivered chunk by chunk.
IniGrid ReadIniGrid(const ByteChunkSource& source, const IniGridLayout& layout);

/// The same, from INI text held in memory.
IniGrid ReadIniGridFromText(std::string_view text, const IniGridLayout& layout);

/// The same, from a file. Anything but a readable regular file (missing, a
/// directory, a FIFO, a device) reads as empty; opening, if given, tells
/// which it was.
IniGrid ReadIniGridFromFile(const std::string& path, const IniGridLayout& layout,
                            FileOpening* opening = nullptr);

#endif  // UPGRADE_SIM_PLATFORM_INI_READER_H_
