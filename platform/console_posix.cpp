#include "platform/console.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iconv.h>
#include <langinfo.h>
#include <string>

namespace {

// Where the terminal uses a single-byte Cyrillic code page, texts are
// converted to it; everywhere else (UTF-8, the C locale) they go out as UTF-8.
iconv_t g_converter = reinterpret_cast<iconv_t>(-1);
bool g_output_failed = false;

std::string NormalizedCodeset(const char* name) {
  std::string normalized;
  for (const char* p = name; *p != '\0'; ++p) {
    const char c = *p;
    if (c == '-' || c == '_') continue;
    normalized.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return normalized;
}

bool IsSingleByteCyrillic(const std::string& codeset) {
  for (const char* known : {"CP1251", "WINDOWS1251", "KOI8R", "ISO88595", "CP866", "IBM866"})
    if (codeset == known) return true;
  return false;
}

// Returns false when the text cannot be converted whole; the caller then
// writes the UTF-8 bytes rather than lose the text.
bool Convert(std::string_view utf8_text, std::string* out) {
  out->resize(utf8_text.size());  // never longer in a single-byte code page
  char* in_ptr = const_cast<char*>(utf8_text.data());
  std::size_t in_left = utf8_text.size();
  char* out_ptr = out->data();
  std::size_t out_left = out->size();
  iconv(g_converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(g_converter, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1))
    return false;
  out->resize(out->size() - out_left);
  return true;
}

}  // namespace

void SelectOutputEncoding() {
  // A closed pipe on standard output then shows as a failed write, which
  // ends the run, instead of killing the process outright.
  std::signal(SIGPIPE, SIG_IGN);
  if (std::setlocale(LC_CTYPE, "") == nullptr) return;
  const std::string codeset = NormalizedCodeset(nl_langinfo(CODESET));
  if (!IsSingleByteCyrillic(codeset)) return;
  g_converter = iconv_open(nl_langinfo(CODESET), "UTF-8");
}

bool WriteText(std::string_view utf8_text) {
  std::string converted;
  std::string_view bytes = utf8_text;
  if (g_converter != reinterpret_cast<iconv_t>(-1) && Convert(utf8_text, &converted))
    bytes = converted;
  if (!g_output_failed && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
    g_output_failed = true;
  return !g_output_failed;
}

bool FlushOutput() {
  if (!g_output_failed && std::fflush(stdout) != 0) g_output_failed = true;
  return !g_output_failed;
}

int ReadInputByte() {
  const int c = std::getchar();
  return c == EOF ? -1 : c;
}
