// Reads every table cell of each INI file named on the command line with our
// reader and with the Windows profile reader, and reports every difference.
// Values beyond the signed 32-bit range are the one known difference: we
// saturate, Windows wraps around.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "dialogue/run_driver.h"
#include "platform/ini_reader.h"

namespace {

bool IsSaturated(std::int32_t value) {
  return value == std::numeric_limits<std::int32_t>::max() ||
         value == std::numeric_limits<std::int32_t>::min();
}

// Counts the cells where the two readers differ, printing each.
int CompareFile(const std::string& name, const std::vector<IniKey>& keys) {
  const std::string path = ".\\" + name;  // the profile API wants a path, not a bare name
  const std::vector<std::int32_t> ours = ReadIniIntegersFromFile(path, keys);
  int differences = 0, nonzero = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto windows = static_cast<std::int32_t>(
        GetPrivateProfileIntA(keys[i].section.c_str(), keys[i].key.c_str(), 0, path.c_str()));
    nonzero += ours[i] != 0;
    if (windows == ours[i] || IsSaturated(ours[i])) continue;
    ++differences;
    std::printf("%s [%s] %s: ours %ld, Windows %ld\n", name.c_str(), keys[i].section.c_str(),
                keys[i].key.c_str(), static_cast<long>(ours[i]), static_cast<long>(windows));
  }
  std::printf("%s: %d cells with a value, %d differences\n", name.c_str(), nonzero, differences);
  return differences;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<IniKey> keys = ProbabilityTableKeys();
  // Names just outside the table, which must read the same way too.
  keys.push_back({"ItemGrade11", "UpgradeLevel0"});
  keys.push_back({"ItemGrade0", "UpgradeLevel7"});
  int differences = 0;
  for (int i = 1; i < argc; ++i) differences += CompareFile(argv[i], keys);
  if (argc < 2) std::printf("no INI files given\n");
  return differences == 0 && argc >= 2 ? 0 : 1;
}
