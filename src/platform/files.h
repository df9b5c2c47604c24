// Files as the question bank sees them.
//
// Paths are Windows-1251 bytes with backslash separators, relative to the working directory,
// exactly as the database stores them. Each platform maps them to its own names. A UTF-8
// description file may name a file Windows-1251 cannot spell: such a path is UTF-8 and says so
// (files::Path), and is opened for reading only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace files {

// A path to read and the encoding of its bytes. A bare `const char*` is Windows-1251, so every
// caller that only knows such paths reads exactly as before.
struct Path {
  const char* bytes = nullptr;
  bool utf8 = false;
  Path(const char* cp1251) : bytes(cp1251) {}  // NOLINT: implicit, as the old calls pass
  Path(const char* text, bool isUtf8) : bytes(text), utf8(isUtf8) {}
};

// A file opened for shared reading. One that cannot be opened reads as empty: Read returns 0.
class InputFile {
 public:
  explicit InputFile(Path path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `capacity` bytes into `buffer`; 0 at the end of the file or on a failed read.
  std::size_t Read(unsigned char* buffer, std::size_t capacity);
  bool IsOpen() const { return handle_ != kClosed; }
  // The file's size in bytes (0 when it is not open).
  std::uint64_t Size() const;
  // Moves to `offset` bytes from the start: the next Read reads from there. False when it
  // cannot (the file is not open, or the offset is past its end).
  bool SkipTo(std::uint64_t offset);

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

// Reads the file at `path` in blocks of 64 KiB and hands each to `feed(bytes, size)` until the
// end of the file, a failed read, or `feed` returning false.
template <class Feed>
void ReadBlocks(Path path, Feed&& feed) {
  InputFile file(path);
  unsigned char buffer[64 * 1024];
  for (;;) {
    std::size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0 || !feed(static_cast<const unsigned char*>(buffer), got)) return;
  }
}

// Calls `visit` with the bare name (Windows-1251) of every file matching `pattern`, which has
// the form "dir\*.ext" (the extension is matched without regard to case), in a stable order,
// until `visit` returns false. Names that cannot be written in Windows-1251 are passed over.
void ForEachFile(const char* pattern, bool (*visit)(const char* name, void* context),
                 void* context);

// ---- Writing (the study data: options, progress, results) ----

// Why a write failed, as far as the system tells it: what the user is to be told.
enum class Fault {
  kNone,
  kInUse,     // another program holds the file open or locked (a spreadsheet)
  kReadOnly,  // the file may not be written: read-only, or no rights to it
  kFolder,    // the folder is missing or may not be written in
  kFull,      // no room: the disk, a quota or a file size limit
  kOther,
};

// Replaces the file at `path` with `size` bytes: they go to a temporary file beside it, flushed
// to the disk, which is then renamed over it, so a crash leaves either the old file or the new
// one. False when it could not be written (the old file is then unchanged and no temporary is
// left); `why`, when given, says why.
bool WriteWhole(const char* path, const void* bytes, std::size_t size, Fault* why = nullptr);
// Appends `size` bytes of whole lines to the file at `path` (created when missing) with one
// write call, the file opened and closed around it, and flushes them to the disk before
// returning. A file that is empty gets `header` first; one whose last byte is no line end (a
// line torn by a crash) gets CR LF first, so the new lines do not join it. When the bytes cannot
// all be written, the file is cut back to its old length where the system allows it; false,
// and `why` says why.
bool AppendLines(const char* path, const void* bytes, std::size_t size, const char* header,
                 Fault* why = nullptr);
// Whether AppendLines flushes (on; the benchmarks turn it off to time the program's own work
// apart from the disk's).
extern bool FlushAppends;
// Makes the folder `path` (its parent must exist). True when it exists afterwards.
bool MakeFolder(const char* path);
// Removes the file at `path`. True when it is gone afterwards (also when it never was).
bool RemoveFile(const char* path, Fault* why = nullptr);
// True when a file can be created, written and removed in the folder `path`.
bool CanWriteIn(const char* folder);
// The absolute form of `path` (backslashes) in the path's own encoding: Windows-1251 for a
// Windows-1251 path, UTF-8 (the working folder's part too) for a UTF-8 one; "" when it cannot
// be formed.
std::string FullPath(Path path);

}  // namespace files
