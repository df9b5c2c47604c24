// Results: one record per finished quiz in results.csv, and what the results window shows.
//
// The file is UTF-8 with a byte order mark, fields separated by ';', a header line, CR LF line
// ends, texts with ';', '"' or line breaks quoted as in RFC 4180. Records are appended as whole
// lines. The reader keeps every line that parses and passes over the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "records/kinds.h"

namespace records {

inline constexpr int kResultTextCapacity = 1024;
inline constexpr int kChartBars = 20;
inline constexpr int kGradeCapacity = 64;

struct ResultRecord {
  char When[17] = {};                         // local "YYYY-MM-DD HH:MM"
  char Discipline[kResultTextCapacity] = {};  // Windows-1251, as the program shows it
  char Topic[kResultTextCapacity] = {};       // Windows-1251
  // A title with a character Windows-1251 lacks (from a UTF-8 bank) is held in UTF-8.
  bool DisciplineUtf8 = false;
  bool TopicUtf8 = false;
  int Questions = 0;                          // questions in the topic
  int Asked = 0;                              // asked in the first round
  int Right = 0;                              // of them answered right
  int PercentTenths = 0;                      // Right / Asked in tenths of a percent, rounded
  int Rounds = 0;
  std::int64_t Seconds = 0;  // from the start to "Game over"
  bool Resumed = false;      // continued from remembered progress
  Kind Mode = Kind::kTopic;  // the session it was asked in
  int CreditTenths = -1;            // an exam's partial-credit percent in tenths; -1 for none
  char Grade[kGradeCapacity] = {};  // an exam's grade (Windows-1251); empty for none
  int ForecastPercent = -1;         // an exam's forecast when it started, 0 to 100; -1 for none
};

// The header line, with the byte order mark in front and CR LF behind (UTF-8).
std::string ResultsHeader();
// Whether `bytes`, the start of a results file, begin with an older header: the ten columns
// the program wrote before the mode, the partial credit and the grade were added, or the
// thirteen before the exam's forecast was.
bool HasOldHeader(const char* bytes, std::size_t size);
// A whole results file with its old header replaced by ResultsHeader(); the records stay as
// they are (the reader takes ten-column lines as practice).
std::string WithNewHeader(const char* bytes, std::size_t size);
// One record's line with CR LF (UTF-8; the texts converted from Windows-1251).
std::string FormatResult(const ResultRecord& record);
// The newest kMaxResultRecords records of a results file's bytes, newest first (the file's
// order reversed). Texts with characters Windows-1251 lacks are held in UTF-8.
inline constexpr std::size_t kMaxResultRecords = 10000;
std::vector<ResultRecord> ParseResults(const char* bytes, std::size_t size);
// Rounded tenths of a percent of right / asked; 0 when nothing was asked.
int PercentTenths(int right, int asked);

// The chart of a topic: the first-round percents of its last attempts (at most 20), oldest
// first, with their dates, from records given newest first. Records match by discipline and
// topic text. When record `selected` (an index into the records) is one of them, its bar is
// `Selected`, and an attempt older than the last 20 is shown as the newest bar, with the 19
// before it (or the topic's oldest 20).
struct Chart {
  int Count = 0;
  int PercentTenths[kChartBars] = {};
  char When[kChartBars][17] = {};
  int Selected = -1;
  bool Exam[kChartBars] = {};  // the attempt was an exam
};
Chart ChartOf(const std::vector<ResultRecord>& newestFirst, const char* discipline,
              const char* topic, int selected = -1);

}  // namespace records
