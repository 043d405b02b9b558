// The catalogue: every text upgrade-odds and the page show, in each
// language, apart from the simulator's fixed dialogue (dialogue/), whose
// bytes never change. A language is one file, results/texts_<code>.cpp,
// holding one entry for each id below, and its line in
// results/languages.def; see README for adding one.
//
// The texts are grouped by who shows them, so that a program links only its
// own: the reports, the journey's report, upgrade-odds' command line and
// the page. "{1}", "{2}", ... in a text stand for the arguments of Say().
#ifndef UPGRADE_SIM_RESULTS_TEXTS_H_
#define UPGRADE_SIM_RESULTS_TEXTS_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "model/attempt_series.h"

/// Each language of results/languages.def as k<Name>: kRussian, kEnglish.
enum class Language {
#define UPGRADE_SIM_LANGUAGE(name, code) k##name,
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE
};

/// The codes of --lang, the page's lang= and the facts, in Language order.
constexpr std::string_view kLanguageCodes[] = {
#define UPGRADE_SIM_LANGUAGE(name, code) code,
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE
};
constexpr int kLanguageCount = sizeof kLanguageCodes / sizeof kLanguageCodes[0];

/// The language of a code from kLanguageCodes; false for any other.
bool LanguageOfCode(std::string_view code, Language* language);

/// The codes of every language, as messages list them: "ru, en".
std::string LanguageCodeList();

/// The language the environment's locale names, as POSIX ranks its
/// variables (LC_ALL, then LC_MESSAGES, then LANG; unset or empty ones
/// skipped): the one whose code the name starts with ("en", "en_GB.UTF-8");
/// the first, Russian, otherwise.
Language LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang);

/// What the set-up and table reports, the figures and the tables' findings
/// say, for upgrade-odds and the page alike.
enum class ReportText {
  kChanceLine,       // {1} the whole percent, with the line break
  kChancePer100000,  // {1}
  kStoneFactorSum,   // {1}
  kOneAttempt,       // the heading of one attempt's odds
  kSuccess,          // the four outcomes, in the order of kAttemptOutcomes
  kItemDestroyed,
  kTaliksDestroyed,
  kFailed,
  kAttemptCount,  // {1}
  kSuccessBeforeLoss,
  kItemLost,
  kAtLeastOneSuccess,
  kCountingAfterLoss,
  kExpectedOutcomes,
  kAttemptsToSuccess,  // {1} the figure, or kSuccessImpossible
  kSuccessImpossible,
  kTableHeading,  // {1} the level, {2} the stones' factor sum
  kTableCorner,
  kGrade0,  // the names of the item grades, 0 to 10, as the list of weapon
  kGrade1,  // and armour types shows them
  kGrade2,
  kGrade3,
  kGrade4,
  kGrade5,
  kGrade6,
  kGrade7,
  kGrade8,
  kGrade9,
  kGrade10,
  kNoStone,  // a stone slot left empty
  kTier,     // {1} a stone tier, 1 to 6
  kNever,    // a count or expectation that never comes
  kRange,    // {1} low, {2} high: both included
  kCount
};

/// The journey's report (upgrade-odds --plan).
enum class JourneyText {
  kHeading,        // {1} target, {2} grade, {3} grade name, {4} level
  kSameStones,     // {1} the stones' labels
  kStonesPerStep,  // {1} the sets' digits, a comma between
  kStonePrices,    // {1} the tiers' prices
  kTierPrice,      // {1} the tier's label, {2} its price
  kOtherPrices,    // {1} an attempt's price, {2} a new item's
  kCheapestChosen,
  kTaliksHeading,  // the columns' headings; {1} a percentile level
  kStonesHeading,
  kSuccessHeading,
  kReachHeading,
  kAttemptsHeading,
  kRenewedHeading,
  kLossesHeading,
  kAttemptsForHeading,
  kCostHeading,
  kItemsForHeading,
  kBudgetForHeading,
  kWithinBudgetHeading,
  kStock,      // {1} the stones to stock, or kNoStones
  kStockItem,  // {1} a tier's label, {2} its count
  kNoStones,
  kLegend,  // {1} the level the report shows
  kCostLegend,
  kLegendEnd,
  kItemsForLegend,          // {1} the level
  kBudgetForLegend,         // {1} the level
  kRoundedLegend,           // {1} the mark of a rounded budget, each slightly above
  kRoundedAtMostLegend,     // {1} the mark, {2} the percent each is at most above
  kRoundedUnboundedLegend,  // {1} the mark
  kWithinBudgetLegend,      // {1} the player's budget
  kAtLeastLegend,           // {1} the mark of a lower bound
  kCount
};

/// upgrade-odds' own words: its usage, help and messages.
enum class OddsText {
  kUsage,
  kHelp,         // {1}..{6} the ranges of the numbers, {7} the languages' codes
  kBadAttempts,  // {1} the range, {2} the argument
  kBadGrade,
  kBadLevel,
  kBadTaliks,
  kBadTarget,
  kBadStone,    // {1} the range, {2} the argument, {3} the slot
  kBadPrice,    // {1} the range, {2} the argument
  kBadBudget,   // {1} the range, {2} the argument
  kPriceCount,  // {1} wanted, {2} given
  kNoStoneSets,
  kBadStoneSet,    // {1} the set, {2} the range of a digit
  kStoneSetCount,  // {1} wanted, {2} the highest talik count, {3} given
  kNeedsValue,     // {1} the option
  kUnknownOption,  // {1} the argument
  kBadLanguage,    // {1} the argument, {2} the languages' codes
  kCheckAlone,
  kNotTogether,  // {1}, {2} the options
  kPricesNeedPlan,
  kExtraPricesNeedPrices,
  kBudgetNeedsPrices,
  kStonesNeedPlan,
  kStonesTwice,
  kNumberCount,     // {1} wanted, {2} given
  kMissingFile,     // {1} the file, {2} the folder
  kNotAFile,        // {1} the file, {2} the folder
  kUnreadableFile,  // {1} the file, {2} the folder, {3} the system's reason
  kPressAnyKey,
  kCount
};

/// What the page's module says: its fields' errors and the errors of a
/// request that is not one.
enum class PageText {
  kPriceNeeded,
  kUnknownKey,       // {1} the key
  kKeyTwice,         // {1} the key
  kNoTable,          // {1} the table's key
  kTableCells,       // {1} the table's key, {2} the cell count
  kUnknownFile,      // {1} what was asked
  kUnknownView,      // {1} what was asked
  kUnknownTable,     // {1} what was asked
  kUnknownLanguage,  // {1} the languages' codes
  kBadStoneSet,      // {1} the set, {2} the range of a digit
  kStoneSetCount,    // {1} the sets given, {2} wanted, {3} the highest talik count
  kFileTooBig,       // {1} the most bytes
  kCount
};

/// What upgrade-odds --check and the page say of the tables' INI files.
enum class CheckText {
  kCell,               // {1} key, {2} section
  kForeignSection,     // {1} the section as written
  kSectionBeyond,      // {1}
  kMaybe,              // {1} the nearest valid name
  kForeignKey,         // {1} the key as written, {2} its section
  kKeyBeyond,          // {1}, {2}
  kHashWords,          // after a line that starts with '#'
  kUnclosedSection,    // {1} the line after its '['
  kUnclosedInSection,  // {1} the section the keys after it fall into
  kUnclosedOutside,
  kValue,       // {1} as written, {2} the cell, {3} the mistake, {4} what it reads as
  kEmptyValue,  // the mistakes, in the order of ValueMistake
  kNoNumber,
  kJunk,
  kBeyond32Bits,
  kUnclosedQuote,
  kQuoted,
  kUnusualForm,
  kTextAfter,
  kOutsideScale,  // {1} the value, {2} the cell, {3} the scale
  kNegativeWeight,
  kLossScale,    // {1} the scale's top
  kSectionForm,  // {1} as written, {2} as it reads
  kKeyForm,      // {1}, {2}
  kNotText,      // {1} what the bytes are
  kUtf16WithoutMark,
  kUtf32,
  kBinary,
  kSecondSection,    // {1} the section, {2} the line of the one read
  kSecondKey,        // {1} the cell, {2} the line of the one read
  kKeyWithoutValue,  // {1} the cell
  kStrayLine,        // {1} the line
  kOneLineBefore,
  kLinesBefore,   // {1} first, {2} last, {3} how many
  kNoSection,     // {1}
  kCellsMissing,  // {1} the section, {2} its keys missing
  kMissingFile,
  kUnreadableFile,  // {1} the system's reason
  kNotAFile,
  kOtherCase,  // {1} the file there, {2} the name it must have
  kMore,       // {1} not listed, {2} all
  kErrorsOne,  // {1} a count, in the form its number takes
  kErrorsFew,
  kErrorsMany,
  kNotesOne,
  kNotesFew,
  kNotesMany,
  kSummary,  // {1} errors, {2} notes
  kCount
};

/// Which of a count's forms the language gives the number n: 0 for the
/// form of one ("1 ошибка"), 1 of a few ("2 ошибки"), 2 of many ("5 ошибок").
int CountForm(Language language, std::int64_t n);

/// A text of the language.
std::string_view TextOf(Language language, ReportText id);
std::string_view TextOf(Language language, JourneyText id);
std::string_view TextOf(Language language, OddsText id);
std::string_view TextOf(Language language, PageText id);
std::string_view TextOf(Language language, CheckText id);

/// pattern with "{1}", "{2}", ... replaced by the arguments in turn; a
/// placeholder without an argument stays as it is.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> arguments);

/// A text of the language with its arguments filled in.
template <typename Id>
std::string Say(Language language, Id id, std::initializer_list<std::string_view> arguments = {}) {
  return Fill(TextOf(language, id), arguments);
}

/// The outcome's name, as the reports list it.
std::string_view OutcomeName(Language language, AttemptOutcome outcome);

/// The name of an item grade, 0 to 10.
std::string_view GradeName(Language language, int grade);

/// "от 1 до 100": a range as every message names it.
std::string RangeText(Language language, std::int64_t low, std::int64_t high);

/// The page's own words, by key: its headings, labels and sentences.
struct KeyedText {
  std::string_view key;
  std::string_view text;
};
struct KeyedTexts {
  const KeyedText* texts;
  std::size_t count;
};
KeyedTexts PageLabels(Language language);

/// One of the page's words; "" for a key no language has.
std::string_view PageLabel(Language language, std::string_view key);

// ---- For the language files ---------------------------------------------------

template <typename Id>
struct TextEntry {
  Id id;
  std::string_view text;
};

/// A language file's entries stand in the order of the ids, every id once.
template <typename Id, std::size_t N>
constexpr bool InIdOrder(const TextEntry<Id> (&entries)[N]) {
  if (N != static_cast<std::size_t>(Id::kCount)) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(entries[i].id) != i) return false;
  }
  return true;
}

// What each language's file defines.
#define UPGRADE_SIM_LANGUAGE(name, code)       \
  std::string_view name##Text(ReportText id);  \
  std::string_view name##Text(JourneyText id); \
  std::string_view name##Text(OddsText id);    \
  std::string_view name##Text(PageText id);    \
  std::string_view name##Text(CheckText id);   \
  KeyedTexts name##PageLabels();               \
  int name##CountForm(std::int64_t n);
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE

#endif  // UPGRADE_SIM_RESULTS_TEXTS_H_
