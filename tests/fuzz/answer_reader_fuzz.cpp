// Feeds arbitrary bytes to the answer reader as standard input and checks
// that every question is answered in range or the input ends, in bounded time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dialogue/answer_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t position = 0;
  AnswerInput input{[&]() -> int { return position < size ? data[position++] : -1; }};
  const std::int32_t ranges[][2] = {{1, 100}, {0, 10}, {1, 65}, {0, 6}};
  for (const auto& range : ranges) {
    std::int32_t value = -12345;
    if (!AskInRange(input, range[0], range[1], &value)) {
      if (value != -12345) std::abort();  // a failed read must not leave a value
      return 0;
    }
    if (value < range[0] || value > range[1]) std::abort();
  }
  for (Answer a = ReadAnswer(input); a.kind != AnswerKind::kEndOfInput; a = ReadAnswer(input)) {
  }
  if (position != size) std::abort();  // every byte is read, none twice
  return 0;
}
