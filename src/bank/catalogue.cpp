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

  void Commit() {
    if (catalogue->LastTopic + 1 >= kMaxTopics) return;  // further topics are left out
    if (!FormatPath(entry.Path, path)) return;
    entry.bExists = true;
    catalogue->Topics[++catalogue->LastTopic] = entry;
  }

  void EndLine() {
    if (state == State::kAfterPath) Commit();
    state = State::kLineStart;
  }

  void Feed(const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = bytes[i];
      // Lines end at CR or at LF, so CR LF, LF and CR files read alike; the empty line
      // between CR and LF is no topic line and passes unnoticed.
      if (c == '\r' || c == '\n') {
        EndLine();
        continue;
      }
      switch (state) {
        case State::kFirstLine:
        case State::kSkip:
          break;
        case State::kLineStart:
          if (c == '\t') {
            entry = TitlePath{};
            position = 0;
            std::memset(path, 0, sizeof path);
            pathLength = 0;
            state = State::kTitle;
          } else {
            state = State::kSkip;
          }
          break;
        case State::kTitle:
          if (c == '"') {
            state = State::kPath;
          } else if (c == '\t') {
            state = State::kSkip;
          } else if (position < kTitleCapacity - 1) {
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

}  // namespace

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

  if (LastTopic < -1 || LastTopic >= kMaxTopics) LastTopic = kMaxTopics - 1;
  TopicParser parser{this};
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    parser.Feed(bytes, size);
    return true;
  });
  parser.EndLine();  // the last line needs no line break
}
