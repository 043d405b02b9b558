#include "results/json.h"

#include <numeric>

#include "results/figures.h"

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  // The bytes kept as they are go in by runs, not one at a time: the
  // page's answers are mostly such text.
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    quoted.append(text, run, i - run);
    run = i + 1;
    if (byte == '"' || byte == '\\') {
      quoted += '\\';
      quoted += text[i];
    } else if (byte == '\n') {
      quoted += "\\n";
    } else {
      quoted += "\\u00";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    }
  }
  quoted.append(text, run, text.size() - run);
  quoted += '"';
  return quoted;
}

std::string JsonNumber(double value) { return ShortestDouble(value); }

std::string JsonInteger(std::int64_t value) { return std::to_string(value); }

std::string JsonBool(bool value) { return value ? "true" : "false"; }

std::string JsonObject(const std::vector<JsonMember>& members) {
  const std::size_t size = std::accumulate(members.begin(), members.end(), std::size_t{2},
                                           [](std::size_t sum, const JsonMember& m) {
                                             return sum + m.name.size() + m.value.size() + 4;
                                           });
  std::string text;
  text.reserve(size);
  text += '{';
  for (const JsonMember& member : members) {
    if (text.size() > 1) text += ',';
    text += JsonString(member.name);
    text += ':';
    text += member.value;
  }
  text += '}';
  return text;
}

std::string JsonObject(std::initializer_list<JsonMember> members) {
  return JsonObject(std::vector<JsonMember>(members));
}

std::string JsonArray(const std::vector<std::string>& values) {
  const std::size_t size = std::accumulate(
      values.begin(), values.end(), std::size_t{2},
      [](std::size_t sum, const std::string& value) { return sum + value.size() + 1; });
  std::string text;
  text.reserve(size);
  text += '[';
  for (const std::string& value : values) {
    if (text.size() > 1) text += ',';
    text += value;
  }
  text += ']';
  return text;
}
