// The review sessions: chosen from the replayed log, assembled as the exam's questions are.
#include "exam/review_session.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/cp1251.h"
#include "exam/sitting.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "study/study.h"

namespace exam {
namespace {

struct Candidate {
  std::size_t state = 0;  // index into the states
  int topic = 0;          // the bank topic it is asked from
  int place = 0;          // its record in that file
  double order = 0;       // ascending: retrievability, or minus the time of the latest grading
  std::int64_t due = 0;
};

std::string ItemText(const char* label, int count) {
  return std::string(label) + " (" + std::to_string(count) + ")";
}

}  // namespace

ReviewPlan PlanReview(const std::vector<review::KeyState>& states, const review::Bank& bank,
                      const review::Horizon& horizon, double retention, ReviewKind kind,
                      int limit) {
  std::vector<bool> seen(states.size(), false);
  std::vector<Candidate> candidates;
  for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
    const std::vector<std::uint64_t>& keys = bank.Topics[t].Keys;
    for (std::size_t j = 0; j < keys.size(); ++j) {
      const review::KeyState* state = review::Find(states, keys[j]);
      if (state == nullptr) continue;
      std::size_t i = static_cast<std::size_t>(state - states.data());
      if (seen[i]) continue;
      seen[i] = true;
      Candidate c{i, static_cast<int>(t), static_cast<int>(j), 0,
                  review::Due(state->State, retention)};
      if (kind == ReviewKind::kDue) {
        if (c.due >= horizon.DayEnds[0]) continue;
        c.order = review::Retrievability(state->State, horizon.Now);
      } else {
        if (state->State.LastGrade != review::kGradeWrong) continue;
        c.order = -static_cast<double>(state->State.Last);
      }
      candidates.push_back(c);
    }
  }
  // Ties go to the one due (or missed) earlier, then to the bank's order: the same log always
  // gives the same session.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     if (a.order != b.order) return a.order < b.order;
                     return a.due < b.due;
                   });
  if (limit < 0) limit = 0;
  if (candidates.size() > static_cast<std::size_t>(limit))
    candidates.resize(static_cast<std::size_t>(limit));

  ReviewPlan plan;
  std::vector<int> fileOfTopic(bank.Topics.size(), -1);
  for (const Candidate& c : candidates) {
    int& f = fileOfTopic[static_cast<std::size_t>(c.topic)];
    if (f < 0) {
      f = static_cast<int>(plan.files.size());
      plan.files.push_back(bank.Topics[static_cast<std::size_t>(c.topic)].File);
    }
    plan.picks.push_back({f, c.place});
  }
  return plan;
}

void UpdateReviewItems(HMENU menu) {
  if (menu == nullptr) return;
  study::ReviewOverview view = study::ReviewCounts();
  static const auto due = Cp1251("Повторение на сегодня");
  static const auto mistakes = Cp1251("Работа над ошибками");
  ws::SetMenuItem(menu, kCmdReviewDue, ItemText(due.c_str(), view.counts.DueToday).c_str(),
                  view.counts.DueToday > 0);
  ws::SetMenuItem(menu, kCmdReviewMistakes,
                  ItemText(mistakes.c_str(), view.counts.Mistakes).c_str(),
                  view.counts.Mistakes > 0);
}

void StartReview(ReviewKind kind) {
  if (quiz::bFlowBusy || !MayInterrupt(false)) return;
  study::ReviewOverview view = study::ReviewCounts();
  ReviewPlan plan =
      PlanReview(view.states, view.bank, review::LocalHorizon(study::NowSeconds()),
                 study::ReviewSettings().retention, kind, study::ReviewSettings().reviewLimit);
  if (plan.picks.empty()) return;
  std::vector<const char*> files;
  for (const std::string& f : plan.files) files.push_back(f.c_str());
  std::vector<int> topics(files.size(), -1);
  std::vector<Source> sources;
  // The topic now on the board is given up: only the session's questions stay loaded.
  if (Assemble(Topic_test, files, topics, plan.picks, &sources) == 0) return;
  std::vector<study::AssembledFile> logged;
  for (const Source& s : sources) logged.push_back({s.Key, s.File});
  static const auto all = Cp1251("Все дисциплины");
  static const auto dueTopic = Cp1251("Повторение");
  static const auto mistakesTopic = Cp1251("Работа над ошибками");
  bool due = kind == ReviewKind::kDue;
  // Started as the chooser starts a topic: the start message places the first question.
  bNobodyHome = false;
  quiz::NoteStartPosted();
  quiz::bFlowBusy = true;
  study::AssembledLoaded(all.c_str(), due ? dueTopic.c_str() : mistakesTopic.c_str(),
                         due ? study::ResultMode::kReview : study::ResultMode::kMistakes,
                         std::move(logged), false);
  quiz::bFlowBusy = false;
  if (!ws::PostStart(OnScreen2.hWnd)) quiz::StartNotPosted();
}

}  // namespace exam
