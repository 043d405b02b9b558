#include "odds/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Read(std::vector<const char*> words, Language language = Language::kRussian) {
  words.insert(words.begin(), "upgrade-odds");
  return ReadCommandLine(static_cast<int>(words.size()), words.data(), language);
}

std::string ErrorOf(std::vector<const char*> words) {
  const CommandLine line = Read(std::move(words));
  EXPECT_EQ(line.command, Command::kBadUsage);
  return line.error;
}

TEST(CommandLineTest, ASetUpTakesItsEightNumbersInTheirOrder) {
  const CommandLine line = Read({"3", "2", "50", "1", "6", "5", "+2", "-0"});
  ASSERT_EQ(line.command, Command::kSetUp);
  EXPECT_FALSE(line.csv);
  EXPECT_EQ(line.set_up.attempt_count, 3);
  EXPECT_EQ(line.set_up.item_grade, 2);
  EXPECT_EQ(line.set_up.item_level, 50);
  EXPECT_EQ(line.set_up.talik_count, 1);
  EXPECT_EQ(line.set_up.stone_tiers, (StoneTiers{6, 5, 2, 0}));
}

TEST(CommandLineTest, TheTableTakesTheLevelAndTheStones) {
  const CommandLine line = Read({"--csv", "--table", "65", "1", "2", "3", "4"});
  ASSERT_EQ(line.command, Command::kTable);
  EXPECT_TRUE(line.csv);
  EXPECT_EQ(line.set_up.item_level, 65);
  EXPECT_EQ(line.set_up.stone_tiers, (StoneTiers{1, 2, 3, 4}));
}

TEST(CommandLineTest, ThePlansStonesAreTheNumbersASetPerStepOrTheCheapest) {
  const CommandLine same = Read({"--plan", "4", "65", "3", "6", "6", "3", "0"});
  ASSERT_EQ(same.command, Command::kPlan);
  EXPECT_EQ(same.plan.item_grade, 4);
  EXPECT_EQ(same.plan.item_level, 65);
  EXPECT_EQ(same.plan.target, 3);
  ASSERT_TRUE(same.plan.stones.has_value());
  EXPECT_EQ((*same.plan.stones)[2], (StoneTiers{6, 6, 3, 0}));
  EXPECT_FALSE(same.plan.prices.has_value());

  const CommandLine sets = Read({"--plan", "--stones=6630,0220,1005", "1", "40", "3"});
  ASSERT_EQ(sets.command, Command::kPlan);
  ASSERT_TRUE(sets.plan.stones.has_value());
  EXPECT_EQ((*sets.plan.stones)[0], (StoneTiers{6, 6, 3, 0}));
  EXPECT_EQ((*sets.plan.stones)[1], (StoneTiers{0, 2, 2, 0}));
  EXPECT_EQ((*sets.plan.stones)[2], (StoneTiers{1, 0, 0, 5}));
  EXPECT_FALSE(sets.plan.prices.has_value());

  const CommandLine cheapest = Read({"--plan", "--prices", "1,2,3,4,5,6", "--attempt-price", "7",
                                     "--item-price=8", "1", "40", "3"});
  ASSERT_EQ(cheapest.command, Command::kPlan);
  EXPECT_FALSE(cheapest.plan.stones.has_value());
  ASSERT_TRUE(cheapest.plan.prices.has_value());
  EXPECT_EQ(cheapest.plan.prices->stone[0], 0.0);  // no stone is free
  EXPECT_EQ(cheapest.plan.prices->stone[1], 1.0);
  EXPECT_EQ(cheapest.plan.prices->stone[6], 6.0);
  EXPECT_EQ(cheapest.plan.prices->attempt, 7.0);
  EXPECT_EQ(cheapest.plan.prices->item, 8.0);

  // Prices with the player's own stones price those stones.
  const CommandLine own =
      Read({"--plan", "--prices", "1,2,3,4,5,6", "1", "40", "1", "6", "0", "0", "0"});
  ASSERT_EQ(own.command, Command::kPlan);
  EXPECT_TRUE(own.plan.stones.has_value());
  EXPECT_TRUE(own.plan.prices.has_value());
}

TEST(CommandLineTest, HelpAndTheVersionWinOverWhatFollows) {
  EXPECT_EQ(Read({"--help", "--bogus"}).command, Command::kHelp);
  EXPECT_EQ(Read({"3", "-h"}).command, Command::kHelp);
  EXPECT_EQ(Read({"-V"}).command, Command::kVersion);
  EXPECT_EQ(Read({"--bogus", "--help"}).command, Command::kBadUsage);
  // After "--" everything is a number, and a lone "-" or "-3" always is.
  EXPECT_EQ(Read({"--", "--help"}).command, Command::kBadUsage);
  EXPECT_EQ(ErrorOf({"--csv", "--", "--csv", "2", "50", "1", "3", "3", "2", "0"}),
            "число попыток должно быть целым числом от 1 до 100, а не «--csv»");
}

TEST(CommandLineTest, TheCheckGoesWithTheCsvAlone) {
  EXPECT_EQ(Read({"--check"}).command, Command::kCheck);
  const CommandLine csv = Read({"--check", "--csv"});
  EXPECT_EQ(csv.command, Command::kCheck);
  EXPECT_TRUE(csv.csv);
  const std::string alone = "--check задаётся без чисел и других параметров, кроме --csv";
  for (const std::vector<const char*>& words : {std::vector<const char*>{"--check", "5"},
                                                {"--check", "--table"},
                                                {"--plan", "--check"},
                                                {"--check", "--stones", "6630"},
                                                {"--check", "--item-price", "5"},
                                                {"--check", "--attempt-price=5"},
                                                {"--check", "--prices", "1,2,3,4,5,6"}}) {
    EXPECT_EQ(ErrorOf(words), alone) << words[1];
  }
}

TEST(CommandLineTest, OptionsThatNeedAnother) {
  EXPECT_EQ(ErrorOf({"--table", "--plan", "50", "3", "3", "2", "0"}),
            "--table и --plan не задаются вместе");
  EXPECT_EQ(ErrorOf({"--prices", "1,2,3,4,5,6", "2", "50", "3"}),
            "--prices задаётся только с --plan");
  EXPECT_EQ(ErrorOf({"--plan", "--item-price", "5", "2", "50", "3", "3", "3", "2", "0"}),
            "--attempt-price и --item-price задаются только с --prices");
  EXPECT_EQ(ErrorOf({"--table", "--stones", "3320", "50", "1"}),
            "--stones задаётся только с --plan");
  EXPECT_EQ(ErrorOf({"--plan", "--stones", "3320,3320,3320", "2", "50", "3", "3", "3", "2", "0"}),
            "камни задаются или числами К1..К4, или --stones, но не вместе");
}

TEST(CommandLineTest, TheCountOfNumbersEachFormWants) {
  EXPECT_EQ(ErrorOf({}), "нужно 8 чисел, а задано 0");
  EXPECT_EQ(ErrorOf({"--csv", "--table", "50", "3", "3", "2"}), "нужно 5 чисел, а задано 4");
  EXPECT_EQ(ErrorOf({"--plan", "2", "50", "3"}), "нужно 7 чисел, а задано 3");
  EXPECT_EQ(ErrorOf({"--plan", "--stones", "3320", "2", "50", "1", "0"}),
            "нужно 3 чисел, а задано 4");
  EXPECT_EQ(ErrorOf({"--plan", "--prices", "1,2,3,4,5,6", "2", "50", "3", "3"}),
            "нужно 3 чисел, а задано 4");
  EXPECT_EQ(ErrorOf({"3", "2", "50", "1", "3", "3", "2", "0", "0", "0", "0"}),
            "нужно 8 чисел, а задано 11");
}

TEST(CommandLineTest, EachNumberNamedWithItsRange) {
  EXPECT_EQ(ErrorOf({"0", "2", "50", "1", "3", "3", "2", "0"}),
            "число попыток должно быть целым числом от 1 до 100, а не «0»");
  EXPECT_EQ(ErrorOf({"3", "11", "50", "1", "3", "3", "2", "0"}),
            "тип оружия или брони должен быть целым числом от 0 до 10, а не «11»");
  EXPECT_EQ(ErrorOf({"3", "2", "66", "1", "3", "3", "2", "0"}),
            "уровень оружия или брони должен быть целым числом от 1 до 65, а не «66»");
  EXPECT_EQ(ErrorOf({"3", "2", "50", "7", "3", "3", "2", "0"}),
            "число установленных талик должно быть целым числом от 0 до 6, а не «7»");
  EXPECT_EQ(ErrorOf({"3", "2", "50", "1", "3", "3", "+-1", "0"}),
            "тип камня 3 должен быть целым числом от 0 до 6, а не «+-1»");
  EXPECT_EQ(ErrorOf({"--plan", "2", "50", "8", "3", "3", "2", "0"}),
            "цель (число талик) должна быть целым числом от 1 до 7, а не «8»");
  // The first wrong one in the order they are asked.
  EXPECT_EQ(ErrorOf({"3", "2", "50", "x", "9", "3", "2", "0"}),
            "число установленных талик должно быть целым числом от 0 до 6, а не «x»");
}

TEST(CommandLineTest, PricesAndStoneSets) {
  EXPECT_EQ(ErrorOf({"--plan", "--prices", "1,2,3,4,5", "2", "50", "3"}),
            "--prices: нужно 6 цен через запятую, а задано 5");
  EXPECT_EQ(ErrorOf({"--plan", "--prices", "1,2,3,4,5,6,7", "2", "50", "3"}),
            "--prices: нужно 6 цен через запятую, а задано 7");
  EXPECT_EQ(ErrorOf({"--plan", "--prices", "1,2,x,4,5", "2", "50", "3"}),
            "цена должна быть целым числом от 0 до 1000000000000, а не «x»");
  EXPECT_EQ(ErrorOf({"--plan", "--prices", "1,2,3,4,5,6", "--attempt-price=1000000000001", "2",
                     "50", "3"}),
            "цена должна быть целым числом от 0 до 1000000000000, а не «1000000000001»");
  EXPECT_EQ(ErrorOf({"--plan", "--prices"}), "после --prices нужно значение");
  EXPECT_EQ(ErrorOf({"--plan", "--stones", "", "2", "50", "3"}), "--stones: нет ни одного набора");
  EXPECT_EQ(ErrorOf({"--plan", "--stones", "3320,3370,3320", "2", "50", "3"}),
            "--stones: набор «3370» - не четыре цифры от 0 до 6");
  EXPECT_EQ(ErrorOf({"--plan", "--stones", "3320,3320", "2", "50", "3"}),
            "--stones: нужно 3 наборов (по одному на 0..2 талик), а задано 2");
  EXPECT_EQ(ErrorOf({"--plan", "--csv=1", "2", "50", "3"}), "неизвестный параметр «--csv=1»");
}

TEST(CommandLineTest, HelpNamesEveryRange) {
  const std::string help = HelpText(Language::kRussian);
  for (const char* range : {"от 1 до 100", "от 0 до 10", "от 1 до 65", "от 0 до 6", "(1..7)"})
    EXPECT_NE(help.find(range), std::string::npos) << range;
  const std::string english = HelpText(Language::kEnglish);
  for (const char* range :
       {"from 1 to 100", "from 0 to 10", "from 1 to 65", "from 0 to 6", "(1..7)", "digits 0..6"})
    EXPECT_NE(english.find(range), std::string::npos) << range;
  EXPECT_EQ(UsageText(Language::kRussian).rfind("Использование:\n", 0), 0u);
  EXPECT_EQ(UsageText(Language::kEnglish).rfind("Usage:\n", 0), 0u);
}

TEST(CommandLineTest, TheLanguageOfLangWhereverItStandsOrElseTheGivenOne) {
  EXPECT_EQ(Read({"--check"}, Language::kEnglish).language, Language::kEnglish);
  EXPECT_EQ(Read({"--check", "--lang", "ru"}, Language::kEnglish).language, Language::kRussian);
  const CommandLine check = Read({"--lang=en", "--check", "--csv"});
  EXPECT_EQ(check.command, Command::kCheck);
  EXPECT_EQ(check.language, Language::kEnglish);
  // A message before --lang is in its language too.
  EXPECT_EQ(ErrorOf({"0", "2", "50", "1", "3", "3", "2", "0", "--lang", "en"}),
            "the number of attempts must be a whole number from 1 to 100, not «0»");
  EXPECT_EQ(ErrorOf({"--lang", "de", "--check"}), "--lang: язык — один из ru, en, а не «de»");
  EXPECT_EQ(ErrorOf({"--lang"}), "после --lang нужно значение");
  // After "--" it is a number like any other.
  EXPECT_EQ(Read({"--", "--lang=en"}).language, Language::kRussian);
}

}  // namespace
