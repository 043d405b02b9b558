// Just enough JSON to write the page's data: each function gives one value
// as text, so objects and arrays are built from values and never by hand.
#ifndef UPGRADE_SIM_RESULTS_JSON_H_
#define UPGRADE_SIM_RESULTS_JSON_H_

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

/// A string, its control characters, quotes and backslashes escaped; UTF-8
/// passes through as it is.
std::string JsonString(std::string_view text);

/// A number in the fewest digits that read back the same; null where it is
/// not finite.
std::string JsonNumber(double value);

std::string JsonInteger(std::int64_t value);
std::string JsonBool(bool value);

struct JsonMember {
  std::string_view name;
  std::string value;  // already JSON
};

std::string JsonObject(std::initializer_list<JsonMember> members);
std::string JsonObject(const std::vector<JsonMember>& members);
std::string JsonArray(const std::vector<std::string>& values);

/// An array of each value of a range as write gives it.
template <typename Range, typename Write>
std::string JsonArrayOf(const Range& range, Write write) {
  std::vector<std::string> values;
  std::transform(std::begin(range), std::end(range), std::back_inserter(values), write);
  return JsonArray(values);
}

#endif  // UPGRADE_SIM_RESULTS_JSON_H_
