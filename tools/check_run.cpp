// The command line of exameo-check.
#include <algorithm>
#include <cstring>
#include <map>

#include "check_run.h"

namespace check {

namespace {

constexpr char kHelp[] =
    "Usage: exameo-check [--questions | --topics] PATH...\n"
    "       exameo-check --json questions FILE\n"
    "       exameo-check --json topics FILE\n"
    "\n"
    "Checks the files of an Exameo question bank and reports every mistake as\n"
    "FILE:LINE: MESSAGE. The program itself reads a wrong file without a word.\n"
    "\n"
    "PATH is a database folder (the folder holding Base, or Base itself), a\n"
    "description file or a question file. In a folder, Base\\*.txt are the\n"
    "description files and the files they name are question files. A file given\n"
    "on its own is a description file when every line after the first begins with\n"
    "a TAB and holds a double quote, and a question file otherwise; --questions or\n"
    "--topics says which it is.\n"
    "\n"
    "The files (Windows-1251 text, no byte-order mark):\n"
    "  Description file, one per discipline, lines ending in CR LF:\n"
    "    the discipline's title (at most 1023 bytes, no TAB, no double quote)\n"
    "    TAB, a topic's title, \"path of its question file\"   (one line per topic)\n"
    "  Paths are relative to Base, at most 42 bytes; at most 128 topics, and at\n"
    "  most 64 description files with names of at most 42 bytes.\n"
    "  Question file, lines ending in CR LF or LF:\n"
    "    the task of a question (at most 2047 bytes)\n"
    "    TAB, + or - (correct or not), the answer's text (at most 1023 bytes)\n"
    "  at most 12 answer lines per question; the file begins with a task line.\n"
    "\n"
    "--json questions FILE  prints what the program's loader makes of a question\n"
    "                       file: {\"count\", \"questions\": [{\"exists\", \"task\",\n"
    "                       \"variants\": [{\"text\", \"correct\"}]}]}\n"
    "--json topics FILE     prints what the program makes of a description file:\n"
    "                       {\"title\", \"topics\": [{\"title\", \"path\"}]}\n"
    "Texts in the JSON are decoded from Windows-1251 to UTF-8.\n"
    "\n"
    "Exit status: 0 when nothing is wrong, 1 when something is, 2 when the command\n"
    "line is wrong or a path cannot be read.\n";

int Usage(std::FILE* err, const std::string& complaint) {
  std::fprintf(err, "exameo-check: %s\nTry 'exameo-check --help'.\n", complaint.c_str());
  return kExitUsage;
}

int RunJson(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc != 4) return Usage(err, "--json takes a kind (questions or topics) and one file");
  std::string kind = argv[2];
  if (kind != "questions" && kind != "topics")
    return Usage(err, "--json takes 'questions' or 'topics', not '" + kind + "'");
  std::string json, error;
  bool done = kind == "questions" ? QuestionsJson(argv[3], &json, &error)
                                  : TopicsJson(argv[3], &json, &error);
  if (!done) {
    std::fprintf(err, "exameo-check: %s: %s\n", argv[3], error.c_str());
    return kExitUsage;
  }
  std::fwrite(json.data(), 1, json.size(), out);
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
    line += p.message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), out);
  }
  if (!sorted.empty())
    std::fprintf(err, "exameo-check: %zu problem%s in %zu file%s\n", sorted.size(),
                 sorted.size() == 1 ? "" : "s", order.size(), order.size() == 1 ? "" : "s");
}

}  // namespace

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc >= 2 && std::strcmp(argv[1], "--json") == 0) return RunJson(argc, argv, out, err);

  Force force = Force::kAuto;
  std::vector<std::string> paths;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      std::fputs(kHelp, out);
      return kExitClean;
    } else if (options && (arg == "--questions" || arg == "--topics")) {
      Force wanted = arg == "--questions" ? Force::kQuestions : Force::kTopics;
      if (force != Force::kAuto && force != wanted)
        return Usage(err, "--questions and --topics exclude each other");
      force = wanted;
    } else if (options && arg == "--json") {
      return Usage(err, "--json comes first: exameo-check --json questions|topics FILE");
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return Usage(err, "unknown option '" + arg + "'");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) return Usage(err, "no file or folder to check");

  Report report;
  bool unreadable = false;
  for (const std::string& path : paths) {
    std::string error;
    if (!CheckPath(path, force, &report, &error)) {
      std::fprintf(err, "exameo-check: %s: %s\n", path.c_str(), error.c_str());
      unreadable = true;
    }
  }
  Print(report, out, err);
  if (unreadable) return kExitUsage;
  return report.problems.empty() ? kExitClean : kExitProblems;
}

}  // namespace check
