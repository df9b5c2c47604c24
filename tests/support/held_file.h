// Another program holding a file open, as a spreadsheet holds results.csv: on Windows a file
// open for writing that lets others read but not write (through the C runtime: the core tests
// cannot include <windows.h> beside the in-memory window system); on POSIX a lock, which the
// files layer honours as Windows makes every program honour a file held open.
#pragma once

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <string>

#include "support/scratch.h"

namespace testsupport {

class HeldFile {
 public:
  // Opens (creating it when missing) and holds the file at `path` (Windows-1251, backslashes).
  explicit HeldFile(const std::string& path) {
#ifdef _WIN32
    fd_ = _wsopen(NativePath(path).c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYWR,
                  _S_IREAD | _S_IWRITE);
    held_ = fd_ >= 0;
#else
    fd_ = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    held_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
#endif
  }
  ~HeldFile() {
    Release();
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool Held() const {
    return held_;
  }
  void Release() {
#ifdef _WIN32
    if (fd_ >= 0) _close(fd_);
#else
    if (fd_ >= 0) ::close(fd_);
#endif
    fd_ = -1;
    held_ = false;
  }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace testsupport
