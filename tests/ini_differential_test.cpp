// Reads every table cell of each INI file named on the command line with our
// reader and with the Windows profile reader, and reports every difference.
// Values beyond the signed 32-bit range are the one known difference: we
// saturate, Windows wraps around.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/ini_reader.h"
#include "platform/probability_files.h"

namespace {

// The table's names and those just outside it, which must read the same too.
constexpr IniGridLayout kComparedLayout = {kItemGradeSectionStem, kItemGradeCount + 1,
                                           kUpgradeLevelKeyStem, kUpgradeLevelCount + 1};

bool IsSaturated(std::int32_t value) {
  return value == std::numeric_limits<std::int32_t>::max() ||
         value == std::numeric_limits<std::int32_t>::min();
}

// Counts the cells where the two readers differ, printing each.
int CompareFile(const std::string& name) {
  const std::string path = ".\\" + name;  // the profile API wants a path, not a bare name
  const IniGrid ours = ReadIniGridFromFile(path, kComparedLayout);
  int differences = 0, nonzero = 0;
  for (int row = 0; row < kComparedLayout.rows; ++row) {
    const std::string section = std::string(kItemGradeSectionStem) + std::to_string(row);
    for (int column = 0; column < kComparedLayout.columns; ++column) {
      const std::string key = std::string(kUpgradeLevelKeyStem) + std::to_string(column);
      const std::int32_t our_value = ours.cell[row][column];
      const auto windows = static_cast<std::int32_t>(
          GetPrivateProfileIntA(section.c_str(), key.c_str(), 0, path.c_str()));
      nonzero += our_value != 0 ? 1 : 0;
      if (windows == our_value || IsSaturated(our_value)) continue;
      ++differences;
      std::printf("%s [%s] %s: ours %ld, Windows %ld\n", name.c_str(), section.c_str(), key.c_str(),
                  static_cast<long>(our_value), static_cast<long>(windows));
    }
  }
  std::printf("%s: %d cells with a value, %d differences\n", name.c_str(), nonzero, differences);
  return differences;
}

}  // namespace

int main(int argc, char** argv) {
  int differences = 0;
  for (int i = 1; i < argc; ++i) differences += CompareFile(argv[i]);
  if (argc < 2) std::printf("no INI files given\n");
  return differences == 0 && argc >= 2 ? 0 : 1;
}
