// Feeds arbitrary bytes to the INI reader, in chunks of varying size, and
// checks that the chunking never changes what is read, that the check reads
// the same grid, and that an edit in place reads back as edited.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/ini_reader.h"
#include "platform/ini_writer.h"
#include "platform/probability_files.h"
#include "results/table_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniGrid whole = ReadIniGridFromText(text, kProbabilityTableLayout);

  std::size_t offset = 0, step = 1;
  const IniGrid chunked = ReadIniGrid(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({capacity, step, size - offset});
        std::copy_n(text.data() + offset, n, buffer);
        offset += n;
        step = step % 7 + 1;
        return n;
      },
      kProbabilityTableLayout);
  if (std::memcmp(&whole, &chunked, sizeof whole) != 0) std::abort();
  ParseIniInteger(text);
  // The check reads the same grid, whatever it finds on the way.
  std::vector<IniFinding> told;
  const IniGridCheck checked = CheckIniGridFromText(
      text, kProbabilityTableLayout, [&told](const IniFinding& f) { told.push_back(f); });
  if (std::memcmp(&whole, &checked.grid, sizeof whole) != 0) std::abort();
  // An edit in place reads back to the edited grid, whatever the text.
  IniGrid edited = whole;
  edited.cell[size % kItemGradeCount][size % kUpgradeLevelCount] ^= 0x5A5A;
  edited.cell[10][6] ^= 1;
  const IniGrid back = ReadIniGridFromText(EditedIniText(text, edited, kProbabilityTableLayout),
                                           kProbabilityTableLayout);
  if (std::memcmp(&back, &edited, sizeof back) != 0) std::abort();
  for (int table = 0; table < 3; ++table) {
    const TableFileCheck check = CheckTableText(table, text, true, 5);
    if (check.listed.size() > 5) std::abort();
    (void)TableCheckText(check);
  }
  return 0;
}
