// The draw of an exam's questions.
#include "exam/draw.h"

#include "bank/catalogue.h"
#include "exam/rules.h"

namespace exam {

int Pool::Available() const {
  long long n = 0;
  for (const std::vector<int>& p : places) n += static_cast<long long>(p.size());
  return n > 2147483647 ? 2147483647 : static_cast<int>(n);
}

Pool PoolOf(const DisciplineClass& catalogue, int topic) {
  Pool pool;
  for (int i = 0; i < kMaxTopics; ++i) {
    if (!catalogue.Topics[i].bExists || (topic >= 0 && i != topic)) continue;
    pool.topics.push_back(i);
    pool.places.push_back(bank::PlacesWithVariants(PathOf(catalogue.Topics[i])));
  }
  return pool;
}

std::vector<bank::Pick> DrawPicks(const Pool& pool, int count, bank::Random& random) {
  std::vector<int> available;
  for (const std::vector<int>& p : pool.places) available.push_back(static_cast<int>(p.size()));
  std::vector<int> shares = Shares(available, count);
  std::vector<bank::Pick> picks;
  for (std::size_t t = 0; t < shares.size(); ++t)
    for (int place : DrawWithoutRepeats(pool.places[t], shares[t], random))
      picks.push_back({static_cast<int>(t), place});
  // Asked in a random order, not topic by topic.
  for (std::size_t i = picks.size(); i > 1; --i)
    std::swap(picks[i - 1], picks[random.Below(static_cast<std::uint32_t>(i))]);
  return picks;
}

}  // namespace exam
