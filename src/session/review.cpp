// The review sessions of the menu "Подготовка": the questions the review log says are due today,
// and those whose latest answer was a mistake, assembled from every discipline and drilled in
// the usual flow in the order they were chosen.
#include <string>

#include "common/program_texts.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "records/clock.h"
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
  }
  view.bank = review::ScanBank(Discipline);
  view.counts = review::Count(view.states, view.bank, review::LocalHorizon(now),
                              p.review.retention, p.params);
  return view;
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
  std::vector<const char*> files;
  for (const std::string& f : plan.files) files.push_back(f.c_str());
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
  for (const bank::Source& m : sources) s.assembled.push_back({m.Key, m.File});
  Begin(std::move(s), OnScreen2.hWnd);
}

}  // namespace session
