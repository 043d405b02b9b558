// Feeds arbitrary bytes to the INI reader, in chunks of varying size, and
// checks that the chunking never changes what is read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "dialogue/run_driver.h"
#include "platform/ini_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<IniKey> keys = ProbabilityTableKeys();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::int32_t> whole = ReadIniIntegersFromText(text, keys);

  std::size_t offset = 0, step = 1;
  const std::vector<std::int32_t> chunked = ReadIniIntegers(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({capacity, step, size - offset});
        std::copy_n(text.data() + offset, n, buffer);
        offset += n;
        step = step % 7 + 1;
        return n;
      },
      keys);
  if (whole != chunked) std::abort();
  ParseIniInteger(text);
  return 0;
}
