// Adding question files from the program.
#include "shell/add_questions.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "bank/catalogue.h"
#include "bridge/host.h"
#include "bridge/text.h"
#include "common/plural.h"
#include "session/session.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "shell/globals.h"
#include "shell/menu.h"

namespace adding {

namespace {

Added gLast;

// The file's name without its folder.
std::string FileName(const std::string& path) {
  return bridge::Utf8FromPath(bridge::PathFromUtf8(path).filename());
}

std::string Why(const bridge::ImportedInput& in, const bridge::ImportOutcome& outcome) {
  switch (in.refused) {
    case bridge::Refusal::kUnreadable:
      return "не удалось прочитать файл";
    case bridge::Refusal::kUnknownFormat:
      return "формат не распознан: дайте файлу расширение .gift, .aiken, .xml, .csv, .docx "
             "или .xlsx "
             "или выберите формат в списке типов файлов";
    case bridge::Refusal::kParserRejects:
      return "файл не читается как Moodle XML (строка " + in.detail + ")";
    case bridge::Refusal::kNoQuestion:
      return "в файле нет вопросов, которые программа может показать";
    case bridge::Refusal::kTooManyDisciplines:
      return "в базе уже " + std::to_string(bridge::kMaxDisciplines) +
             " дисциплины, больше программа не показывает";
    case bridge::Refusal::kNotWritten:
      return outcome.failure == bridge::ImportFailure::kCannotList
                 ? "не удалось прочитать папку Base"
                 : "в папку Base не удалось записать";
    case bridge::Refusal::kReason:
      return lang::Render(in.reason, lang::Lang::kRussian);
    case bridge::Refusal::kNone:
      break;
  }
  return "";
}

// Catalogue entry whose description file is Base\N.txt, or -1.
int EntryOfNumber(int number) {
  char path[kPathCapacity];
  std::snprintf(path, sizeof path, "%s%d.txt", kBaseDir, number);
  for (int i = 0; i <= Discipline.LastDiscipline && i < kMaxDisciplines; ++i) {
    const TitlePath& d = Discipline.Disciplines[i];
    if (!d.bExists) continue;
    bool same = std::strlen(d.Path) == std::strlen(path);
    for (std::size_t k = 0; same && path[k] != '\0'; ++k)
      same = (d.Path[k] | 0x20) == (path[k] | 0x20);
    if (same) return i;
  }
  return -1;
}

}  // namespace

std::string FilterString() {
  std::string text;
  for (const FileFilter& f : kFilters) {
    text += f.name;
    text += '\0';
    text += f.patterns;
    text += '\0';
  }
  text += '\0';
  return text;
}

bridge::Format FormatOfFilter(int index) {
  constexpr int count = static_cast<int>(sizeof kFilters / sizeof kFilters[0]);
  if (index < 1 || index > count) return bridge::Format::kUnknown;
  return kFilters[index - 1].format;
}

std::string NoteInRussian(const bridge::Note& note) {
  return note.Message(lang::Lang::kRussian);
}

std::vector<std::string> ReportLines(const bridge::ImportOutcome& outcome) {
  std::vector<std::string> lines;
  if (outcome.failure == bridge::ImportFailure::kNoFolder) {
    lines.push_back("Ничего не добавлено: нет папки программы " + outcome.failureDetail);
    return lines;
  }
  for (const bridge::ImportedInput& in : outcome.inputs) {
    std::string name = FileName(in.name);
    if (in.refused != bridge::Refusal::kNone) {
      lines.push_back(name + ": ничего не добавлено: " + Why(in, outcome));
      continue;
    }
    lines.push_back(name + ": " + std::to_string(in.questions) + " " +
                    common::RussianPlural(in.questions, "вопрос", "вопроса", "вопросов") + " в " +
                    std::to_string(in.topics) + " " +
                    common::RussianPlural(in.topics, "теме", "темах", "темах") + ", дисциплина «" +
                    in.title + "»");
  }
  for (const bridge::ImportedInput& in : outcome.inputs) {
    std::string name = FileName(in.name);
    for (const bridge::Note& note : in.report.notes) {
      std::string where = note.line > 0 ? name + ":" + std::to_string(note.line) : name;
      lines.push_back(where + ": " + NoteInRussian(note));
    }
    if (in.report.unlisted > 0)
      lines.push_back(name + ": и ещё " + std::to_string(in.report.unlisted) + " " +
                      common::RussianPlural(in.report.unlisted, "потеря", "потери", "потерь") +
                      " без подробностей");
  }
  return lines;
}

const Added& LastAdded() {
  return gLast;
}

int RescanCatalogue() {
  auto fresh = std::make_unique<DisciplineClass>();
  char pattern[kPathCapacity];
  std::snprintf(pattern, sizeof pattern, "%s%s", kBaseDir, "*.txt");
  fresh->LoadDisciplines(pattern);
  int count = Discipline.LastDiscipline + 1;
  if (count < 0) count = 0;
  if (count > kMaxDisciplines) count = kMaxDisciplines;
  int appended = 0;
  for (int f = 0; f <= fresh->LastDiscipline && f < kMaxDisciplines; ++f) {
    const TitlePath& entry = fresh->Disciplines[f];
    int known = -1;
    for (int i = 0; i < count && known < 0; ++i)
      if (std::strcmp(Discipline.Disciplines[i].Path, entry.Path) == 0) known = i;
    if (known >= 0) {
      // Its title may have been edited since: the menu shows the file as it is now.
      std::memcpy(Discipline.Disciplines[known].Title, entry.Title, sizeof entry.Title);
      continue;
    }
    if (count >= kMaxDisciplines) break;
    Discipline.Disciplines[count++] = entry;
    ++appended;
  }
  Discipline.LastDiscipline = count - 1;
  return appended;
}

void AddQuestionFiles(const std::vector<std::string>& paths, bridge::Format forced) {
  // A box of the quiz flow waits halfway through an OK: nothing may change under it.
  if (quiz::bFlowBusy || paths.empty()) return;
  bridge::ImportOutcome outcome = bridge::ImportInputs(".", paths, forced, nullptr);
  if (outcome.written > 0) {
    RescanCatalogue();
    RebuildDisciplinesMenu();
  }
  gLast = Added{};
  gLast.lines = ReportLines(outcome);
  for (const bridge::ImportedInput& in : outcome.inputs) {
    if (in.refused != bridge::Refusal::kNone || in.number <= 0) continue;
    gLast.firstNew = EntryOfNumber(in.number);
    if (gLast.firstNew >= 0) break;
  }
  ws::OpenAddReport(OnScreen2.hInst, OnScreen2.hWnd,
                    {&gLast.lines, gLast.firstNew >= 0, OpenFirstNew});
}

void AskAndAdd() {
  std::vector<std::string> paths;
  int filter = 0;
  if (!ws::AskOpenFiles(OnScreen2.hWnd, FilterString(), &paths, &filter)) return;
  AddQuestionFiles(paths, FormatOfFilter(filter));
}

void OpenFirstNew() {
  int i = gLast.firstNew;
  if (i < 0 || i >= kMaxDisciplines || !Discipline.Disciplines[i].bExists) return;
  // As the discipline's menu item: never under a box of the flow, and a sitting is asked first.
  if (quiz::bFlowBusy || !session::MayInterrupt(false)) return;
  OpenDiscipline(i);
}

}  // namespace adding
