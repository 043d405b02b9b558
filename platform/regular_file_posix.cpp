#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/regular_file.h"

bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume) {
  // O_NONBLOCK keeps open() from waiting for a writer on a FIFO; the type
  // check then rejects it along with directories and devices.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  consume([fd](char* buffer, std::size_t size) -> std::size_t {
    for (;;) {
      const ssize_t got = read(fd, buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return 0;  // a read error ends the file
    }
  });
  close(fd);
  return true;
}

std::string WorkingDirectory() {
  std::string path(4096, '\0');
  while (getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE || path.size() > (std::size_t{1} << 20)) return ".";
    path.resize(path.size() * 2);
  }
  path.resize(std::strlen(path.c_str()));
  return path;
}
