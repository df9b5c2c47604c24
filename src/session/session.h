// Sessions: what one is, and the one way every kind of session begins, is graded and ends.
//
// A session is a run of questions on the board: a topic's drill, an exam sitting, the review of
// due questions, the drill of mistakes. Each kind's file (topic.cpp, exam.cpp, review.cpp,
// mistakes.cpp) says only what differs; the start, the grading, the results record and the
// review log's lines are written here once. The program's newer state (the data folder, the
// session being asked, the sitting, the random source) is one record, `Program`, made when the
// program starts; only the four objects of shell/globals.h stand beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "bank/shuffle.h"
#include "bank/assembled.h"
#include "exam/choice.h"
#include "exam/rules.h"
#include "platform/handles.h"
#include "platform/window_system.h"
#include "records/clock.h"
#include "records/data_folder.h"
#include "records/kinds.h"
#include "records/topic_progress.h"
#include "review/counts.h"
#include "review/fit_job.h"
#include "review/log.h"
#include "review/parameters.h"
#include "review/plan.h"
#include "review/settings.h"

struct QuestionClass;

namespace session {

// Where a question of an assembled topic came from, for its lines in the review log.
struct AssembledFile {
  std::uint64_t key = 0;  // its content key
  std::string file;       // its question file, as the catalogue names it
  bool utf8 = false;      // `file` is UTF-8 (TitlePath::bPathUtf8)
};

struct Program;

// What a session is.
struct Session {
  records::Kind kind = records::Kind::kTopic;
  std::string discipline;  // the titles its record names (Windows-1251)
  std::string topic;
  // A title with a character Windows-1251 lacks (from a UTF-8 bank) is held in UTF-8
  // (utf8::Kept).
  bool disciplineUtf8 = false;
  bool topicUtf8 = false;
  // Its questions' sources: a topic's question file (catalogue topic `topicIndex`, as the
  // catalogue names it), or an assembled list, each question's file by its key (sorted).
  int topicIndex = -1;
  std::string file;
  bool fileUtf8 = false;  // `file` is UTF-8: a name Windows-1251 cannot spell (TitlePath)
  std::vector<AssembledFile> assembled;
  bool marks = true;             // marks show after each answer (an exam shows them at the end)
  bool rounds = true;            // unsolved questions come back in rounds
  bool mayShuffleQuestions = true;
  bool keepsProgress = false;    // its solved questions are remembered per question file
  int minutes = 0;               // a time limit; 0 for none
  // What the kind does to the questions in Topic_test before the first is placed (shuffling,
  // the box asking whether to continue, owned by `owner`); none for a list asked as assembled
  // with the options' shuffles.
  void (*prepare)(Program& p, HWND owner) = nullptr;
};

// A sitting of the exam (exam.cpp).
struct Sitting {
  bool running = false;
  bool expired = false;  // the time ran out while a box was up
  std::string discipline;
  std::string topic;  // empty: all topics
  bool disciplineUtf8 = false;  // as in Session
  bool topicUtf8 = false;
  std::vector<bank::Source> sources;
  std::vector<unsigned> ticked;
  std::vector<bool> reached;
  std::int64_t started = 0;
  std::int64_t limitMs = 0;
  std::string title;  // the title last shown
  int forecastPercent = -1;  // the forecast when it began; -1 for none
};

// What the report shows of the last sitting.
struct Report {
  exam::Summary summary;
  std::vector<std::string> lines;  // ReportLines
  std::vector<exam::Row> rows;
  std::vector<bank::Source> mistakes;  // every question not fully right, in the asked order
};

// The program's state beside the four globals.
struct Program {
  records::DataFolder data;
  review::Settings review;
  // The memory model's parameters in use: exameo.ini's fitted ones, else the defaults.
  review::Parameters params = review::kDefaultParameters;
  bool paramsFitted = false;
  bool paramsIgnored = false;  // exameo.ini holds a value that could not be used
  bank::Random rng;
  HMENU menuBar = nullptr;  // to tick the options' items
  int discipline = -1;      // the discipline whose chooser is open

  // The session being asked, from its start to its end.
  bool live = false;
  Session current;
  records::TopicProgress progress;
  int questions = 0;
  bool resumed = false;
  int asked = 0;
  int right = 0;
  std::int64_t started = 0;

  Sitting sitting;
  Report report;
  // The catalogue the exam dialog and the sitting read, apart from the chooser's.
  DisciplineClass catalogue;
};
// The one program record.
Program& P();

// ---- Start-up and end ----

// Opens the data folder (Windows-1251, backslashes; "" for none) with the handler its warnings
// go through, reads exameo.ini and seeds the random source from the clock; a fresh program (no
// session, no sitting, no report). Call it before BuildMenuBar, which ticks the options.
void Init(const char* folder, bool writable, records::Handler handler);
records::DataFolder& Data();
// Says that the data folder cannot be written, once per run.
void WarnUnwritable();
// Says, once, that exameo.ini's parameters of the memory model could not be used.
void WarnIgnoredParameters();
// Writes what a file refused during the run, asking while it is still refused.
void Close();

// ---- Options and their menu ----

const records::Options& Current();
// Sets the options, saves exameo.ini and updates the menu ticks.
void SetOptions(const records::Options& options);
// Keeps `bar` and ticks the items of the options that are on.
void UseMenuBar(HMENU bar);
// A command of the menu bar's options and results (high word 0, no control), handled.
bool MenuCommand(unsigned wParam, HWND sender);
const review::Settings& ReviewSettings();

// ---- The one way of a session ----

// Topic_test holds the session's questions: the session begins. Its kind prepares the topic
// (shuffles, asks whether to continue, with `owner` owning the box) while the flow is marked
// busy; a start of an earlier load that came meanwhile only counts itself off; then the start
// message places its first question (or, `now`, it is placed at once).
void Begin(Session session, HWND owner, bool now = false);
// The quiz flow's questions to the session.
bool ShowsMarks();                       // marks after each answer
int Started();                           // the start message: first question to ask, -1 none
void Graded(QuestionClass& q, int round, bool solved);
void Ended(int rounds);                  // "Game over": the record, progress forgotten
// Appends one grading to reviews.csv (whatever the options, when the folder can be written).
void LogReview(const char* catalogueFile, std::uint64_t key, bool right, records::Kind kind,
               bool fileUtf8 = false);

// ---- Kinds (one file each) ----

// topic.cpp: the chooser loaded catalogue topic `topic` into Topic_test.
void BeginTopic(int topic, HWND chooser);
void DisciplineOpened(int i);
// exam.cpp: the sitting.
bool LoadCatalogue(int discipline);
bool Running();
bool BeginSitting(int discipline, int topic, int count, int minutes);
void SittingOk();
void Tick();
bool MayInterrupt(bool closing);
const Report& LastReport();
// No sitting and no report (a fresh program's).
void ResetExam();
// The exam dialog's values (exam/choice.h) over the program's catalogue.
int AvailableIn(int discipline, int topic);
exam::Choice InitialChoice();
bool StartChoice(const exam::Choice& choice);
// mistakes.cpp: the report's "Работа над ошибками".
void DrillMistakes();
// review.cpp: the menu "Подготовка" and its sessions.
struct ReviewOverview {
  review::Bank bank;
  std::vector<review::KeyState> states;  // sorted by key
  review::Counts counts;
  int skipped = 0;  // lines of the log that hold no grading
  std::vector<review::Entry> entries;  // the log's gradings, in file order
};
ReviewOverview ReviewCounts();
// The forecast of an exam now over discipline `discipline`'s topic `topic` (-1: all of them),
// as the exam dialog shows it: "Прогноз: 72 % (хорошо)" (the grade of the rounded percent by
// exameo.ini's [grades]), or "Прогноз: нет данных" (Windows-1251).
std::string ForecastLine(int discipline, int topic);
// The percent of that forecast, rounded; -1 for none (an exam's record keeps it).
int ForecastPercent(int discipline, int topic);
void UpdateReviewItems(HMENU menu);
// What the knowledge window shows (ws::KnowledgeView), worked out now.
void ReadKnowledge(const ws::KnowledgeView& view);
// The knowledge window's fit: the log without the keys the bank knows only as cards without
// variants, judged against the parameters in use, on `job`'s thread (false: not started).
bool StartFit(review::FitJob& job, void (*notify)(void* context), void* context);
// An ended fit: parameters that do better are saved to exameo.ini (through the data folder) and
// used from now on, so that every count and forecast is worked out with them. The line that
// says so (Windows-1251).
std::string FitEnded(const review::FitOutcome& outcome);
void StartReview(review::PlanKind kind);

// ---- The files, for the windows that show them ----

std::string IniText();
void SaveIni(const std::string& text);
void AppendRecord(const records::ResultRecord& record);
std::vector<records::ResultRecord> ReadResults(std::size_t limit = records::kDataLimit);

}  // namespace session
