// Files of the question bank on POSIX systems.
//
// The database writes paths with backslashes; here they become slashes. Names are bytes and
// pass unchanged, so a Windows-1251 name on disk is the same bytes the database holds.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_mask.h"
#include "platform/files.h"

namespace files {
namespace {

std::string NativePath(const char* path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

}  // namespace

InputFile::InputFile(const char* path) {
  if (path == nullptr) return;
  // Non-blocking, so that a FIFO named by a database cannot stall the open; anything but a
  // regular file reads as empty (a device could otherwise be read for ever).
  int fd;
  do {
    fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return;
  }
  handle_ = fd;
}

InputFile::~InputFile() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
}

std::size_t InputFile::Read(unsigned char* buffer, std::size_t capacity) {
  if (!IsOpen() || buffer == nullptr || capacity == 0) return 0;
  for (;;) {
    ssize_t got = ::read(static_cast<int>(handle_), buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

void ForEachFile(const char* pattern, bool (*visit)(const char* name, void* context),
                 void* context) {
  if (pattern == nullptr || visit == nullptr) return;
  std::string native = NativePath(pattern);
  std::string directory = ".";
  std::string mask = native;
  if (std::size_t slash = native.rfind('/'); slash != std::string::npos) {
    directory = slash == 0 ? "/" : native.substr(0, slash);
    mask = native.substr(slash + 1);
  }

  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (!MatchesMask(mask.c_str(), entry->d_name)) continue;
    // A backslash would become a slash on opening, naming another file.
    if (std::strchr(entry->d_name, '\\') != nullptr) continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    names.emplace_back(entry->d_name);
  }
  ::closedir(dir);

  // The directory's own order changes with the file system; a sorted one does not.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    if (!visit(name.c_str(), context)) break;
}

}  // namespace files
