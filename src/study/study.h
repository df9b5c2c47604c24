// The study features of the program: options, shuffling, resuming and results.
//
// The shell, the chooser and the quiz flow call the hooks below; each does nothing while its
// option is off or no data folder is known, so with every option off the program behaves as it
// always has. Everything is kept in one data folder the platform layer names at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "review/counts.h"
#include "review/log.h"
#include "review/settings.h"
#include "study/options.h"
#include "study/results.h"
#include "study/shuffle.h"

struct QuestionClass;

namespace study {

// ---- Start-up (the platform layer) ----

// Takes the data folder (Windows-1251, backslashes, without a trailing one; "" for none) and
// whether it can be written, reads exameo.ini from it and seeds the random source from the
// clock. Call it before BuildMenuBar, which ticks the items of the options that are on.
void Init(const char* folder, bool writable);
// The data folder given to Init ("" before Init).
const char* Folder();
// Shows the warning that the data folder cannot be written, once per run: the platform calls
// it at start-up for a folder it cannot write, the core when a write fails.
void WarnUnwritable();
// At the program's end: writes what a file refused during the run (appended lines, whole
// files, a progress file to remove). While something is still refused, a Yes/No box names the
// file and the cause and asks whether to try again; No gives it up.
void Close();

// ---- State ----

const Options& Current();
// Sets the options, saves exameo.ini and updates the menu ticks.
void SetOptions(const Options& options);
// The menu bar BuildMenuBar made (to tick items when an option toggles).
extern HMENU MenuBar;
// Keeps `bar` as MenuBar and ticks the items of the options that are on.
void UseMenuBar(HMENU bar);
// The random source of the shuffles.
extern Random Rng;
// The clock: seconds since 1970 (UTC), and the local "YYYY-MM-DD HH:MM" of such a moment.
// Replaceable by tests.
extern std::int64_t (*NowSeconds)();
extern void (*LocalStamp)(std::int64_t seconds, char out[17]);

// ---- Menu commands ----

// A command from the menu bar that the study features own (high word 0, no control), handled;
// false for anything else.
bool MenuCommand(unsigned wParam, HWND sender);

// ---- Hooks of the shell and the flow ----

// The discipline whose chooser is open (catalogue entry i), noted when it opens.
void DisciplineOpened(int i);
// Where a question of an assembled topic came from, for its lines in the review log.
struct AssembledFile {
  std::uint64_t key = 0;  // its content key
  std::string file;       // its question file, as the catalogue names it
};
// An assembled topic (exam/assembled.h) was put in Topic_test to be drilled in the usual flow:
// its record will name `discipline` and `topic` and have `mode`; it keeps no progress file.
// Each grading is logged with the file `files` gives its key, in the mode's word (ошибки,
// повторение). Its answers are shuffled as the options say, its questions only when
// `mayShuffleQuestions` (a review session keeps the order it was assembled in).
void AssembledLoaded(const char* discipline, const char* topic, ResultMode mode,
                     std::vector<AssembledFile> files, bool mayShuffleQuestions = true);
// A topic was loaded by the chooser (catalogue topic i): shuffles it and, with resume on and
// remembered progress, asks whether to continue (a box owned by `owner`).
void TopicLoaded(int topic, HWND owner);
// The quiz starts on the loaded topic (the start message); returns the index of the first
// question to ask, 0 unless the topic was resumed, -1 when nothing is left to ask.
int QuizStarted();
// A question was graded in round `round`; `solved` when it was answered right.
void Graded(QuestionClass& q, int round, bool solved);
// "Game over": the quiz ended after `rounds` rounds. Appends the result record and forgets the
// topic's progress.
void QuizOver(int rounds);

// ---- exameo.ini and results.csv for other parts ----

// The whole of exameo.ini as it is now ("" when there is none or no data folder).
std::string IniText();
// Replaces exameo.ini with `text`, when the folder can be written.
void SaveIni(const std::string& text);
// Appends a record to results.csv (the header first for a new file, the new header for a file
// with the old one), when the folder can be written.
void AppendRecord(const ResultRecord& record);

// ---- The review log (reviews.csv) ----

// Appends one grading to reviews.csv: the question file as the catalogue names it ("Base\d1\2.txt",
// Windows-1251), the question's content key, whether the answer had no mistake, and the mode.
// Written whenever the data folder can be written, whatever the options. The drill calls it from
// Graded; the exam and the review sessions call it for each of their answers.
void LogReview(const char* catalogueFile, std::uint64_t key, bool right, review::Mode mode);

// The settings of exameo.ini's section [review] (read by Init; the defaults without a folder).
const review::Settings& ReviewSettings();

// What the menu's review items and the knowledge window show, worked out when asked: the log of
// the data folder replayed, the bank of every discipline in the catalogue (`Discipline`, whose
// disciplines are loaded; its topics are left alone) read for its keys, and the counts at the
// clock's now, today ending at the next local midnight.
struct ReviewOverview {
  review::Bank bank;
  std::vector<review::KeyState> states;  // sorted by key
  review::Counts counts;
  int skipped = 0;  // lines of the log that hold no grading
};
ReviewOverview ReviewCounts();

// ---- Results (the results window) ----

// The newest records of results.csv (ParseResults' limit), newest first, read from the last
// `limit` bytes of the file, with the records still kept in memory because the file refused
// them; none when there are neither.
inline constexpr std::size_t kResultsReadLimit = 256u * 1024 * 1024;
std::vector<ResultRecord> ReadResults(std::size_t limit = kResultsReadLimit);

}  // namespace study
