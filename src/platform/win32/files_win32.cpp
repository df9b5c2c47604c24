// Files of the question bank on Windows.
//
// The database holds Windows-1251 names. They are converted to UTF-16 with code page 1251
// named explicitly and the wide API is called, so that Cyrillic names work whatever the
// system's own code page is. A UTF-8 path (files::Path::utf8) is converted with CP_UTF8 instead.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_mask.h"
#include "platform/files.h"
#include "platform/win32/cp1251_win32.h"

namespace files {
namespace {

constexpr UINT kCodePage = 1251;

// Empty when the bytes are no Windows-1251 text (0x98 has no character), or for `codePage`
// CP_UTF8 no well-formed UTF-8: a repaired name would open another file.
std::wstring Widen(const char* text, UINT codePage = kCodePage) {
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length) != length)
    return std::wstring();
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

std::wstring Widen(Path path) {
  return Widen(path.bytes, path.utf8 ? CP_UTF8 : kCodePage);
}

// UTF-8 of a wide text; false when it holds a lone surrogate.
bool ToUtf8(const std::wstring& wide, std::string* out) {
  int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.c_str(), -1, nullptr, 0,
                                   nullptr, nullptr);
  if (length <= 0) return false;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.c_str(), -1, bytes.data(), length,
                          nullptr, nullptr) != length)
    return false;
  bytes.resize(static_cast<std::size_t>(length - 1));
  *out = std::move(bytes);
  return true;
}

}  // namespace

InputFile::InputFile(Path path) {
  if (path.bytes == nullptr) return;
  std::wstring wide = Widen(path);
  if (wide.empty()) return;
  // Shared for writing too: a file another program holds open for writing (a spreadsheet
  // holding results.csv) can still be read.
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // A device name such as "CON" opens in any directory and could be read for ever.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

InputFile::~InputFile() {
  if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::uint64_t InputFile::Size() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size) || size.QuadPart < 0)
    return 0;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool InputFile::SkipTo(std::uint64_t offset) {
  if (!IsOpen() || offset > Size()) return false;
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), to, nullptr, FILE_BEGIN) != 0;
}

std::size_t InputFile::Read(unsigned char* buffer, std::size_t capacity) {
  if (!IsOpen() || buffer == nullptr || capacity == 0) return 0;
  DWORD want = capacity > (1u << 30) ? (1u << 30) : static_cast<DWORD>(capacity);
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, want, &got, nullptr)) return 0;
  return got;
}

void ForEachFile(const char* pattern, bool (*visit)(const char* name, void* context),
                 void* context) {
  if (pattern == nullptr || visit == nullptr) return;
  std::wstring wide = Widen(pattern);
  if (wide.empty()) return;
  const char* slash = std::strrchr(pattern, '\\');
  const char* forward = std::strrchr(pattern, '/');
  if (forward != nullptr && (slash == nullptr || forward > slash)) slash = forward;
  const char* mask = slash != nullptr ? slash + 1 : pattern;

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> names;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;
    std::string name;
    if (!cp1251::FromWideExactly(found.cFileName, &name)) continue;
    // The search also matches short 8.3 names ("*.txt" finds "a.txtx" through "A~1.TXT"), so
    // each long name is checked against the mask again.
    if (!MatchesMask(mask, name.c_str())) continue;
    names.push_back(std::move(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);

  // A stable order on every file system, the same as on the other platforms.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    if (!visit(name.c_str(), context)) break;
}

bool FlushAppends = true;

namespace {

HANDLE OpenForWriting(const std::wstring& wide, DWORD access, DWORD disposition) {
  return CreateFileW(wide.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(file, bytes, want, &put, nullptr)) return false;
    if (put == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    bytes += put;
    size -= put;
  }
  return true;
}

// What a system error of a failed open, write or rename of `wide` means to the user.
Fault FaultOf(DWORD error, const std::wstring& wide) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return Fault::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return Fault::kFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_WRITE_PROTECT:
      return Fault::kFolder;
    case ERROR_ACCESS_DENIED: {
      // Denied on a file that is there: read-only, or held by a program that let nobody
      // replace it (a rename over a file open without delete sharing); on a missing one, the
      // folder refuses it.
      DWORD attributes = GetFileAttributesW(wide.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) return Fault::kFolder;
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fault::kOther;
      return (attributes & FILE_ATTRIBUTE_READONLY) ? Fault::kReadOnly : Fault::kInUse;
    }
    default:
      return Fault::kOther;
  }
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
  std::wstring wide = Widen(path);
  if (wide.empty()) return Failed(why, Fault::kOther);
  // Named after the process, so two programs writing the same file never share a temporary.
  std::wstring temporary = wide + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  HANDLE file = OpenForWriting(temporary, GENERIC_WRITE, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return Failed(why, FaultOf(GetLastError(), temporary));
  bool ok =
      WriteAll(file, static_cast<const unsigned char*>(bytes), size) && FlushFileBuffers(file) != 0;
  DWORD error = GetLastError();
  if (CloseHandle(file) == 0 && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && MoveFileExW(temporary.c_str(), wide.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
    return Done(why);
  if (ok) error = GetLastError();
  DeleteFileW(temporary.c_str());
  return Failed(why, FaultOf(error, wide));
}

bool AppendLines(const char* path, const void* bytes, std::size_t size, const char* header,
                 Fault* why) {
  if (path == nullptr || *path == '\0' || (bytes == nullptr && size > 0))
    return Failed(why, Fault::kOther);
  if (size > (1u << 30)) return Failed(why, Fault::kFull);
  std::wstring wide = Widen(path);
  if (wide.empty()) return Failed(why, Fault::kOther);
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of the file, and the
  // lines are one write call, so they are in the file whole or torn at its end, where the
  // readers pass them over. Reading takes only the last byte.
  HANDLE file = OpenForWriting(wide, GENERIC_READ | FILE_APPEND_DATA, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return Failed(why, FaultOf(GetLastError(), wide));
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length)) {
    DWORD error = GetLastError();
    CloseHandle(file);
    return Failed(why, FaultOf(error, wide));
  }
  std::string text;
  if (length.QuadPart == 0) {
    if (header != nullptr) text = header;
  } else {
    OVERLAPPED at{};
    std::uint64_t offset = static_cast<std::uint64_t>(length.QuadPart) - 1;
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    char last = '\n';
    DWORD got = 0;
    if (ReadFile(file, &last, 1, &got, &at) && got == 1 && last != '\n' && last != '\r')
      text = "\r\n";
  }
  text.append(static_cast<const char*>(bytes), size);
  OVERLAPPED end{};
  end.Offset = 0xFFFFFFFF;  // both halves all ones: at the end of the file, whatever it is now
  end.OffsetHigh = 0xFFFFFFFF;
  DWORD put = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, &end) != 0 &&
            put == text.size();
  DWORD error =
      ok ? ERROR_SUCCESS : (GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL);
  if (ok && FlushAppends && FlushFileBuffers(file) == 0) {
    ok = false;
    error = GetLastError();
  }
  if (CloseHandle(file) == 0 && ok) {
    ok = false;
    error = GetLastError();
  }
  return ok ? Done(why) : Failed(why, FaultOf(error, wide));
}

bool MakeFolder(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::wstring wide = Widen(path);
  if (wide.empty()) return false;
  CreateDirectoryW(wide.c_str(), nullptr);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const char* path, Fault* why) {
  if (path == nullptr || *path == '\0') return Failed(why, Fault::kOther);
  std::wstring wide = Widen(path);
  if (wide.empty()) return Failed(why, Fault::kOther);
  if (DeleteFileW(wide.c_str())) return Done(why);
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Done(why);
  return Failed(why, FaultOf(error, wide));
}

bool CanWriteIn(const char* folder) {
  if (folder == nullptr || *folder == '\0') return false;
  std::wstring wide = Widen(folder);
  if (wide.empty()) return false;
  std::wstring probe = wide + L"\\.exameo-probe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE file = OpenForWriting(probe, GENERIC_WRITE, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, reinterpret_cast<const unsigned char*>("x"), 1);
  ok = CloseHandle(file) != 0 && ok;
  return DeleteFileW(probe.c_str()) != 0 && ok;
}

std::string FullPath(Path path) {
  if (path.bytes == nullptr || *path.bytes == '\0') return std::string();
  std::wstring wide = Widen(path);
  if (wide.empty()) return std::string();
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::string();
  std::wstring full(length, L'\0');
  DWORD got = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (got == 0 || got >= length) return std::string();
  full.resize(got);
  std::string out;
  if (path.utf8 ? !ToUtf8(full, &out) : !cp1251::FromWideExactly(full.c_str(), &out))
    return std::string();
  return out;
}

}  // namespace files
