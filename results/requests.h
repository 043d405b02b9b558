// What a player types, read the same way by every front end: whole numbers
// in their ranges, the four stone digits, stone sets per talik count and
// price lists. Each reader says what is wrong as a value; the front end
// phrases it.
#ifndef UPGRADE_SIM_RESULTS_REQUESTS_H_
#define UPGRADE_SIM_RESULTS_REQUESTS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/plan.h"
#include "model/upgrade_request.h"

/// Both bounds included, for figures beyond 32 bits: prices and budgets.
struct WideRange {
  std::int64_t low;
  std::int64_t high;
};

constexpr WideRange Widened(ValueRange range) { return {range.low, range.high}; }

constexpr WideRange kPriceRange = {0, kMaxPrice};

/// Decimal digits with at most one sign before them and blanks around them,
/// within the range: "7", "+7", " 7 ", "-0".
bool ReadWhole(std::string_view text, WideRange range, std::int64_t* value);
bool ReadWhole(std::string_view text, ValueRange range, std::int32_t* value);

/// A price: a whole number in kPriceRange.
bool ReadPrice(std::string_view text, double* price);

/// The items of a comma-separated list; an empty list is one blank item.
std::vector<std::string_view> ListItems(std::string_view list);

/// Spaces and tabs taken off both ends.
std::string_view Trimmed(std::string_view text);

/// The tier of one slot of a stone set written as four digits ("6630").
bool ReadStoneDigit(std::string_view set, int slot, std::int32_t* tier);

/// All four digits of a stone set.
bool ReadStoneSet(std::string_view set, StoneTiers* stones);

/// What a list of stone sets or prices holds: every item read, or the first
/// that is not one, or the wrong number of items.
enum class ListFault { kNone, kBadItem, kWrongCount };
struct ListRead {
  ListFault fault;
  std::string_view bad_item;  // kBadItem: the item as written
  int count;                  // the items in the list
};

/// "SET,SET,...": one stone set for each talik count below the target.
ListRead ReadStoneSets(std::string_view list, int target, StonesPerStep* stones);

/// "P1,P2,P3,P4,P5,P6": the prices of Т1 to Т6, each one given.
ListRead ReadStonePrices(std::string_view list, Prices* prices);

#endif  // UPGRADE_SIM_RESULTS_REQUESTS_H_
