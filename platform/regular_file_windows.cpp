#include <windows.h>

#include "platform/regular_file.h"

namespace {

std::string Utf8(const wchar_t* wide, int length) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
  return text;
}

// The system's words for an error, without the line break it ends with.
std::string SystemReason(DWORD error) {
  wchar_t text[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, 512, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r' ||
                        text[length - 1] == L'.' || text[length - 1] == L' '))
    --length;
  if (length == 0) return "error " + std::to_string(error);
  return Utf8(text, static_cast<int>(length));
}

}  // namespace

bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume,
                     FileOpening* opening) {
  FileOpening result;
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open; the type
  // check then rejects devices (CON, NUL) and pipes.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      result.state = FileState::kNotAFile;
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
               error != ERROR_INVALID_NAME) {
      result.state = FileState::kUnreadable;
      result.reason = SystemReason(error);
    }
    if (opening != nullptr) *opening = result;
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    if (opening != nullptr) opening->state = FileState::kNotAFile;
    return false;
  }
  consume([file](char* buffer, std::size_t size) -> std::size_t {
    DWORD got = 0;
    const DWORD wanted = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    if (!ReadFile(file, buffer, wanted, &got, nullptr)) return 0;  // an error ends the file
    return got;
  });
  CloseHandle(file);
  if (opening != nullptr) *opening = FileOpening{FileState::kRead, ""};
  return true;
}

// Windows compares names without regard to case: the file was not there
// in any case.
std::string SameNameInOtherCase(const std::string&) { return ""; }

std::string WorkingDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring wide(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, wide.data());
  if (length == 0 || length >= size) return ".";
  return Utf8(wide.data(), static_cast<int>(length));
}
