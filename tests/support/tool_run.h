// The command-line tools run in-process: argument list in, exit code and both outputs back.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/lang.h"

namespace testsupport {

// What a tool said and how it ended; code -1 when it could not be run.
struct ToolResult {
  int code = -1;
  std::string out;
  std::string err;
};

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
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
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
