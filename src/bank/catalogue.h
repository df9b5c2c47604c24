// The catalogue of disciplines and topics read from the database directory.
#pragma once

#include "platform/handles.h"

// One catalogue entry, for a discipline or a topic.
struct TitlePath {
  char Title[1024];  // display title, Windows-1251 bytes, zero-terminated
  char Path[48];     // "Base\..." relative to the working directory, zero-terminated
  bool bExists;
};

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
