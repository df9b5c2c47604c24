#include "bridge/host.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#endif

namespace bridge {

namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8FromPath(const fs::path& path) {
  std::u8string u = path.u8string();
  return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

bool WriteNewFile(const fs::path& path, std::string_view bytes) {
  std::error_code ec;
  if (fs::exists(path, ec) || ec) return false;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out.fail()) return true;
  }
  fs::remove(path, ec);
  return false;
}

bool MoveNoReplace(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
#else
  std::error_code ec;
  if (fs::is_directory(from, ec)) {
    // A directory cannot be linked; rename replaces only an empty one, which holds nothing.
    if (fs::exists(to, ec) || ec) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
  }
  // link fails when `to` exists, so nothing is ever replaced.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  // File systems without hard links (a FAT stick): look, then rename.
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
  if (fs::exists(to, ec) || ec) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

int RunWithUtf8Arguments(int argc, wchar_t** argv, ToolRun run) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8FromPath(fs::path(std::wstring(argv[i]))));
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  return run(argc, pointers.data(), stdout, stderr);
}

}  // namespace bridge
