#include "platform/win32/data_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/files.h"
#include "platform/win32/cp1251_win32.h"

namespace {

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool IsFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool Cp1251Path(const std::wstring& wide, std::string* out) {
  if (wide.empty()) return false;
  if (cp1251::FromWideExactly(wide.c_str(), out)) return true;
  // A user name in another script, say: the short name is ASCII where the volume keeps them.
  DWORD length = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (length == 0) return false;
  std::wstring shortName(length, L'\0');
  DWORD got = GetShortPathNameW(wide.c_str(), shortName.data(), length);
  if (got == 0 || got >= length) return false;
  shortName.resize(got);
  return cp1251::FromWideExactly(shortName.c_str(), out);
}

DataFolder ChooseDataFolder(const std::wstring& programFolder, const std::wstring& appData) {
  DataFolder chosen;
  std::wstring program = WithoutTrailingSlash(programFolder);
  std::string bytes;
  if (!program.empty() && IsFile(program + L"\\exameo.ini") && Cp1251Path(program, &bytes) &&
      files::CanWriteIn(bytes.c_str())) {
    chosen.path = bytes;
    chosen.writable = true;
    return chosen;
  }
  std::wstring base = WithoutTrailingSlash(appData);
  if (base.empty()) return chosen;
  std::wstring own = base + L"\\Exameo";
  CreateDirectoryW(own.c_str(), nullptr);
  // Named even when it cannot be written, so that what it holds is still read.
  if (!Cp1251Path(own, &bytes)) return chosen;
  chosen.path = bytes;
  chosen.writable = files::CanWriteIn(bytes.c_str());
  return chosen;
}

std::wstring ProgramFolder() {
  std::wstring path(32768, L'\0');
  DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (got == 0 || got >= path.size()) return std::wstring();
  path.resize(got);
  std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
    return path;
  DWORD length = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (length == 0) return std::wstring();
  std::wstring value(length, L'\0');
  DWORD got = GetEnvironmentVariableW(L"APPDATA", value.data(), length);
  if (got == 0 || got >= length) return std::wstring();
  value.resize(got);
  return value;
}
