// Checking files where they lie: a single file, or a whole database directory read the way the
// program reads it (through the same file layer, from the database's root).
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "check_host.h"
#include "check_pictures.h"
#include "bank/catalogue.h"
#include "bank/picture_info.h"
#include "bank/question.h"
#include "check_run.h"
#include "common/cp1251.h"
#include "common/utf8.h"
#include "platform/files.h"

namespace check {

namespace fs = std::filesystem;

namespace {

// Reads a file the way the program opens it: a database path relative to the working directory.
bool ReadProgramFile(const std::string& path, std::string* bytes, bool utf8 = false) {
  files::InputFile file(files::Path(path.c_str(), utf8));
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

// The name of a file given on the command line as the program's file layer gives it: the bytes
// on POSIX, Windows-1251 (a character the code page lacks as '?') on Windows.
std::string ProgramName(const fs::path& path) {
#ifdef _WIN32
  std::string name;
  for (wchar_t c : path.filename().wstring()) {
    int b = cp1251::FromUnicode(static_cast<char32_t>(c));
    name += b < 0 ? '?' : static_cast<char>(b);
  }
  return name;
#else
  return path.filename().string();
#endif
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

// A path of a description file as a message shows it: a UTF-8 one as it is written.
std::string PathForMessage(const std::string& path, bool utf8) {
  if (!utf8) return ForMessage(path);
  std::string shown;
  utf8::Repair(path, &shown);
  return shown;
}

lang::Text Missing(const std::string& path, bool utf8 = false) {
  bool base =
      path.size() >= 5 && (path.compare(0, 5, "Base\\") == 0 || path.compare(0, 5, "base\\") == 0);
  return lang::Say(lang::Id::kChkMissing, PathForMessage(path, utf8),
                   base ? lang::Say(lang::Id::kChkMissingBase) : lang::Text());
}

lang::Text InBaseMessage(const std::string& path, bool utf8 = false) {
  return lang::Say(lang::Id::kChkInBase, PathForMessage(path, utf8));
}

bool CollectName(const char* name, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(name);
  return true;
}

// The program's loader and catalogue, for their reading of the files; like the program's own
// they live in zeroed static storage.
TopicClass programTopic;
DisciplineClass programCatalogue;

// Compares what the checks counted in a question file with what the program's loader reads from
// it at `path` (a database path from the working directory).
void CompareWithLoader(std::string path, QuestionCounts counts, const std::string& shown,
                       Report* report, bool pathUtf8 = false) {
  if (counts.questions < 0) return;  // the checks stopped early: nothing to compare
  programTopic.UnloadQuestions();
  programTopic.LoadQuestions(files::Path(path.c_str(), pathUtf8));
  QuestionCounts loaded;
  loaded.questions = programTopic.Head.bExists ? programTopic.Count : 0;
  loaded.variants = programTopic.GetIDComponent(programTopic.Count);
  programTopic.UnloadQuestions();
  if (!(loaded == counts))
    report->Add(shown, 0,
                lang::Say(lang::Id::kChkCountsDiffer, counts.questions, counts.variants,
                          loaded.questions, loaded.variants));
}

// A question file given on its own is loaded from a scratch copy, as the loader needs a path in
// a database.
void CheckLooseQuestionFile(const std::string& shown, const std::string& bytes, Report* report) {
  QuestionCounts counts = CheckQuestions(bytes, shown, report);
  ScratchDatabase scratch;
  if (!scratch.Made() || !WriteHostFile(scratch.Base() / "questions.txt", bytes)) {
    report->Add(shown, 0, lang::Say(lang::Id::kChkNoTemporaryCopy));
    return;
  }
  WorkingDirectory here(scratch.Root());
  if (!here.Entered()) {
    report->Add(shown, 0, lang::Say(lang::Id::kChkNoTemporaryFolder));
    return;
  }
  CompareWithLoader(std::string(kBaseDir) + "questions.txt", counts, shown, report);
}

void CheckDatabase(const fs::path& root, const std::string& baseShown, Report* report) {
  WorkingDirectory here(root);
  if (!here.Entered()) {
    report->Add(baseShown, 0, lang::Say(lang::Id::kChkCannotEnterDatabase));
    return;
  }
  char pattern[] = "Base\\*.txt";
  std::vector<std::string> names;
  files::ForEachFile(pattern, CollectName, &names);
  if (names.empty()) {
    report->Add(baseShown, 0, lang::Say(lang::Id::kChkNoDescriptions));
    return;
  }

  // What the program lists decides which description files there are; the rest are explained.
  programCatalogue.LoadDisciplines(pattern);
  struct Description {
    TitlePath entry;
    std::string name;
    std::string bytes;
    ProgramTopics program;
  };
  std::vector<Description> descriptions;
  std::set<std::string> taken;
  for (int i = 0; i <= programCatalogue.LastDiscipline && i < kMaxDisciplines; ++i) {
    const TitlePath& entry = programCatalogue.Disciplines[i];
    std::string name = RelativePath(entry);
    taken.insert(name);
    descriptions.push_back({entry, name, {}, {}});
  }
  int left = 0;
  std::string firstLeft;
  for (const std::string& name : names) {
    if (taken.count(name) > 0) continue;
    std::string shown = Shown(baseShown, name);
    if (static_cast<int>(name.size()) > kMaxDescriptionName) {
      CheckDescriptionName(name, shown, report);
    } else if (!files::InputFile((std::string(kBaseDir) + name).c_str()).IsOpen()) {
      report->Add(shown, 0, lang::Say(lang::Id::kChkDescriptionUnreadable));
    } else if (left++ == 0) {
      firstLeft = name;
    }
  }
  if (left > 0)
    report->Add(baseShown, 0,
                lang::Say(lang::Id::kChkTooManyDescriptions,
                          descriptions.size() + static_cast<std::size_t>(left), left, firstLeft));

  // What the program reads from each, and which question files they name.
  std::set<std::string> named;
  for (Description& d : descriptions) {
    // Read once: the catalogue's parser reads the same bytes as LoadTopics would from the file.
    ReadProgramFile(d.entry.Path, &d.bytes);
    d.program = ReadTopics(d.bytes);
    named.insert(d.program.paths.begin(), d.program.paths.end());
  }
  std::set<std::string> checked;
  for (const Description& d : descriptions) {
    std::string shown = Shown(baseShown, d.name);
    // A question file in Base itself is a discipline too. When it reads as a question file and
    // offers no topic, the message at the line that names it says all there is to say.
    bool offersTopics = !d.program.paths.empty();
    if (named.count(d.name) > 0 && !offersTopics && Classify(d.bytes) == FileKind::kQuestions)
      continue;
    std::vector<TopicPath> paths = CheckTopics(d.bytes, d.program, shown, report);
    // The title as the program shows it: up to the line break, cut to its field, and ending at
    // a zero byte (which has a message of its own).
    // A UTF-8 file's title: behind its mark, cut at a character.
    std::string_view bytes = d.bytes;
    if (HasUtf8Mark(bytes)) bytes.remove_prefix(3);
    std::string_view line = bytes.substr(0, bytes.find_first_of(std::string_view("\r\n\0", 3)));
    std::string title(HasUtf8Mark(d.bytes) ? utf8::Cut(line, kTitleCapacity - 1)
                                           : line.substr(0, kTitleCapacity - 1));
    if (title != std::string(d.entry.Title, strnlen(d.entry.Title, sizeof d.entry.Title)))
      report->Add(shown, 1, lang::Say(lang::Id::kChkTitleReadDifferently));
    for (const TopicPath& p : paths) {
      std::string path = std::string(kBaseDir) + p.path;
      // A file named again was read, and found, when it was first named: it is read only once.
      // A UTF-8 path never has the bytes of a Windows-1251 one (it would have been converted),
      // so the two kinds share the set.
      bool again = checked.count(p.path) > 0;
      std::string bytes;
      if (!again && !ReadProgramFile(path, &bytes, p.utf8)) {
        report->Add(shown, p.line, Missing(p.path, p.utf8));
        continue;
      }
      if (InBaseItself(p.path)) report->Add(shown, p.line, InBaseMessage(p.path, p.utf8));
      if (again) continue;
      checked.insert(p.path);
      std::string questions = Shown(baseShown, p.path);
      CompareWithLoader(path, CheckQuestions(bytes, questions, report), questions, report, p.utf8);
      const picinfo::Folder folder = picinfo::FolderOf(files::Path(path.c_str(), p.utf8));
      CheckPictures(bytes, fs::path(std::u8string(folder.path.begin(), folder.path.end())),
                    folder.depth, questions, report);
    }
  }
}

void CheckDescriptionFile(const fs::path& path, const std::string& shown, const std::string& bytes,
                          Report* report) {
  CheckDescriptionName(ProgramName(path), shown, report);
  std::vector<TopicPath> paths = CheckTopics(bytes, shown, report);
  // The paths are relative to the Base folder, which is where a description file lies.
  fs::path dir = path.parent_path();
  WorkingDirectory here(dir.empty() ? fs::path(".") : dir);
  if (!here.Entered()) return;
  for (const TopicPath& p : paths) {
    if (!files::InputFile(files::Path(p.path.c_str(), p.utf8)).IsOpen())
      report->Add(shown, p.line, Missing(p.path, p.utf8));
    else if (InBaseItself(p.path))
      report->Add(shown, p.line, InBaseMessage(p.path, p.utf8));
  }
}

}  // namespace

bool CheckPath(const std::string& arg, Force force, Report* report, std::string* error) {
  std::error_code ec;
  fs::path path(arg);
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    *error = lang::Tr(lang::Id::kChkNoSuchPath);
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
    *error = lang::Tr(lang::Id::kChkFolderWithoutBase);
    return false;
  }
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) {
    *error = lang::Tr(lang::Id::kCannotReadFile);
    return false;
  }
  FileKind kind = force == Force::kQuestions ? FileKind::kQuestions
                  : force == Force::kTopics  ? FileKind::kTopics
                                             : Classify(bytes);
  if (kind == FileKind::kTopics)
    CheckDescriptionFile(path, arg, bytes, report);
  else {
    CheckLooseQuestionFile(arg, bytes, report);
    // A question file given on its own: its folder stands for Base (no `..` leads out of it).
    CheckPictures(bytes, path.parent_path(), 0, arg, report);
  }
  return true;
}

}  // namespace check
