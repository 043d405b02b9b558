#include "results/texts.h"

bool LanguageOfCode(std::string_view code, Language* language) {
  for (int i = 0; i < kLanguageCount; ++i) {
    if (code != kLanguageCodes[i]) continue;
    *language = static_cast<Language>(i);
    return true;
  }
  return false;
}

Language LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* name : {lc_all, lc_messages, lang}) {
    if (name == nullptr || *name == '\0') continue;
    // The language is the name up to its territory, codeset or modifier:
    // en_GB.UTF-8@euro.
    const std::string_view locale = name;
    Language language = Language::kRussian;
    (void)LanguageOfCode(locale.substr(0, locale.find_first_of("_.@")), &language);
    return language;
  }
  return Language::kRussian;
}

namespace {

// Each language's function of one kind, in Language order.
template <typename Function>
using PerLanguage = Function[kLanguageCount];

template <typename Id>
std::string_view TextIn(Language language, Id id) {
  static constexpr PerLanguage<std::string_view (*)(Id)> kTexts = {
#define UPGRADE_SIM_LANGUAGE(name, code) &name##Text,
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE
  };
  return kTexts[static_cast<int>(language)](id);
}

}  // namespace

std::string LanguageCodeList() {
  std::string list;
  for (const std::string_view code : kLanguageCodes)
    list += (list.empty() ? "" : ", ") + std::string(code);
  return list;
}

std::string_view TextOf(Language language, ReportText id) { return TextIn(language, id); }
std::string_view TextOf(Language language, JourneyText id) { return TextIn(language, id); }
std::string_view TextOf(Language language, OddsText id) { return TextIn(language, id); }
std::string_view TextOf(Language language, PageText id) { return TextIn(language, id); }
std::string_view TextOf(Language language, CheckText id) { return TextIn(language, id); }

KeyedTexts PageLabels(Language language) {
  static constexpr PerLanguage<KeyedTexts (*)()> kLabels = {
#define UPGRADE_SIM_LANGUAGE(name, code) &name##PageLabels,
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE
  };
  return kLabels[static_cast<int>(language)]();
}

int CountForm(Language language, std::int64_t n) {
  static constexpr PerLanguage<int (*)(std::int64_t)> kForms = {
#define UPGRADE_SIM_LANGUAGE(name, code) &name##CountForm,
#include "results/languages.def"
#undef UPGRADE_SIM_LANGUAGE
  };
  return kForms[static_cast<int>(language)](n);
}

std::string_view PageLabel(Language language, std::string_view key) {
  const KeyedTexts labels = PageLabels(language);
  for (std::size_t i = 0; i < labels.count; ++i) {
    if (labels.texts[i].key == key) return labels.texts[i].text;
  }
  return {};
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' &&
                             pattern[i + 1] <= '9' && pattern[i + 2] == '}';
    const std::size_t index = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
    if (placeholder && index < arguments.size()) {
      text += *(arguments.begin() + index);
      i += 2;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

std::string_view OutcomeName(Language language, AttemptOutcome outcome) {
  switch (outcome) {
    case AttemptOutcome::kSuccess:
      return TextOf(language, ReportText::kSuccess);
    case AttemptOutcome::kItemDestroyed:
      return TextOf(language, ReportText::kItemDestroyed);
    case AttemptOutcome::kTaliksDestroyed:
      return TextOf(language, ReportText::kTaliksDestroyed);
    case AttemptOutcome::kFailed:
      break;
  }
  return TextOf(language, ReportText::kFailed);
}

std::string_view GradeName(Language language, int grade) {
  return TextOf(language, static_cast<ReportText>(static_cast<int>(ReportText::kGrade0) + grade));
}

std::string RangeText(Language language, std::int64_t low, std::int64_t high) {
  return Say(language, ReportText::kRange, {std::to_string(low), std::to_string(high)});
}
