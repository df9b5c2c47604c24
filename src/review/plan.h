// The planning of a review session: which questions the log says to ask, and from where.
#pragma once

#include <string>
#include <vector>

#include "bank/assembled.h"
#include "review/counts.h"

namespace review {

enum class PlanKind { kDue, kMistakes };

// What a session asks: the question files it reads (as the catalogue names them, each once, in
// the order they first come) and the records to copy, in the order they are asked.
struct ReviewPlan {
  std::vector<std::string> files;
  std::vector<bool> fileUtf8;  // each file's name is UTF-8 (BankTopic::FileUtf8)
  std::vector<bank::Pick> picks;
};
// The session of `kind` over the bank as it is now: due ones (due before the end of today) the
// least retrievable first, mistakes (latest grading a 1) the newest first; a question held by
// several files is asked once, from the first; at most `limit` questions.
// Cards without variants are no review questions and are passed over.
ReviewPlan PlanReview(const std::vector<KeyState>& states, const Bank& bank,
                      const Horizon& horizon, double retention, PlanKind kind, int limit,
                      const Parameters& p = kDefaultParameters);

}  // namespace review
