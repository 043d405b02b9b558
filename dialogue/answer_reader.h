// Reading the user's integer answers, as formatted integer extraction does:
// white space skipped, an optional sign, decimal digits, the stopping
// character left for the next read.
#ifndef UPGRADE_SIM_DIALOGUE_ANSWER_READER_H_
#define UPGRADE_SIM_DIALOGUE_ANSWER_READER_H_

#include <cstdint>
#include <functional>

/// The next input byte (0 to 255), or -1 at the end of the input.
using ByteSource = std::function<int()>;

/// Input with one byte of look-ahead.
struct AnswerInput {
  ByteSource next_byte;
  int pending = kNothingPending;
  bool at_start = true;  // a byte-order mark may come first
  static constexpr int kNothingPending = -2;
};

enum class AnswerKind { kNumber, kNotANumber, kEndOfInput };

struct Answer {
  AnswerKind kind;
  std::int32_t value;  // meaningful for kNumber only
};

/// Reads one answer. A UTF-8 byte-order mark at the very start of the input
/// is skipped (Notepad and PowerShell write one); anywhere else those bytes
/// are not a number. Input that is not a number (no digit after the optional
/// sign, or a number beyond the signed 32-bit range) is read off up to the
/// next white space and reported as kNotANumber; kEndOfInput comes when the
/// input ends before any character of an answer.
Answer ReadAnswer(AnswerInput& input);

/// Called before each read after the first; false stops the asking.
using BeforeEachRead = std::function<bool()>;

/// Reads answers until a number from low to high, both included, comes, and
/// stores it in value. Returns false at the end of the input, or when
/// before_read does.
bool AskInRange(AnswerInput& input, std::int32_t low, std::int32_t high, std::int32_t* value,
                const BeforeEachRead& before_read = nullptr);

#endif  // UPGRADE_SIM_DIALOGUE_ANSWER_READER_H_
