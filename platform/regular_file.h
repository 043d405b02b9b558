// Reading a file that must be a regular file.
#ifndef UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
#define UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_

#include <cstddef>
#include <functional>
#include <string>

/// Fills buffer with up to size further bytes; returns how many, 0 at the end.
using ByteChunkSource = std::function<std::size_t(char* buffer, std::size_t size)>;

/// Opens path once and hands its bytes, chunk by chunk, to consume. Returns
/// false, without calling consume, when path is not a regular file that can
/// be opened for reading; never blocks on a FIFO or a device.
bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume);

/// The working directory, in UTF-8, for messages.
std::string WorkingDirectory();

#endif  // UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
