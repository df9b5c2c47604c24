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
#include "bank/picture_ref.h"
#include "bridge/tex_text.h"
#include "common/cp1251.h"
#include "common/utf8.h"

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

// U+0000 would end the text where the program reads it: it becomes '?', noted, as it always has.
std::string WithoutNul(std::string text, const std::string& input, int line,
                       std::vector<Note>* notes) {
  for (char& c : text) {
    if (c != '\0') continue;
    c = '?';
    notes->push_back(Note{input, line, lang::Say(lang::Id::kQuestionMarkPutIn, MissingText(0))});
  }
  return text;
}

// The writer's placeholder for a picture's topic folder K, known only once the topic's file is
// written: control characters are gone from the texts by then, so it stands for nothing else.
constexpr char kTopicFolder = '\x01';
// A reference is written with it; K takes up to this many more bytes (128 topics).
constexpr std::size_t kFolderDigitsMore = 2;

// A text as the program's file holds it, in UTF-8: controls removed, malformed sequences made
// U+FFFD, formulas made Unicode text, text that looks like a picture reference escaped and the
// picture marks made references (into the topic's folder). Notes at `line`; *pictures counts
// the references. *plain gets the text unescaped, as a Windows-1251 file holds it, where
// `![` is no picture.
std::string FileText(std::string_view utf8, const Bank* bank, PictureFolder* folder,
                     const std::string& input, int line, std::vector<Note>* notes,
                     std::size_t* pictures, std::string* plain) {
  std::string clean = WithoutNul(WithoutControls(utf8, input, line, notes), input, line, notes);
  std::string repaired;
  if (std::size_t bad = utf8::Repair(clean, &repaired); bad > 0) {
    for (std::size_t k = 0; k < bad; ++k)
      notes->push_back(Note{input, line,
                            lang::Say(lang::Id::kReplacementPutIn, lang::Say(lang::Id::kMalformedUtf8))});
  }
  std::string text = repaired;
  if (tex::HasMath(repaired)) {
    std::vector<tex::Note> kept;
    text = tex::ConvertText(repaired, &kept);
    for (const tex::Note& note : kept)
      notes->push_back(Note{input, line, lang::Say(lang::Id::kFormulaKept, note.what), true});
  }
  std::size_t count = bank != nullptr ? bank->pictures.size() : 0;
  std::string out;
  for (const MarkedPiece& piece : SplitMarked(text, count)) {
    if (!piece.picture) {
      out += picref::EscapeText(piece.text);
      *plain += piece.text;
      continue;
    }
    const Picture& picture = bank->pictures[piece.id];
    std::string name = folder->Add(picture.name, picture.bytes);
    // The alt text as a reference holds it: one line, folded.
    std::string alt;
    for (char c : FoldSpace(picture.alt))
      if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) alt += c;
    std::string probe, reference;
    // Picture names are made fit for any file system and a reference; the folder is put in
    // after the bracket that opens the path.
    if (!picref::WriteReference(alt, "x", &probe) ||
        !picref::WriteReference(alt, name, &reference)) {
      // PictureFileName leaves no name a reference cannot hold; should one come, its alt text
      // stays rather than nothing.
      out += picref::EscapeText(alt);
      *plain += alt;
      continue;
    }
    std::size_t at = probe.size() - 2;  // "x)" ends the probe
    if (reference[at] == '<') ++at;
    reference.insert(at, std::string(1, kTopicFolder) + "/");
    out += reference;
    ++*pictures;
  }
  return out;
}

// A title in UTF-8 as the description file can hold it: no quote (it would end the title), no
// control character, folded.
std::string TitleText(std::string_view utf8, const std::string& input, int line, Report* report) {
  std::string title(utf8);
  for (char& c : title)
    if (c == '"') c = '\'';
  std::vector<Note> notes;
  std::string clean =
      WithoutNul(WithoutControls(FoldSpace(title), input, line, &notes), input, line, &notes);
  std::string text;
  if (std::size_t bad = utf8::Repair(clean, &text); bad > 0)
    notes.push_back(Note{input, line,
                         lang::Say(lang::Id::kReplacementPutIn, lang::Say(lang::Id::kMalformedUtf8))});
  for (Note& note : notes) report->Keep(std::move(note));
  if (text.empty()) {
    // Only control characters were there; the program cannot show an empty title.
    constexpr std::string_view kUntitled = "Без названия";
    report->Lose(input, line, lang::Say(lang::Id::kTitleOnlyControls, kUntitled));
    text = kUntitled;
  }
  return text;
}

// A UTF-8 title in the description file's encoding, cut at the program's limit at a character
// boundary.
std::string EncodeTitle(const std::string& title, bool utf8, const std::string& input, int line,
                        Report* report) {
  std::string bytes;
  if (utf8)
    bytes = title;
  else
    utf8::ToCp1251(title, &bytes);
  if (bytes.size() > static_cast<std::size_t>(kMaxTitleBytes)) {
    report->Lose(input, line, lang::Say(lang::Id::kTitleCut, bytes.size(), kMaxTitleBytes));
    bytes.resize(utf8 ? utf8::CutLength(bytes, kMaxTitleBytes) : kMaxTitleBytes);
    // A cut may leave a space at the end.
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  }
  return bytes;
}

// The bytes a text takes in the file: in UTF-8 (with the room a topic's number may take) and in
// Windows-1251 (0 when it cannot be written so).
struct Sizes {
  std::size_t utf8 = 0, cp1251 = 0;
  bool fits1251 = true;
};
Sizes SizeOf(const std::string& text, std::size_t pictures) {
  Sizes s;
  s.utf8 = text.size() + pictures * kFolderDigitsMore;
  s.fits1251 = pictures == 0 && utf8::FitsCp1251(text);
  s.cp1251 = s.fits1251 ? utf8::CountChars(text) : 0;
  return s;
}

// One question's lines (UTF-8, and *plainLines as a Windows-1251 file holds them), or false
// (with a note) when the program cannot hold it in any encoding. *needsUtf8 tells whether the lines need UTF-8, *why (empty when they fit) why they
// would not fit a UTF-8 file.
bool EncodeQuestion(const Question& q, const Bank* bank, PictureFolder* folder, bool utf8,
                    const std::string& input, std::string* out, std::string* plainLines,
                    std::vector<Note>* topicNotes, bool* needsUtf8, lang::Text* why) {
  auto leaveOut = [&](int line, lang::Text reason) {
    topicNotes->push_back(
        Note{input, line, lang::Say(lang::Id::kQuestionLeftOut, std::move(reason))});
    return false;
  };
  if (q.VariantCount() > kMaxVariantsPerQuestion)
    return leaveOut(q.line, lang::Say(lang::Id::kWhyTooManyVariants, q.VariantCount(),
                                      kMaxVariantsPerQuestion));
  std::vector<Note> notes;
  std::size_t pictures = 0;
  std::string plainTask;
  std::string task =
      FileText(q.task, bank, folder, input, q.line, &notes, &pictures, &plainTask);
  if (task.empty()) return leaveOut(q.line, lang::Say(lang::Id::kWhyTaskOnlyControls));
  Sizes size = SizeOf(task, pictures);
  *needsUtf8 = utf8 || !size.fits1251;
  struct Limit {
    int line;
    lang::Text utf8, cp1251;
    bool over1251;
  };
  std::vector<Limit> over;  // each text over its limit in either encoding
  if (size.utf8 > static_cast<std::size_t>(kMaxTaskBytes) ||
      size.cp1251 > static_cast<std::size_t>(kMaxTaskBytes))
    over.push_back(Limit{q.line, lang::Say(lang::Id::kWhyTaskTooLongUtf8, size.utf8, kMaxTaskBytes),
                         lang::Say(lang::Id::kWhyTaskTooLong, size.cp1251, kMaxTaskBytes),
                         size.cp1251 > static_cast<std::size_t>(kMaxTaskBytes)});
  std::string lines = task + "\r\n";
  *plainLines = plainTask + "\r\n";
  for (std::size_t k = 0; k < q.variants.size(); ++k) {
    const Variant& v = q.variants[k];
    pictures = 0;
    std::string plainText;
    std::string text = FileText(v.text, bank, folder, input, v.line, &notes, &pictures, &plainText);
    if (text.empty()) return leaveOut(v.line, lang::Say(lang::Id::kWhyVariantOnlyControls, k + 1));
    // The loader takes a leading '+' or '-' as the mark: a space keeps it text, and says so.
    if (text[0] == '+' || text[0] == '-') {
      text.insert(0, 1, ' ');
      plainText.insert(0, 1, ' ');
      notes.push_back(Note{input, v.line,
                           lang::Say(lang::Id::kSpaceBeforeSign, k + 1, std::string(1, text[1])),
                           true});
    }
    size = SizeOf(text, pictures);
    *needsUtf8 = *needsUtf8 || !size.fits1251;
    if (size.utf8 > static_cast<std::size_t>(kMaxVariantBytes) ||
        size.cp1251 > static_cast<std::size_t>(kMaxVariantBytes))
      over.push_back(
          Limit{v.line, lang::Say(lang::Id::kWhyVariantTooLongUtf8, k + 1, size.utf8, kMaxVariantBytes),
                lang::Say(lang::Id::kWhyVariantTooLong, k + 1, size.cp1251, kMaxVariantBytes),
                size.cp1251 > static_cast<std::size_t>(kMaxVariantBytes)});
    for (std::string* to : {&lines, plainLines}) {
      *to += '\t';
      *to += v.correct ? '+' : '-';
      *to += to == plainLines ? plainText : text;
      *to += "\r\n";
    }
  }
  *why = {};
  for (Limit& limit : over) {
    // In UTF-8 the same text takes more bytes: a question that needs UTF-8 must fit it; one
    // that fits Windows-1251 alone is left out should its topic's file be UTF-8.
    if (*needsUtf8) return leaveOut(limit.line, std::move(limit.utf8));
    if (limit.over1251) return leaveOut(limit.line, std::move(limit.cp1251));
  }
  if (!over.empty()) *why = std::move(over.front().utf8);
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
  bank_ = bank;
  bank->context = this;
  bank->take = [](void* self, std::size_t topic, Question&& question) {
    static_cast<StreamEncoder*>(self)->Take(topic, question);
  };
}

void StreamEncoder::Keep(TopicFile& t, Note note) {
  if (report_->listLimit != 0 && t.notes.size() >= report_->listLimit) {
    ++t.unlisted;
    if (note.remark) ++t.unlistedRemarks;
  } else {
    t.notes.push_back(std::move(note));
  }
}

void StreamEncoder::ToUtf8(TopicFile& t) {
  // Windows-1251 to UTF-8 loses nothing; escaped questions take their UTF-8 lines, and the
  // questions too long in UTF-8 keep their places.
  std::string out;
  out.reserve(t.file.size() + t.file.size() / 2);
  std::size_t from = 0, i = 0, j = 0;
  while (i < t.longInUtf8.size() || j < t.escaped.size()) {
    std::size_t begin = std::min(i < t.longInUtf8.size() ? t.longInUtf8[i].begin : t.file.size(),
                                 j < t.escaped.size() ? t.escaped[j].begin : t.file.size());
    utf8::FromCp1251(std::string_view(t.file).substr(from, begin - from), &out);
    std::size_t at = out.size(), size;
    if (j < t.escaped.size() && t.escaped[j].begin == begin) {
      out += t.escaped[j].lines;
      size = t.escaped[j++].size;
    } else {
      size = t.longInUtf8[i].size;
      utf8::FromCp1251(std::string_view(t.file).substr(begin, size), &out);
    }
    if (i < t.longInUtf8.size() && t.longInUtf8[i].begin == begin) {
      t.longInUtf8[i].begin = at;
      t.longInUtf8[i++].size = out.size() - at;
    }
    from = begin + size;
  }
  utf8::FromCp1251(std::string_view(t.file).substr(from), &out);
  t.file = std::move(out);
  t.utf8 = true;
  std::vector<TopicFile::Span>().swap(t.utf8Only);
  std::vector<TopicFile::Span>().swap(t.likeMark);
  std::vector<TopicFile::Escaped>().swap(t.escaped);
}

void StreamEncoder::Take(std::size_t topic, const Question& question) {
  if (topics_.size() <= topic) topics_.resize(topic + 1);
  TopicFile& t = topics_[topic];
  ++t.given;
  std::vector<Note> notes;
  std::string lines, plainLines;
  bool needsUtf8 = false;
  lang::Text longInUtf8;
  // Once the file is UTF-8, every question must fit UTF-8.
  const std::string& input =
      topic < bank_->topics.size() && !bank_->topics[topic].input.empty()
          ? bank_->topics[topic].input
          : input_;
  if (EncodeQuestion(question, bank_, &t.pictures, utf8_ || t.utf8, input, &lines, &plainLines,
                     &notes, &needsUtf8, &longInUtf8)) {
    if (needsUtf8 && !t.utf8) ToUtf8(t);
    if (t.utf8) {
      t.file += lines;
    } else {
      std::string bytes;
      utf8::ToCp1251(plainLines, &bytes);
      TopicFile::Span span{t.file.size(), bytes.size(), question.line, 0};
      // Escapes only a UTF-8 file reads: a Windows-1251 one takes the text as it is.
      if (plainLines != lines)
        t.escaped.push_back(TopicFile::Escaped{span.begin, span.size, std::move(lines)});
      bool likeMark =
          t.written == static_cast<int>(t.likeMark.size()) && BeginsLikeAByteOrderMark(bytes);
      if (likeMark) {
        // Left out of a Windows-1251 file, and so not counted among its letters below.
        t.likeMark.push_back(span);
        t.likeMark.back().reason = TopicFile::kLikeMark;
      }
      // Kept only while every question with letters so far also reads as UTF-8: then, at the
      // end, a Windows-1251 file would read as UTF-8 and these are left out.
      if (!likeMark && !t.mixed && HasHighByte(bytes)) {
        if (ReadsAsUtf8(bytes)) {
          t.utf8Only.push_back(span);
          t.utf8Only.back().reason = TopicFile::kReadsAsUtf8;
        } else {
          t.mixed = true;
          std::vector<TopicFile::Span>().swap(t.utf8Only);
        }
      }
      if (!longInUtf8.empty()) {
        t.longInUtf8.push_back(span);
        t.longInUtf8.back().reason = static_cast<int>(t.longReasons.size());
        t.longReasons.push_back(std::move(longInUtf8));
      }
      t.file += bytes;
    }
    ++t.written;
  }
  for (Note& note : notes) Keep(t, std::move(note));
}

EncodedDiscipline StreamEncoder::Finish(const Bank& bank) {
  EncodedDiscipline out;
  // The discipline's title is said first, though it is encoded last.
  std::size_t titleNotes = report_->notes.size();
  std::vector<std::string> titles;  // UTF-8, of the topics written
  std::vector<int> titleLines;
  std::string title = TitleText(bank.title, input_, 0, report_);
  topics_.resize(std::max(topics_.size(), bank.topics.size()));
  for (std::size_t k = 0; k < bank.topics.size(); ++k) {
    const Topic& topic = bank.topics[k];
    const std::string& input = topic.input.empty() ? input_ : topic.input;
    TopicFile& t = topics_[k];
    if (t.given == 0) continue;
    // Counted among the topics that keep a question; what a topic past the limit would have
    // said about its questions is not said.
    if (out.topicFiles.size() >= static_cast<std::size_t>(kMaxTopicsPerDiscipline)) {
      report_->Lose(
          input, topic.line,
          lang::Say(lang::Id::kTopicBeyondLimit, topic.title, t.given, kMaxTopicsPerDiscipline));
      t = TopicFile{};
      continue;
    }
    for (Note& note : t.notes) report_->Keep(std::move(note));
    report_->unlisted += t.unlisted;
    report_->unlistedRemarks += t.unlistedRemarks;
    std::vector<TopicFile::Span> gone;
    if (t.utf8) {
      gone = std::move(t.longInUtf8);
    } else {
      // exameo-check (rightly, for a file a person saved) takes a file whose every letter reads
      // as UTF-8 for another encoding; in an import that comes only from mis-decoded text.
      if (!t.mixed) gone = std::move(t.utf8Only);
      // Both lists are in the order of the file; a question in both is left out once.
      for (TopicFile::Span& s : t.likeMark) {
        auto same = [&](const TopicFile::Span& g) { return g.begin == s.begin; };
        if (std::none_of(gone.begin(), gone.end(), same)) gone.push_back(s);
      }
      std::sort(gone.begin(), gone.end(), [](const TopicFile::Span& a, const TopicFile::Span& b) {
        return a.begin < b.begin;
      });
    }
    if (!gone.empty()) {
      std::string kept;
      std::size_t from = 0;
      for (const TopicFile::Span& g : gone) {
        kept.append(t.file, from, g.begin - from);
        from = g.begin + g.size;
        --t.written;
        lang::Text why = g.reason == TopicFile::kReadsAsUtf8
                             ? lang::Say(lang::Id::kWhyLettersReadAsUtf8)
                         : g.reason == TopicFile::kLikeMark
                             ? lang::Say(lang::Id::kWhyTaskLikeByteOrderMark)
                             : std::move(t.longReasons[static_cast<std::size_t>(g.reason)]);
        report_->Lose(input, g.line, lang::Say(lang::Id::kQuestionLeftOut, std::move(why)));
      }
      kept.append(t.file, from, std::string::npos);
      t.file = std::move(kept);
    }
    if (t.written > 0) {
      std::string file;
      if (t.utf8) {
        // The pictures' folder is the topic's number.
        std::string number = std::to_string(out.topicFiles.size() + 1);
        file = "\xEF\xBB\xBF";
        file.reserve(t.file.size() + 3);
        for (char c : t.file) {
          if (c == kTopicFolder)
            file += number;
          else
            file += c;
        }
        out.topicPictures.push_back(t.pictures.Files());
      } else {
        file = std::move(t.file);
        out.topicPictures.emplace_back();
      }
      titles.push_back(TitleText(topic.title, input, topic.line, report_));
      titleLines.push_back(topic.line);
      out.topicFiles.push_back(std::move(file));
      out.topicOf.push_back(k);
      out.questions += t.written;
    }
    t = TopicFile{};
  }
  topics_.clear();
  // The description file is UTF-8 when a title needs it (or when asked).
  out.utf8 = utf8_ || !utf8::FitsCp1251(title);
  for (const std::string& s : titles) out.utf8 = out.utf8 || !utf8::FitsCp1251(s);
  Report said;
  out.title = EncodeTitle(title, out.utf8, input_, 0, &said);
  for (Note& note : said.notes)
    report_->notes.insert(report_->notes.begin() + static_cast<std::ptrdiff_t>(titleNotes++),
                          std::move(note));
  for (std::size_t k = 0; k < titles.size(); ++k)
    out.topicTitles.push_back(EncodeTitle(titles[k], out.utf8, input_, titleLines[k], report_));
  if (!out.utf8) KeepTitlesToOneEncoding(&out, input_, report_);
  return out;
}

EncodedDiscipline Encode(const Bank& bank, const std::string& input, Report* report, bool utf8) {
  StreamEncoder encoder(input, report, utf8);
  encoder.bank_ = &bank;
  for (std::size_t k = 0; k < bank.topics.size(); ++k)
    for (const Question& q : bank.topics[k].questions) encoder.Take(k, q);
  return encoder.Finish(bank);
}

std::string DescriptionFile(const EncodedDiscipline& discipline, int number) {
  std::string text = discipline.utf8 ? "\xEF\xBB\xBF" : "";
  text += discipline.title + "\r\n";
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
      std::string topic = std::to_string(k + 1);
      if (!WriteNewFile(folder / (topic + ".txt"), disciplines[i].topicFiles[k])) {
        *error = lang::Tr(lang::Id::kFileNotWritten, Utf8FromPath(base),
                          "d" + n + "/" + topic + ".txt");
        return false;
      }
      if (k >= disciplines[i].topicPictures.size() || disciplines[i].topicPictures[k].empty())
        continue;
      // The topic's pictures, in the folder its references name.
      if (!fs::create_directory(folder / topic, ec) || ec) {
        *error = lang::Tr(lang::Id::kFolderNotWritable, Utf8FromPath(base));
        return false;
      }
      for (const auto& [name, bytes] : disciplines[i].topicPictures[k]) {
        if (!WriteNewFile(folder / topic / PathFromUtf8(name), bytes)) {
          *error = lang::Tr(lang::Id::kFileNotWritten, Utf8FromPath(base),
                            "d" + n + "/" + topic + "/" + name);
          return false;
        }
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
