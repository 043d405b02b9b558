#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/regular_file.h"

namespace {

bool SameIgnoringAsciiCase(const std::string& a, const char* b) {
  const std::size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    const bool letter = (x | 0x20) >= 'a' && (x | 0x20) <= 'z';
    if (x != y && !(letter && (x | 0x20) == (y | 0x20))) return false;
  }
  return true;
}

// The folder's entry named as name in another case (or, where exact, in the
// same one), or "".
std::string EntryInOtherCase(const std::string& folder, const std::string& name, bool exact) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return "";
  std::string found;
  while (const dirent* entry = readdir(dir)) {
    if ((exact || name != entry->d_name) && SameIgnoringAsciiCase(name, entry->d_name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

bool ReadRegularFile(const std::string& path,
                     const std::function<void(const ByteChunkSource&)>& consume,
                     FileOpening* opening) {
  FileOpening result;
  // O_NONBLOCK keeps open() from waiting for a writer on a FIFO; the type
  // check then rejects it along with directories and devices.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM || error == ELOOP || error == EIO) {
      result.state = FileState::kUnreadable;
      result.reason = std::strerror(error);
    } else if (error == EISDIR) {
      result.state = FileState::kNotAFile;
    }
    if (opening != nullptr) *opening = result;
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    if (opening != nullptr) opening->state = FileState::kNotAFile;
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
  if (opening != nullptr) *opening = FileOpening{FileState::kRead, ""};
  return true;
}

std::string SameNameInOtherCase(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
  struct stat info {};
  const bool folder_elsewhere = !folder.empty() && stat(folder.c_str(), &info) != 0;
  if (folder_elsewhere) {
    // The folder may itself be named in another case.
    folder = SameNameInOtherCase(folder);
    if (folder.empty()) return "";
  }
  const std::string entry = EntryInOtherCase(folder, name, folder_elsewhere);
  if (entry.empty()) return "";
  return folder.empty() ? entry : folder + "/" + entry;
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
