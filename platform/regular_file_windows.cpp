#include <windows.h>

#include "platform/regular_file.h"

bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open; the type
  // check then rejects devices (CON, NUL) and pipes.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  consume([file](char* buffer, std::size_t size) -> std::size_t {
    DWORD got = 0;
    const DWORD wanted = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    if (!ReadFile(file, buffer, wanted, &got, nullptr)) return 0;  // an error ends the file
    return got;
  });
  CloseHandle(file);
  return true;
}

std::string WorkingDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring wide(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, wide.data());
  if (length == 0 || length >= size) return ".";
  wide.resize(length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), nullptr,
                                        0, nullptr, nullptr);
  std::string path(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), path.data(), bytes,
                      nullptr, nullptr);
  return path;
}
