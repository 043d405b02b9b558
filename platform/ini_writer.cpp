#include "platform/ini_writer.h"

#include <algorithm>

std::string WriteIniGrid(const IniGrid& grid, const IniGridLayout& layout) {
  std::string text;
  const int rows = std::clamp(layout.rows, 0, kMaxIniGridSide);
  const int columns = std::clamp(layout.columns, 0, kMaxIniGridSide);
  for (int row = 0; row < rows; ++row) {
    text += "[" + std::string(layout.section_stem) + std::to_string(row) + "]\r\n";
    for (int column = 0; column < columns; ++column) {
      text += std::string(layout.key_stem) + std::to_string(column) + "=" +
              std::to_string(grid.cell[row][column]) + "\r\n";
    }
  }
  return text;
}
