// The review sessions of the menu "Подготовка": the questions the review log says are due today,
// and those whose latest answer was a mistake, assembled from every discipline and drilled in
// the usual flow in the order they were chosen.
#include <cstdio>
#include <string>

#include "common/program_texts.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "records/clock.h"
#include "review/fit_job.h"
#include "review/forecast.h"
#include "review/parameters.h"
#include "session/kinds.h"
#include "common/commands.h"
#include "shell/globals.h"

namespace session {
namespace {

std::string ItemText(const char* label, int count) {
  return std::string(label) + " (" + std::to_string(count) + ")";
}

}  // namespace

ReviewOverview ReviewCounts() {
  Program& p = P();
  ReviewOverview view;
  std::int64_t now = records::NowSeconds();
  if (p.data.Known()) {
    std::string bytes = p.data.ReviewLogBytes();
    review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
    view.skipped = read.skipped;
    view.states = review::Replay(read.entries, p.params);
    view.entries = std::move(read.entries);
  }
  view.bank = review::ScanBank(Discipline);
  view.counts = review::Count(view.states, view.bank, review::LocalHorizon(now),
                              p.review.retention, p.params);
  return view;
}

int ForecastPercent(int discipline, int topic) {
  Program& p = P();
  std::string bytes = p.data.ReviewLogBytes();
  review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
  if (read.entries.empty()) return -1;
  review::Bank bank = review::ScanBank(Discipline);
  review::Knowledge knowledge = review::Know(read.entries, p.params);
  std::int64_t now = records::NowSeconds();
  review::Forecast forecast;
  if (topic < 0) {
    forecast = review::ForecastDiscipline(knowledge, bank, discipline, now);
  } else {
    // The bank lists every topic of every discipline in catalogue order: this discipline's
    // topic `topic` is the one after its first.
    for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
      if (bank.Topics[t].Discipline != discipline) continue;
      if (t + static_cast<std::size_t>(topic) < bank.Topics.size() &&
          bank.Topics[t + static_cast<std::size_t>(topic)].Discipline == discipline)
        forecast = review::ForecastTopic(knowledge, bank, static_cast<int>(t) + topic, now);
      break;
    }
  }
  if (!forecast.share) return -1;
  return static_cast<int>(*forecast.share * 100 + 0.5);
}

std::string ForecastLine(int discipline, int topic) {
  int percent = ForecastPercent(discipline, topic);
  if (percent < 0) return ptext::kForecastNone.c_str();
  exam::Thresholds thresholds = exam::ReadThresholds(P().data.IniText());
  char line[256];
  std::snprintf(line, sizeof line, ptext::kForecastFormat.c_str(), percent,
                exam::GradeOf(percent, 100, thresholds));
  return line;
}

void ReadKnowledge(const ws::KnowledgeView& view) {
  Program& p = P();
  ReviewOverview overview = ReviewCounts();
  review::Knowledge knowledge = review::Know(overview.entries, p.params);
  if (view.forecast != nullptr)
    *view.forecast = review::ForecastBank(knowledge, overview.bank, records::NowSeconds());
  if (view.calibration != nullptr) {
    review::Calibration c = review::CalibrationOf(p.data.ReadResults());
    view.calibration->clear();
    if (c.exams > 0) {
      char line[256];
      bool one = c.exams % 10 == 1 && c.exams % 100 != 11;  // "по 1 экзамену", "по 21 экзамену"
      std::snprintf(line, sizeof line, ptext::kCalibrationFormat.c_str(), c.exams,
                    one ? ptext::kExamsDativeOne.c_str() : ptext::kExamsDativeMany.c_str(),
                    static_cast<int>(c.forecast + 0.5), static_cast<int>(c.result + 0.5));
      *view.calibration = line;
    }
  }
  if (view.fitReviews != nullptr)
    *view.fitReviews = review::PrepareFit(review::ReviewEntries(overview.entries, overview.bank)).reviews;
  if (view.bank != nullptr) *view.bank = std::move(overview.bank);
  if (view.counts != nullptr) *view.counts = std::move(overview.counts);
}

bool StartFit(review::FitJob& job, void (*notify)(void* context), void* context) {
  Program& p = P();
  if (review::FitRunning(job) || !p.data.Known()) return false;
  std::string bytes = p.data.ReviewLogBytes();
  review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
  review::Bank bank = review::ScanBank(Discipline);
  return review::StartFit(job, review::PrepareFit(review::ReviewEntries(read.entries, bank)),
                          p.params, notify, context);
}

std::string FitEnded(const review::FitOutcome& outcome) {
  if (outcome.status != review::FitStatus::kDone) return ptext::kFitCancelled.c_str();
  Program& p = P();
  bool saved = p.data.Writable();
  if (outcome.keep) {
    p.params = outcome.fitted;
    p.paramsFitted = true;
    if (saved) p.data.SaveIni(review::IniWithParameters(p.data.IniText(), outcome.fitted));
  }
  // Three decimals, with the decimal comma.
  auto loss = [](double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", x);
    for (char* c = text; *c != '\0'; ++c)
      if (*c == '.') *c = ',';
    return std::string(text);
  };
  const char* format = !outcome.keep ? ptext::kFitNotKept.c_str()
                       : saved       ? ptext::kFitKept.c_str()
                                     : ptext::kFitKeptUnsaved.c_str();
  char line[512];
  std::snprintf(line, sizeof line, format, loss(outcome.before).c_str(),
                loss(outcome.after).c_str());
  return line;
}

void UpdateReviewItems(HMENU menu) {
  if (menu == nullptr) return;
  ReviewOverview view = ReviewCounts();
  ws::SetMenuItem(menu, kCmdReviewDue,
                  ItemText(ptext::kReviewDueItem.c_str(), view.counts.DueToday).c_str(),
                  view.counts.DueToday > 0);
  ws::SetMenuItem(menu, kCmdReviewMistakes,
                  ItemText(ptext::kMistakesItem.c_str(), view.counts.Mistakes).c_str(),
                  view.counts.Mistakes > 0);
}

void StartReview(review::PlanKind kind) {
  if (quiz::bFlowBusy || !MayInterrupt(false)) return;
  Program& p = P();
  ReviewOverview view = ReviewCounts();
  review::ReviewPlan plan =
      review::PlanReview(view.states, view.bank, review::LocalHorizon(records::NowSeconds()),
                         p.review.retention, kind, p.review.reviewLimit, p.params);
  if (plan.picks.empty()) return;
  std::vector<files::Path> files;
  for (std::size_t f = 0; f < plan.files.size(); ++f)
    files.push_back(
        files::Path(plan.files[f].c_str(), f < plan.fileUtf8.size() && plan.fileUtf8[f]));
  std::vector<int> topics(files.size(), -1);
  std::vector<bank::Source> sources;
  // The topic now on the board is given up: only the session's questions stay loaded.
  if (bank::Assemble(Topic_test, files, topics, plan.picks, &sources) == 0) return;
  bool due = kind == review::PlanKind::kDue;
  Session s;
  s.kind = due ? records::Kind::kReview : records::Kind::kMistakes;
  s.discipline = ptext::kAllDisciplines.c_str();
  s.topic = due ? ptext::kReviewTopic.c_str() : ptext::kMistakesTopic.c_str();
  // The questions keep the order they were chosen in.
  s.mayShuffleQuestions = false;
  for (const bank::Source& m : sources) s.assembled.push_back({m.Key, m.File, m.FileUtf8});
  Begin(std::move(s), OnScreen2.hWnd);
}

}  // namespace session
