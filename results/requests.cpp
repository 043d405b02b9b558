#include "results/requests.h"

#include <algorithm>
#include <charconv>

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ReadWhole(std::string_view text, WideRange range, std::int64_t* value) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars would take a second '-' itself.
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  std::int64_t magnitude = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, magnitude);
  if (error != std::errc() || stop != end) return false;
  const std::int64_t read = negative ? -magnitude : magnitude;
  if (read < range.low || read > range.high) return false;
  *value = read;
  return true;
}

bool ReadWhole(std::string_view text, ValueRange range, std::int32_t* value) {
  std::int64_t wide = 0;
  if (!ReadWhole(text, Widened(range), &wide)) return false;
  *value = static_cast<std::int32_t>(wide);
  return true;
}

bool ReadPrice(std::string_view text, double* price) {
  std::int64_t whole = 0;
  if (!ReadWhole(text, kPriceRange, &whole)) return false;
  *price = static_cast<double>(whole);
  return true;
}

std::vector<std::string_view> ListItems(std::string_view list) {
  std::vector<std::string_view> items;
  for (std::size_t at = 0;;) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    items.push_back(list.substr(at, comma - at));
    if (comma == list.size()) return items;
    at = comma + 1;
  }
}

bool ReadStoneDigit(std::string_view set, int slot, std::int32_t* tier) {
  if (set.size() != kStoneCount) return false;
  const char digit = set[static_cast<std::size_t>(slot)];
  if (digit < '0' || digit - '0' > kStoneTierRange.high) return false;
  *tier = digit - '0';
  return true;
}

bool ReadStoneSet(std::string_view set, StoneTiers* stones) {
  StoneTiers read{};
  for (int k = 0; k < kStoneCount; ++k) {
    if (!ReadStoneDigit(set, k, &read[k])) return false;
  }
  *stones = read;
  return true;
}

ListRead ReadStoneSets(std::string_view list, int target, StonesPerStep* stones) {
  const std::vector<std::string_view> sets = ListItems(list);
  const int count = static_cast<int>(sets.size());
  for (int t = 0; t < count; ++t) {
    StoneTiers set{};
    if (!ReadStoneSet(sets[t], &set)) return {ListFault::kBadItem, sets[t], count};
    if (t < kMaxTarget) (*stones)[t] = set;
  }
  return {count == target ? ListFault::kNone : ListFault::kWrongCount, {}, count};
}

ListRead ReadStonePrices(std::string_view list, Prices* prices) {
  const std::vector<std::string_view> items = ListItems(list);
  const int count = static_cast<int>(items.size());
  constexpr int kTiersPriced = kStoneTierCount - 1;  // no stone costs nothing
  for (int i = 0; i < std::min(count, kTiersPriced); ++i) {
    if (!ReadPrice(items[i], &prices->stone[i + 1])) return {ListFault::kBadItem, items[i], count};
  }
  return {count == kTiersPriced ? ListFault::kNone : ListFault::kWrongCount, {}, count};
}
