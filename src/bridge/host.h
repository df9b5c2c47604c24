// The host's files for the bridge tools: UTF-8 names on every system.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/host_file.h"

namespace bridge {

// Command-line and message names are UTF-8; Windows paths are UTF-16 underneath.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

using host::ReadWholeFile;

// Writes a new file, refusing to replace one that exists. False on any failure (a partly
// written file is removed).
bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes);

// Moves `from` to `to`, failing rather than replacing anything at `to`.
bool MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// A tool as a whole: arguments (UTF-8) in, output and messages out, exit code back.
using ToolRun = int (*)(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// Runs `run` on wmain's arguments made UTF-8, with the standard streams.
int RunWithUtf8Arguments(int argc, wchar_t** argv, ToolRun run);

}  // namespace bridge
