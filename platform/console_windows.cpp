#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "platform/console.h"

namespace {

// A real console shows UTF-16 text whatever its code page; anything else (a
// file, a pipe) gets the texts converted to code page 1251.
HANDLE g_console_output = nullptr;
HANDLE g_console_error = nullptr;
bool g_output_failed = false;

std::wstring ToUtf16(std::string_view utf8_text) {
  if (utf8_text.empty()) return {};
  const int size = static_cast<int>(utf8_text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8_text.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

std::string ToCodePage1251(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  std::string bytes(static_cast<std::size_t>(size), '\0');
  const int length =
      WideCharToMultiByte(1251, 0, wide.data(), size, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return bytes;
}

HANDLE ConsoleBehind(DWORD std_handle) {
  HANDLE handle = GetStdHandle(std_handle);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode))
    return handle;
  return nullptr;
}

bool WriteToConsole(HANDLE console, const std::wstring& wide) {
  const wchar_t* next = wide.data();
  DWORD left = static_cast<DWORD>(wide.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(console, next, left, &written, nullptr) || written == 0) return false;
    next += written;
    left -= written;
  }
  return true;
}

// To the console as UTF-16 where there is one, else to the stream in code
// page 1251.
bool WriteTo(HANDLE console, std::FILE* stream, std::string_view utf8_text) {
  if (console != nullptr) return WriteToConsole(console, ToUtf16(utf8_text));
  const std::string bytes = ToCodePage1251(ToUtf16(utf8_text));
  return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

}  // namespace

void SetUpConsole() {
  (void)std::setlocale(LC_ALL, ".1251");
  g_console_output = ConsoleBehind(STD_OUTPUT_HANDLE);
  g_console_error = ConsoleBehind(STD_ERROR_HANDLE);
}

bool WriteText(std::string_view utf8_text) {
  if (g_output_failed) return false;
  // Standard output is in text mode: each '\n' goes out as CR LF.
  g_output_failed = !WriteTo(g_console_output, stdout, utf8_text);
  return !g_output_failed;
}

void UseLfLineBreaks() { (void)_setmode(_fileno(stdout), _O_BINARY); }

void WriteErrorText(std::string_view utf8_text) {
  (void)WriteTo(g_console_error, stderr, utf8_text);
}

bool FlushOutput() {
  if (!g_output_failed && g_console_output == nullptr && std::fflush(stdout) != 0)
    g_output_failed = true;
  return !g_output_failed;
}

int ReadInputByte() {
  const int c = std::getchar();
  return c == EOF ? -1 : c;
}
