#include "dialogue/answer_reader.h"

namespace {

int Peek(AnswerInput& input) {
  if (input.pending == AnswerInput::kNothingPending) input.pending = input.next_byte();
  return input.pending;
}

void Consume(AnswerInput& input) { input.pending = AnswerInput::kNothingPending; }

// The white space of the C locale, which formatted extraction skips.
bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

Answer NotANumber(AnswerInput& input) {
  while (Peek(input) != -1 && !IsSpace(Peek(input))) Consume(input);
  return {AnswerKind::kNotANumber, 0};
}

}  // namespace

// True when the input starts with a byte-order mark, now read off. A start
// of one that does not go on as the mark begins a token that is no number,
// which is read off as such.
bool SkipByteOrderMark(AnswerInput& input, bool* spoiled) {
  static constexpr int kMark[] = {0xEF, 0xBB, 0xBF};
  for (int i = 0; i < 3; ++i) {
    if (Peek(input) != kMark[i]) {
      *spoiled = i > 0;
      return false;
    }
    Consume(input);
  }
  return true;
}

Answer ReadAnswer(AnswerInput& input) {
  if (input.at_start) {
    input.at_start = false;
    bool spoiled = false;
    if (!SkipByteOrderMark(input, &spoiled) && spoiled) return NotANumber(input);
  }
  while (IsSpace(Peek(input))) Consume(input);
  if (Peek(input) == -1) return {AnswerKind::kEndOfInput, 0};
  bool negative = false;
  if (Peek(input) == '+' || Peek(input) == '-') {
    negative = Peek(input) == '-';
    Consume(input);
  }
  if (!IsDigit(Peek(input))) return NotANumber(input);
  // The magnitude is capped just past the signed 32-bit range, so that any
  // number of digits can be read without overflow.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  bool too_large = false;
  for (; IsDigit(Peek(input)); Consume(input)) {
    magnitude = magnitude * 10 + (Peek(input) - '0');
    if (magnitude > limit) {
      too_large = true;
      magnitude = limit;
    }
  }
  if (too_large) return NotANumber(input);
  return {AnswerKind::kNumber, static_cast<std::int32_t>(negative ? -magnitude : magnitude)};
}

bool AskInRange(AnswerInput& input, std::int32_t low, std::int32_t high, std::int32_t* value,
                const BeforeEachRead& before_read) {
  for (bool first = true;; first = false) {
    if (!first && before_read && !before_read()) return false;
    const Answer answer = ReadAnswer(input);
    if (answer.kind == AnswerKind::kEndOfInput) return false;
    if (answer.kind == AnswerKind::kNumber && answer.value >= low && answer.value <= high) {
      *value = answer.value;
      return true;
    }
  }
}
