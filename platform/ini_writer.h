// Writes a grid of integers as INI text that the reader, and the Windows
// reader the game uses, read back to the same cells.
#ifndef UPGRADE_SIM_PLATFORM_INI_WRITER_H_
#define UPGRADE_SIM_PLATFORM_INI_WRITER_H_

#include <string>
#include <string_view>

#include "platform/ini_reader.h"

/// ASCII with CR LF: each section "<section_stem><row>" in order, each with
/// every key "<key_stem><column>=<value>" in order, values in plain decimal.
std::string WriteIniGrid(const IniGrid& grid, const IniGridLayout& layout);

/// The line (from 1) on which WriteIniGrid writes a cell: each row's section
/// line, then one line per key.
int WrittenIniLine(const IniGridLayout& layout, int row, int column);

/// The INI text original with the cells where edited differs from what the
/// reader reads in it changed in place, and nothing else: comments, blank
/// lines, order, line ends and encoding (bytes, UTF-8 or UTF-16 with their
/// byte-order mark) stay. A changed value is written in plain decimal, any
/// "; words" after it kept; a key without '=' gets one; a cell the file
/// lacks goes into its section after the section's last key, a missing
/// section at the end, new lines ending as the file's first line does.
/// Should the text not read back to edited (it always should), the whole
/// grid is written by WriteIniGrid instead and kept_layout, if given, is
/// false.
std::string EditedIniText(std::string_view original, const IniGrid& edited,
                          const IniGridLayout& layout, bool* kept_layout = nullptr);

#endif  // UPGRADE_SIM_PLATFORM_INI_WRITER_H_
