// The catalogue of disciplines and topics read from the database directory.
#pragma once

#include <cstddef>

#include "platform/files.h"
#include "platform/handles.h"

// One catalogue entry, for a discipline or a topic.
struct TitlePath {
  char Title[1024];  // display title, zero-terminated: Windows-1251, or UTF-8 when bUtf8
  char Path[48];     // "Base\..." relative to the working directory, zero-terminated
  bool bExists;
  // The title is UTF-8: its description file began with the UTF-8 byte order mark.
  bool bUtf8;
  // The path is UTF-8. A UTF-8 file's path is stored by its Windows-1251 bytes when it has them
  // (so it names the same file and keys the same progress as before the file was converted), and
  // by its UTF-8 bytes, with this flag, only when a character has no Windows-1251 byte.
  bool bPathUtf8;
};

// The path of an entry as the file layer opens it.
inline files::Path PathOf(const TitlePath& entry) {
  return files::Path(entry.Path, entry.bPathUtf8);
}

inline constexpr int kMaxDisciplines = 64;
inline constexpr int kMaxTopics = 128;
inline constexpr int kTitleCapacity = 1024;
inline constexpr int kPathCapacity = 48;
// The database directory, as the catalogue puts it in front of every name.
inline constexpr char kBaseDir[] = "Base\\";

struct DisciplineClass {
  TitlePath Disciplines[64];
  TitlePath Topics[128];
  int LastDiscipline;
  int LastTopic;

  DisciplineClass();
  void LoadDisciplines(char* pattern);
  void UnloadTopics();
  void LoadTopics(TitlePath discipline);
  // Builds and shows the topic chooser (shell/chooser.cpp). The second window is not read.
  void DrawChooser(HINSTANCE instance, HWND owner, HWND unused, Rect client, char* title);
};

namespace bank {
// What LoadTopics made of the lines after the title, for tools that explain a description file.
enum class TopicLines {
  kKept,           // they gave the topic entry `topic`
  kLeftOut,        // they are no well-formed topic line and gave nothing
  kTableFull,      // well formed, but the table held 128 topics already
  kPathIllFormed,  // well formed, but its UTF-8 path is no well-formed UTF-8: it names no file
};
// Lines count from 1, and CR LF, a lone CR and a lone LF each end one. Every line that holds a
// byte lies in exactly one report, in file order; empty lines lie in none (a title that runs on
// over a line break may take empty lines into its report).
struct TopicObserver {
  void (*report)(void* context, int firstLine, int lastLine, TopicLines what, int topic);
  void* context;
};
// Null unless a tool listens; the catalogue reads alike either way.
extern TopicObserver* topicObserver;

// Reads the topic lines of a whole description file held in memory exactly as LoadTopics reads
// them from the file, for tools that already hold the bytes. Same precondition as LoadTopics.
void LoadTopicsFromBytes(DisciplineClass* catalogue, const unsigned char* bytes, std::size_t size);
}  // namespace bank
