// The command line of exameo-check.
#include <algorithm>
#include <cstring>
#include <map>

#include "check_run.h"
#include "common/texts.h"

namespace check {

namespace {

int Usage(std::FILE* err, const std::string& complaint) {
  lang::Write(err, lang::Tr(lang::Id::kCheckTryHelp, complaint));
  return kExitUsage;
}

int RunJson(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc != 4) return Usage(err, lang::Tr(lang::Id::kCheckJsonArguments));
  std::string kind = argv[2];
  if (kind != "questions" && kind != "topics")
    return Usage(err, lang::Tr(lang::Id::kCheckJsonKind, kind));
  std::string json, error;
  bool done = kind == "questions" ? QuestionsJson(argv[3], &json, &error)
                                  : TopicsJson(argv[3], &json, &error);
  if (!done) {
    lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-check", argv[3], error));
    return kExitUsage;
  }
  lang::Write(out, json);
  return kExitClean;
}

void Print(const Report& report, std::FILE* out, std::FILE* err) {
  // Each file's problems together, in line order; files in the order they were met.
  std::map<std::string, std::size_t> order;
  for (const Problem& p : report.problems) order.emplace(p.file, order.size());
  std::vector<Problem> sorted = report.problems;
  std::stable_sort(sorted.begin(), sorted.end(), [&](const Problem& a, const Problem& b) {
    std::size_t fa = order[a.file], fb = order[b.file];
    return fa != fb ? fa < fb : a.line < b.line;
  });
  for (const Problem& p : sorted) {
    // Written whole: a text may hold a zero byte that %s would stop at.
    // Appended piece by piece: `":" + std::to_string(...)` draws g++ 12's false -Wrestrict at -O3.
    std::string line = p.file;
    if (p.line > 0) {
      line += ':';
      line += std::to_string(p.line);
    }
    line += ": ";
    line += p.Message(lang::ToolLanguage());
    line += '\n';
    lang::Write(out, line);
  }
  if (!sorted.empty())
    lang::Write(err, lang::Tr(lang::Id::kCheckSummary, sorted.size(), order.size()));
}

}  // namespace

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc >= 2 && std::strcmp(argv[1], "--json") == 0) return RunJson(argc, argv, out, err);

  Force force = Force::kAuto;
  bool toUtf8 = false;
  std::vector<std::string> paths;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      lang::Write(out, lang::Tr(lang::Id::kCheckHelp));
      return kExitClean;
    } else if (options && (arg == "--questions" || arg == "--topics")) {
      Force wanted = arg == "--questions" ? Force::kQuestions : Force::kTopics;
      if (force != Force::kAuto && force != wanted)
        return Usage(err, lang::Tr(lang::Id::kCheckKindsExclusive));
      force = wanted;
    } else if (options && arg == "--to-utf8") {
      toUtf8 = true;
    } else if (options && arg == "--json") {
      return Usage(err, lang::Tr(lang::Id::kCheckJsonFirst));
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return Usage(err, lang::Tr(lang::Id::kUnknownOption, arg));
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) return Usage(err, lang::Tr(lang::Id::kCheckNothing));

  Report report;
  report.toUtf8 = toUtf8;
  bool unreadable = false;
  for (const std::string& path : paths) {
    std::string error;
    if (!CheckPath(path, force, &report, &error)) {
      lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-check", path, error));
      unreadable = true;
    }
  }
  Print(report, out, err);
  if (unreadable) return kExitUsage;
  return report.problems.empty() ? kExitClean : kExitProblems;
}

}  // namespace check
