#include "results/json.h"

#include "results/figures.h"

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (byte < 0x20) {
      quoted += "\\u00";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string JsonNumber(double value) { return ShortestDouble(value); }

std::string JsonInteger(std::int64_t value) { return std::to_string(value); }

std::string JsonBool(bool value) { return value ? "true" : "false"; }

std::string JsonObject(const std::vector<JsonMember>& members) {
  std::string text = "{";
  for (const JsonMember& member : members) {
    if (text.size() > 1) text += ",";
    text += JsonString(member.name) + ":" + member.value;
  }
  return text + "}";
}

std::string JsonObject(std::initializer_list<JsonMember> members) {
  return JsonObject(std::vector<JsonMember>(members));
}

std::string JsonArray(const std::vector<std::string>& values) {
  std::string text = "[";
  for (const std::string& value : values) {
    if (text.size() > 1) text += ",";
    text += value;
  }
  return text + "]";
}
