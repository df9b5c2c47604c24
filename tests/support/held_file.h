// Another program holding a file: on POSIX a lock on it, which the files layer honours as
// Windows makes every program honour a file held open.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "support/scratch.h"

namespace testsupport {

class HeldFile {
 public:
  // Opens (creating it when missing) and locks the file at `path` (Windows-1251, backslashes).
  explicit HeldFile(const std::string& path) {
    fd_ = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    held_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool Held() const { return held_; }
  void Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    held_ = false;
  }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace testsupport
#endif
