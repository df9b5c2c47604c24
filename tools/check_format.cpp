#include "check_format.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "bank/question.h"
#include "bank/question_file.h"
#include "common/cp1251.h"
#include "common/utf8.h"

namespace check {

namespace {

constexpr char kTab = '\t';
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kQuote = '"';

// What the program's fields hold, each less the terminating zero.
constexpr int kMaxTask = kTaskCapacity - 1;
constexpr int kMaxVariant = kVariantCapacity - 1;
constexpr int kMaxVariantLines = kMaxVariants;
constexpr int kMaxTitle = kTitleCapacity - 1;
constexpr int kMaxPath = kMaxDescriptionName;  // behind "Base\", like a description file's name
constexpr int kMaxTopicLines = kMaxTopics;

enum class Ending { kNone, kCrLf, kCr, kLf };

// One line of a file, without its line break.
struct Line {
  int number;
  std::string_view text;
  Ending ending;
};

// A question file's lines as the loader reads them (bank/question_file.h): each ends at LF, its
// CR bytes stay in the text; `read` says what the loader made of each.
struct QuestionLines {
  std::vector<Line> lines;
  std::vector<bank::QuestionLine> read;
};

QuestionLines ReadQuestionLines(std::string_view bytes) {
  struct Sink {
    std::vector<bank::QuestionLine> read;
    bool Begin(int, QuestionClass*& into) {
      into = nullptr;  // the lines are enough
      return true;
    }
    void Line(const bank::QuestionLine& line) { read.push_back(line); }
  } sink;
  bank::ReadQuestionBytes(bytes, sink);
  QuestionLines result;
  result.lines.reserve(sink.read.size());
  for (const bank::QuestionLine& l : sink.read)
    result.lines.push_back(
        {l.number, bytes.substr(l.start, l.length), l.endsWithLf ? Ending::kLf : Ending::kNone});
  result.read = std::move(sink.read);
  return result;
}

// Lines as the catalogue ends them: at CR LF, at a lone CR and at a lone LF.
std::vector<Line> SplitCatalogueLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  int number = 1;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back({number, bytes.substr(start), Ending::kNone});
      break;
    }
    Ending ending = bytes[end] == kLf ? Ending::kLf : Ending::kCr;
    std::size_t next = end + 1;
    if (ending == Ending::kCr && next < bytes.size() && bytes[next] == kLf) {
      ending = Ending::kCrLf;
      ++next;
    }
    lines.push_back({number++, bytes.substr(start, end - start), ending});
    start = next;
  }
  return lines;
}

// The line without a CR right before its LF.
std::string_view Content(std::string_view text) {
  if (!text.empty() && text.back() == kCr) text.remove_suffix(1);
  return text;
}

std::string Format(const char* format, long long a, long long b = 0) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

// Appended rather than `"\"" + ToUtf8(bytes)`: g++ 12 at -O3 reports a false -Wrestrict on the
// insert at the front of a temporary.
std::string Quoted(std::string_view bytes, bool utf8 = false) {
  std::string quoted = "\"";
  if (utf8)
    utf8::Repair(bytes, &quoted);
  else
    quoted += ForMessage(bytes);
  quoted += '"';
  return quoted;
}

enum class Encoding { kCp1251, kUtf8, kUtf16, kMarkedUtf8 };

bool IsUtf8Text(std::string_view bytes, std::size_t* firstMultibyte) {
  std::size_t i = 0;
  bool any = false;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t at = i;
    char32_t u = cp1251::DecodeUtf8(bytes.data(), bytes.size(), &i);
    if (u == 0xFFFFFFFFu || u < 0x80 || u > 0x10FFFF) return false;
    if (!any) *firstMultibyte = at;
    any = true;
  }
  return any;
}

int LineOf(const std::vector<Line>& lines, std::string_view bytes, std::size_t offset) {
  for (const Line& line : lines) {
    std::size_t start = static_cast<std::size_t>(line.text.data() - bytes.data());
    if (offset < start + line.text.size() + 1) return line.number;
  }
  return lines.empty() ? 1 : lines.back().number;
}

// Byte-order marks, UTF-8 and UTF-16 text: the program shows such bytes as Windows-1251, so
// every Russian letter turns into two or three wrong ones.
Encoding CheckEncoding(std::string_view bytes, const std::vector<Line>& lines,
                       const std::string& file, Report* report) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    report->Add(file, 1, lang::Say(lang::Id::kChkUtf16));
    return Encoding::kUtf16;
  }
  // The mark makes a UTF-8 file of the bank: the program reads it as such.
  if (HasUtf8Mark(bytes)) return Encoding::kMarkedUtf8;
  std::size_t first = 0;
  if (!IsUtf8Text(bytes, &first)) return Encoding::kCp1251;
  // Show the first word the author would not recognise on the screen.
  std::size_t end = first;
  while (end < bytes.size() && end - first < 24) {
    unsigned char c = static_cast<unsigned char>(bytes[end]);
    if (c < 0x80 && !(c >= '0' && c <= '9') && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) break;
    ++end;
  }
  while (end > first && end < bytes.size() &&
         (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
    --end;  // never cut a character in two
  std::string_view word = bytes.substr(first, end - first);
  report->Add(file, LineOf(lines, bytes, first), lang::Say(lang::Id::kChkUtf8, word, Quoted(word)));
  return Encoding::kUtf8;
}

// Ill-formed sequences of a UTF-8 file: the program shows each as U+FFFD. One message a line.
void CheckUtf8(const std::vector<Line>& lines, const std::string& file, Report* report) {
  for (const Line& line : lines) {
    std::vector<utf8::Invalid> bad;
    std::string repaired;
    if (utf8::Repair(line.text, &repaired, &bad) == 0) continue;
    std::string shown;
    for (std::size_t k = 0; k < bad[0].length; ++k)
      shown += Format(k == 0 ? "%02llX" : " %02llX", static_cast<unsigned char>(line.text[bad[0].offset + k]));
    long long count = static_cast<long long>(bad.size());
    report->Add(file, line.number,
                lang::Say(lang::Id::kChkBadUtf8, count, static_cast<long long>(bad[0].offset) + 1, shown));
  }
}

// A text of a Windows-1251 file that would not fit its field once converted to UTF-8.
void CheckConversion(std::string_view text, long long limit, const std::string& file, int line,
                     Report* report) {
  if (!report->toUtf8 || static_cast<long long>(text.size()) > limit) return;
  std::string converted;
  utf8::FromCp1251(text, &converted);
  if (static_cast<long long>(converted.size()) > limit)
    report->Add(file, line,
                lang::Say(lang::Id::kChkConversionCuts, static_cast<long long>(converted.size()), limit));
}

// Bytes that have no business in a Windows-1251 text. CR is left to the line-end checks.
void CheckBytes(const std::vector<Line>& lines, const std::string& file, Report* report,
                bool utf8) {
  for (const Line& line : lines) {
    bool nul = false, undefined = false, control = false;
    for (std::size_t i = 0; i < line.text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(line.text[i]);
      long long column = static_cast<long long>(i) + 1;
      if (c == 0 && !nul) {
        nul = true;
        report->Add(file, line.number, lang::Say(lang::Id::kChkNul, column));
      } else if (c == 0x98 && !undefined && !utf8) {
        undefined = true;
        report->Add(file, line.number, lang::Say(lang::Id::kChk98, column));
      } else if (c != 0 && ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) && !control) {
        control = true;
        report->Add(file, line.number,
                    lang::Say(lang::Id::kChkControl, Format("%02llX", c), column));
      }
    }
  }
}

// Runs the checks both formats share; false when the rest would only repeat the one problem.
bool CheckCommon(std::string_view bytes, const std::vector<Line>& lines, const std::string& file,
                 Report* report) {
  Encoding encoding = CheckEncoding(bytes, lines, file, report);
  if (encoding == Encoding::kUtf16) return false;
  // In UTF-8 text 0x98 is part of letters ("И" is D0 98): only its own message applies.
  if (encoding == Encoding::kCp1251) CheckBytes(lines, file, report, false);
  if (encoding == Encoding::kMarkedUtf8) {
    CheckBytes(lines, file, report, true);
    CheckUtf8(lines, file, report);
  }
  return true;
}

// A variant line's text as the loader stores it: no TAB, no CR, no leading signs.
std::string StoredVariant(std::string_view line) {
  std::string text;
  for (char c : line) {
    if (c == kTab || c == kCr) continue;
    if (text.empty() && (c == '+' || c == '-')) continue;
    text += c;
  }
  return text;
}

// Where a run of joined lines came from: the offset in the joined text at which a line begins.
struct Piece {
  std::size_t offset;
  int line;
};

// The line and column of an offset into joined lines.
std::pair<int, long long> Locate(const std::vector<Piece>& pieces, std::size_t offset) {
  std::size_t i = 0;
  while (i + 1 < pieces.size() && pieces[i + 1].offset <= offset) ++i;
  return {pieces[i].line, static_cast<long long>(offset - pieces[i].offset) + 1};
}

// Explains a topic line (or the lines a broken title joined) from its bytes: every way in which
// it breaks the format, whether the program keeps the topic or not.
void ExplainTopicLine(std::string_view text, const std::vector<Piece>& pieces,
                      const std::string& file, Report* report, bool utf8) {
  int line = pieces.front().line;
  // Adds a message about the byte at `offset` of the text, on the line it stands in.
  auto at = [&](std::size_t offset, lang::Id text) {
    auto [where, column] = Locate(pieces, offset);
    report->Add(file, where, lang::Say(text, column));
  };
  if (text.empty() || text[0] != kTab) {
    report->Add(file, line, lang::Say(lang::Id::kChkNoTab));
    return;
  }
  std::size_t open = text.find(kQuote, 1);
  if (open == std::string_view::npos) {
    report->Add(file, line, lang::Say(lang::Id::kChkNoQuotes));
    return;
  }
  std::string_view topicTitle = text.substr(1, open - 1);
  if (std::size_t tab = topicTitle.find(kTab); tab != std::string_view::npos)
    at(1 + tab, lang::Id::kChkTabInTopicTitle);
  if (topicTitle.empty()) report->Add(file, line, lang::Say(lang::Id::kChkTopicTitleEmpty));
  if (static_cast<long long>(topicTitle.size()) > kMaxTitle)
    report->Add(file, line, lang::Say(lang::Id::kChkTopicTitleLong, topicTitle.size(), kMaxTitle));
  else if (!utf8)
    CheckConversion(topicTitle, kMaxTitle, file, line, report);
  std::size_t close = text.find(kQuote, open + 1);
  if (close == std::string_view::npos) {
    report->Add(file, line, lang::Say(lang::Id::kChkPathNotClosed));
    return;
  }
  std::string_view path = text.substr(open + 1, close - open - 1);
  std::string_view after = text.substr(close + 1);
  std::size_t quotes = 2;
  for (char c : after) quotes += c == kQuote;
  if (quotes > 2) {
    report->Add(file, line, lang::Say(lang::Id::kChkManyQuotes, quotes));
  } else if (!after.empty()) {
    at(close + 1, lang::Id::kChkAfterPath);
  }
  if (std::size_t tab = path.find(kTab); tab != std::string_view::npos)
    at(open + 1 + tab, lang::Id::kChkTabInPath);
  if (std::size_t zero = path.find('\0'); zero != std::string_view::npos) {
    auto [where, column] = Locate(pieces, open + 1 + zero);
    report->Add(file, where, lang::Say(lang::Id::kChkNulInPath, Quoted(path, utf8), column));
  }
  if (path.empty()) {
    report->Add(file, line, lang::Say(lang::Id::kChkPathEmpty));
  } else if (static_cast<long long>(path.size()) > kMaxPath) {
    report->Add(file, line, lang::Say(lang::Id::kChkPathLong, path.size(), kMaxPath));
  }
}

// The program's catalogue, for its reading of description files; like the program's own it
// lives in zeroed static storage.
DisciplineClass formatCatalogue;

void Hear(void* context, int first, int last, bank::TopicLines what, int topic) {
  static_cast<ProgramTopics*>(context)->runs.push_back({first, last, what, topic});
}

}  // namespace

void Report::Add(const std::string& file, int line, lang::Text text) {
  problems.push_back({file, line, std::move(text)});
}

std::string RelativePath(const TitlePath& entry) {
  std::size_t length = strnlen(entry.Path, sizeof entry.Path);
  std::size_t base = sizeof kBaseDir - 1;
  return length >= base ? std::string(entry.Path + base, length - base) : std::string();
}

ProgramTopics ReadTopics(std::string_view bytes) {
  ProgramTopics program;
  bank::TopicObserver observer{Hear, &program};
  bank::TopicObserver* saved = bank::topicObserver;
  bank::topicObserver = &observer;
  formatCatalogue.UnloadTopics();
  bank::LoadTopicsFromBytes(&formatCatalogue, reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size());
  bank::topicObserver = saved;
  for (int i = 0; i <= formatCatalogue.LastTopic && i < kMaxTopics; ++i) {
    program.paths.push_back(RelativePath(formatCatalogue.Topics[i]));
    program.pathUtf8.push_back(formatCatalogue.Topics[i].bPathUtf8);
  }
  formatCatalogue.UnloadTopics();
  return program;
}

FileKind Classify(std::string_view bytes) {
  // Lines as the catalogue ends them, so that a description file with CR-only line ends is
  // still taken for one.
  std::vector<Line> lines = SplitCatalogueLines(bytes);
  int topicLines = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view text = lines[i].text;
    if (text.empty()) continue;
    if (text[0] != kTab || text.find(kQuote) == std::string_view::npos) return FileKind::kQuestions;
    ++topicLines;
  }
  return topicLines > 0 ? FileKind::kTopics : FileKind::kQuestions;
}

QuestionCounts CheckQuestions(std::string_view bytes, const std::string& file, Report* report) {
  QuestionCounts counts;
  if (bytes.empty()) {
    report->Add(file, 0, lang::Say(lang::Id::kChkQuestionsEmpty));
    return counts;
  }
  QuestionLines fileLines = ReadQuestionLines(bytes);
  const std::vector<Line>& lines = fileLines.lines;
  const bool utf8 = HasUtf8Mark(bytes);
  if (!CheckCommon(bytes, lines, file, report)) {
    counts.questions = -1;  // UTF-16: nothing more to say, nothing to compare
    return counts;
  }

  int taskLine = 0;      // line of the question being read; 0 before the first
  bool orphans = false;  // a variant line before the first question was reported
  bool tooMany = false;  // the question's first variant line past the limit was reported
  int loneCrLines = 0, firstLoneCrLine = 0;
  long long firstLoneCrColumn = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const Line& line = lines[k];
    const bank::QuestionLine& read = fileLines.read[k];
    std::string_view text = line.text;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] == kCr && text[i + 1] != kCr) {
        if (loneCrLines++ == 0) {
          firstLoneCrLine = line.number;
          firstLoneCrColumn = static_cast<long long>(i) + 1;
        }
        break;
      }
    }
    if (read.kind == bank::LineKind::kOrphan) {
      if (!orphans) report->Add(file, line.number, lang::Say(lang::Id::kChkVariantFirst));
      orphans = true;
      continue;
    }
    if (read.kind != bank::LineKind::kTask) {
      if (read.kind == bank::LineKind::kVariant) ++counts.variants;
      if (read.kind == bank::LineKind::kExtra && !tooMany) {
        tooMany = true;
        report->Add(file, line.number,
                    lang::Say(lang::Id::kChkTooManyVariants, taskLine, kMaxVariantLines));
      }
      // What the program stores: no TAB, no CR, no leading signs.
      if (read.stored > kMaxVariant)
        report->Add(
            file, line.number,
            lang::Say(lang::Id::kChkVariantLong, static_cast<long long>(read.stored), kMaxVariant));
      else if (!utf8 && read.kind == bank::LineKind::kVariant)
        CheckConversion(StoredVariant(text), kMaxVariant, file, line.number, report);
      continue;
    }
    taskLine = line.number;
    tooMany = false;
    ++counts.questions;
    long long stored = static_cast<long long>(read.stored);
    if (stored == 0) {
      report->Add(file, line.number, lang::Say(lang::Id::kChkEmptyLine));
    } else if (stored > kMaxTask) {
      report->Add(file, line.number, lang::Say(lang::Id::kChkTaskLong, stored, kMaxTask));
    } else if (!utf8) {
      std::string task;
      for (char c : text)
        if (c != kCr) task += c;
      CheckConversion(task, kMaxTask, file, line.number, report);
    }
    // Spaces where a TAB belongs: the program reads a task line, a question without answers.
    std::string_view content = Content(text);
    std::size_t spaces = content.find_first_not_of(' ');
    if (spaces == std::string_view::npos && !content.empty()) {
      report->Add(file, line.number, lang::Say(lang::Id::kChkSpacesOnly));
    } else if (spaces != std::string_view::npos && spaces > 0 && content[spaces] == kTab) {
      report->Add(file, line.number, lang::Say(lang::Id::kChkSpacesBeforeTab));
    } else if (spaces != std::string_view::npos && spaces > 0 &&
               (content[spaces] == '+' || content[spaces] == '-')) {
      report->Add(file, line.number, lang::Say(lang::Id::kChkSpacesBeforeSign));
    }
  }
  if (loneCrLines > 0) {
    lang::Text more =
        loneCrLines > 1 ? lang::Say(lang::Id::kChkLoneCrCount, loneCrLines) : lang::Text();
    report->Add(file, firstLoneCrLine, lang::Say(lang::Id::kChkLoneCr, firstLoneCrColumn, more));
  }
  return counts;
}

std::vector<TopicPath> CheckTopics(std::string_view bytes, const std::string& file,
                                   Report* report) {
  return CheckTopics(bytes, ReadTopics(bytes), file, report);
}

std::vector<TopicPath> CheckTopics(std::string_view bytes, const ProgramTopics& program,
                                   const std::string& file, Report* report) {
  std::vector<TopicPath> paths;
  if (bytes.empty()) {
    report->Add(file, 0, lang::Say(lang::Id::kChkTopicsEmpty));
    return paths;
  }
  std::vector<Line> lines = SplitCatalogueLines(bytes);
  if (!CheckCommon(bytes, lines, file, report)) return paths;

  // The title line (the byte order mark is no part of it).
  const bool utf8 = HasUtf8Mark(bytes);
  std::string_view title = lines[0].text;
  if (utf8) title.remove_prefix(3);
  if (lines[0].ending == Ending::kNone) report->Add(file, 1, lang::Say(lang::Id::kChkTitleNoCrLf));
  if (title.empty()) report->Add(file, 1, lang::Say(lang::Id::kChkTitleEmpty));
  if (static_cast<long long>(title.size()) > kMaxTitle)
    report->Add(file, 1, lang::Say(lang::Id::kChkTitleLong, title.size(), kMaxTitle));
  else if (!utf8)
    CheckConversion(title, kMaxTitle, file, 1, report);
  if (std::size_t tab = title.find(kTab); tab != std::string_view::npos)
    report->Add(file, 1, lang::Say(lang::Id::kChkTabInTitle, tab + 1));
  if (std::size_t quote = title.find(kQuote); quote != std::string_view::npos)
    report->Add(file, 1, lang::Say(lang::Id::kChkQuoteInTitle, quote + 1));

  // Line ends other than CR LF read alike, but are not the format: each kind once, counted.
  int endings[2] = {0, 0}, firstEnding[2] = {0, 0};
  for (const Line& line : lines) {
    int kind = line.ending == Ending::kLf ? 0 : line.ending == Ending::kCr ? 1 : -1;
    if (kind >= 0 && endings[kind]++ == 0) firstEnding[kind] = line.number;
  }
  for (int kind = 0; kind < 2; ++kind) {
    if (endings[kind] == 0) continue;
    lang::Text more =
        endings[kind] > 1 ? lang::Say(lang::Id::kChkEndsCount, endings[kind]) : lang::Text();
    report->Add(file, firstEnding[kind],
                lang::Say(kind == 0 ? lang::Id::kChkEndsLf : lang::Id::kChkEndsCr, more));
  }

  // What the program made of the lines decides what is a topic; every line it read lies in one
  // run, and each run is explained from its bytes.
  std::vector<bool> covered(lines.size() + 1, false);
  int full = 0;
  for (const TopicRun& run : program.runs) {
    if (run.first < 2 || run.last < run.first || run.last > static_cast<int>(lines.size()))
      continue;  // never from the catalogue; nothing to explain
    for (int n = run.first; n <= run.last; ++n) covered[static_cast<std::size_t>(n)] = true;
    std::size_t before = report->problems.size();
    std::vector<Piece> pieces;
    std::string joined;
    for (int n = run.first; n <= run.last; ++n) {
      pieces.push_back({joined.size(), n});
      joined += lines[static_cast<std::size_t>(n - 1)].text;
    }
    if (run.last > run.first && !joined.empty() && joined[0] == kTab)
      report->Add(file, run.first, lang::Say(lang::Id::kChkTitleOverBreak, run.last));
    ExplainTopicLine(joined, pieces, file, report, utf8);
    if (run.what == bank::TopicLines::kPathIllFormed) {
      std::size_t open = joined.find(kQuote), close = joined.find(kQuote, open + 1);
      report->Add(
          file, run.first,
          lang::Say(lang::Id::kChkPathIllFormed,
                    Quoted(std::string_view(joined).substr(open + 1, close - open - 1), true)));
    }
    if (run.what == bank::TopicLines::kTableFull && full++ == 0) {
      long long rest = 0;
      for (const TopicRun& r : program.runs) rest += r.what == bank::TopicLines::kTableFull;
      report->Add(file, run.first,
                  lang::Say(lang::Id::kChkTooManyTopics, kMaxTopicLines, kMaxTopicLines, rest));
    }
    if (run.what == bank::TopicLines::kLeftOut && report->problems.size() == before)
      report->Add(file, run.first, lang::Say(lang::Id::kChkLineLeftOut));
    if (run.what == bank::TopicLines::kKept && run.topic >= 0 &&
        run.topic < static_cast<int>(program.paths.size()))
      paths.push_back({program.paths[static_cast<std::size_t>(run.topic)], run.first,
                       static_cast<std::size_t>(run.topic) < program.pathUtf8.size() &&
                           program.pathUtf8[static_cast<std::size_t>(run.topic)]});
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (covered[lines[i].number]) continue;
    if (lines[i].text.empty())
      report->Add(file, lines[i].number, lang::Say(lang::Id::kChkEmptyTopicLine));
    else
      report->Add(file, lines[i].number, lang::Say(lang::Id::kChkReadDifferently));
  }
  return paths;
}

void CheckDescriptionName(std::string_view name, const std::string& file, Report* report) {
  if (static_cast<long long>(name.size()) > kMaxDescriptionName)
    report->Add(file, 0, lang::Say(lang::Id::kChkNameLong, name.size(), kMaxDescriptionName));
}

std::string ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    char32_t u = cp1251::ToUnicode(static_cast<unsigned char>(c));
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string ForMessage(std::string_view bytes) {
  std::string out;
  for (std::size_t start = 0;;) {
    std::size_t zero = bytes.find('\0', start);
    out += ToUtf8(bytes.substr(start, zero == std::string_view::npos ? zero : zero - start));
    if (zero == std::string_view::npos) return out;
    out += "\\0";
    start = zero + 1;
  }
}

std::string ToCp1251(std::string_view utf8) {
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t u = cp1251::DecodeUtf8(utf8.data(), utf8.size(), &i);
    int b = u == 0xFFFFFFFFu ? -1 : cp1251::FromUnicode(u);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

namespace {

// A JSON string of well-formed UTF-8: quotes, backslashes and control characters escaped.
std::string EscapedJson(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", b);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string JsonUtf8(std::string_view bytes) {
  std::string text;
  utf8::Repair(bytes, &text);
  return EscapedJson(text);
}

// Windows-1251 is one byte a character and agrees with ASCII, so its escapes are the same.
std::string JsonString(std::string_view bytes) { return EscapedJson(ToUtf8(bytes)); }

}  // namespace check
