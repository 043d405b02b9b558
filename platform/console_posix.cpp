#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/console.h"

namespace {

// Where the terminal uses a single-byte Cyrillic code page, texts are
// converted to it; everywhere else (UTF-8, the C locale) they go out as UTF-8.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // NOLINT: iconv's own error value
iconv_t g_converter = kNoConverter;
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
  static const char* const kCyrillicCodesets[] = {"CP1251",   "WINDOWS1251", "KOI8R",
                                                  "ISO88595", "CP866",       "IBM866"};
  return std::any_of(std::begin(kCyrillicCodesets), std::end(kCyrillicCodesets),
                     [&](const char* known) { return codeset == known; });
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

void SetUpConsole() {
  // With descriptor 0 closed, the next file opened would become standard
  // input; an empty one in its place reads as the end of the answers.
  if (fcntl(STDIN_FILENO, F_GETFD) == -1 && errno == EBADF) {
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd > STDIN_FILENO) close(null_fd);
  }
  // A closed pipe on standard output then shows as a failed write, which
  // ends the run, instead of killing the process outright.
  (void)std::signal(SIGPIPE, SIG_IGN);
  if (std::setlocale(LC_CTYPE, "") == nullptr) return;
  const std::string codeset = NormalizedCodeset(nl_langinfo(CODESET));
  if (!IsSingleByteCyrillic(codeset)) return;
  g_converter = iconv_open(nl_langinfo(CODESET), "UTF-8");
}

bool WriteText(std::string_view utf8_text) {
  std::string converted;
  std::string_view bytes = utf8_text;
  if (g_converter != kNoConverter && Convert(utf8_text, &converted)) bytes = converted;
  if (!g_output_failed && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
    g_output_failed = true;
  return !g_output_failed;
}

bool FlushOutput() {
  if (!g_output_failed && std::fflush(stdout) != 0) g_output_failed = true;
  return !g_output_failed;
}
