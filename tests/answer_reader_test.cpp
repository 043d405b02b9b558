#include "dialogue/answer_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Answer input over a fixed text, as if typed on standard input.
AnswerInput InputOf(const std::string& text) {
  auto position = std::make_shared<std::size_t>(0);
  return AnswerInput{[text, position]() -> int {
    if (*position >= text.size()) return -1;
    return static_cast<unsigned char>(text[(*position)++]);
  }};
}

// Every answer until the end of the input, numbers as themselves and the
// rest as "?".
std::vector<std::string> AllAnswers(const std::string& text) {
  AnswerInput input = InputOf(text);
  std::vector<std::string> answers;
  for (Answer a = ReadAnswer(input); a.kind != AnswerKind::kEndOfInput; a = ReadAnswer(input))
    answers.push_back(a.kind == AnswerKind::kNumber ? std::to_string(a.value) : "?");
  return answers;
}

using Answers = std::vector<std::string>;

TEST(AnswerReaderTest, ReadsSignedDecimalsAcrossAnyWhiteSpace) {
  EXPECT_EQ(AllAnswers("5"), Answers({"5"}));
  EXPECT_EQ(AllAnswers("  +5\t-7\r\n\n 0012 -0"), Answers({"5", "-7", "12", "0"}));
  EXPECT_EQ(AllAnswers("1 2\v3\f4"), Answers({"1", "2", "3", "4"}));
}

TEST(AnswerReaderTest, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
  EXPECT_EQ(AllAnswers("5abc 6"), Answers({"5", "?", "6"}));
  EXPECT_EQ(AllAnswers("3-4"), Answers({"3", "-4"}));
  EXPECT_EQ(AllAnswers("7.5"), Answers({"7", "?"}));
}

TEST(AnswerReaderTest, NonNumbersAreReadOffUpToWhiteSpace) {
  EXPECT_EQ(AllAnswers("abc 5"), Answers({"?", "5"}));
  EXPECT_EQ(AllAnswers("+ 5"), Answers({"?", "5"}));
  EXPECT_EQ(AllAnswers("-x5 6"), Answers({"?", "6"}));
  EXPECT_EQ(AllAnswers("+"), Answers({"?"}));
  EXPECT_EQ(AllAnswers(std::string("\0\x01\xff 9", 5)), Answers({"?", "9"}));
}

TEST(AnswerReaderTest, NumbersBeyondThirtyTwoBitsAreNotNumbers) {
  EXPECT_EQ(AllAnswers("2147483647 -2147483648"), Answers({"2147483647", "-2147483648"}));
  EXPECT_EQ(AllAnswers("2147483648 -2147483649 7"), Answers({"?", "?", "7"}));
  EXPECT_EQ(AllAnswers(std::string(10000, '9') + "x 3"), Answers({"?", "3"}));
  EXPECT_EQ(AllAnswers("4294967301"), Answers({"?"}));  // 2^32 + 5 must not wrap to 5
}

TEST(AnswerReaderTest, EndOfInputIsReportedOnlyWhenNothingIsLeft) {
  EXPECT_TRUE(AllAnswers("").empty());
  EXPECT_TRUE(AllAnswers(" \n\t ").empty());
  AnswerInput input = InputOf("4");
  EXPECT_EQ(ReadAnswer(input).kind, AnswerKind::kNumber);
  EXPECT_EQ(ReadAnswer(input).kind, AnswerKind::kEndOfInput);
  EXPECT_EQ(ReadAnswer(input).kind, AnswerKind::kEndOfInput);
}

TEST(AnswerReaderTest, AskInRangeDropsAnswersOutsideTheBounds) {
  AnswerInput input = InputOf("0 101 x 100 -1 11 10");
  std::int32_t value = -99;
  ASSERT_TRUE(AskInRange(input, 1, 100, &value));
  EXPECT_EQ(value, 100);
  ASSERT_TRUE(AskInRange(input, 0, 10, &value));
  EXPECT_EQ(value, 10);
  EXPECT_FALSE(AskInRange(input, 0, 10, &value));
  EXPECT_EQ(value, 10);  // left untouched at the end of the input
}

TEST(AnswerReaderTest, AskInRangeTakesNoValueFromAFailedRead) {
  AnswerInput input = InputOf("abc");
  std::int32_t value = 42;
  EXPECT_FALSE(AskInRange(input, 0, 6, &value));
  EXPECT_EQ(value, 42);
}

}  // namespace

namespace {

TEST(AnswerReaderTest, AByteOrderMarkIsSkippedAtTheVeryStartOnly) {
  using Answers = std::vector<std::string>;
  EXPECT_EQ(AllAnswers("\xEF\xBB\xBF"
                       "3\r\n2\r\n"),
            Answers({"3", "2"}));
  EXPECT_EQ(AllAnswers("\xEF\xBB\xBF"), Answers({}));
  EXPECT_EQ(AllAnswers("3 \xEF\xBB\xBF"
                       "4 5"),
            Answers({"3", "?", "5"}));
  EXPECT_EQ(AllAnswers("3\xEF\xBB\xBF"
                       "4 5"),
            Answers({"3", "?", "5"}));  // glued to a number, not at the start
  EXPECT_EQ(AllAnswers(" \xEF\xBB\xBF"
                       "4 5"),
            Answers({"?", "5"}));
  EXPECT_EQ(AllAnswers("\xEF\xBB"
                       "4 5"),
            Answers({"?", "5"}));
  EXPECT_EQ(AllAnswers("\xEF 5"), Answers({"?", "5"}));
  EXPECT_EQ(AllAnswers("\xFF"
                       "5 6"),
            Answers({"?", "6"}));  // CP1251 "я": just not a number
}

}  // namespace
