#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<IniKey> kWanted = {
    {"ItemGrade0", "UpgradeLevel0"},
    {"ItemGrade0", "UpgradeLevel1"},
    {"ItemGrade1", "UpgradeLevel0"},
};

using Values = std::vector<std::int32_t>;

Values Read(const std::string& text) { return ReadIniIntegersFromText(text, kWanted); }

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

TEST(IniReaderTest, OverlongLinesAreSkippedWhole) {
  const std::string long_key = "UpgradeLevel0=" + std::string(kMaxIniLineLength, '9');
  EXPECT_EQ(Read("[ItemGrade0]\n" + long_key + "\nUpgradeLevel0=5\n"), Values({5, 0, 0}));
  const std::string long_junk(3 * kMaxIniLineLength, 'x');
  EXPECT_EQ(Read(long_junk + "\n[ItemGrade1]\nUpgradeLevel0=6"), Values({0, 0, 6}));
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
  EXPECT_EQ(ParseIniInteger("-0x10"), -16);
  EXPECT_EQ(ParseIniInteger("0X10"), 0);  // upper case: the 0, then X stops
  EXPECT_EQ(ParseIniInteger("0x"), 0);
  EXPECT_EQ(ParseIniInteger("0xg"), 0);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("1.9"), 1);
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
}

TEST(IniReaderTest, MissingOrSpecialFilesReadAsEmpty) {
  EXPECT_EQ(ReadIniIntegersFromFile("no/such/dir/file.ini", kWanted), Values({0, 0, 0}));
  EXPECT_EQ(ReadIniIntegersFromFile(".", kWanted), Values({0, 0, 0}));
  EXPECT_EQ(ReadIniIntegersFromFile("/dev/null", kWanted), Values({0, 0, 0}));
}

}  // namespace
