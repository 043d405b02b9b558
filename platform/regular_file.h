// Reading a file that must be a regular file.
#ifndef UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
#define UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_

#include <cstddef>
#include <functional>
#include <string>

/// Fills buffer with up to size further bytes; returns how many, 0 at the end.
using ByteChunkSource = std::function<std::size_t(char* buffer, std::size_t size)>;

/// What became of a file: read, not there, or there but not read, with the
/// system's reason in UTF-8.
enum class FileState { kRead, kMissing, kNotAFile, kUnreadable };

struct FileOpening {
  FileState state = FileState::kMissing;
  std::string reason;  // for kUnreadable
};

/// Opens path once and hands its bytes, chunk by chunk, to consume. Returns
/// false, without calling consume, when path is not a regular file that can
/// be opened for reading; never blocks on a FIFO or a device. opening, if
/// given, tells which it was.
bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume,
                     FileOpening* opening = nullptr);

/// The path of an entry that differs from path's last part only in ASCII
/// letter case, in the same folder (itself found the same way), or "" where
/// there is none or names are compared without case anyway.
std::string SameNameInOtherCase(const std::string& path);

/// The working directory, in UTF-8, for messages.
std::string WorkingDirectory();

#endif  // UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
