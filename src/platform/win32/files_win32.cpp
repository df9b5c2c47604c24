// Files of the question bank on Windows.
//
// The database holds Windows-1251 names. They are converted to UTF-16 with code page 1251
// named explicitly and the wide API is called, so that Cyrillic names work whatever the
// system's own code page is.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_mask.h"
#include "platform/files.h"

namespace files {
namespace {

constexpr UINT kCodePage = 1251;

// Empty when the bytes are no Windows-1251 text (0x98 has no character).
std::wstring Widen(const char* text) {
  int length = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length) != length)
    return std::wstring();
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

// False when the name has a character that Windows-1251 lacks: such a name could not be
// opened again from its converted bytes.
bool Narrow(const wchar_t* wide, std::string* out) {
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr,
                                   &usedDefault);
  if (length <= 0 || usedDefault) return false;
  out->assign(static_cast<std::size_t>(length), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, out->data(), length, nullptr,
                          &usedDefault) != length ||
      usedDefault)
    return false;
  out->resize(static_cast<std::size_t>(length - 1));
  return true;
}

}  // namespace

InputFile::InputFile(const char* path) {
  if (path == nullptr) return;
  std::wstring wide = Widen(path);
  if (wide.empty()) return;
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (!Narrow(found.cFileName, &name)) continue;
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

}  // namespace files
