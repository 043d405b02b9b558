// Reading a file that must be a regular file.
#ifndef UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
#define UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_

#include <string>

#include "platform/ini_reader.h"

/// Opens path once and hands its bytes, chunk by chunk, to consume. Returns
/// false, without calling consume, when path is not a regular file that can
/// be opened for reading; never blocks on a FIFO or a device.
bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume);

#endif  // UPGRADE_SIM_PLATFORM_REGULAR_FILE_H_
