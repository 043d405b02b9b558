#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// Two rows of two cells; the values compared are [0][0], [0][1] and [1][0].
constexpr IniGridLayout kLayout = {"ItemGrade", 2, "UpgradeLevel", 2};

using Values = std::vector<std::int32_t>;

Values Cells(const IniGrid& grid) { return {grid.cell[0][0], grid.cell[0][1], grid.cell[1][0]}; }

Values Read(const std::string& text) { return Cells(ReadIniGridFromText(text, kLayout)); }

// The text as UTF-16 with its byte-order mark; every character here is ASCII.
std::string Utf16(const std::string& text, bool little_endian) {
  std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    bytes += little_endian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return bytes;
}

TEST(IniReaderTest, ReadsThePlainFormWithEitherLineEnding) {
  const std::string lf =
      "[ItemGrade0]\nUpgradeLevel0=10\nUpgradeLevel1=11\n[ItemGrade1]\nUpgradeLevel0=20\n";
  EXPECT_EQ(Read(lf), Values({10, 11, 20}));
  const std::string crlf =
      "[ItemGrade0]\r\nUpgradeLevel0=10\r\nUpgradeLevel1=11\r\n[ItemGrade1]\r\nUpgradeLevel0="
      "20\r\n";
  EXPECT_EQ(Read(crlf), Values({10, 11, 20}));
  EXPECT_EQ(Read("[ItemGrade1]\r\nUpgradeLevel0=20"), Values({0, 0, 20}));  // no final break
}

TEST(IniReaderTest, MissingSectionsKeysAndTextReadZero) {
  EXPECT_EQ(Read(""), Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel1=5\n"), Values({0, 5, 0}));
  EXPECT_EQ(Read("UpgradeLevel0=5\n[ItemGrade2]\nUpgradeLevel0=6\n"), Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=\nUpgradeLevel1\n"), Values({0, 0, 0}));
}

TEST(IniReaderTest, ToleratesBlanksCaseBomAndComments) {
  EXPECT_EQ(Read("\xEF\xBB\xBF[ItemGrade0]\nUpgradeLevel0=1\n"), Values({1, 0, 0}));
  EXPECT_EQ(Read("  [ ItemGrade0 ]  \n\t UpgradeLevel0 \t=  7  \n"), Values({7, 0, 0}));
  EXPECT_EQ(Read("[itemgrade0]\nUPGRADELEVEL1=3\n"), Values({0, 3, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\n;UpgradeLevel0=1\n  ; UpgradeLevel1=2\nUpgradeLevel1=4\n"),
            Values({0, 4, 0}));
  EXPECT_EQ(Read("[ItemGrade0] trailing words\nUpgradeLevel0=1\n"), Values({1, 0, 0}));
  // The name runs to the last ']'.
  EXPECT_EQ(Read("[ItemGrade0]x]\nUpgradeLevel0=1\n"), Values({0, 0, 0}));
}

TEST(IniReaderTest, TheFirstOfDuplicateSectionsAndKeysCounts) {
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=1\n[ItemGrade0]\nUpgradeLevel0=2\nUpgradeLevel1=3\n"),
            Values({1, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=1\nupgradelevel0=2\n"), Values({1, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0\nUpgradeLevel0=2\n"), Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\n[ITEMGRADE0]\nUpgradeLevel0=2\n"), Values({0, 0, 0}));
}

TEST(IniReaderTest, LinesOfAnyLengthFollowTheSameRules) {
  const std::string long_text(std::size_t{100} * 1024, 'x');
  const std::string long_blanks(std::size_t{100} * 1024, ' ');
  // A long value saturates; as the first of its key it hides the next one.
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=" + std::string(std::size_t{100} * 1024, '9') +
                 "\nUpgradeLevel0=5\n"),
            Values({2147483647, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=" + long_blanks + "7" + long_blanks + "\n"),
            Values({7, 0, 0}));
  // A long section header still ends the section before it.
  EXPECT_EQ(Read("[ItemGrade0]\n[" + long_text + "]\nUpgradeLevel0=5\n"), Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]" + long_text + "\nUpgradeLevel0=5\n"), Values({5, 0, 0}));
  EXPECT_EQ(Read("[" + long_blanks + "ItemGrade1" + long_blanks + "]\nUpgradeLevel0=6\n"),
            Values({0, 0, 6}));
  EXPECT_EQ(Read(long_text + "\n[ItemGrade1]\nUpgradeLevel0=6"), Values({0, 0, 6}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0" + long_blanks + "=" + long_blanks + "'8'" +
                 long_blanks + "\n"),
            Values({8, 0, 0}));
}

TEST(IniReaderTest, NamesMustBeExactlyTheGridsOwn) {
  EXPECT_EQ(Read("[ItemGrade00]\nUpgradeLevel0=1\n[ItemGrade1]\nUpgradeLevel00=2\n"),
            Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade 0]\nUpgradeLevel0=1\n[ItemGrade2]\nUpgradeLevel0=2\n"),
            Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel 0=1\nUpgradeLevel0 x=2\nUpgradeLevel2=3\n"),
            Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0 5\nUpgradeLevel0=4\n"), Values({4, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\n[]\nUpgradeLevel0=1\n[ItemGrade0\nUpgradeLevel0=2\n"),
            Values({0, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\n[ItemGrade1\nUpgradeLevel0=2\n"), Values({2, 0, 0}));
}

TEST(IniReaderTest, Utf16TextsReadAsTheirEightBitForm) {
  const std::string text =
      "[ItemGrade0]\r\nUpgradeLevel0=10\r\nUpgradeLevel1='0x0A'\r\n[ItemGrade1]\nUpgradeLevel0=-3";
  EXPECT_EQ(Read(Utf16(text, true)), Values({10, 10, -3}));
  EXPECT_EQ(Read(Utf16(text, false)), Values({10, 10, -3}));
  // A character beyond ASCII is no letter or digit of a name or number: a
  // Russian "з" (U+0437) is not the digit 7 of its low byte, nor U+0137.
  const std::string lead =
      "\xFF\xFE[\0I\0t\0e\0m\0G\0r\0a\0d\0e\0"
      "1\0]\0\n\0U\0p\0g\0r\0a\0d\0e\0L\0e\0v\0e\0l\0"
      "0\0=\0"s;
  EXPECT_EQ(Read(lead + "\x37\x01"s), Values({0, 0, 0}));
  EXPECT_EQ(Read(lead + "1\0\x37\x04"s), Values({0, 0, 1}));
  EXPECT_EQ(Read(lead + "\x37\x04"s + "2\0"s), Values({0, 0, 0}));
  // Without its mark, UTF-16 is just bytes, NULs and all.
  EXPECT_EQ(Read(Utf16(text, true).substr(2)), Values({0, 0, 0}));
}

TEST(IniReaderTest, ALoneCarriageReturnEndsALine) {
  EXPECT_EQ(Read("[ItemGrade0]\rUpgradeLevel0=1\rUpgradeLevel1=2\r[ItemGrade1]\rUpgradeLevel0=3"),
            Values({1, 2, 3}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=1\r2\n"), Values({1, 0, 0}));
}

TEST(IniReaderTest, ChunkBoundariesChangeNothing) {
  const std::string text = Utf16("[ItemGrade1]\r\nUpgradeLevel0=\"0x10\"\r\n", true);
  for (std::size_t step = 1; step <= 5; ++step) {
    std::size_t offset = 0;
    const IniGrid grid = ReadIniGrid(
        [&](char* buffer, std::size_t size) {
          const std::size_t n = std::min({size, step, text.size() - offset});
          std::copy_n(text.data() + offset, n, buffer);
          offset += n;
          return n;
        },
        kLayout);
    EXPECT_EQ(Cells(grid), Values({0, 0, 16})) << "step " << step;
  }
  EXPECT_EQ(Read("\xEF\xBB"), Values({0, 0, 0}));
  EXPECT_EQ(Read("\xEF\xBB\xBF"), Values({0, 0, 0}));
}

// Near misses of the plain lines: each names a cell of the first row or
// not, whatever the line ends and however the text arrives.
TEST(IniReaderTest, NearMissesOfThePlainLinesReadByTheRules) {
  struct Case {
    const char* lines;  // '|' between lines
    Values cells;
  };
  const Case cases[] = {
      {"[ItemGrade0]|UpgradeLevel0=7", {7, 0, 0}},
      {"[ITEMGRADE0]|upgradelevel1=8", {0, 8, 0}},
      {"[ItemGrade0]|UpgradeLevxl0=5", {0, 0, 0}},
      {"[ItemGrade0]|UpgradeLevel0x=5", {0, 0, 0}},
      {"[ItemGradx0]|UpgradeLevel0=5", {0, 0, 0}},
      {"[ItemGrade0]|UpgradeLeve0=6|UpgradeLevel01=6|UpgradeLevel2=6", {0, 0, 0}},
      {"[ItemGrade01]|UpgradeLevel0=5", {0, 0, 0}},
      {"[ItemGrade]|UpgradeLevel0=5", {0, 0, 0}},
      {"[ItemGrade2]|UpgradeLevel0=5", {0, 0, 0}},
      {"[ItemGrade1]]|UpgradeLevel0=5", {0, 0, 0}},
      {"[ItemGrade1 ]|UpgradeLevel0=5", {0, 0, 5}},
      {"[ItemGrade0]|UpgradeLevel0=123456789|UpgradeLevel1=1234567890", {123456789, 1234567890, 0}},
      {"[ItemGrade0]|UpgradeLevel0=99999999999|UpgradeLevel1=2147483648",
       {2147483647, 2147483647, 0}},
      {"[ItemGrade0]|UpgradeLevel0=12x|UpgradeLevel1=", {12, 0, 0}},
      {"[ItemGrade0]|UpgradeLevel0 =6|UpgradeLevel1=-6", {6, -6, 0}},
      {"[ItemGrade0]|UpgradeLevel0=0x1F|UpgradeLevel1=\"9\"", {31, 9, 0}},
      {"[ItemGrade0]|UpgradeLevel0=5 ; five", {5, 0, 0}},
  };
  for (const Case& one : cases) {
    for (const char* line_end : {"\n", "\r\n", "\r"}) {
      std::string text = one.lines;
      for (std::size_t bar; (bar = text.find('|')) != std::string::npos;)
        text.replace(bar, 1, line_end);
      EXPECT_EQ(Read(text), one.cells) << one.lines;
      std::size_t offset = 0;
      const IniGrid by_byte = ReadIniGrid(
          [&](char* buffer, std::size_t size) {
            if (offset == text.size() || size == 0) return std::size_t{0};
            buffer[0] = text[offset++];
            return std::size_t{1};
          },
          kLayout);
      EXPECT_EQ(Cells(by_byte), one.cells) << one.lines;
    }
  }
}

TEST(IniReaderTest, ValuesReadAsNumbersUpToTheFirstStrangeCharacter) {
  EXPECT_EQ(ParseIniInteger("12abc"), 12);
  EXPECT_EQ(ParseIniInteger("1 2"), 1);
  EXPECT_EQ(ParseIniInteger("abc"), 0);
  EXPECT_EQ(ParseIniInteger(""), 0);
  EXPECT_EQ(ParseIniInteger("-"), 0);
  EXPECT_EQ(ParseIniInteger("+15"), 15);
  EXPECT_EQ(ParseIniInteger("-15"), -15);
  EXPECT_EQ(ParseIniInteger("0x1F"), 31);
  EXPECT_EQ(ParseIniInteger("0xff"), 255);
  EXPECT_EQ(ParseIniInteger("0xabcdef"), 11259375);
  EXPECT_EQ(ParseIniInteger("0x0A"), 10);
  EXPECT_EQ(ParseIniInteger("0x00000010"), 16);
  EXPECT_EQ(ParseIniInteger("-0x10"), -16);
  EXPECT_EQ(ParseIniInteger("0X10"), 0);  // upper case: the 0, then X stops
  EXPECT_EQ(ParseIniInteger("0x"), 0);
  EXPECT_EQ(ParseIniInteger("0xg"), 0);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("1.9"), 1);
}

// The grid reads its values by the same rule as ParseIniInteger, the fast
// run of digits included.
TEST(IniReaderTest, GridValuesReadHexadecimalAndStopAtJunk) {
  const IniGridLayout layout = {"S", 1, "K", 4};
  const IniGrid grid = ReadIniGridFromText("[S0]\nK0=0x64\nK1=53%\nK2=-0x10\nK3=12 34\n", layout);
  EXPECT_EQ(grid.cell[0][0], 100);
  EXPECT_EQ(grid.cell[0][1], 53);
  EXPECT_EQ(grid.cell[0][2], -16);
  EXPECT_EQ(grid.cell[0][3], 12);
}

TEST(IniReaderTest, ValuesOutsideThirtyTwoBitsSaturate) {
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("2147483648"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseIniInteger("-2147483649"), -2147483647 - 1);
  EXPECT_EQ(ParseIniInteger(std::string(10000, '9')), 2147483647);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), 2147483647);
  EXPECT_EQ(ParseIniInteger("00000000000000000000000000042"), 42);
}

TEST(IniReaderTest, QuotedValuesAreUnquoted) {
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=\"12\"\nUpgradeLevel1=\"13\n"), Values({12, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0='12'\nUpgradeLevel1='13\"\n"), Values({12, 0, 0}));
  EXPECT_EQ(Read("[ItemGrade0]\nUpgradeLevel0=\" 12 \" \nUpgradeLevel1=\"\"\n"),
            Values({12, 0, 0}));
  // In a CR LF file too, with a key without '=' hiding a later one.
  EXPECT_EQ(Read("[ItemGrade0]\r\nUpgradeLevel0=\"12\"\r\nUpgradeLevel1\r\nUpgradeLevel1=3\r\n"
                 "[ItemGrade1]\r\nUpgradeLevel0='4'\r\n"),
            Values({12, 0, 4}));
}

TEST(IniReaderTest, MissingOrSpecialFilesReadAsEmpty) {
  EXPECT_EQ(Cells(ReadIniGridFromFile("no/such/dir/file.ini", kLayout)), Values({0, 0, 0}));
  EXPECT_EQ(Cells(ReadIniGridFromFile(".", kLayout)), Values({0, 0, 0}));
  EXPECT_EQ(Cells(ReadIniGridFromFile("/dev/null", kLayout)), Values({0, 0, 0}));
}

}  // namespace
