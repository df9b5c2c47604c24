// Helpers of the exameo-check tests: files in a scratch folder and an in-process run.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "check_format.h"
#include "check_host.h"
#include "check_run.h"
// Relative: this folder is the tools tests' include root.
#include "../support/tool_run.h"

namespace tools_test {

// The messages of a report about `file`, as "line: message".
inline std::vector<std::string> Messages(const check::Report& report) {
  std::vector<std::string> out;
  for (const check::Problem& p : report.problems)
    out.push_back(std::to_string(p.line) + ": " + p.Message());
  return out;
}

inline std::vector<std::string> QuestionProblems(const std::string& bytes) {
  check::Report report;
  check::CheckQuestions(bytes, "q.txt", &report);
  return Messages(report);
}

inline std::vector<std::string> TopicProblems(const std::string& bytes) {
  check::Report report;
  check::CheckTopics(bytes, "1.txt", &report);
  return Messages(report);
}

// True when one of `messages` holds every one of `parts`.
inline bool Has(const std::vector<std::string>& messages,
                std::initializer_list<std::string> parts) {
  for (const std::string& m : messages) {
    bool all = true;
    for (const std::string& part : parts) all = all && m.find(part) != std::string::npos;
    if (all) return true;
  }
  return false;
}

using Result = testsupport::ToolResult;

inline Result RunTool(std::vector<std::string> args) {
  return testsupport::RunToolMain(check::Run, "exameo-check", std::move(args));
}

inline void Put(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  check::WriteHostFile(path, bytes);
}

}  // namespace tools_test
