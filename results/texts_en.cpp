// English.
#include "results/texts.h"

namespace {

using R = ReportText;
constexpr TextEntry<ReportText> kReport[] = {
    {R::kChanceLine, "Success chance = {1} %\n"},
    {R::kChancePer100000, "Success chance per 100000: {1}\n"},
    {R::kStoneFactorSum, "Stone factor sum: {1}\n"},
    {R::kOneAttempt, "One attempt:"},
    {R::kSuccess, "+ Upgrade succeeded"},
    {R::kItemDestroyed, "- Item destroyed"},
    {R::kTaliksDestroyed, "- Taliks destroyed"},
    {R::kFailed, "- Upgrade failed"},
    {R::kAttemptCount, "Attempts: {1}\n"},
    {R::kSuccessBeforeLoss, "Success before the item is lost"},
    {R::kItemLost, "Item destroyed"},
    {R::kAtLeastOneSuccess, "At least one success*"},
    {R::kCountingAfterLoss,
     "  * counting the attempts after the item is destroyed too, as the run does\n"},
    {R::kExpectedOutcomes, "  Outcomes on average:\n"},
    {R::kAttemptsToSuccess, "Attempts to the first success on average: {1}\n"},
    {R::kSuccessImpossible, "no success possible"},
    {R::kTableHeading, "Success chance of one attempt, %: level {1}, stone factor sum {2}\n"},
    {R::kTableCorner, " Grade \\ taliks"},
    {R::kGrade0, "White"},
    {R::kGrade1, "Int"},
    {R::kGrade2, "Violet"},
    {R::kGrade3, "Strint"},
    {R::kGrade4, "Blue relic"},
    {R::kGrade5, "Antigrav"},
    {R::kGrade6, "Light blue relic"},
    {R::kGrade7, "Green relic"},
    {R::kGrade8, "Leon"},
    {R::kGrade9, "PvP weapon"},
    {R::kGrade10, "red"},
    {R::kNoStone, "no stone"},
    {R::kTier, "T{1}"},
    {R::kNever, "never"},
    {R::kRange, "from {1} to {2}"},
};
static_assert(InIdOrder(kReport), "one text per id, in the order of the ids");

using J = JourneyText;
constexpr TextEntry<JourneyText> kJourney[] = {
    {J::kHeading, "Journey to {1} taliks: grade {2} ({3}), level {4}\n"},
    {J::kSameStones, "Stones at every step: {1}\n"},
    {J::kStonesPerStep, "Stones by step from 0 taliks: {1}\n"},
    {J::kStonePrices, "Stone prices:{1}\n"},
    {J::kTierPrice, " {1} {2}"},
    {J::kOtherPrices, "Price of an attempt {1}, of a new item {2}"},
    {J::kCheapestChosen, "; the cheapest stones chosen"},
    {J::kTaliksHeading, "T"},
    {J::kStonesHeading, "Stones"},
    {J::kSuccessHeading, "Success %"},
    {J::kReachHeading, "Reach %"},
    {J::kAttemptsHeading, "Attempts"},
    {J::kRenewedHeading, "Attempts*"},
    {J::kLossesHeading, "Losses*"},
    {J::kAttemptsForHeading, "For {1}%*"},
    {J::kCostHeading, "Cost*"},
    {J::kItemsForHeading, "Items for {1}%*"},
    {J::kBudgetForHeading, "Budget for {1}%*"},
    {J::kWithinBudgetHeading, "Within budget*"},
    {J::kStock, "Stones to stock from 0 taliks, on average*: {1}\n"},
    {J::kStockItem, "{1} {2}"},
    {J::kNoStones, "no stones"},
    {J::kLegend,
     "T        the talik count the journey starts from; stones: the tiers of the four\n"
     "         stones (6630: T6 T6 T3 and no stone)\n"
     "Success % the success chance of one attempt\n"
     "Reach %  the chance to reach the target before the item is destroyed\n"
     "Attempts attempts on average until the item reaches the target or is lost\n"
     "*        with new items: a destroyed item is replaced by a new one with 0\n"
     "         taliks, and the journey goes on to the target; Losses: items\n"
     "         destroyed on average; For {1}%: so many attempts suffice with\n"
     "         a chance of {1} %"},
    {J::kCostLegend, ",\n         Cost: spent on average to the target"},
    {J::kLegendEnd, "\n"},
    {J::kItemsForLegend,
     "Items for {1}%: so many destroyed items suffice with a chance of {1} %\n"},
    {J::kBudgetForLegend, "Budget for {1}%: so much money suffices with a chance of {1} %\n"},
    {J::kRoundedLegend,
     "{1} the budget is rounded up to the digits known: it suffices, only a little\n  more than "
     "the exact one\n"},
    {J::kRoundedAtMostLegend,
     "{1} the budget is rounded up to the digits known: it suffices, at most\n  {2} % more than "
     "the exact one\n"},
    {J::kRoundedUnboundedLegend,
     "{1} the budget is rounded up to the digits known: it suffices, though how\n  much more "
     "than the exact one is not known\n"},
    {J::kWithinBudgetLegend,
     "Within budget: the chance to reach the target spending no more than\n  {1}, with new "
     "items\n"},
    {J::kAtLeastLegend, "{1} at least this\n"},
};
static_assert(InIdOrder(kJourney), "one text per id, in the order of the ids");

using O = OddsText;
constexpr TextEntry<OddsText> kOdds[] = {
    {O::kUsage,
     "Usage:\n"
     "  upgrade-odds [--csv] ATTEMPTS GRADE LEVEL TALIKS S1 S2 S3 S4\n"
     "  upgrade-odds [--csv] --table LEVEL S1 S2 S3 S4\n"
     "  upgrade-odds [--csv] --plan GRADE LEVEL TARGET S1 S2 S3 S4\n"
     "  upgrade-odds [--csv] --plan --stones SET0,SET1,... GRADE LEVEL TARGET\n"
     "  upgrade-odds [--csv] --plan --prices P1,P2,P3,P4,P5,P6\n"
     "               [--attempt-price P] [--item-price P] [--budget B]\n"
     "               GRADE LEVEL TARGET\n"
     "               [S1 S2 S3 S4 | --stones SET0,SET1,...]\n"
     "  upgrade-odds [--csv] --check\n"
     "  upgrade-odds -h | --help | -V | --version\n"},
    {O::kHelp,
     "The exact odds of the upgrade from the tables CustomSettings/ in the current\n"
     "folder. The numbers are upgrade-sim's answers, in the same order:\n"
     "  ATTEMPTS the number of attempts, {1}\n"
     "  GRADE    the weapon or armour grade, {2}\n"
     "  LEVEL    the weapon or armour level, {3}\n"
     "  TALIKS   the number of taliks installed, {4}\n"
     "  S1..S4   the tier of each of the four stones: 0 no stone, 1..6 T1..T6\n"
     "  --table  the success chance of every grade and talik count\n"
     "  --plan   the item's journey from 0..TARGET-1 taliks to TARGET ({5}): the\n"
     "           chance to get there, how many attempts and items it takes\n"
     "  --stones one's own stones at each step: a set of four digits {6} for\n"
     "           0, 1, ... TARGET-1 taliks, comma-separated: 6630,6600,5500\n"
     "  --prices the prices of the stones T1..T6; without one's own stones each\n"
     "           step takes the stones of the least average cost of the journey,\n"
     "           with them their cost is counted; --attempt-price: the price of\n"
     "           an attempt, --item-price: the price of a new item; --budget:\n"
     "           the chance to reach the target spending no more than B\n"
     "  --check  what is wrong in the files CustomSettings/*.ini and what is read\n"
     "           instead; exit status 1 if there are errors, else 0 (notes\n"
     "           alone too)\n"
     "  --csv    output for spreadsheets: commas, a point in fractions\n"
     "  --lang   the language, one of {7} (the first is the default); without\n"
     "           it the one LC_ALL, LC_MESSAGES or LANG name, if they name one\n"
     "  --       only numbers follow\n"},
    {O::kBadAttempts, "the number of attempts must be a whole number {1}, not «{2}»"},
    {O::kBadGrade, "the weapon or armour grade must be a whole number {1}, not «{2}»"},
    {O::kBadLevel, "the weapon or armour level must be a whole number {1}, not «{2}»"},
    {O::kBadTaliks, "the number of taliks installed must be a whole number {1}, not «{2}»"},
    {O::kBadTarget, "the target (a talik count) must be a whole number {1}, not «{2}»"},
    {O::kBadStone, "the tier of stone {3} must be a whole number {1}, not «{2}»"},
    {O::kBadPrice, "a price must be a whole number {1}, not «{2}»"},
    {O::kBadBudget, "a budget must be a whole number {1}, not «{2}»"},
    {O::kPriceCount, "--prices: {1} comma-separated prices are needed, not {2}"},
    {O::kNoStoneSets, "--stones: no set given"},
    {O::kBadStoneSet, "--stones: the set «{1}» is not four digits {2}"},
    {O::kStoneSetCount, "--stones: {1} sets are needed (one for each of 0..{2} taliks), not {3}"},
    {O::kNeedsValue, "{1} needs a value"},
    {O::kUnknownOption, "unknown option «{1}»"},
    {O::kBadLanguage, "--lang: the language is one of {2}, not «{1}»"},
    {O::kCheckAlone, "--check takes no numbers and no other options but --csv"},
    {O::kNotTogether, "{1} and {2} do not go together"},
    {O::kPricesNeedPlan, "--prices goes only with --plan"},
    {O::kExtraPricesNeedPrices, "--attempt-price and --item-price go only with --prices"},
    {O::kBudgetNeedsPrices, "--budget goes only with --prices"},
    {O::kStonesNeedPlan, "--stones goes only with --plan"},
    {O::kStonesTwice, "the stones are given either as the numbers S1..S4 or by --stones, not both"},
    {O::kNumberCount, "{1} numbers are needed, not {2}"},
    {O::kMissingFile, "{1} not found in {2}: every value 0"},
    {O::kNotAFile, "{1} in {2} is not a file but a folder or a device: every value 0"},
    {O::kUnreadableFile, "{1} in {2} cannot be read ({3}): every value 0"},
    {O::kPressAnyKey, "Press any key…"},
};
static_assert(InIdOrder(kOdds), "one text per id, in the order of the ids");

using P = PageText;
constexpr TextEntry<PageText> kPage[] = {
    {P::kPriceNeeded, "a price is needed (0 if free)"},
    {P::kUnknownKey, "the request holds an unknown key «{1}»"},
    {P::kKeyTwice, "the request gives the key «{1}» twice"},
    {P::kNoTable, "the request holds no table «{1}»"},
    {P::kTableCells, "the table «{1}» needs {2} comma-separated whole numbers"},
    {P::kUnknownFile, "no such file «{1}»: 0, 1 or 2"},
    {P::kUnknownView, "no such view of the answer «{1}»"},
    {P::kUnknownTable, "no such table «{1}»: 0, 1 or 2"},
    {P::kUnknownLanguage, "the language is one of {1}"},
    {P::kBadStoneSet, "«{1}»: not four digits {2}"},
    {P::kStoneSetCount, "{1} sets where {2} are needed: one for each of 0..{3} taliks"},
    {P::kFileTooBig, "a table file of more than {1} bytes"},
};
static_assert(InIdOrder(kPage), "one text per id, in the order of the ids");

// The page's own words (its script shows them by key).
constexpr KeyedText kPageLabels[] = {
    {"language", "Language"},
    {"language_name", "English"},
    {"title", "upgrade-sim: the upgrade's chance"},
    {"answer", "Answer"},
    {"set_up", "Set-up"},
    {"attempts", "Attempts"},
    {"grade", "Weapon or armour grade"},
    {"level", "Level"},
    {"taliks", "Taliks installed"},
    {"stone", "Stone {1}"},
    {"target", "Target, taliks"},
    {"journey", "Journey to the target"},
    {"prices",
     "Prices (optional): your stones' journey with its cost, the cheapest stones beside it"},
    {"journey_csv", "Journey CSV"},
    {"simulation", "Simulation"},
    {"seed", "Seed"},
    {"seed_blank", "blank: the current time"},
    {"simulate", "Simulate"},
    {"attempts_list", "Attempts"},
    {"run_journey", "Play the journey out"},
    {"run_last", "The journey's last attempts"},
    {"report", "upgrade-odds report"},
    {"table", "Success chance by grade and talik count"},
    {"table_caption", "Success chance, %: every grade and talik count"},
    {"table_csv", "Table CSV"},
    {"tables", "Tables"},
    {"load_tables", "Load the tables (three .ini files)"},
    {"or_folder", "or the CustomSettings folder"},
    {"restore_examples", "restore the examples"},
    {"findings", "What is wrong in the files"},
    {"editor", "Table editor"},
    {"loss_chance", "chance on a failure:"},
    {"success_chance", "success chance:"},
    {"corner", "Grade \\ taliks"},
    {"download", "Download {1}"},
    {"reach_to_from_zero", "Reach {1} from 0"},
    {"reach_from_zero", "Reach from 0"},
    {"changed_here", "changed here"},
    {"no_findings", "nothing: every cell is a plain number"},
    {"no_files", "No files {1} (names in any letter case)."},
    {"bytes", "{1} bytes"},
    {"not_loaded", "not loaded: every value 0"},
    {"attempt", "Attempt"},
    {"new_item", "New item"},
    {"price", "Price: {1}"},
    {"price_link", "the address holds {1} prices where {2} are needed"},
    {"no_such", "«{1}»: no such value"},
    {"fix_fields", "Correct the marked fields."},
    {"certain", "A chance of 100 % or more: every attempt succeeds."},
    {"destroys_item", "An attempt destroys the item"},
    {"destroys_taliks", "An attempt destroys the taliks"},
    {"reach_before_loss", "Reach {1} taliks before the item is lost"},
    {"items_on_average", "Items used up on average to the target"},
    {"budget_for", "A budget that suffices for {1}"},
    {"no_table", "No table: correct the level or the stones."},
    {"your_set_up", "{1}: your set-up"},
    {"no_journey", "No journey: correct the marked fields."},
    {"stock", "Stones to stock for the journey from {1} taliks, on average: {2}"},
    {"no_stones", "no stones"},
    {"no_chart", "From {1} taliks the target may never be reached, even with new items: no chart."},
    {"chart_attempts", "attempts (logarithmic scale)"},
    {"chart_reach", "reach the target"},
    {"chart_caption",
     "The chance to reach the target with new items from {1} taliks within so many attempts. The "
     "attempts suffice with a chance of {2}"},
    {"seed_shown", "Seed: {1}"},
    {"run_attempts", "Attempts: {1}"},
    {"run_destroyed", "Items destroyed: {1}"},
    {"run_spent", "Spent: {1}"},
    {"run_reached", "the target of {1} taliks reached"},
    {"run_not_reached", "the most taliks: {1}, the target not reached"},
    {"example_bytes", "{1} bytes, the examples"},
    {"not_stored", "The tables are not kept: {1}"},
    {"no_stone", "No stone"},
    {"my_budget", "My budget"},
    {"exact_chance", "Chance of success per attempt: {1}\u00a0%"},
    {"needs_stone_prices", "not counted without the stones' prices"},
    {"attempts_with_new_items", "Attempts on average to the target, with new items"},
    {"items_on_average_short", "Items used up on average"},
    {"items_for", "Items that suffice for {1}"},
    {"cost_on_average", "Cost on average to the target"},
    {"reach_within", "Reach {1} taliks spending no more than {2}"},
    {"at_least", "at least {1}"},
    {"cheapest", "The cheapest stones: the budget for {1} {2}{3}, stones {4}."},
    {"whose_own", "your stones at each step"},
    {"whose_set_up", "the set-up's stones at each step"},
    {"strategy_priced", "Journey: {1}, priced."},
    {"strategy_half", "Journey: {1}, unpriced until every price is in."},
    {"strategy_unpriced", "Journey: {1}, unpriced."},
    {"unpriced_until", "The journey is unpriced until every price is in."},
    {"fold", "Fold to the set-up's row"},
    {"unfold", "Show every row: {1}"},
    {"sim_stale",
     "The set-up or the tables changed: the earlier simulation's results are cleared."},
    {"link_copied", "The link is copied."},
    {"link_not_copied", "Could not copy: copy the page's address by hand."},
    {"link_table_broken",
     "The table {1} in the link cannot be read: the link is cut short or damaged."},
    {"lead",
     "The chance and a simulation of a weapon's or armour's upgrade. Everything is worked out "
     "here, in the browser: nothing is sent anywhere."},
    {"simulator_says", "The simulator writes:"},
    {"take_cheapest", "Take them"},
    {"what_is_wrong", "what is wrong"},
    {"copy_link", "Copy the link"},
    {"own_stones",
     "Your own stones at each step (optional): the sets from 0 taliks, comma-separated"},
    {"own_stones_blank", "blank: the set-up's stones at each step"},
    {"journey_rules",
     "A success gives +1 talik, destroyed taliks take the item back to 0, a failure changes "
     "nothing. “With new items”: a destroyed item is replaced by a new one with 0 taliks."},
    {"journey_region", "The journey to the target by talik count"},
    {"columns_legend",
     "Reach %: the chance to reach the target before the item is destroyed; Attempts: on average "
     "to the target or the item's loss. With new items: Attempts with new items, Losses (items "
     "destroyed), For {1} (so many attempts suffice with that chance), Items for {2} and Budget "
     "for {2} (so many items destroyed and so much money suffice with a chance of {2}) and Cost "
     "(on average to the target)."},
    {"cheapest_csv", "Cheapest stones' CSV"},
    {"table_wider", "The table is wider than the screen: scroll it sideways →"},
    {"drop",
     "Files or a folder can be dropped on the page. Loaded tables are kept on this computer only."},
    {"editor_note",
     "Editing a cell recomputes everything at once. The colour: a success weight by the success "
     "chance it gives at the set-up's level and stones; the item's and the taliks' destruction by "
     "the chance their draw gives on a failure."},
    {"write_file", "Write {1}"},
    {"file_written_anew", "there was no file: it will be written anew"},
    {"only_edited_change", "only the edited values change"},
    {"cell_invalid",
     "{1}: «{2}»: a whole number from {3} to {4} is needed; the figures keep the value {5}."},
    {"megabytes", "{1} MB"},
    {"file_too_large",
     "A file too large: {1}; tables are read up to {2}. The tables stay as they were."},
    {"note_example", "example"},
    {"note_loaded", "loaded"},
    {"note_loaded_bytes", "loaded, {1} bytes"},
    {"note_missing", "no file: every value 0"},
    {"note_link", "from the link"},
    {"tables_used", "Tables: {1}."},
    {"tables_examples", "Tables: the examples."},
    {"table_named", "{1} ({2})"},
    {"warn_missing", "files missing: {1}"},
    {"warn_findings", "findings in the files: {1}"},
    {"warning", "Note: {1}: "},
    {"rounded_legend",
     "“{1}”: the budget is rounded up: it surely suffices, only a little more than the exact "
     "one."},
    {"rounded_at_most_legend",
     "“{1}”: the budget is rounded up: it surely suffices, at most {2} more than the exact one."},
    {"rounded_unbounded_legend",
     "“{1}”: the budget is rounded up: it surely suffices, though how much more than the exact "
     "one is not known."},
    {"not_saved",
     "The tables are not saved in this browser (no room or no access): they will be gone after the "
     "page reloads."},
    {"stored_broken", "The saved tables were damaged and are dropped; the examples are taken."},
    {"stored_some_broken",
     "The saved tables {1} were damaged and are dropped; the examples stand in their place."},
    {"computing", "computing…"},
    {"column_taliks", "T"},
    {"column_stones", "Stones"},
    {"column_success", "Success %"},
    {"column_reach", "Reach %"},
    {"column_attempts", "Attempts"},
    {"column_attempts_with_new_items", "Attempts with new items"},
    {"column_items_destroyed", "Losses"},
    {"column_attempts_for", "For {1}"},
    {"column_cost", "Cost"},
    {"column_items_for", "Items for {1}"},
    {"column_budget_for", "Budget for {1}"},
    {"column_expected_stones", "Stones {1}"},
};

using C = CheckText;
constexpr TextEntry<CheckText> kCheck[] = {
    {C::kCell, "{1} in [{2}]"},
    {C::kForeignSection, "section “{1}” is not ItemGrade0…ItemGrade10: its keys are not read"},
    {C::kSectionBeyond,
     "section “{1}” is beyond the table (ItemGrade0…ItemGrade10): its keys are not read"},
    {C::kMaybe, " - did you mean {1}?"},
    {C::kForeignKey, "key “{1}” in [{2}] is not UpgradeLevel0…UpgradeLevel6: not read"},
    {C::kKeyBeyond,
     "key “{1}” in [{2}] is beyond the table (UpgradeLevel0…UpgradeLevel6): not read"},
    {C::kHashWords, " (“#” starts no comment here: a comment starts with “;”)"},
    {C::kUnclosedSection, "line “[{1}” is a section without “]”: not read"},
    {C::kUnclosedInSection,
     ", and the keys after it up to the next section are read into [{1}], its repeats not at all"},
    {C::kUnclosedOutside, ", nor are the keys after it up to the next section"},
    {C::kValue, "value “{1}” of {2}{3}: reads as {4}"},
    {C::kEmptyValue, " is empty"},
    {C::kNoNumber, " is no number"},
    {C::kJunk, " is not a plain whole number"},
    {C::kBeyond32Bits, " is a whole number beyond 32 bits (-2147483648…2147483647)"},
    {C::kUnclosedQuote, " has an unclosed quote"},
    {C::kQuoted, " is in quotes"},
    {C::kUnusualForm, " is not written plainly"},
    {C::kTextAfter,
     " has text after the number (no comment: a comment is a line of its own starting with “;”)"},
    {C::kOutsideScale, "value {1} of {2} - {3}: read as it is"},
    {C::kNegativeWeight, "a negative weight of success"},
    {C::kLossScale, "outside the scale 0…{1}"},
    {C::kSectionForm, "section “[{1}” reads as [{2}]; safer written so"},
    {C::kKeyForm, "key “{1}” reads as {2}; safer written so"},
    {C::kNotText,
     "{1}: neither the game on Windows nor this program reads a value from it; save the file as "
     "ANSI, UTF-8 or UTF-16 with a BOM"},
    {C::kUtf16WithoutMark, "text in UTF-16 without a byte-order mark (BOM)"},
    {C::kUtf32, "text in UTF-32"},
    {C::kBinary, "no text (zero and control bytes)"},
    {C::kSecondSection, "second section [{1}]: its keys are not read; the section on line {2} is"},
    {C::kSecondKey, "second {1}: not read; line {2} is"},
    {C::kKeyWithoutValue, "{1} without “=”: reads as 0"},
    {C::kStrayLine, "line “{1}” is no section, key or comment: not read"},
    {C::kOneLineBefore, "a line before the first section: not read"},
    {C::kLinesBefore, "lines {1}…{2} before the first section ({3}): not read"},
    {C::kNoSection, "no section [{1}]: all its values 0"},
    {C::kCellsMissing, "[{1}] lacks {2}: read as 0"},
    {C::kMissingFile, "no file: all values 0"},
    {C::kUnreadableFile, "the file cannot be read ({1}): all values 0"},
    {C::kNotAFile, "not a file but a folder or a device: all values 0"},
    {C::kOtherCase,
     "no file, but there is {1} - the game on Windows reads it, while here the name must be "
     "exactly {2}: all values 0"},
    {C::kMore, "and {1} more ({2} in all)"},
    {C::kErrorsOne, "{1} error"},
    {C::kErrorsFew, "{1} errors"},
    {C::kErrorsMany, "{1} errors"},
    {C::kNotesOne, "{1} note"},
    {C::kNotesFew, "{1} notes"},
    {C::kNotesMany, "{1} notes"},
    {C::kSummary, "{1}, {2}"},
};
static_assert(InIdOrder(kCheck), "one text per id, in the order of the ids");

template <typename Id, std::size_t N>
std::string_view Entry(const TextEntry<Id> (&entries)[N], Id id) {
  return entries[static_cast<std::size_t>(id)].text;
}

}  // namespace

std::string_view EnglishText(ReportText id) { return Entry(kReport, id); }
std::string_view EnglishText(JourneyText id) { return Entry(kJourney, id); }
std::string_view EnglishText(OddsText id) { return Entry(kOdds, id); }
std::string_view EnglishText(PageText id) { return Entry(kPage, id); }
std::string_view EnglishText(CheckText id) { return Entry(kCheck, id); }
KeyedTexts EnglishPageLabels() { return {kPageLabels, sizeof kPageLabels / sizeof kPageLabels[0]}; }

// One form for 1 and one for every other count.
int EnglishCountForm(std::int64_t n) { return n == 1 ? 0 : 2; }
