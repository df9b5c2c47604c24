// The catalogue of disciplines and topics read from the database directory.
#include "bank/catalogue.h"

#include <cstdio>
#include <cstring>

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
  unsigned char buffer[512];
  int position = 0;
  for (bool done = false; !done;) {
    std::size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0) break;
    for (std::size_t i = 0; i < got; ++i) {
      if (buffer[i] == '\r' || buffer[i] == '\n') {
        done = true;
        break;
      }
      if (position < kTitleCapacity - 1) entry.Title[position++] = static_cast<char>(buffer[i]);
    }
  }
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
    // Further topics are left out once the table is full.
    if (catalogue->LastTopic + 1 >= kMaxTopics || !FormatPath(entry.Path, path)) {
      Tell(bank::TopicLines::kTableFull, -1);
      return;
    }
    entry.bExists = true;
    catalogue->Topics[++catalogue->LastTopic] = entry;
    Tell(bank::TopicLines::kKept, catalogue->LastTopic);
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
    std::memset(path, 0, sizeof path);
    pathLength = 0;
    titleBroken = false;
    first = line;
    state = State::kTitle;
  }

  void Feed(const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = bytes[i];
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

  ClampLastTopic(this);
  TopicParser parser{this};
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    parser.Feed(bytes, size);
    return true;
  });
  parser.Finish();
}
