// The dialog's choice, its defaults and the values kept.
#include "exam/choice.h"

#include <cstring>
#include <string>

#include "bank/catalogue.h"
#include "exam/draw.h"
#include "exam/rules.h"
#include "exam/sitting.h"
#include "shell/globals.h"
#include "study/study.h"

namespace exam {
namespace {

// The bare name of a description file: "3.txt" of "Base\3.txt".
const char* BareName(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

int Clamp(int v, int low, int high) {
  return v < low ? low : v > high ? high : v;
}

}  // namespace

int AvailableIn(int discipline, int topic) {
  if (!LoadCatalogue(discipline)) return 0;
  if (topic >= kMaxTopics || (topic >= 0 && !Catalogue.Topics[topic].bExists)) return 0;
  return PoolOf(Catalogue, topic).Available();
}

Choice InitialChoice() {
  Choice c;
  Settings kept = ReadSettings(study::IniText());
  c.discipline = -1;
  for (int i = 0; i < kMaxDisciplines; ++i) {
    if (!Discipline.Disciplines[i].bExists) continue;
    if (c.discipline < 0) c.discipline = i;
    if (!kept.discipline.empty() && kept.discipline == BareName(Discipline.Disciplines[i].Path)) {
      c.discipline = i;
      break;
    }
  }
  bool same = c.discipline >= 0 && !kept.discipline.empty() &&
              kept.discipline == BareName(Discipline.Disciplines[c.discipline].Path);
  if (c.discipline < 0) {
    c.discipline = 0;
    return c;
  }
  LoadCatalogue(c.discipline);
  c.topic = -1;
  if (same && !kept.topic.empty()) {
    bool found = false;
    for (int i = 0; i < kMaxTopics && !found; ++i) {
      if (!Catalogue.Topics[i].bExists || TitleAsKept(Catalogue.Topics[i].Title) != kept.topic)
        continue;
      c.topic = i;
      found = true;
    }
    // A topic that is gone falls back to all of them, and the rest to the first values.
    same = found;
  }
  int n = AvailableIn(c.discipline, c.topic);
  if (same && kept.count > 0 && kept.minutes >= 0) {
    c.count = Clamp(kept.count, n > 0 ? 1 : 0, n);
    c.minutes = Clamp(kept.minutes, 0, kMaxMinutes);
  } else {
    c.count = n < kFirstCount ? n : kFirstCount;
    c.minutes = Clamp(c.count, 0, kMaxMinutes);
  }
  return c;
}

bool StartChoice(const Choice& c) {
  if (c.discipline < 0 || c.discipline >= kMaxDisciplines ||
      !Discipline.Disciplines[c.discipline].bExists || c.count <= 0)
    return false;
  Settings kept;
  kept.discipline = BareName(Discipline.Disciplines[c.discipline].Path);
  if (LoadCatalogue(c.discipline) && c.topic >= 0 && c.topic < kMaxTopics &&
      Catalogue.Topics[c.topic].bExists)
    kept.topic = Catalogue.Topics[c.topic].Title;
  kept.count = c.count;
  kept.minutes = Clamp(c.minutes, 0, kMaxMinutes);
  study::SaveIni(WriteSettings(study::IniText(), kept));
  return Begin(c.discipline, c.topic, c.count, kept.minutes);
}

}  // namespace exam
