// The command-line tools run in-process: argument list in, exit code and both outputs back.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>

#include <atomic>
#include <filesystem>
#include <system_error>
#endif

#include "common/lang.h"

namespace testsupport {

// What a tool said and how it ended; code -1 when it could not be run.
struct ToolResult {
  int code = -1;
  std::string out;
  std::string err;
};

// A temporary file open for reading and writing, gone once closed. On Windows a name of this
// process's own: Wine's tmpfile checks that a name is free, frees it and only then opens it,
// so two test programs run at once under Wine are now and then handed the same file and one
// gets none.
inline std::FILE* TempFile() {
#ifdef _WIN32
  static std::atomic<unsigned> made{0};
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return nullptr;
  std::wstring name = L"exameo-test-" + std::to_wstring(_getpid()) + L"-" +
                      std::to_wstring(made.fetch_add(1)) + L".tmp";
  // D: removed when closed.
  return _wfopen((folder / name).c_str(), L"w+bD");
#else
  return std::tmpfile();
#endif
}

// Everything written to a temporary file, which is closed.
inline std::string Slurp(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, f)) text.append(buffer, got);
  std::fclose(f);
  return text;
}

// A tool's entry point: main's arguments, its standard output and error.
using ToolMain = int (*)(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// Runs `tool` as the program `name` with `args`, its outputs caught in temporary files; it
// speaks `language` whatever the user's is.
inline ToolResult RunToolMain(ToolMain tool, const char* name, std::vector<std::string> args,
                              lang::Lang language = lang::Lang::kEnglish) {
  lang::ToolLanguageFor speaking(language);
  args.insert(args.begin(), name);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  ToolResult result;
  std::FILE* out = TempFile();
  std::FILE* err = TempFile();
  if (out == nullptr || err == nullptr) {
    ADD_FAILURE() << "no temporary file for the tool's output";
    if (out != nullptr) std::fclose(out);
    if (err != nullptr) std::fclose(err);
    return result;
  }
  result.code = tool(static_cast<int>(argv.size()), argv.data(), out, err);
  result.out = Slurp(out);
  result.err = Slurp(err);
  return result;
}

}  // namespace testsupport
