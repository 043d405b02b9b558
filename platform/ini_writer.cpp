#include "platform/ini_writer.h"

#include <algorithm>
#include <vector>

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

int WrittenIniLine(const IniGridLayout& layout, int row, int column) {
  const int columns = std::clamp(layout.columns, 0, kMaxIniGridSide);
  return row * (columns + 1) + column + 2;
}

// ---- Editing a text in place ---------------------------------------------

namespace {

// The text as code units: bytes, or UTF-16 units after their mark.
struct UnitText {
  std::size_t mark = 0;  // bytes of the byte-order mark
  int unit_size = 1;
  bool big_endian = false;
  std::vector<unsigned> units;
};

UnitText Units(std::string_view text) {
  UnitText t;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.size() >= 2 &&
      ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
    t.mark = 2;
    t.unit_size = 2;
    t.big_endian = byte(0) == 0xFE;
  } else if (text.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
    t.mark = 3;
  }
  for (std::size_t at = t.mark; at + t.unit_size <= text.size(); at += t.unit_size) {
    t.units.push_back(t.unit_size == 1 ? byte(at)
                      : t.big_endian   ? byte(at) << 8u | byte(at + 1)
                                       : byte(at) | byte(at + 1) << 8u);
  }
  return t;
}

bool IsBlankUnit(unsigned u) { return u == ' ' || u == '\t' || u == '\v' || u == '\f'; }

// The units as the name rules see them: anything but ASCII is some other
// character.
std::string NameOf(const std::vector<unsigned>& units, std::size_t begin, std::size_t end) {
  std::string name;
  for (std::size_t i = begin; i < end; ++i)
    name += static_cast<char>(units[i] < 0x80 ? units[i] : 0x80);
  return name;
}

struct Edit {
  std::size_t at;      // a unit index
  std::size_t length;  // units replaced
  std::string text;    // ASCII
};

// Where each cell the reader reads stands, by the reader's rules.
struct CellPlaces {
  bool opened[kMaxIniGridSide] = {};
  std::size_t section_end[kMaxIniGridSide] = {};  // after the last key line's end
  bool found[kMaxIniGridSide][kMaxIniGridSide] = {};
  bool has_value[kMaxIniGridSide][kMaxIniGridSide] = {};
  std::size_t value_begin[kMaxIniGridSide][kMaxIniGridSide] = {};
  std::size_t value_end[kMaxIniGridSide][kMaxIniGridSide] = {};
  std::string line_end;  // the first line's, or CR LF
  bool ends_in_line_end = false;
};

// The end of a value's number part: before blanks and ';' where words follow.
std::size_t ValueEnd(const std::vector<unsigned>& u, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end; ++i) {
    if (u[i] == ';' && i > begin && IsBlankUnit(u[i - 1])) {
      std::size_t stop = i;
      while (stop > begin && IsBlankUnit(u[stop - 1])) --stop;
      return stop;
    }
  }
  while (end > begin && IsBlankUnit(u[end - 1])) --end;
  return end;
}

void PlaceLine(const std::vector<unsigned>& u, std::size_t begin, std::size_t end, std::size_t next,
               const IniGridLayout& layout, int& section, CellPlaces& places) {
  while (begin < end && IsBlankUnit(u[begin])) ++begin;
  if (begin == end || u[begin] == ';') return;
  if (u[begin] == '[') {
    std::size_t bracket = end;
    while (bracket > begin + 1 && u[bracket - 1] != ']') --bracket;
    if (bracket == begin + 1) return;  // no ']': the section before goes on
    const int row =
        IniNameIndex(NameOf(u, begin + 1, bracket - 1), layout.section_stem, layout.rows);
    section = row >= 0 && !places.opened[row] ? row : -1;
    if (section >= 0) {
      places.opened[row] = true;
      places.section_end[row] = next;
    }
    return;
  }
  if (section < 0) return;
  places.section_end[section] = next;
  std::size_t equals = begin;
  while (equals < end && u[equals] != '=') ++equals;
  const int column = IniNameIndex(NameOf(u, begin, equals), layout.key_stem, layout.columns);
  if (column < 0 || places.found[section][column]) return;
  places.found[section][column] = true;
  places.has_value[section][column] = equals < end;
  std::size_t value = equals < end ? equals + 1 : end;
  while (value < end && IsBlankUnit(u[value])) ++value;
  places.value_begin[section][column] = value;
  places.value_end[section][column] = ValueEnd(u, value, end);
}

CellPlaces PlacesOf(const std::vector<unsigned>& u, const IniGridLayout& layout) {
  CellPlaces places;
  int section = -1;
  for (std::size_t begin = 0; begin < u.size();) {
    std::size_t end = begin;
    while (end < u.size() && u[end] != '\n' && u[end] != '\r') ++end;
    std::size_t next = end;
    if (next < u.size())
      next += u[next] == '\r' && next + 1 < u.size() && u[next + 1] == '\n' ? 2 : 1;
    if (places.line_end.empty() && next > end)
      for (std::size_t i = end; i < next; ++i) places.line_end += static_cast<char>(u[i]);
    PlaceLine(u, begin, end, next, layout, section, places);
    begin = next;
  }
  if (places.line_end.empty()) places.line_end = "\r\n";
  places.ends_in_line_end = u.empty() || u.back() == '\n' || u.back() == '\r';
  return places;
}

std::vector<Edit> EditsOf(const UnitText& t, const IniGrid& read, const IniGrid& edited,
                          const IniGridLayout& layout, int rows, int columns) {
  const CellPlaces places = PlacesOf(t.units, layout);
  const std::string& eol = places.line_end;
  std::vector<Edit> edits;
  std::string appended;
  for (int row = 0; row < rows; ++row) {
    std::string added;
    for (int column = 0; column < columns; ++column) {
      const std::int32_t value = edited.cell[row][column];
      if (value == read.cell[row][column]) continue;
      const std::string number = std::to_string(value);
      if (places.found[row][column]) {
        const std::size_t begin = places.value_begin[row][column];
        const std::size_t length = places.value_end[row][column] - begin;
        edits.push_back({begin, length, places.has_value[row][column] ? number : "=" + number});
      } else {
        added.append(layout.key_stem).append(std::to_string(column)).append("=").append(number);
        added += eol;
      }
    }
    if (added.empty()) continue;
    if (!places.opened[row]) {
      appended.append("[").append(layout.section_stem).append(std::to_string(row)).append("]");
      appended.append(eol).append(added);
      continue;
    }
    const std::size_t at = places.section_end[row];
    const bool at_end = at == t.units.size() && !places.ends_in_line_end;
    if (at_end) {
      added.resize(added.size() - eol.size());
      added.insert(0, eol);
    }
    edits.push_back({at, 0, added});
  }
  if (!appended.empty()) {
    if (!places.ends_in_line_end) appended = eol + appended.substr(0, appended.size() - eol.size());
    edits.push_back({t.units.size(), 0, appended});
  }
  // In the text's order, those at one place in the order made: a handful, so
  // insertion does.
  for (std::size_t i = 1; i < edits.size(); ++i) {
    for (std::size_t j = i; j > 0 && edits[j].at < edits[j - 1].at; --j)
      std::swap(edits[j], edits[j - 1]);
  }
  return edits;
}

void PutUnits(const UnitText& t, std::string_view ascii, std::string& out) {
  for (const char c : ascii) {
    if (t.unit_size == 1) {
      out += c;
    } else if (t.big_endian) {
      out += '\0';
      out += c;
    } else {
      out += c;
      out += '\0';
    }
  }
}

}  // namespace

std::string EditedIniText(std::string_view original, const IniGrid& edited,
                          const IniGridLayout& layout, bool* kept_layout) {
  const int rows = std::clamp(layout.rows, 0, kMaxIniGridSide);
  const int columns = std::clamp(layout.columns, 0, kMaxIniGridSide);
  const UnitText t = Units(original);
  const IniGrid read = ReadIniGridFromText(original, layout);
  const std::vector<Edit> edits = EditsOf(t, read, edited, layout, rows, columns);
  std::string text(original.substr(0, t.mark));
  std::size_t copied = 0;  // units
  for (const Edit& edit : edits) {
    text.append(original.substr(t.mark + copied * t.unit_size, (edit.at - copied) * t.unit_size));
    PutUnits(t, edit.text, text);
    copied = edit.at + edit.length;
  }
  text.append(original.substr(std::min(original.size(), t.mark + copied * t.unit_size)));
  // The reader has the last word on what the text holds.
  const IniGrid back = ReadIniGridFromText(text, layout);
  bool same = true;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column)
      same = same && back.cell[row][column] == edited.cell[row][column];
  }
  if (kept_layout != nullptr) *kept_layout = same;
  return same ? text : WriteIniGrid(edited, layout);
}
