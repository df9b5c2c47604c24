#include "bank/question.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <type_traits>
#include <vector>

#include "bank_test_support.h"

namespace {

using banktest::UnloadOnExit;

// Record allocation that tests can watch and make fail.
struct AllocatorProbe {
  static inline int allocations = 0;
  static inline int releases = 0;
  static inline int failAfter = INT_MAX;  // allocations that succeed before the others fail

  static void* Allocate(std::size_t size) {
    if (allocations >= failAfter) return nullptr;
    ++allocations;
    void* p = std::malloc(size);
    if (p != nullptr) std::memset(p, 0xCD, size);  // records must not rely on zeroed memory
    return p;
  }
  static void Release(void* p) {
    ++releases;
    std::free(p);
  }

  explicit AllocatorProbe(int succeeding = INT_MAX) {
    allocations = releases = 0;
    failAfter = succeeding;
    savedAllocate_ = bank::AllocateRecord;
    savedRelease_ = bank::ReleaseRecord;
    bank::AllocateRecord = Allocate;
    bank::ReleaseRecord = Release;
  }
  ~AllocatorProbe() {
    bank::AllocateRecord = savedAllocate_;
    bank::ReleaseRecord = savedRelease_;
  }

 private:
  void* (*savedAllocate_)(std::size_t);
  void (*savedRelease_)(void*);
};

bool IsZero(const void* p, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i)
    if (b[i] != 0) return false;
  return true;
}

void ExpectFresh(const QuestionClass& q) {
  EXPECT_TRUE(IsZero(q.Task, sizeof q.Task));
  for (const vrnt& v : q.Vrnt) {
    EXPECT_TRUE(IsZero(v.Text, sizeof v.Text));
    EXPECT_FALSE(v.bExists);
    EXPECT_FALSE(v.bCorrect);
  }
  EXPECT_FALSE(q.bExists);
  EXPECT_FALSE(q.bSolved);
  EXPECT_EQ(0, q.ShowCount);
}

// A chain of `variants.size()` present records, record i with variants[i] present variants.
void BuildChain(TopicClass& topic, const std::vector<int>& variants) {
  QuestionClass* q = &topic.Head;
  for (std::size_t i = 0; i < variants.size(); ++i) {
    if (i > 0) q = topic.myNew(q);
    ASSERT_NE(nullptr, q);
    q->bExists = true;
    for (int j = 0; j < variants[i]; ++j) q->Vrnt[j].bExists = true;
  }
}

TEST(TopicChain, ConstructionClearsTheHeadEvenInDirtyMemory) {
  alignas(TopicClass) unsigned char memory[sizeof(TopicClass)];
  std::memset(memory, 0xAB, sizeof memory);
  auto* topic = new (memory) TopicClass;
  EXPECT_EQ(1, topic->Count);
  EXPECT_EQ(1, topic->Round);
  EXPECT_EQ(0, topic->Current);
  EXPECT_EQ(0, topic->Head.Id);
  EXPECT_EQ(&topic->Head, topic->Head.Next);
  ExpectFresh(topic->Head);
  EXPECT_EQ(-1, topic->GetNextQuestion(0));
  EXPECT_EQ(0, topic->GetIDComponent(0));
  EXPECT_EQ(&topic->Head, topic->Get(0));
  topic->~TopicClass();
}

TEST(TopicChain, MyNewLinksAndClearsTheRecord) {
  AllocatorProbe probe;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  QuestionClass* first = topic.myNew(&topic.Head);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(2, topic.Count);
  EXPECT_EQ(1, first->Id);
  ExpectFresh(*first);
  EXPECT_EQ(first, topic.Head.Next);
  EXPECT_EQ(&topic.Head, first->Next);  // the last record links back to the head

  // Inserting after the head puts the record in front and numbers it from the head.
  QuestionClass* inserted = topic.myNew(&topic.Head);
  ASSERT_NE(nullptr, inserted);
  EXPECT_EQ(3, topic.Count);
  EXPECT_EQ(1, inserted->Id);
  EXPECT_EQ(inserted, topic.Get(1));
  EXPECT_EQ(first, topic.Get(2));
  EXPECT_EQ(&topic.Head, first->Next);
}

TEST(TopicChain, FailedAllocationLeavesTheChainAsItWas) {
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  BuildChain(topic, {2, 3, 1});
  topic.BuildIndex();
  QuestionClass* last = topic.Get(2);
  {
    AllocatorProbe probe(0);
    EXPECT_EQ(nullptr, topic.myNew(last));
    EXPECT_EQ(nullptr, topic.myNew(&topic.Head));
  }
  EXPECT_EQ(3, topic.Count);
  EXPECT_EQ(&topic.Head, last->Next);
  EXPECT_EQ(last, topic.Get(2));
  EXPECT_EQ(6, topic.GetIDComponent(3));
  EXPECT_EQ(nullptr, topic.myNew(nullptr));
}

TEST(TopicChain, GetNextQuestionSearchesForwardWithoutWrapping) {
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  BuildChain(topic, {0, 0, 0, 0, 0});
  for (int i : {0, 1, 3}) topic.Get(i)->bSolved = true;
  for (bool indexed : {false, true}) {
    if (indexed) topic.BuildIndex();
    EXPECT_EQ(2, topic.GetNextQuestion(0));
    EXPECT_EQ(2, topic.GetNextQuestion(2));  // n itself when present and unsolved
    EXPECT_EQ(4, topic.GetNextQuestion(3));
    EXPECT_EQ(-1, topic.GetNextQuestion(5));
    EXPECT_EQ(-1, topic.GetNextQuestion(INT_MAX));
  }
  topic.Get(4)->bSolved = true;
  EXPECT_EQ(-1, topic.GetNextQuestion(3));
  EXPECT_EQ(2, topic.GetNextQuestion(0));
}

TEST(TopicChain, GetIDComponentCountsPresentVariantsBefore) {
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  BuildChain(topic, {3, 0, 4});
  for (bool indexed : {false, true}) {
    if (indexed) topic.BuildIndex();
    EXPECT_EQ(0, topic.GetIDComponent(-1));
    EXPECT_EQ(0, topic.GetIDComponent(0));
    EXPECT_EQ(3, topic.GetIDComponent(1));
    EXPECT_EQ(3, topic.GetIDComponent(2));
    EXPECT_EQ(7, topic.GetIDComponent(3));
    EXPECT_EQ(7, topic.GetIDComponent(INT_MAX));  // past the end: every record counted once
  }
  // A gap among the variants still counts every present one.
  topic.DropIndex();
  topic.Get(1)->Vrnt[11].bExists = true;
  EXPECT_EQ(4, topic.GetIDComponent(2));
}

TEST(TopicChain, GetPastTheEndStaysOnTheLastRecord) {
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  EXPECT_EQ(&topic.Head, topic.Get(1));
  EXPECT_EQ(&topic.Head, topic.Get(INT_MAX));
  BuildChain(topic, {1, 1, 1});
  QuestionClass* last = topic.Get(2);
  EXPECT_NE(&topic.Head, last);
  EXPECT_EQ(&topic.Head, topic.Get(-7));
  EXPECT_EQ(last, topic.Get(3));
  EXPECT_EQ(last, topic.Get(INT_MAX));  // returns at once rather than circling
  topic.BuildIndex();
  EXPECT_EQ(last, topic.Get(INT_MAX));
}

TEST(TopicChain, UnloadReleasesEveryAppendedRecordAndKeepsTheQuizCounters) {
  AllocatorProbe probe;
  TopicClass topic;
  topic.UnloadQuestions();
  EXPECT_EQ(0, AllocatorProbe::releases);
  EXPECT_EQ(1, topic.Count);

  BuildChain(topic, {2, 2, 2, 2});
  topic.Head.bSolved = true;
  topic.Head.ShowCount = 3;
  std::strcpy(topic.Head.Task, "old");
  topic.Head.Vrnt[0].bCorrect = true;
  topic.Round = 4;
  topic.Current = -1;
  topic.BuildIndex();
  topic.UnloadQuestions();
  EXPECT_EQ(3, AllocatorProbe::releases);
  EXPECT_EQ(1, topic.Count);
  EXPECT_EQ(4, topic.Round);
  EXPECT_EQ(-1, topic.Current);
  EXPECT_EQ(&topic.Head, topic.Head.Next);
  EXPECT_EQ(nullptr, topic.Index);
  ExpectFresh(topic.Head);
}

TEST(TopicChain, ATopicReleasesItsRecordsAndIndexWhenItGoesAndCannotBeCopied) {
  static_assert(!std::is_copy_constructible_v<TopicClass> && !std::is_copy_assignable_v<TopicClass>,
                "a copy would release the records and the index twice");
  AllocatorProbe probe;
  {
    TopicClass topic;
    BuildChain(topic, {1, 2, 3, 4});
    topic.BuildIndex();
    ASSERT_NE(nullptr, topic.Index);
    EXPECT_EQ(3, AllocatorProbe::allocations);
  }
  // Three appended records, all released; the index goes with them (the sanitizer run's leak
  // check holds that part).
  EXPECT_EQ(3, AllocatorProbe::releases);
}

// The index must answer exactly as the walk does, and the walk as the records say.
TEST(TopicChain, IndexAnswersLikeTheWalkOnRandomTopics) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 40; ++round) {
    TopicClass topic;
    UnloadOnExit cleanup{topic};
    int count = 1 + static_cast<int>(random() % 60);
    std::vector<int> variants(count);
    for (int& v : variants) v = static_cast<int>(random() % 13);
    BuildChain(topic, variants);
    std::vector<bool> solved(count), present(count, true);
    for (int i = 0; i < count; ++i) {
      solved[i] = random() % 3 == 0;
      present[i] = random() % 7 != 0;
      topic.Get(i)->bSolved = solved[i];
      topic.Get(i)->bExists = present[i];
    }
    std::vector<QuestionClass*> records;
    QuestionClass* q = &topic.Head;
    for (int i = 0; i < count; ++i, q = q->Next) records.push_back(q);

    auto check = [&](const char* how) {
      int before = 0;
      for (int n = -2; n <= count + 2; ++n) {
        SCOPED_TRACE(testing::Message() << how << " round " << round << " n " << n);
        int k = n < 0 ? 0 : n >= count ? count - 1 : n;
        EXPECT_EQ(records[k], topic.Get(n));
        int next = -1;
        for (int i = n < 0 ? 0 : n; i < count && next < 0; ++i)
          if (present[i] && !solved[i]) next = i;
        EXPECT_EQ(next, topic.GetNextQuestion(n));
        EXPECT_EQ(before, topic.GetIDComponent(n));
        if (n >= 0 && n < count) before += variants[n];
      }
    };
    check("walking");
    topic.BuildIndex();
    ASSERT_NE(nullptr, topic.Index);
    check("indexed");

    // A record put in by hand mid-chain drops the index; the walk sees it at once.
    int at = static_cast<int>(random() % count);
    QuestionClass* added = topic.myNew(records[at]);
    ASSERT_NE(nullptr, added);
    EXPECT_EQ(nullptr, topic.Index);
    added->bExists = true;
    added->Vrnt[0].bExists = added->Vrnt[1].bExists = true;
    records.insert(records.begin() + at + 1, added);
    variants.insert(variants.begin() + at + 1, 2);
    solved.insert(solved.begin() + at + 1, false);
    present.insert(present.begin() + at + 1, true);
    ++count;
    check("walking after myNew");
    topic.BuildIndex();
    check("indexed after myNew");
  }
}

}  // namespace
