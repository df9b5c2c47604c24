#include "check_format.h"

#include <cstdio>

#include "common/cp1251.h"

namespace check {

namespace {

constexpr char kTab = '\t';
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kQuote = '"';

constexpr int kMaxTask = 2047;
constexpr int kMaxVariant = 1023;
constexpr int kMaxVariantLines = 12;
constexpr int kMaxTitle = 1023;
constexpr int kMaxPath = 42;
constexpr int kMaxTopicLines = 128;

// One line of a file, without its LF; CR bytes stay in it.
struct Line {
  int number;
  std::string_view text;
  bool endsWithLf;
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  int number = 1;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find(kLf, start);
    if (lf == std::string_view::npos) {
      lines.push_back({number, bytes.substr(start), false});
      break;
    }
    lines.push_back({number++, bytes.substr(start, lf - start), true});
    start = lf + 1;
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
std::string Quoted(std::string_view bytes) {
  std::string quoted = "\"";
  quoted += ToUtf8(bytes);
  quoted += '"';
  return quoted;
}

enum class Encoding { kCp1251, kUtf8, kUtf16 };

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
    report->Add(file, 1,
                "the file is UTF-16 (it begins with a byte-order mark); save it as Windows-1251");
    return Encoding::kUtf16;
  }
  bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom) {
    report->Add(file, 1,
                "the file begins with a UTF-8 byte-order mark, which the program would show as "
                "\"\xD0\xBF\xC2\xBB\xD1\x97\"; save the file as Windows-1251 without a "
                "byte-order mark");
  }
  std::size_t first = 0;
  if (!IsUtf8Text(bytes.substr(bom ? 3 : 0), &first)) return Encoding::kCp1251;
  first += bom ? 3 : 0;
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
  report->Add(file, LineOf(lines, bytes, first),
              "the file is UTF-8, not Windows-1251: the program would show \"" + std::string(word) +
                  "\" as " + Quoted(word) + "; save the file as Windows-1251");
  return Encoding::kUtf8;
}

// Bytes that have no business in a Windows-1251 text. CR is left to the line-end checks.
void CheckBytes(const std::vector<Line>& lines, const std::string& file, Report* report) {
  for (const Line& line : lines) {
    bool nul = false, undefined = false, control = false;
    for (std::size_t i = 0; i < line.text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(line.text[i]);
      long long column = static_cast<long long>(i) + 1;
      if (c == 0 && !nul) {
        nul = true;
        report->Add(file, line.number,
                    Format("NUL byte (column %lld): the program's text ends there", column));
      } else if (c == 0x98 && !undefined) {
        undefined = true;
        report->Add(file, line.number,
                    Format("byte 0x98 (column %lld) is not a character in Windows-1251; the "
                           "program would show a box in its place",
                           column));
      } else if (c != 0 && ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) && !control) {
        control = true;
        report->Add(file, line.number,
                    Format("control character 0x%02llX (column %lld) does not belong in a text", c,
                           column));
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
  if (encoding == Encoding::kCp1251) CheckBytes(lines, file, report);
  return true;
}

}  // namespace

void Report::Add(const std::string& file, int line, std::string message) {
  problems.push_back({file, line, std::move(message)});
}

FileKind Classify(std::string_view bytes) {
  std::vector<Line> lines = SplitLines(bytes);
  int topicLines = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view text = Content(lines[i].text);
    if (text.empty()) continue;
    if (text[0] != kTab || text.find(kQuote) == std::string_view::npos) return FileKind::kQuestions;
    ++topicLines;
  }
  return topicLines > 0 ? FileKind::kTopics : FileKind::kQuestions;
}

void CheckQuestions(std::string_view bytes, const std::string& file, Report* report) {
  if (bytes.empty()) {
    report->Add(file, 0, "the file is empty: the topic would have no questions");
    return;
  }
  std::vector<Line> lines = SplitLines(bytes);
  if (!CheckCommon(bytes, lines, file, report)) return;

  int taskLine = 0;  // line of the question being read; 0 before the first
  int variants = 0;
  int loneCrLines = 0, firstLoneCrLine = 0;
  long long firstLoneCrColumn = 0;
  for (const Line& line : lines) {
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
    if (!text.empty() && text[0] == kTab) {
      if (taskLine == 0) {
        if (variants++ == 0)
          report->Add(file, line.number,
                      "answer variant before the first task line: a file begins with the text "
                      "of a question, and its answer variants (lines beginning with a TAB) "
                      "follow it");
        continue;
      }
      if (++variants == kMaxVariantLines + 1)
        report->Add(file, line.number,
                    Format("the question of line %lld has more than %lld answer variants", taskLine,
                           kMaxVariantLines));
      // Count what the program stores: no TAB, no CR, no leading signs.
      long long stored = 0;
      for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == kTab || c == kCr) continue;
        if (stored == 0 && (c == '+' || c == '-')) continue;
        ++stored;
      }
      if (stored > kMaxVariant)
        report->Add(
            file, line.number,
            Format("answer text is %lld bytes long; at most %lld fit", stored, kMaxVariant));
      continue;
    }
    taskLine = line.number;
    variants = 0;
    long long stored = 0;
    for (char c : text) stored += c != kCr;
    if (stored == 0) {
      report->Add(file, line.number,
                  "empty line: the program makes it a question with no text and no answers");
    } else if (stored > kMaxTask) {
      report->Add(file, line.number,
                  Format("task text is %lld bytes long; at most %lld fit", stored, kMaxTask));
    }
    std::size_t spaces = text.find_first_not_of(' ');
    if (spaces != std::string_view::npos && spaces > 0 &&
        (text[spaces] == '+' || text[spaces] == '-'))
      report->Add(file, line.number,
                  "line begins with spaces and a sign, so it is read as a new question; an "
                  "answer variant begins with a TAB (did an editor turn it into spaces?)");
  }
  if (loneCrLines > 0) {
    std::string more =
        loneCrLines > 1 ? Format(" (%lld lines have one)", loneCrLines) : std::string();
    report->Add(file, firstLoneCrLine,
                Format("CR without LF (column %lld): the program does not end a line there, so "
                       "what follows joins this line; end lines with CR LF or LF",
                       firstLoneCrColumn) +
                    more);
  }
}

std::vector<TopicPath> CheckTopics(std::string_view bytes, const std::string& file,
                                   Report* report) {
  std::vector<TopicPath> paths;
  if (bytes.empty()) {
    report->Add(file, 0, "the file is empty: the discipline would have no title and no topics");
    return paths;
  }
  std::vector<Line> lines = SplitLines(bytes);
  if (!CheckCommon(bytes, lines, file, report)) return paths;

  // The title line.
  std::string_view title = Content(lines[0].text);
  if (!lines[0].endsWithLf && (lines[0].text.empty() || lines[0].text.back() != kCr))
    report->Add(file, 1, "the title line does not end with CR LF");
  if (title.empty()) report->Add(file, 1, "the discipline's title is empty");
  if (static_cast<long long>(title.size()) > kMaxTitle)
    report->Add(file, 1,
                Format("the discipline's title is %lld bytes long; at most %lld fit",
                       static_cast<long long>(title.size()), kMaxTitle));
  if (std::size_t tab = title.find(kTab); tab != std::string_view::npos)
    report->Add(file, 1,
                Format("TAB in the discipline's title (column %lld): a title may not contain "
                       "a TAB",
                       static_cast<long long>(tab) + 1));
  if (std::size_t quote = title.find(kQuote); quote != std::string_view::npos)
    report->Add(file, 1,
                Format("double quote in the discipline's title (column %lld): a title may not "
                       "contain a double quote",
                       static_cast<long long>(quote) + 1));

  int lfOnly = 0, firstLfOnly = 0;
  int topics = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.endsWithLf && (line.text.empty() || line.text.back() != kCr) && lfOnly++ == 0)
      firstLfOnly = line.number;
    std::string_view text = Content(line.text);
    if (std::size_t stray = text.find(kCr); stray != std::string_view::npos)
      report->Add(file, line.number,
                  Format("CR inside the line (column %lld); lines end with CR LF",
                         static_cast<long long>(stray) + 1));
    if (i == 0) continue;
    if (text.empty()) {
      report->Add(file, line.number,
                  "empty line: every line after the title is a topic: a TAB, the topic's "
                  "title, and the path of its question file in double quotes");
      continue;
    }
    if (text[0] != kTab) {
      report->Add(file, line.number,
                  "line does not begin with a TAB: a topic line is a TAB, the topic's title, "
                  "and the path of its question file in double quotes");
      continue;
    }
    if (++topics == kMaxTopicLines + 1)
      report->Add(file, line.number,
                  Format("more than %lld topic lines: a discipline holds at most %lld topics",
                         kMaxTopicLines, kMaxTopicLines));
    std::string_view rest = text.substr(1);
    std::size_t open = rest.find(kQuote);
    if (open == std::string_view::npos) {
      report->Add(file, line.number,
                  "no double quotes: write the path of the topic's question file in double "
                  "quotes after its title");
      continue;
    }
    std::string_view topicTitle = rest.substr(0, open);
    auto column = [&](std::size_t inRest) { return static_cast<long long>(inRest) + 2; };
    if (std::size_t tab = topicTitle.find(kTab); tab != std::string_view::npos)
      report->Add(file, line.number,
                  Format("TAB inside the topic's title (column %lld): a title may not contain "
                         "a TAB",
                         column(tab)));
    if (topicTitle.empty()) report->Add(file, line.number, "the topic's title is empty");
    if (static_cast<long long>(topicTitle.size()) > kMaxTitle)
      report->Add(file, line.number,
                  Format("the topic's title is %lld bytes long; at most %lld fit",
                         static_cast<long long>(topicTitle.size()), kMaxTitle));
    std::size_t close = rest.find(kQuote, open + 1);
    if (close == std::string_view::npos) {
      report->Add(file, line.number, "the path has no closing double quote");
      continue;
    }
    std::string_view path = rest.substr(open + 1, close - open - 1);
    std::string_view after = rest.substr(close + 1);
    std::size_t quotes = 2;
    for (char c : after) quotes += c == kQuote;
    if (quotes > 2) {
      report->Add(file, line.number,
                  Format("%lld double quotes: only the two around the path may stand in a "
                         "topic line (a title may not hold a double quote)",
                         static_cast<long long>(quotes)));
    } else if (!after.empty()) {
      report->Add(file, line.number,
                  Format("text after the closing quote (column %lld): nothing may follow the "
                         "path",
                         column(close + 1)));
    }
    bool usable = true;
    if (std::size_t tab = path.find(kTab); tab != std::string_view::npos) {
      report->Add(file, line.number,
                  Format("TAB inside the path (column %lld): a path may not contain a TAB",
                         column(open + 1 + tab)));
      usable = false;
    }
    if (path.empty()) {
      report->Add(file, line.number, "the path between the quotes is empty");
      usable = false;
    } else if (static_cast<long long>(path.size()) > kMaxPath) {
      report->Add(file, line.number,
                  Format("the path is %lld bytes long; at most %lld fit (the program keeps "
                         "\"Base\\\" and the path in 47 bytes)",
                         static_cast<long long>(path.size()), kMaxPath));
      usable = false;
    }
    if (usable && quotes == 2) paths.push_back({std::string(path), line.number});
  }
  if (lfOnly > 0) {
    std::string more = lfOnly > 1 ? Format(" (%lld lines end so)", lfOnly) : std::string();
    report->Add(file, firstLfOnly,
                "line ends with LF alone; lines of a description file end with CR LF" + more);
  }
  return paths;
}

void CheckDescriptionName(std::string_view name, const std::string& file, Report* report) {
  if (static_cast<long long>(name.size()) > kMaxDescriptionName)
    report->Add(file, 0,
                Format("the file name is %lld bytes long; the program keeps \"Base\\\" and the "
                       "name in 47 bytes, so at most %lld fit",
                       static_cast<long long>(name.size()), kMaxDescriptionName));
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

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", b);
      out += escape;
    } else {
      out += ToUtf8(std::string_view(&c, 1));
    }
  }
  return out + "\"";
}

}  // namespace check
