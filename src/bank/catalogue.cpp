// The catalogue of disciplines and topics read from the database directory.
#include "bank/catalogue.h"

#include <cstdio>
#include <cstring>

#include "common/utf8.h"
#include "platform/files.h"

namespace {

// The longest name or path that fits behind "Base\" in Path with its terminating zero.
constexpr int kMaxRelativePath = kPathCapacity - 1 - (static_cast<int>(sizeof kBaseDir) - 1);

// Puts "Base\" in front of `name` into `out`. A name that does not fit whole is refused rather
// than cut, since a shortened path could name another file.
bool FormatPath(char (&out)[kPathCapacity], const char* name) {
  int written = std::snprintf(out, sizeof out, "%s%s", kBaseDir, name);
  return written >= 0 && written < kPathCapacity;
}

constexpr unsigned char kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};

struct ScanContext {
  DisciplineClass* catalogue;
  int found;
};

// One description file of the scan: its path and the title from its first line.
bool VisitDescription(const char* name, void* context) {
  auto* scan = static_cast<ScanContext*>(context);
  if (scan->found >= kMaxDisciplines) return false;  // the table is full; the rest are left out

  TitlePath entry{};
  if (!FormatPath(entry.Path, name)) return true;
  files::InputFile file(entry.Path);
  if (!file.IsOpen()) return true;  // a file that cannot be read offers nothing to choose

  // The title ends at the first line break; an LF-only file must not give all its lines.
  // A UTF-8 file's title is cut at a character: what is read past the field decides whether the
  // cut splits one, so up to three bytes more are kept.
  unsigned char buffer[512];
  char title[kTitleCapacity + 3] = {};
  int position = 0;
  int mark = 0;  // bytes of the UTF-8 byte order mark matched at the start
  bool begins = true;
  for (bool done = false; !done;) {
    std::size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0) break;
    for (std::size_t i = 0; i < got; ++i) {
      if (begins) {
        if (buffer[i] == kUtf8Mark[mark] && ++mark < 3) continue;
        begins = false;
        if (mark == 3) {
          entry.bUtf8 = true;
          continue;
        }
        // Only a beginning like the mark: its bytes are the title's.
        for (int k = 0; k < mark; ++k) title[position++] = static_cast<char>(kUtf8Mark[k]);
      }
      if (buffer[i] == '\r' || buffer[i] == '\n') {
        done = true;
        break;
      }
      if (position < static_cast<int>(sizeof title)) title[position++] = static_cast<char>(buffer[i]);
    }
  }
  if (begins)
    for (int k = 0; k < mark; ++k) title[position++] = static_cast<char>(kUtf8Mark[k]);
  std::string_view read(title, static_cast<std::size_t>(position));
  std::size_t keep = position < kTitleCapacity ? read.size()
                     : entry.bUtf8             ? utf8::CutLength(read, kTitleCapacity - 1)
                                               : kTitleCapacity - 1;
  std::memcpy(entry.Title, title, keep);
  entry.bExists = true;
  scan->catalogue->Disciplines[scan->found++] = entry;
  return true;
}

// The topic lines of a description file, one line at a time. A line is committed only when it
// proved well formed, so a broken line never leaves a half-filled entry behind.
struct TopicParser {
  enum class State {
    kFirstLine,  // the discipline's title: never a topic
    kLineStart,  // expecting the TAB of a topic line
    kTitle,      // between the TAB and the opening quote
    kPath,       // between the quotes
    kAfterPath,  // after the closing quote
    kSkip,       // a line that is not a topic line, up to its end
  };

  DisciplineClass* catalogue;
  State state = State::kFirstLine;
  bool utf8 = false;  // the file began with the UTF-8 byte order mark
  int mark = 0;       // bytes of it matched at the start of the file
  bool cut = false;   // the title was longer than its field
  TitlePath entry{};
  int position = 0;
  char path[kMaxRelativePath + 1] = {};
  int pathLength = 0;
  // A CR or LF inside a title is dropped and the title goes on; this marks that one was.
  bool titleBroken = false;
  // Line numbers, for the observer only.
  int line = 1;
  bool afterCr = false;
  int first = 0;  // first line of the current topic line (or of the run a broken title made)
  int last = 0;   // its last line that holds a byte

  void Tell(bank::TopicLines what, int topic) {
    if (bank::topicObserver != nullptr)
      bank::topicObserver->report(bank::topicObserver->context, first, last, what, topic);
  }

  void Commit() {
    // A UTF-8 path is kept by its Windows-1251 bytes: they name the same file and key the same
    // progress as before the file was converted. One that has none stays UTF-8 and says so.
    std::string bytes;
    const bool pathUtf8 =
        utf8 &&
        !utf8::ToCp1251(std::string_view(path, static_cast<std::size_t>(pathLength)), &bytes);
    // An ill-formed path names no file for certain: repaired or taken as bytes, it would be a
    // guess, and Windows and POSIX would guess differently.
    if (pathUtf8 && !utf8::IsValid(std::string_view(path, static_cast<std::size_t>(pathLength)))) {
      Tell(bank::TopicLines::kPathIllFormed, -1);
      return;
    }
    // Further topics are left out once the table is full.
    if (catalogue->LastTopic + 1 >= kMaxTopics ||
        !FormatPath(entry.Path, utf8 && !pathUtf8 ? bytes.c_str() : path)) {
      Tell(bank::TopicLines::kTableFull, -1);
      return;
    }
    entry.bUtf8 = utf8;
    entry.bPathUtf8 = pathUtf8;
    entry.bExists = true;
    catalogue->Topics[++catalogue->LastTopic] = entry;
    Tell(bank::TopicLines::kKept, catalogue->LastTopic);
  }

  // A UTF-8 title's field is full and `next` does not fit: a character it would split goes.
  void CutTitle(unsigned char next) {
    cut = true;
    const int full = kTitleCapacity - 1;
    int start = full - 1;
    while (start > full - 3 && (static_cast<unsigned char>(entry.Title[start]) & 0xC0) == 0x80)
      --start;
    if ((static_cast<unsigned char>(entry.Title[start]) & 0xC0) == 0x80) return;
    char tail[4];
    const int kept = full - start;
    std::memcpy(tail, entry.Title + start, static_cast<std::size_t>(kept));
    tail[kept] = static_cast<char>(next);
    if (utf8::Next(std::string_view(tail, static_cast<std::size_t>(kept) + 1), 0).len > kept)
      std::memset(entry.Title + start, 0, static_cast<std::size_t>(kept));
  }

  void EndLine() {
    if (state == State::kAfterPath)
      Commit();
    else if (state == State::kSkip || state == State::kPath)
      Tell(bank::TopicLines::kLeftOut, -1);
    state = State::kLineStart;
  }

  // The end of the file ends the last line, which needs no line break; a title still waiting
  // for its quote gives nothing.
  void Finish() {
    if (state == State::kTitle) {
      if (!titleBroken) last = line;
      Tell(bank::TopicLines::kLeftOut, -1);
      state = State::kLineStart;
    } else {
      last = line;
      EndLine();
    }
  }

  void BeginTopicLine() {
    entry = TitlePath{};
    position = 0;
    cut = false;
    std::memset(path, 0, sizeof path);
    pathLength = 0;
    titleBroken = false;
    first = line;
    state = State::kTitle;
  }

  void Feed(const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = bytes[i];
      // The mark lies in the first line, which gives no topic: only whether it is there counts.
      if (mark >= 0 && mark < 3) {
        mark = c == kUtf8Mark[mark] ? mark + 1 : -1;
        if (mark == 3) utf8 = true;
      }
      // Lines end at CR or at LF, so CR LF, LF and CR files read alike; the empty line
      // between CR and LF is no topic line and passes unnoticed. Inside a title the break is
      // dropped and the title goes on to its quote: a title is every byte but CR and LF.
      if (c == '\r' || c == '\n') {
        bool newLine = c == '\r' || !afterCr;
        afterCr = c == '\r';
        if (state == State::kTitle) {
          if (!titleBroken) last = line;
          titleBroken = true;
        } else {
          last = line;
          EndLine();
        }
        if (newLine) ++line;
        continue;
      }
      afterCr = false;
      switch (state) {
        case State::kFirstLine:
        case State::kSkip:
          break;
        case State::kLineStart:
          if (c == '\t') {
            BeginTopicLine();
          } else {
            first = line;
            state = State::kSkip;
          }
          break;
        case State::kTitle:
          if (c == '\t' && titleBroken) {
            // A TAB that opens a line after a broken title begins the next topic line; the
            // broken one never found its quote.
            Tell(bank::TopicLines::kLeftOut, -1);
            BeginTopicLine();
          } else if (c == '"') {
            state = State::kPath;
          } else if (c == '\t') {
            state = State::kSkip;
          } else {
            titleBroken = false;
            if (position < kTitleCapacity - 1)
              entry.Title[position++] = static_cast<char>(c);  // a longer title is cut
            else if (!cut && utf8)
              CutTitle(c);
          }
          break;
        case State::kPath:
          if (c == '"') {
            state = State::kAfterPath;
          } else if (c == '\t' || c == '\0' || pathLength >= kMaxRelativePath) {
            // A path is never cut, and a zero byte would cut it: it could name another file.
            state = State::kSkip;
          } else {
            path[pathLength++] = static_cast<char>(c);
          }
          break;
        case State::kAfterPath:
          // Stray text after the path is ignored, but another quote or TAB means the quotes
          // did not enclose the path.
          if (c == '"' || c == '\t') state = State::kSkip;
          break;
      }
    }
  }
};

// The table must be in range before the parser adds to it.
void ClampLastTopic(DisciplineClass* catalogue) {
  if (catalogue->LastTopic < -1 || catalogue->LastTopic >= kMaxTopics)
    catalogue->LastTopic = kMaxTopics - 1;
}

}  // namespace

namespace bank {
TopicObserver* topicObserver = nullptr;

void LoadTopicsFromBytes(DisciplineClass* catalogue, const unsigned char* bytes, std::size_t size) {
  ClampLastTopic(catalogue);
  TopicParser parser{catalogue};
  if (bytes != nullptr) parser.Feed(bytes, size);
  parser.Finish();
}
}  // namespace bank

DisciplineClass::DisciplineClass() {
  // Cleared here as well, for a catalogue that does not live in zeroed static storage.
  std::memset(Disciplines, 0, sizeof Disciplines);
  std::memset(Topics, 0, sizeof Topics);
  LastDiscipline = 0;
  LastTopic = -1;
}

void DisciplineClass::LoadDisciplines(char* pattern) {
  std::memset(Disciplines, 0, sizeof Disciplines);
  ScanContext scan{this, 0};
  if (pattern != nullptr) files::ForEachFile(pattern, VisitDescription, &scan);
  // -1 when no description file was found: the shell then lists no discipline.
  LastDiscipline = scan.found - 1;
}

void DisciplineClass::UnloadTopics() {
  LastTopic = -1;
  std::memset(Topics, 0, sizeof Topics);
}

void DisciplineClass::LoadTopics(TitlePath discipline) {
  // The copy may come from anywhere; its path is read only up to its own last character.
  char path[kPathCapacity + 1] = {};
  std::memcpy(path, discipline.Path, kPathCapacity);
  // Its flag too is read as a byte: any other value than a bool's would be undefined.
  unsigned char pathUtf8 = 0;
  std::memcpy(&pathUtf8, &discipline.bPathUtf8, 1);

  ClampLastTopic(this);
  TopicParser parser{this};
  files::ReadBlocks(files::Path(path, pathUtf8 == 1),
                    [&](const unsigned char* bytes, std::size_t size) {
                      parser.Feed(bytes, size);
                      return true;
                    });
  parser.Finish();
}
