// The review sessions' plan: chosen from the replayed log.
#include "review/plan.h"

#include <algorithm>
#include <cstdint>

namespace review {
namespace {

struct Candidate {
  std::size_t state = 0;  // index into the states
  int topic = 0;          // the bank topic it is asked from
  int place = 0;          // its record in that file
  double order = 0;       // ascending: retrievability, or minus the time of the latest grading
  std::int64_t due = 0;
};

}  // namespace

ReviewPlan PlanReview(const std::vector<KeyState>& states, const Bank& bank,
                      const Horizon& horizon, double retention, PlanKind kind, int limit,
                      const Parameters& p) {
  std::vector<bool> seen(states.size(), false);
  std::vector<Candidate> candidates;
  for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
    const std::vector<std::uint64_t>& keys = bank.Topics[t].Keys;
    for (std::size_t j = 0; j < keys.size(); ++j) {
      if (!bank.Topics[t].HasVariants(j)) continue;
      const KeyState* state = Find(states, keys[j]);
      if (state == nullptr) continue;
      std::size_t i = static_cast<std::size_t>(state - states.data());
      if (seen[i]) continue;
      seen[i] = true;
      Candidate c{i, static_cast<int>(t), static_cast<int>(j), 0,
                  Due(state->State, retention, p)};
      if (kind == PlanKind::kDue) {
        if (c.due >= horizon.DayEnds[0]) continue;
        c.order = Retrievability(state->State, horizon.Now, p);
      } else {
        if (state->State.LastGrade != kGradeWrong) continue;
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
      plan.fileUtf8.push_back(bank.Topics[static_cast<std::size_t>(c.topic)].FileUtf8);
    }
    plan.picks.push_back({f, c.place});
  }
  return plan;
}

}  // namespace review
