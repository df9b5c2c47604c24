// Another program holding a file open, as a spreadsheet holds results.csv: on Windows a handle
// that lets others read but not write; on POSIX a lock, which the files layer honours as
// Windows makes every program honour a file held open.
#pragma once

#ifdef _WIN32
#include <windows.h>
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
    handle_ = CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    held_ = handle_ != INVALID_HANDLE_VALUE;
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
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
#else
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
#endif
    held_ = false;
  }

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
  bool held_ = false;
};

}  // namespace testsupport
