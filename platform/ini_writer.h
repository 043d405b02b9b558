// Writes a grid of integers as INI text that the reader, and the Windows
// reader the game uses, read back to the same cells.
#ifndef UPGRADE_SIM_PLATFORM_INI_WRITER_H_
#define UPGRADE_SIM_PLATFORM_INI_WRITER_H_

#include <string>

#include "platform/ini_reader.h"

/// ASCII with CR LF: each section "<section_stem><row>" in order, each with
/// every key "<key_stem><column>=<value>" in order, values in plain decimal.
std::string WriteIniGrid(const IniGrid& grid, const IniGridLayout& layout);

#endif  // UPGRADE_SIM_PLATFORM_INI_WRITER_H_
