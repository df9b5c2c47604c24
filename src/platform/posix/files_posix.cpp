// Files of the question bank on POSIX systems.
//
// The database writes paths with backslashes; here they become slashes. Names are bytes and
// pass unchanged, so a Windows-1251 name on disk is the same bytes the database holds, and a
// UTF-8 path (files::Path::utf8) names the file whose name is those UTF-8 bytes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

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

InputFile::InputFile(Path path) {
  if (path.bytes == nullptr) return;
  // Non-blocking, so that a FIFO named by a database cannot stall the open; anything but a
  // regular file reads as empty (a device could otherwise be read for ever).
  int fd;
  do {
    fd = ::open(NativePath(path.bytes).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

std::uint64_t InputFile::Size() const {
  struct stat st;
  if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0 || st.st_size < 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

bool InputFile::SkipTo(std::uint64_t offset) {
  if (!IsOpen() || offset > Size()) return false;
  return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) ==
         static_cast<off_t>(offset);
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

bool FlushAppends = true;

namespace {

// Writes all of `size` bytes, going on after a partial or interrupted write.
bool WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = ENOSPC;
      return false;
    }
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

int OpenForWriting(const std::string& native, int flags) {
  int fd;
  do {
    fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// What an errno of a failed open or write of `native` means to the user.
Fault FaultOf(int error, const std::string& native) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return Fault::kFull;
    case ENOENT:
    case ENOTDIR:
      return Fault::kFolder;
    case EACCES:
    case EPERM:
    case EROFS: {
      // The file itself when it is there; else the folder, where it cannot be made.
      struct stat st;
      return ::stat(native.c_str(), &st) == 0 ? Fault::kReadOnly : Fault::kFolder;
    }
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
      return Fault::kInUse;
    default:
      return Fault::kOther;
  }
}

// Flushes the folder that holds `native`, so that a rename in it reaches the disk too.
void SyncFolder(const std::string& native) {
  std::size_t slash = native.rfind('/');
  std::string folder = slash == std::string::npos ? "."
                       : slash == 0               ? "/"
                                                  : native.substr(0, slash);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool Failed(Fault* why, Fault fault) {
  if (why != nullptr) *why = fault;
  return false;
}

bool Done(Fault* why) {
  if (why != nullptr) *why = Fault::kNone;
  return true;
}

}  // namespace

bool WriteWhole(const char* path, const void* bytes, std::size_t size, Fault* why) {
  if (path == nullptr || *path == '\0' || (bytes == nullptr && size > 0))
    return Failed(why, Fault::kOther);
  std::string native = NativePath(path);
  // The temporary is named after the process, so two programs writing the same file never
  // share one; the rename is atomic within the folder.
  std::string temporary = native + "." + std::to_string(::getpid()) + ".tmp";
  int fd = OpenForWriting(temporary, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return Failed(why, FaultOf(errno, temporary));
  bool ok = WriteAll(fd, static_cast<const unsigned char*>(bytes), size) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), native.c_str()) == 0) {
    SyncFolder(native);
    return Done(why);
  }
  if (ok) error = errno;
  ::unlink(temporary.c_str());
  return Failed(why, FaultOf(error, native));
}

bool AppendLines(const char* path, const void* bytes, std::size_t size, const char* header,
                 Fault* why) {
  if (path == nullptr || *path == '\0' || (bytes == nullptr && size > 0))
    return Failed(why, Fault::kOther);
  std::string native = NativePath(path);
  int fd = OpenForWriting(native, O_RDWR | O_CREAT | O_APPEND);
  if (fd < 0) return Failed(why, FaultOf(errno, native));
    // Another program that holds a lock on the file is honoured, as Windows makes every program
    // honour a file held open: an open-file-description lock conflicts with the locks of other
    // processes and with another open description in this one.
#ifdef F_OFD_SETLK
  constexpr int kLock = F_OFD_SETLK;
#else
  constexpr int kLock = F_SETLK;
#endif
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  int error = 0;
  // A file system without such locks (ENOLCK, EINVAL) is written all the same.
  if (::fcntl(fd, kLock, &lock) != 0 && (errno == EAGAIN || errno == EACCES)) {
    ::close(fd);
    return Failed(why, Fault::kInUse);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    error = errno;
    ::close(fd);
    return Failed(why, FaultOf(error, native));
  }
  std::string text;
  if (st.st_size == 0) {
    if (header != nullptr) text = header;
  } else {
    char last = '\n';
    if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n' && last != '\r') text = "\r\n";
  }
  text.append(static_cast<const char*>(bytes), size);
  // One write call: the lines are in the file whole, or cut back off it below; only a crash
  // during the call can leave them torn at the end, where the readers pass them over.
  ssize_t put;
  do {
    put = ::write(fd, text.data(), text.size());
  } while (put < 0 && errno == EINTR);
  bool ok = put >= 0 && static_cast<std::size_t>(put) == text.size();
  if (!ok) {
    error = put < 0 ? errno : ENOSPC;
    if (put > 0 && ::ftruncate(fd, st.st_size) != 0) {
      // Left torn: the next append closes the torn line first.
    }
  } else if (FlushAppends && ::fsync(fd) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok ? Done(why) : Failed(why, FaultOf(error, native));
}

bool MakeFolder(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::string native = NativePath(path);
  if (::mkdir(native.c_str(), 0755) != 0 && errno != EEXIST) return false;
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const char* path, Fault* why) {
  if (path == nullptr || *path == '\0') return Failed(why, Fault::kOther);
  std::string native = NativePath(path);
  if (::unlink(native.c_str()) == 0 || errno == ENOENT) return Done(why);
  return Failed(why, errno == EACCES || errno == EPERM || errno == EROFS ? Fault::kFolder
                                                                         : FaultOf(errno, native));
}

bool CanWriteIn(const char* folder) {
  if (folder == nullptr || *folder == '\0') return false;
  std::string probe = NativePath(folder) + "/.exameo-probe-" + std::to_string(::getpid());
  int fd = OpenForWriting(probe, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, reinterpret_cast<const unsigned char*>("x"), 1);
  ok = ::close(fd) == 0 && ok;
  return ::unlink(probe.c_str()) == 0 && ok;
}

std::string FullPath(Path path) {
  if (path.bytes == nullptr || *path.bytes == '\0') return std::string();
  std::string native = NativePath(path.bytes);
  std::string full;
  if (native[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return std::string();
    full = cwd;
    if (full.empty() || full.back() != '/') full += '/';
  }
  full += native;
  std::replace(full.begin(), full.end(), '/', '\\');
  return full;
}

}  // namespace files
