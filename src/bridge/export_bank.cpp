// Reading a bank for export with the program's own loader and catalogue, and the rules every
// writer shares: what a format can carry, the weights of several correct variants, categories.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "bank/catalogue.h"
#include "bank/picture_ref.h"
#include "bank/question.h"
#include "common/utf8.h"
#include "bridge/host.h"
#include "bridge/text.h"
#include "bridge/writers.h"
#include "platform/files.h"
#include "platform/in_folder.h"

namespace bridge {

namespace fs = std::filesystem;

namespace {

// Like the program's own objects, these live in zeroed static storage.
TopicClass topic;
DisciplineClass catalogue;

using files::InFolder;

// A fresh folder holding a Base folder, removed with everything in it. The loaders are given
// copies there, so that any file name and place works and nothing of the user's is touched.
class Scratch {
 public:
  Scratch() {
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    if (ec) return;
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<unsigned long long>(
                               std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 16; ++attempt) {
      fs::path root = temp / ("exameo-export-" + std::to_string(random() % 1000000000));
      // False when the folder was there already: someone else's.
      if (fs::create_directory(root, ec) && !ec) {
        if (fs::create_directory(root / "Base", ec) && !ec)
          root_ = root;
        else
          fs::remove_all(root, ec);
        return;
      }
    }
  }
  ~Scratch() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
};

bool WriteWhole(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

// The bytes of a file as the program opens it (a Windows-1251 path relative to the working
// directory); false when it cannot be opened.
bool ReadProgramFile(files::Path path, std::string* bytes) {
  files::InputFile probe(path);
  if (!probe.IsOpen()) return false;
  bytes->clear();
  files::ReadBlocks(path, [&](const unsigned char* b, std::size_t n) {
    bytes->append(reinterpret_cast<const char*>(b), n);
    return true;
  });
  return true;
}

// The catalogue tells the line of every topic it keeps; this gathers them by topic (0 for none).
void HearTopicLine(void* context, int firstLine, int, bank::TopicLines what, int topic) {
  auto* lines = static_cast<std::vector<int>*>(context);
  if (what != bank::TopicLines::kKept || topic < 0) return;
  if (static_cast<std::size_t>(topic) >= lines->size())
    lines->resize(static_cast<std::size_t>(topic) + 1, 0);
  (*lines)[static_cast<std::size_t>(topic)] = firstLine;
}

// A zero-terminated field of the program's records (or its whole capacity when full) as UTF-8.
// Control characters and the byte 0x98, which Windows-1251 leaves undefined, cannot be written
// into any of the formats as they stand: they become '?', noted.
// A UTF-8 field (`isUtf8`, from a file with the byte order mark) is taken as it is, each
// ill-formed sequence as the U+FFFD the program shows.
std::string FieldText(const char* field, std::size_t capacity, const std::string& file, int line,
                      lang::Id what, Report* report, bool isUtf8 = false) {
  const void* zero = std::memchr(field, 0, capacity);
  std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : capacity;
  std::string bytes(field, length);
  int replaced = 0;
  for (char& c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t') || b == 0x7F || (b == 0x98 && !isUtf8)) {
      c = '?';
      ++replaced;
    }
  }
  if (replaced > 0)
    report->Lose(file, line,
                 lang::Say(lang::Id::kControlsAsQuestionMarks, replaced, lang::Say(what)));
  if (isUtf8) {
    std::string text;
    utf8::Repair(bytes, &text);
    return text;
  }
  return Cp1251ToUtf8(bytes);
}

// Where the pictures of a UTF-8 question file are: its folder, and how deep that lies in Base.
struct PictureHome {
  fs::path folder;
  int depth = 0;
};

// A UTF-8 file's text: its escapes read and each picture reference a mark of out->pictures.
std::string MarkPictures(const std::string& text, const PictureHome& home, Bank* out) {
  if (!picref::HasPicture(text) && text.find("!\\") == std::string::npos) return text;
  std::string marked;
  for (const picref::Run& run : picref::SplitText(text).runs) {
    if (!run.picture) {
      marked += run.text;
      continue;
    }
    Picture picture;
    picture.path = run.path;
    picture.alt = run.text;
    picref::CheckedPath checked = picref::CheckPath(run.path, home.depth);
    std::string path = checked.path;
    std::size_t slash = path.rfind('/');
    picture.name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A path refused stays without a file: the writers note it as missing.
    if (checked.fault == picref::PathFault::kNone)
      picture.file = Utf8FromPath(home.folder / PathFromUtf8(path));
    if (picture.name.empty()) picture.name = "picture";
    out->pictures.push_back(std::move(picture));
    marked += PictureMarker(out->pictures.size() - 1);
  }
  return marked;
}

// A file name (UTF-8 on the command line) without its folder and extension.
std::string Stem(const fs::path& path) {
  return Utf8FromPath(path.stem());
}

// Questions per piece of a large question file (see LoadTopic).
constexpr std::size_t kPiece = 256;

// Loads the bytes of one question file into `out` with the program's loader. The loader starts
// afresh at every line that does not begin with a TAB, so a file cut just before such lines
// gives, piece by piece, the same questions as whole; in pieces the memory of the records is
// used again, where a whole file of 10,000 questions would first touch 140 MB.
bool LoadTopic(std::string_view bytes, const fs::path& scratch, const std::string& shown,
               Topic* out, Report* report, const PictureHome& home, Bank* bank) {
  std::vector<std::size_t> starts;  // offset of each task line
  std::vector<int> lines;           // and its number
  int line = 1;
  bool start = true;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (start && bytes[i] != '\t') {
      starts.push_back(i);
      lines.push_back(line);
    }
    start = bytes[i] == '\n';
    if (start) ++line;
  }
  InFolder here(scratch);
  if (!here.Entered()) return false;
  out->questions.reserve(out->questions.size() + starts.size());
  char path[] = "piece.txt";
  for (std::size_t first = 0; first < starts.size(); first += kPiece) {
    std::size_t begin = first == 0 ? 0 : starts[first];
    std::size_t end = first + kPiece < starts.size() ? starts[first + kPiece] : bytes.size();
    // Every piece of a UTF-8 file is UTF-8: the mark goes in front of each.
    std::string piece = first > 0 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? "\xEF\xBB\xBF" : "";
    piece.append(bytes, begin, end - begin);
    if (!WriteWhole(scratch / path, piece)) return false;
    topic.UnloadQuestions();
    topic.LoadQuestions(path);
    if (!topic.Head.bExists) continue;
    const QuestionClass* q = &topic.Head;
    for (int i = 0; i < topic.Count; ++i, q = q->Next) {
      std::size_t index = first + static_cast<std::size_t>(i);
      Question question;
      question.line = index < lines.size() ? lines[index] : 0;
      question.task =
          FieldText(q->Task, sizeof q->Task, shown, question.line, lang::Id::kFieldTask, report,
                    q->bUtf8);
      if (q->bUtf8) question.task = MarkPictures(question.task, home, bank);
      for (int v = 0; v < kMaxVariants && q->Vrnt[v].bExists; ++v) {
        Variant variant;
        variant.line = question.line > 0 ? question.line + 1 + v : 0;
        variant.text = FieldText(q->Vrnt[v].Text, sizeof q->Vrnt[v].Text, shown, question.line,
                                 lang::Id::kFieldVariant, report, q->bUtf8);
        if (q->bUtf8) variant.text = MarkPictures(variant.text, home, bank);
        variant.correct = q->Vrnt[v].bCorrect;
        question.variants.push_back(std::move(variant));
      }
      out->questions.push_back(std::move(question));
    }
  }
  topic.UnloadQuestions();
  return true;
}

std::string JoinShown(const fs::path& folder, const char* programPath, bool utf8 = false) {
  std::string tail = utf8 ? std::string(programPath) : Cp1251ToUtf8(programPath);
  for (char& c : tail)
    if (c == '\\') c = static_cast<char>(fs::path::preferred_separator);
  std::string head = Utf8FromPath(folder);
  if (head.empty()) return tail;
  if (head.back() != '/' && head.back() != '\\')
    head += static_cast<char>(fs::path::preferred_separator);
  return head + tail;
}

}  // namespace

bool IsDescriptionPath(const fs::path& path) {
  return LowerAscii(Utf8FromPath(path.extension())) == ".txt" &&
         LowerAscii(Utf8FromPath(path.parent_path().filename())) == "base";
}

bool LoadForExport(const fs::path& given, const std::string& shown, BankKind kind, ExportBank* out,
                   Report* report, std::string* error) {
  *out = ExportBank{};
  std::string bytes;
  std::error_code ec;
  // The working directory moves while the bank is read.
  fs::path path = fs::absolute(given, ec);
  if (ec) path = given;
  if (fs::is_directory(path, ec)) {
    *error = lang::Tr(lang::Id::kExportGivenFolder);
    return false;
  }
  if (!ReadWholeFile(path, &bytes)) {
    *error = lang::Tr(lang::Id::kCannotReadFile);
    return false;
  }
  Scratch scratch;
  if (scratch.Root().empty() || !WriteWhole(scratch.Root() / "Base" / "1.txt", bytes)) {
    *error = lang::Tr(lang::Id::kCannotCopyFile);
    return false;
  }
  // The place decides, not the contents: a question file may well name files ("1.txt") that
  // happen to exist.
  bool topicsFile =
      kind == BankKind::kTopics || (kind == BankKind::kAuto && IsDescriptionPath(path));
  if (!topicsFile) {
    // A question file: one topic, titled by the file's name.
    Topic t;
    t.title = Stem(path);
    t.line = 1;
    // Pictures lie relative to the file's folder; `..` may lead up to a Base folder above it.
    PictureHome home{path.parent_path(), 0};
    int depth = 0;
    for (fs::path up = path.parent_path(); !up.empty() && up != up.parent_path();
         up = up.parent_path(), ++depth) {
      if (LowerAscii(Utf8FromPath(up.filename())) == "base") {
        home.depth = depth;
        break;
      }
    }
    if (!LoadTopic(bytes, scratch.Root(), shown, &t, report, home, &out->bank)) {
      *error = lang::Tr(lang::Id::kCannotCopyFile);
      return false;
    }
    out->bank.title = t.title;
    out->bank.topics.push_back(std::move(t));
    out->files.push_back(shown);
    return true;
  }

  // A description file, through the catalogue, the way the program's menu reads it.
  TitlePath discipline{};
  std::vector<int> lines;  // of each topic in the description file
  {
    InFolder here(scratch.Root());
    if (!here.Entered()) {
      *error = lang::Tr(lang::Id::kCannotEnterTemporary);
      return false;
    }
    char pattern[] = "Base\\*.txt";
    catalogue.LoadDisciplines(pattern);
    discipline = catalogue.Disciplines[0];
    catalogue.UnloadTopics();
    bank::TopicObserver observer{HearTopicLine, &lines};
    bank::TopicObserver* saved = bank::topicObserver;
    bank::topicObserver = &observer;
    catalogue.LoadTopics(discipline);
    bank::topicObserver = saved;
  }
  // The catalogue puts "Base\" in front of every topic path; the paths are relative to the
  // folder of the description file, wherever that lies.
  fs::path folder = path.parent_path();
  std::vector<TitlePath> topics;
  for (int i = 0; i <= catalogue.LastTopic && i < kMaxTopics; ++i) {
    TitlePath t = catalogue.Topics[i];
    const char* relative = t.Path;
    if (std::strncmp(relative, kBaseDir, sizeof kBaseDir - 1) == 0) relative += sizeof kBaseDir - 1;
    std::memmove(t.Path, relative, std::strlen(relative) + 1);
    topics.push_back(t);
  }
  catalogue.UnloadTopics();

  out->categories = true;
  out->bank.title = FieldText(discipline.Title, sizeof discipline.Title, shown, 1,
                              lang::Id::kFieldDisciplineTitle, report, discipline.bUtf8);
  InFolder there(folder);
  if (!there.Entered()) {
    *error = lang::Tr(lang::Id::kCannotEnterBaseFolder);
    return false;
  }
  for (std::size_t i = 0; i < topics.size(); ++i) {
    int line = i < lines.size() ? lines[i] : 0;
    Topic t;
    t.line = line;
    t.title = FieldText(topics[i].Title, sizeof topics[i].Title, shown, line,
                        lang::Id::kFieldTopicTitle, report, topics[i].bUtf8);
    // The topic's folder, as deep in Base as its path has parts.
    PictureHome home{folder, 0};
    std::string relative(topics[i].Path);
    for (char& c : relative)
      if (c == '\\') c = '/';
    if (std::size_t slash = relative.rfind('/'); slash != std::string::npos) {
      const std::string part = relative.substr(0, slash);
      home.folder = folder / PathFromUtf8(topics[i].bPathUtf8 ? part : Cp1251ToUtf8(part));
      home.depth = static_cast<int>(std::count(relative.begin(), relative.end(), '/'));
    }
    std::string file = JoinShown(given.parent_path(), topics[i].Path, topics[i].bPathUtf8);
    std::string topicBytes;
    if (topics[i].Path[0] == 0 || !ReadProgramFile(PathOf(topics[i]), &topicBytes) ||
        !LoadTopic(topicBytes, scratch.Root(), file, &t, report, home, &out->bank)) {
      report->Lose(shown, line,
                   lang::Say(lang::Id::kTopicFileUnreadable, t.title,
                             topics[i].bPathUtf8 ? std::string(topics[i].Path)
                                                 : Cp1251ToUtf8(topics[i].Path)));
      continue;
    }
    if (t.questions.empty()) {
      report->Lose(shown, line, lang::Say(lang::Id::kTopicWithoutQuestions, t.title));
      continue;
    }
    out->bank.topics.push_back(std::move(t));
    out->files.push_back(std::move(file));
  }
  return true;
}

std::string TextWithReferences(const ExportBank& bank, std::string_view text) {
  if (!HasMarks(text)) return std::string(text);
  std::string out;
  for (const MarkedPiece& piece : SplitMarked(text, bank.bank.pictures.size())) {
    if (!piece.picture) {
      out += piece.text;
      continue;
    }
    const Picture& picture = bank.bank.pictures[piece.id];
    if (!picref::WriteReference(picture.alt, picture.path, &out)) out += picture.alt;
  }
  return out;
}

bool ShowsPicture(const ExportBank& bank, std::string_view text) {
  if (!HasMarks(text)) return false;
  for (const MarkedPiece& piece : SplitMarked(text, bank.bank.pictures.size()))
    if (piece.picture) return true;
  return false;
}

void RemarkReferences(const ExportBank& bank, std::size_t topic, const Question& question,
                      const char* format, Report* report) {
  auto remark = [&](const std::string& text, int line) {
    if (!HasMarks(text)) return;
    for (const MarkedPiece& piece : SplitMarked(text, bank.bank.pictures.size())) {
      if (!piece.picture) continue;
      const Picture& picture = bank.bank.pictures[piece.id];
      std::string reference;
      if (!picref::WriteReference(picture.alt, picture.path, &reference)) reference = picture.alt;
      report->Remark(bank.FileOf(topic), line,
                     lang::Say(lang::Id::kPictureKeptAsReference, reference, format));
    }
  };
  remark(question.task, question.line);
  for (const Variant& v : question.variants) remark(v.text, v.line);
}

bool PictureBytes(const ExportBank& bank, std::size_t id, const std::string& file, int line,
                  std::string* bytes, Report* report) {
  const Picture& picture = bank.bank.pictures[id];
  if (picture.file.empty() || !ReadWholeFile(PathFromUtf8(picture.file), bytes) ||
      RecognisePicture(*bytes) == PictureKind::kNone) {
    report->Lose(file, line,
                 lang::Say(lang::Id::kExportPictureNotWritten, picture.path, picture.alt));
    return false;
  }
  return true;
}

// HTML's special characters as references.
void AppendHtml(std::string_view text, std::string* out) {
  for (char c : text) {
    switch (c) {
      case '<': *out += "&lt;"; break;
      case '>': *out += "&gt;"; break;
      case '&': *out += "&amp;"; break;
      case '"': *out += "&quot;"; break;
      default: *out += c;
    }
  }
}

// %XX for every byte of a file name but letters, digits and "-._~", as a URL holds it.
std::string UrlName(std::string_view name) {
  std::string out;
  for (char c : name) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
        std::strchr("-._~", c) != nullptr) {
      out += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", b);
      out += hex;
    }
  }
  return out;
}

std::string PictureHtml(const ExportBank& bank, std::string_view text, const std::string& file,
                        int line, Report* report,
                        const std::function<std::string(std::string_view name,
                                                        const std::string& bytes)>& place) {
  std::string html;
  for (const MarkedPiece& piece : SplitMarked(text, bank.bank.pictures.size())) {
    if (!piece.picture) {
      AppendHtml(piece.text, &html);
      continue;
    }
    const Picture& picture = bank.bank.pictures[piece.id];
    std::string bytes;
    if (!PictureBytes(bank, piece.id, file, line, &bytes, report)) {
      AppendHtml(picture.alt, &html);
      continue;
    }
    html += "<img src=\"";
    html += place(picture.name, bytes);
    html += "\" alt=\"";
    AppendHtml(picture.alt, &html);
    html += "\">";
  }
  return html;
}


lang::Text WhyLeftOut(Format format, const Question& question) {
  using lang::Id;
  using lang::Say;
  // Texts as a reader takes them back: nothing but white space reads back empty.
  std::string task = FoldSpace(question.task);
  if (task.empty()) return Say(Id::kWhyExportTaskEmpty);
  int correct = 0;
  for (std::size_t i = 0; i < question.variants.size(); ++i) {
    if (FoldSpace(question.variants[i].text).empty()) return Say(Id::kWhyExportVariantEmpty, i + 1);
    if (question.variants[i].correct) ++correct;
  }
  int variants = static_cast<int>(question.variants.size());
  switch (format) {
    case Format::kGift:
    case Format::kMoodleXml:
      if (variants == 1) return Say(Id::kWhyMoodleSingleVariant);
      if (variants > 1 && correct == 0) return Say(Id::kWhyMoodleNoCorrect);
      return {};
    case Format::kAiken: {
      if (variants < 2)
        return Say(variants == 0 ? Id::kWhyAikenNoVariants : Id::kWhyAikenSingleVariant);
      if (correct != 1) return Say(Id::kWhyAikenCorrectCount, correct);
      // The task is one line; Aiken would take it for an option or the answer line. Moodle
      // takes "J.S. Bach" for an option too: a capital and ')' or '.' are enough.
      if (task.size() >= 2 && task[0] >= 'A' && task[0] <= 'Z' &&
          (task[1] == ')' || task[1] == '.'))
        return Say(Id::kWhyAikenTaskLikeOption, task.substr(0, 2));
      if (IsAikenOption(task)) return Say(Id::kWhyAikenTaskLikeOption, task.substr(0, 2));
      if (IsAikenAnswer(task)) return Say(Id::kWhyAikenTaskLikeAnswer);
      // Moodle passes over lines shorter than two bytes.
      if (task.size() < 2) return Say(Id::kWhyAikenTaskOneCharacter);
      return {};
    }
    case Format::kCsv:
    case Format::kXlsx:
    case Format::kDocx:
    case Format::kUnknown:
      return {};
  }
  return {};
}

std::string_view CorrectWeight(int correct, int index) {
  static constexpr std::string_view kEven[] = {
      "100", "50", "33.33333", "25", "20", "16.66667", "14.28571", "12.5", "11.11111", "10"};
  if (correct >= 1 && correct <= 10) return kEven[correct - 1];
  // Moodle accepts no weight of 100/11 or 100/12: nine or eight variants take 10 and the last
  // ones 5, which sums to 100 as well.
  int tens = correct == 11 ? 9 : 8;
  return index < tens ? "10" : "5";
}

std::string CategoryPath(std::string_view discipline, std::string_view topicTitle) {
  std::string path;
  for (std::string_view title : {discipline, topicTitle}) {
    std::string folded = FoldSpace(title);
    // An empty component would make "//", a literal '/'.
    if (folded.empty()) continue;
    if (!path.empty()) path += '/';
    // "///" would read as "//" and then a separator; a space keeps the separator first and is
    // folded away on reading.
    if (!folded.empty() && folded[0] == '/') path += ' ';
    for (char c : folded) {
      path += c;
      if (c == '/') path += '/';
    }
    // Likewise at the end: "Физика/" and "Механика" would join as "Физика///Механика".
    if (folded.back() == '/') path += ' ';
  }
  return path;
}

std::vector<std::string> CategoryTitles(const ExportBank& bank, Report* report) {
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < bank.bank.topics.size(); ++i) {
    const Topic& t = bank.bank.topics[i];
    std::string base = FoldSpace(t.title);
    bool empty = base.empty();
    if (empty) base = "Тема " + std::to_string(i + 1);
    std::string title = base;
    for (int n = 2; std::find(titles.begin(), titles.end(), title) != titles.end(); ++n)
      title = base + " (" + std::to_string(n) + ")";
    if (empty || title != base) {
      report->Lose(
          bank.FileOf(i), 0,
          lang::Say(lang::Id::kCategoryRenamed,
                    lang::Say(empty ? lang::Id::kTopicUntitled : lang::Id::kTopicTitleRepeated),
                    title));
    }
    titles.push_back(std::move(title));
  }
  return titles;
}

TopicCategories::TopicCategories(const ExportBank& bank, Report* report) : bank_(bank) {
  if (bank.categories) titles_ = CategoryTitles(bank, report);
}

bool TopicCategories::Opens(const Topic& topic, std::string* path) {
  if (!bank_.categories || current_ == &topic) return false;
  current_ = &topic;
  *path = CategoryPath(bank_.bank.title,
                       titles_[static_cast<std::size_t>(&topic - bank_.bank.topics.data())]);
  return true;
}

std::string WriteFormat(Format format, const ExportBank& bank, Report* report) {
  switch (format) {
    case Format::kGift:
      return WriteGift(bank, report);
    case Format::kMoodleXml:
      return WriteMoodleXml(bank, report);
    case Format::kAiken:
      return WriteAiken(bank, report);
    case Format::kCsv:
      return WriteCsv(bank, report);
    case Format::kXlsx:
      return WriteXlsx(bank, report);
    case Format::kDocx:
    case Format::kUnknown:
      break;
  }
  return {};
}

}  // namespace bridge
