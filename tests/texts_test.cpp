#include "results/texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(TextsTest, FillTakesEachPlaceholderItsArgument) {
  EXPECT_EQ(Fill("{2} и {1}, {1}", {"a", "b"}), "b и a, a");
  EXPECT_EQ(Fill("{3} {}", {"a"}), "{3} {}");   // left as it is
  EXPECT_EQ(Fill("{1}", {"{2}", "x"}), "{2}");  // an argument is not filled in again
  EXPECT_EQ(Fill("", {}), "");
  EXPECT_EQ(Fill("{1", {"a"}), "{1");
}

TEST(TextsTest, TheLocalesLanguageAsPosixRanksTheVariables) {
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), Language::kRussian);
  EXPECT_EQ(LanguageOfLocale("", "", "en_US.UTF-8"), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("C", nullptr, "en_US.UTF-8"), Language::kRussian);
  EXPECT_EQ(LanguageOfLocale(nullptr, "en", "ru_RU.UTF-8"), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("ru_RU.KOI8-R", "en_GB", "en_GB"), Language::kRussian);
  EXPECT_EQ(LanguageOfLocale("en_GB@euro", nullptr, nullptr), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("en.UTF-8", nullptr, nullptr), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("eng", nullptr, nullptr), Language::kRussian);
  Language language = Language::kRussian;
  EXPECT_TRUE(LanguageOfCode("en", &language));
  EXPECT_EQ(language, Language::kEnglish);
  EXPECT_FALSE(LanguageOfCode("EN", &language));
  EXPECT_FALSE(LanguageOfCode("", &language));
}

// The placeholders a text uses: a translation must use the same ones.
std::set<char> Placeholders(std::string_view text) {
  std::set<char> found;
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] == '{' && text[i + 2] == '}') found.insert(text[i + 1]);
  }
  return found;
}

template <typename Id>
void ExpectEveryLanguageAlike() {
  for (int i = 0; i < static_cast<int>(Id::kCount); ++i) {
    const Id id = static_cast<Id>(i);
    const std::string_view russian = TextOf(Language::kRussian, id);
    EXPECT_FALSE(russian.empty()) << i;
    for (int l = 1; l < kLanguageCount; ++l) {
      const std::string_view other = TextOf(static_cast<Language>(l), id);
      EXPECT_FALSE(other.empty()) << i;
      EXPECT_EQ(Placeholders(other), Placeholders(russian)) << i << ": " << other;
      // A line break the writer relies on at the end stays there.
      EXPECT_EQ(other.back() == '\n', russian.back() == '\n') << i << ": " << other;
    }
  }
}

TEST(TextsTest, EveryLanguageHasEveryTextWithTheSamePlaceholders) {
  ExpectEveryLanguageAlike<ReportText>();
  ExpectEveryLanguageAlike<JourneyText>();
  ExpectEveryLanguageAlike<OddsText>();
  ExpectEveryLanguageAlike<PageText>();
}

TEST(TextsTest, ThePagesWordsHaveTheSameKeysInEveryLanguage) {
  const KeyedTexts russian = PageLabels(Language::kRussian);
  std::set<std::string_view> keys;
  for (std::size_t i = 0; i < russian.count; ++i) {
    EXPECT_TRUE(keys.insert(russian.texts[i].key).second) << russian.texts[i].key;
  }
  for (int l = 1; l < kLanguageCount; ++l) {
    const Language language = static_cast<Language>(l);
    const KeyedTexts other = PageLabels(language);
    ASSERT_EQ(other.count, russian.count);
    for (std::size_t i = 0; i < other.count; ++i) {
      EXPECT_EQ(other.texts[i].key, russian.texts[i].key);
      EXPECT_EQ(Placeholders(other.texts[i].text), Placeholders(russian.texts[i].text))
          << other.texts[i].key;
    }
    EXPECT_EQ(PageLabel(language, "no_stone"), "No stone");
  }
  EXPECT_EQ(PageLabel(Language::kRussian, "no such key"), "");
}

TEST(TextsTest, NamesByOutcomeAndGrade) {
  EXPECT_EQ(OutcomeName(Language::kRussian, AttemptOutcome::kTaliksDestroyed),
            "- Талики уничтожены");
  EXPECT_EQ(OutcomeName(Language::kEnglish, AttemptOutcome::kFailed), "- Upgrade failed");
  EXPECT_EQ(GradeName(Language::kRussian, 0), "Белое");
  EXPECT_EQ(GradeName(Language::kRussian, 10), "красное");
  EXPECT_EQ(GradeName(Language::kEnglish, 9), "PvP weapon");
  EXPECT_EQ(RangeText(Language::kEnglish, 0, 1000000000000), "from 0 to 1000000000000");
}

}  // namespace
