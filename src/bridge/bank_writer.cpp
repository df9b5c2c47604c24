// From the bank model to the program's files: Windows-1251, CR LF, all or nothing.
#include "bridge/bank_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <system_error>

#include "bridge/host.h"
#include "bridge/text.h"
#include "common/cp1251.h"

namespace bridge {

namespace fs = std::filesystem;

namespace {

// Control characters other than TAB, CR and LF have no place in the program's texts (its
// checker rejects them); they are removed, noted once per text, and the text folded again.
std::string WithoutControls(std::string_view utf8, const std::string& input, int line,
                            std::vector<Note>* notes) {
  std::string out;
  int removed = 0;
  unsigned first = 0;
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != 0) || b == 0x7F) {
      if (removed++ == 0) first = b;
      continue;
    }
    out += c;
  }
  if (removed == 0) return out;
  char code[8];
  std::snprintf(code, sizeof code, "U+%04X", first);
  notes->push_back(
      Note{input, line,
           lang::Say(lang::Id::kControlsRemoved, removed, code, removed == 1 ? "" : ", ...")});
  return FoldSpace(out);
}

// Converts, noting every '?' put in and every control character removed at `line`.
std::string Encode1251(std::string_view utf8, const std::string& input, int line,
                       std::vector<Note>* notes) {
  std::string out;
  std::vector<char32_t> missing;
  Utf8ToCp1251(WithoutControls(utf8, input, line, notes), &out, &missing);
  for (char32_t u : missing)
    notes->push_back(Note{input, line, lang::Say(lang::Id::kQuestionMarkPutIn, MissingText(u))});
  return out;
}

// A title as the description file can hold it: no quote (it would end the title), folded,
// cut at the program's limit.
std::string EncodeTitle(std::string_view utf8, const std::string& input, int line, Report* report) {
  std::string title(utf8);
  for (char& c : title)
    if (c == '"') c = '\'';
  std::vector<Note> notes;
  std::string bytes = Encode1251(FoldSpace(title), input, line, &notes);
  for (Note& note : notes) report->Keep(std::move(note));
  if (bytes.empty()) {
    // Only control characters were there; the program cannot show an empty title.
    constexpr std::string_view kUntitled = "Без названия";
    report->Lose(input, line, lang::Say(lang::Id::kTitleOnlyControls, kUntitled));
    Utf8ToCp1251(kUntitled, &bytes);
  }
  if (bytes.size() > static_cast<std::size_t>(kMaxTitleBytes)) {
    report->Lose(input, line, lang::Say(lang::Id::kTitleCut, bytes.size(), kMaxTitleBytes));
    bytes.resize(kMaxTitleBytes);
    // A cut may leave a space at the end.
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  }
  return bytes;
}

// One question's lines, or false (with a note) when the program cannot hold it.
bool EncodeQuestion(const Question& q, const std::string& input, std::string* out,
                    std::vector<Note>* topicNotes) {
  auto leaveOut = [&](int line, lang::Text why) {
    topicNotes->push_back(Note{input, line, lang::Say(lang::Id::kQuestionLeftOut, std::move(why))});
    return false;
  };
  if (q.VariantCount() > kMaxVariantsPerQuestion)
    return leaveOut(q.line, lang::Say(lang::Id::kWhyTooManyVariants, q.VariantCount(),
                                      kMaxVariantsPerQuestion));
  std::vector<Note> notes;
  std::string task = Encode1251(q.task, input, q.line, &notes);
  if (task.empty()) return leaveOut(q.line, lang::Say(lang::Id::kWhyTaskOnlyControls));
  if (task.size() > static_cast<std::size_t>(kMaxTaskBytes))
    return leaveOut(q.line, lang::Say(lang::Id::kWhyTaskTooLong, task.size(), kMaxTaskBytes));
  std::string lines = task + "\r\n";
  for (std::size_t k = 0; k < q.variants.size(); ++k) {
    const Variant& v = q.variants[k];
    std::string text = Encode1251(v.text, input, v.line, &notes);
    if (text.empty()) return leaveOut(v.line, lang::Say(lang::Id::kWhyVariantOnlyControls, k + 1));
    // The loader takes a leading '+' or '-' as the mark: a space keeps it text, and says so.
    if (text[0] == '+' || text[0] == '-') {
      text.insert(0, 1, ' ');
      notes.push_back(Note{input, v.line,
                           lang::Say(lang::Id::kSpaceBeforeSign, k + 1, std::string(1, text[1])),
                           true});
    }
    if (text.size() > static_cast<std::size_t>(kMaxVariantBytes))
      return leaveOut(
          v.line, lang::Say(lang::Id::kWhyVariantTooLong, k + 1, text.size(), kMaxVariantBytes));
    lines += '\t';
    lines += v.correct ? '+' : '-';
    lines += text;
    lines += "\r\n";
  }
  for (Note& note : notes) topicNotes->push_back(std::move(note));
  *out += lines;
  return true;
}

}  // namespace

bool BeginsLikeAByteOrderMark(std::string_view bytes) {
  for (std::string_view mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"})
    if (bytes.substr(0, mark.size()) == mark) return true;
  return false;
}

bool ReadsAsUtf8(std::string_view bytes) {
  bool any = false;
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t u = cp1251::DecodeUtf8(bytes.data(), bytes.size(), &i);
    if (u == 0xFFFFFFFFu || u < 0x80 || u > 0x10FFFF) return false;
    any = true;
  }
  return any;
}

namespace {

bool HasHighByte(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// The same for the description file: titles that make it read as another encoding are
// replaced, noted.
void KeepTitlesToOneEncoding(EncodedDiscipline* d, const std::string& input, Report* report) {
  std::string untitled;
  Utf8ToCp1251("Без названия", &untitled);
  auto replace = [&](std::string* title, lang::Id why) {
    report->Lose(input, 0,
                 lang::Say(lang::Id::kTitleWrittenUntitled, Cp1251ToUtf8(*title), "Без названия",
                           lang::Say(why)));
    *title = untitled;
  };
  if (BeginsLikeAByteOrderMark(d->title)) replace(&d->title, lang::Id::kWhyTitleLikeByteOrderMark);
  if (!ReadsAsUtf8(DescriptionFile(*d, 1))) return;
  constexpr lang::Id why = lang::Id::kWhyTitleReadsAsUtf8;
  if (HasHighByte(d->title)) replace(&d->title, why);
  for (std::string& title : d->topicTitles)
    if (HasHighByte(title)) replace(&title, why);
}

}  // namespace

void StreamEncoder::Attach(Bank* bank) {
  bank->context = this;
  bank->take = [](void* self, std::size_t topic, Question&& question) {
    static_cast<StreamEncoder*>(self)->Take(topic, question);
  };
}

void StreamEncoder::Take(std::size_t topic, const Question& question) {
  if (topics_.size() <= topic) topics_.resize(topic + 1);
  TopicFile& t = topics_[topic];
  ++t.given;
  std::vector<Note> notes;
  std::string lines;
  if (EncodeQuestion(question, input_, &lines, &notes)) {
    if (t.file.empty() && BeginsLikeAByteOrderMark(lines)) {
      notes.push_back(Note{
          input_, question.line,
          lang::Say(lang::Id::kQuestionLeftOut, lang::Say(lang::Id::kWhyTaskLikeByteOrderMark))});
    } else {
      // Kept only while every question with letters so far also reads as UTF-8: then, at the
      // end, the file would read as UTF-8 and these are left out.
      if (!t.mixed && HasHighByte(lines)) {
        if (ReadsAsUtf8(lines)) {
          t.utf8Only.push_back(TopicFile::Span{t.file.size(), lines.size(), question.line});
        } else {
          t.mixed = true;
          std::vector<TopicFile::Span>().swap(t.utf8Only);
        }
      }
      t.file += lines;
      ++t.written;
    }
  }
  for (Note& note : notes) {
    if (report_->listLimit != 0 && t.notes.size() >= report_->listLimit) {
      ++t.unlisted;
      if (note.remark) ++t.unlistedRemarks;
    } else {
      t.notes.push_back(std::move(note));
    }
  }
}

EncodedDiscipline StreamEncoder::Finish(const Bank& bank) {
  EncodedDiscipline out;
  out.title = EncodeTitle(bank.title, input_, 0, report_);
  topics_.resize(std::max(topics_.size(), bank.topics.size()));
  for (std::size_t k = 0; k < bank.topics.size(); ++k) {
    const Topic& topic = bank.topics[k];
    TopicFile& t = topics_[k];
    if (t.given == 0) continue;
    // Counted among the topics that keep a question; what a topic past the limit would have
    // said about its questions is not said.
    if (out.topicFiles.size() >= static_cast<std::size_t>(kMaxTopicsPerDiscipline)) {
      report_->Lose(
          input_, topic.line,
          lang::Say(lang::Id::kTopicBeyondLimit, topic.title, t.given, kMaxTopicsPerDiscipline));
      t = TopicFile{};
      continue;
    }
    for (Note& note : t.notes) report_->Keep(std::move(note));
    report_->unlisted += t.unlisted;
    report_->unlistedRemarks += t.unlistedRemarks;
    if (!t.mixed && !t.utf8Only.empty()) {
      // exameo-check (rightly, for a file a person saved) takes a file whose every letter reads
      // as UTF-8 for another encoding; in an import that comes only from mis-decoded text.
      std::string kept;
      std::size_t from = 0;
      for (const TopicFile::Span& s : t.utf8Only) {
        kept.append(t.file, from, s.begin - from);
        from = s.begin + s.size;
        --t.written;
        report_->Lose(
            input_, s.line,
            lang::Say(lang::Id::kQuestionLeftOut, lang::Say(lang::Id::kWhyLettersReadAsUtf8)));
      }
      kept.append(t.file, from, std::string::npos);
      t.file = std::move(kept);
    }
    if (t.written > 0) {
      out.topicTitles.push_back(EncodeTitle(topic.title, input_, topic.line, report_));
      out.topicFiles.push_back(std::move(t.file));
      out.questions += t.written;
    }
    t = TopicFile{};
  }
  topics_.clear();
  KeepTitlesToOneEncoding(&out, input_, report_);
  return out;
}

EncodedDiscipline Encode(const Bank& bank, const std::string& input, Report* report) {
  StreamEncoder encoder(input, report);
  for (std::size_t k = 0; k < bank.topics.size(); ++k)
    for (const Question& q : bank.topics[k].questions) encoder.Take(k, q);
  return encoder.Finish(bank);
}

std::string DescriptionFile(const EncodedDiscipline& discipline, int number) {
  std::string text = discipline.title + "\r\n";
  for (std::size_t k = 0; k < discipline.topicTitles.size(); ++k) {
    text += '\t';
    text += discipline.topicTitles[k];
    text += "\"d" + std::to_string(number) + "\\" + std::to_string(k + 1) + ".txt\"\r\n";
  }
  return text;
}

namespace {

bool IsDescriptionName(const fs::path& name) {
  return LowerAscii(Utf8FromPath(name.extension())) == ".txt";
}

// Undoes a failed write: what was moved into Base, the scratch folder, Base when it was made.
struct Cleanup {
  fs::path base;
  bool baseMade = false;
  fs::path scratch;
  std::vector<fs::path> moved;
  bool done = false;

  ~Cleanup() {
    if (done) return;
    std::error_code ec;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) fs::remove_all(*it, ec);
    if (!scratch.empty()) fs::remove_all(scratch, ec);
    if (baseMade) fs::remove(base, ec);
  }
};

// Names compared without regard to case, as Windows and the catalogue's extension do. False
// when the folder cannot be listed.
bool ListBase(const fs::path& base, int* disciplines, std::set<std::string>* taken) {
  std::error_code ec;
  *disciplines = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(base, ec)) {
    if (IsDescriptionName(entry.path().filename()) && !entry.is_directory(ec)) ++*disciplines;
    taken->insert(LowerAscii(Utf8FromPath(entry.path().filename())));
  }
  return !ec;
}

}  // namespace

int CountDisciplines(const fs::path& base) {
  std::error_code ec;
  if (!fs::exists(base, ec)) return ec ? -1 : 0;
  int disciplines = 0;
  std::set<std::string> taken;
  return ListBase(base, &disciplines, &taken) ? disciplines : -1;
}

bool WriteDisciplines(const fs::path& base, const std::vector<EncodedDiscipline>& disciplines,
                      std::vector<int>* numbers, std::string* error) {
  std::error_code ec;
  Cleanup cleanup;
  cleanup.base = base;
  if (!fs::exists(base, ec)) {
    if (!fs::create_directory(base, ec) || ec) {
      *error = lang::Tr(lang::Id::kFolderNotCreated, Utf8FromPath(base));
      return false;
    }
    cleanup.baseMade = true;
  } else if (!fs::is_directory(base, ec)) {
    *error = lang::Tr(lang::Id::kNotAFolder, Utf8FromPath(base));
    return false;
  }

  int existing = 0;
  std::set<std::string> taken;
  if (!ListBase(base, &existing, &taken)) {
    *error = lang::Tr(lang::Id::kFolderNotListed, Utf8FromPath(base));
    return false;
  }
  if (existing + static_cast<int>(disciplines.size()) > kMaxDisciplines) {
    *error = lang::Tr(lang::Id::kFolderFull, Utf8FromPath(base), existing, kMaxDisciplines);
    return false;
  }

  // The smallest numbers free both as description file and as folder.
  std::vector<int> chosen;
  for (int n = 1; chosen.size() < disciplines.size(); ++n) {
    std::string s = std::to_string(n);
    if (taken.count(s + ".txt") != 0 || taken.count("d" + s) != 0) continue;
    chosen.push_back(n);
  }

  std::mt19937_64 random(
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 16 && cleanup.scratch.empty(); ++attempt) {
    fs::path scratch = base / (".import-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(scratch, ec) && !ec) cleanup.scratch = scratch;
  }
  if (cleanup.scratch.empty()) {
    *error = lang::Tr(lang::Id::kFolderNotWritable, Utf8FromPath(base));
    return false;
  }

  for (std::size_t i = 0; i < disciplines.size(); ++i) {
    std::string n = std::to_string(chosen[i]);
    fs::path folder = cleanup.scratch / ("d" + n);
    if (!fs::create_directory(folder, ec) || ec) {
      *error = lang::Tr(lang::Id::kFolderNotWritable, Utf8FromPath(base));
      return false;
    }
    for (std::size_t k = 0; k < disciplines[i].topicFiles.size(); ++k) {
      if (!WriteNewFile(folder / (std::to_string(k + 1) + ".txt"), disciplines[i].topicFiles[k])) {
        *error = lang::Tr(lang::Id::kFileNotWritten, Utf8FromPath(base),
                          "d" + n + "/" + std::to_string(k + 1) + ".txt");
        return false;
      }
    }
    if (!WriteNewFile(cleanup.scratch / (n + ".txt"), DescriptionFile(disciplines[i], chosen[i]))) {
      *error = lang::Tr(lang::Id::kFileNotWritten, Utf8FromPath(base), n + ".txt");
      return false;
    }
  }

  // Folders first: the program sees a discipline only once its description file is there.
  for (int pass = 0; pass < 2; ++pass) {
    for (int number : chosen) {
      std::string n = std::to_string(number);
      std::string name = pass == 0 ? "d" + n : n + ".txt";
      if (!MoveNoReplace(cleanup.scratch / name, base / name)) {
        *error = lang::Tr(lang::Id::kNotMovedIntoPlace, Utf8FromPath(base / name));
        return false;
      }
      cleanup.moved.push_back(base / name);
    }
  }
  fs::remove_all(cleanup.scratch, ec);
  cleanup.done = true;
  if (numbers != nullptr) *numbers = chosen;
  return true;
}

}  // namespace bridge
