// The review sessions of the menu "Подготовка": the questions the review log says are due today,
// and those whose latest answer was a mistake, assembled from every discipline and drilled in
// the usual flow (marks, rounds until all are solved) in the order they were chosen.
#pragma once

#include <string>
#include <vector>

#include "exam/assembled.h"
#include "platform/handles.h"
#include "review/counts.h"

namespace exam {

enum class ReviewKind { kDue, kMistakes };

// What a session asks: the question files it reads (as the catalogue names them, each once, in
// the order they first come) and the records to copy, in the order they are asked.
struct ReviewPlan {
  std::vector<std::string> files;
  std::vector<Pick> picks;
};
// The session of `kind` over the bank as it is now: due ones (due before the end of today) the
// least retrievable first, mistakes (latest grading a 1) the newest first; a question held by
// several files is asked once, from the first; at most `limit` questions.
ReviewPlan PlanReview(const std::vector<review::KeyState>& states, const review::Bank& bank,
                      const review::Horizon& horizon, double retention, ReviewKind kind, int limit);

// The menu "Подготовка" opens: its items "Повторение на сегодня (N)" and "Работа над ошибками
// (N)" show the counts of now, each disabled at 0.
void UpdateReviewItems(HMENU menu);
// The command of one of those items: asks first when a sitting runs, then assembles the
// session and starts it through the usual start message. Nothing when there is nothing to ask
// or the flow is busy.
void StartReview(ReviewKind kind);

}  // namespace exam
