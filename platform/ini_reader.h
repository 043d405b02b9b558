// Reads integers from INI text by section and key, in one pass and in
// bounded memory.
//
// The rules: a UTF-8 byte-order mark is skipped; lines end in LF or CR LF;
// blanks around names, '=' and values are ignored; section and key names
// compare without regard to ASCII letter case; a line whose first non-blank
// character is ';' is a comment; of duplicate sections the first counts, of
// duplicate keys the first; a line without '=' is a key without a value; a
// value in double or single quotes is unquoted. Lines longer than
// kMaxIniLineLength are skipped whole.
#ifndef UPGRADE_SIM_PLATFORM_INI_READER_H_
#define UPGRADE_SIM_PLATFORM_INI_READER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t kMaxIniLineLength = std::size_t{64} * 1024;

/// A section and key whose integer is wanted.
struct IniKey {
  std::string section;
  std::string key;
};

/// Fills buffer with up to size further bytes; returns how many, 0 at the end.
using ByteChunkSource = std::function<std::size_t(char* buffer, std::size_t size)>;

/// Reads an INI value as an integer: optional blanks, an optional sign, then
/// decimal digits or a lower-case "0x" and hex digits, up to the first character that
/// cannot continue the number. No number reads 0; numbers outside the signed
/// 32-bit range saturate to it.
std::int32_t ParseIniInteger(std::string_view value);

/// The integer of every wanted key, in the order asked; 0 where the section
/// or the key is missing.
std::vector<std::int32_t> ReadIniIntegers(const ByteChunkSource& source,
                                          const std::vector<IniKey>& wanted);

/// The same, from INI text held in memory.
std::vector<std::int32_t> ReadIniIntegersFromText(std::string_view text,
                                                  const std::vector<IniKey>& wanted);

/// The same, from a file. Anything but a readable regular file (missing, a
/// directory, a FIFO, a device) reads as empty.
std::vector<std::int32_t> ReadIniIntegersFromFile(const std::string& path,
                                                  const std::vector<IniKey>& wanted);

#endif  // UPGRADE_SIM_PLATFORM_INI_READER_H_
