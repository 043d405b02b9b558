#include "platform/ini_reader.h"

#include <algorithm>
#include <limits>

#include "platform/regular_file.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// The digit's value in base 10 or 16, or -1 when c is no digit of that base.
int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

// What has been read so far, and which section its key lines belong to.
struct IniScan {
  const std::vector<IniKey>* wanted;
  std::vector<std::int32_t> values;
  std::vector<bool> found;
  std::vector<std::string> sections_opened;  // wanted sections seen once
  std::string section;                       // the current section, if it counts
  bool in_counting_section = false;
};

bool IsWantedSection(const IniScan& scan, std::string_view name) {
  return std::any_of(scan.wanted->begin(), scan.wanted->end(),
                     [&](const IniKey& k) { return EqualIgnoringCase(k.section, name); });
}

void OnSectionHeader(IniScan& scan, std::string_view name) {
  scan.in_counting_section = false;
  if (!IsWantedSection(scan, name)) return;
  // Only the first section of a name counts; a repeat of it is never read.
  if (std::any_of(scan.sections_opened.begin(), scan.sections_opened.end(),
                  [&](const std::string& opened) { return EqualIgnoringCase(opened, name); }))
    return;
  scan.sections_opened.emplace_back(name);
  scan.section.assign(name);
  scan.in_counting_section = true;
}

void OnKey(IniScan& scan, std::string_view key, std::string_view value) {
  if (!scan.in_counting_section) return;
  for (std::size_t i = 0; i < scan.wanted->size(); ++i) {
    const IniKey& want = (*scan.wanted)[i];
    if (scan.found[i] || !EqualIgnoringCase(want.section, scan.section) ||
        !EqualIgnoringCase(want.key, key))
      continue;
    scan.found[i] = true;
    scan.values[i] = ParseIniInteger(value);
  }
}

void OnLine(IniScan& scan, std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == ';') return;
  if (line.front() == '[') {
    // The name runs to the last ']', as the Windows reader has it.
    const std::size_t close = line.rfind(']');
    if (close != std::string_view::npos) OnSectionHeader(scan, Trim(line.substr(1, close - 1)));
    return;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    OnKey(scan, line, {});
    return;
  }
  std::string_view value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  OnKey(scan, Trim(line.substr(0, equals)), value);
}

}  // namespace

std::int32_t ParseIniInteger(std::string_view value) {
  std::size_t at = 0;
  while (at < value.size() && IsBlank(value[at])) ++at;
  bool negative = false;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) negative = value[at++] == '-';
  // Only a lower-case "0x" makes a hex number, as with the Windows reader.
  int base = 10;
  if (value.substr(at, 2) == "0x" && at + 2 < value.size() && DigitValue(value[at + 2], 16) >= 0) {
    base = 16;
    at += 2;
  }
  // Accumulating toward the limit of the sign's side keeps -2147483648 exact.
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  for (; at < value.size(); ++at) {
    const int digit = DigitValue(value[at], base);
    if (digit < 0) break;
    magnitude = std::min(limit, magnitude * base + digit);
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::vector<std::int32_t> ReadIniIntegers(const ByteChunkSource& source,
                                          const std::vector<IniKey>& wanted) {
  IniScan scan{&wanted,
               std::vector<std::int32_t>(wanted.size(), 0),
               std::vector<bool>(wanted.size(), false),
               {},
               {}};
  std::string line;
  bool line_too_long = false;
  bool at_file_start = true;
  const auto end_line = [&] {
    std::string_view text = line;
    if (at_file_start && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    at_file_start = false;
    if (!line_too_long) OnLine(scan, text);
    line.clear();
    line_too_long = false;
  };
  std::vector<char> chunk(std::size_t{16} * 1024);
  for (std::size_t got; (got = source(chunk.data(), chunk.size())) != 0;) {
    for (std::size_t i = 0; i < got; ++i) {
      const char c = chunk[i];
      if (c == '\n') {
        end_line();
      } else if (line.size() < kMaxIniLineLength) {
        line.push_back(c);
      } else {
        line_too_long = true;
      }
    }
  }
  end_line();
  return scan.values;
}

std::vector<std::int32_t> ReadIniIntegersFromText(std::string_view text,
                                                  const std::vector<IniKey>& wanted) {
  return ReadIniIntegers(
      [&text](char* buffer, std::size_t size) {
        const std::size_t n = std::min(size, text.size());
        std::copy_n(text.data(), n, buffer);
        text.remove_prefix(n);
        return n;
      },
      wanted);
}

std::vector<std::int32_t> ReadIniIntegersFromFile(const std::string& path,
                                                  const std::vector<IniKey>& wanted) {
  std::vector<std::int32_t> values(wanted.size(), 0);
  ReadRegularFile(path,
                  [&](const ByteChunkSource& source) { values = ReadIniIntegers(source, wanted); });
  return values;
}
