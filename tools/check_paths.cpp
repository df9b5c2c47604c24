// Checking files where they lie: a single file, or a whole database directory read the way the
// program reads it (through the same file layer, from the database's root).
#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "check_host.h"
#include "check_run.h"
#include "common/cp1251.h"
#include "platform/files.h"

namespace check {

namespace fs = std::filesystem;

namespace {

// Reads a file the way the program opens it: a database path relative to the working directory.
bool ReadProgramFile(const std::string& path, std::string* bytes) {
  files::InputFile file(path.c_str());
  if (!file.IsOpen()) return false;
  unsigned char buffer[64 * 1024];
  bytes->clear();
  while (std::size_t got = file.Read(buffer, sizeof buffer))
    bytes->append(reinterpret_cast<const char*>(buffer), got);
  return true;
}

// A database path ("x\y.txt") as the user finds it under `shownDir`.
std::string Shown(const std::string& shownDir, const std::string& relative) {
  std::string tail = relative;
  std::replace(tail.begin(), tail.end(), '\\', static_cast<char>(fs::path::preferred_separator));
  return shownDir + static_cast<char>(fs::path::preferred_separator) + tail;
}

// A name as the program would hold it: a name in UTF-8 on disk counts in Windows-1251 bytes.
// Any other name is Windows-1251 already (the Windows file layer gives every name so) and is
// counted as it stands: decoded as UTF-8, a pair such as "\xD2\xB8" would count as one byte.
std::string NameBytes(const std::string& name) {
  bool multibyte = false;
  for (std::size_t i = 0; i < name.size();) {
    if (static_cast<unsigned char>(name[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t u = cp1251::DecodeUtf8(name.data(), name.size(), &i);
    if (u == 0xFFFFFFFFu || u < 0x80) return name;
    multibyte = true;
  }
  return multibyte ? ToCp1251(name) : name;
}

bool EndsWithTxt(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".txt";
}

bool InBaseItself(const std::string& path) {
  return path.find('\\') == std::string::npos && path.find('/') == std::string::npos &&
         EndsWithTxt(path);
}

std::string Missing(const std::string& path) {
  std::string message = "the question file \"" + ToUtf8(path) + "\" does not exist";
  if (path.size() >= 5 && (path.compare(0, 5, "Base\\") == 0 || path.compare(0, 5, "base\\") == 0))
    message += " (paths are relative to the Base folder: leave out \"Base\\\")";
  return message;
}

std::string InBaseMessage(const std::string& path) {
  return "the question file \"" + ToUtf8(path) +
         "\" lies in Base itself and ends in .txt, so the program lists it as a discipline as "
         "well; move it into a folder of its own";
}

bool CollectName(const char* name, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(name);
  return true;
}

void CheckDatabase(const fs::path& root, const std::string& baseShown, Report* report) {
  WorkingDirectory here(root);
  if (!here.Entered()) {
    report->Add(baseShown, 0, "cannot enter the database folder");
    return;
  }
  std::vector<std::string> names;
  files::ForEachFile("Base\\*.txt", CollectName, &names);
  if (names.empty()) {
    report->Add(baseShown, 0,
                "no description files (*.txt) in this Base folder: the program would list no "
                "discipline");
    return;
  }
  if (static_cast<int>(names.size()) > 64)
    report->Add(baseShown, 0,
                std::to_string(names.size()) +
                    " description files: the program lists at most 64 disciplines");

  struct Description {
    std::string name;
    std::string bytes;
    std::vector<TopicPath> paths;
  };
  std::vector<Description> descriptions;
  for (const std::string& name : names) {
    Description d{name, {}, {}};
    if (!ReadProgramFile(std::string("Base\\") + name, &d.bytes)) {
      report->Add(Shown(baseShown, name), 0, "cannot read the file");
      continue;
    }
    descriptions.push_back(std::move(d));
  }

  // First the description files, and the question files they name.
  std::set<std::string> named;
  for (Description& d : descriptions) {
    Report scratch;
    d.paths = CheckTopics(d.bytes, Shown(baseShown, d.name), &scratch);
    for (const TopicPath& p : d.paths) named.insert(p.path);
  }
  std::set<std::string> checked;
  for (const Description& d : descriptions) {
    // A question file in Base itself is named by another description; it is checked as what
    // it was meant to be.
    if (named.count(d.name) > 0) continue;
    std::string shown = Shown(baseShown, d.name);
    CheckDescriptionName(NameBytes(d.name), shown, report);
    CheckTopics(d.bytes, shown, report);
    for (const TopicPath& p : d.paths) {
      std::string bytes;
      if (!ReadProgramFile(std::string("Base\\") + p.path, &bytes)) {
        report->Add(shown, p.line, Missing(p.path));
        continue;
      }
      if (InBaseItself(p.path)) report->Add(shown, p.line, InBaseMessage(p.path));
      if (checked.insert(p.path).second) CheckQuestions(bytes, Shown(baseShown, p.path), report);
    }
  }
}

void CheckDescriptionFile(const fs::path& path, const std::string& shown, const std::string& bytes,
                          Report* report) {
  CheckDescriptionName(NameBytes(path.filename().string()), shown, report);
  std::vector<TopicPath> paths = CheckTopics(bytes, shown, report);
  // The paths are relative to the Base folder, which is where a description file lies.
  fs::path dir = path.parent_path();
  WorkingDirectory here(dir.empty() ? fs::path(".") : dir);
  if (!here.Entered()) return;
  for (const TopicPath& p : paths) {
    std::string ignored;
    if (!ReadProgramFile(p.path, &ignored))
      report->Add(shown, p.line, Missing(p.path));
    else if (InBaseItself(p.path))
      report->Add(shown, p.line, InBaseMessage(p.path));
  }
}

}  // namespace

bool CheckPath(const std::string& arg, Force force, Report* report, std::string* error) {
  std::error_code ec;
  fs::path path(arg);
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    *error = "no such file or folder";
    return false;
  }
  if (fs::is_directory(status)) {
    if (fs::is_directory(path / "Base", ec)) {
      CheckDatabase(path, (path / "Base").string(), report);
      return true;
    }
    fs::path normal = path.lexically_normal();
    if (!normal.has_filename()) normal = normal.parent_path();
    if (normal.filename() == "Base") {
      fs::path root = normal.parent_path();
      std::string shown = arg;
      while (shown.size() > 1 && (shown.back() == '/' || shown.back() == '\\')) shown.pop_back();
      CheckDatabase(root.empty() ? fs::path(".") : root, shown, report);
      return true;
    }
    *error =
        "a folder that neither holds a Base folder nor is one (give the folder holding Base, "
        "or Base itself)";
    return false;
  }
  std::string bytes;
  if (!ReadHostFile(path, &bytes)) {
    *error = "cannot read the file";
    return false;
  }
  FileKind kind = force == Force::kQuestions ? FileKind::kQuestions
                  : force == Force::kTopics  ? FileKind::kTopics
                                             : Classify(bytes);
  if (kind == FileKind::kTopics)
    CheckDescriptionFile(path, arg, bytes, report);
  else
    CheckQuestions(bytes, arg, report);
  return true;
}

}  // namespace check
