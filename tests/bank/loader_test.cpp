#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bank/question.h"
#include "bank_test_support.h"

namespace {

using banktest::LoadBytes;
using banktest::ScratchDir;
using banktest::UnloadOnExit;
using banktest::WriteBytes;

struct Loaded {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  explicit Loaded(std::string_view bytes) { LoadBytes(topic, bytes); }
  QuestionClass& Q(int n) { return *topic.Get(n); }
  std::string Task(int n) { return Q(n).Task; }
  std::string Text(int n, int v) { return Q(n).Vrnt[v].Text; }
  int Variants(int n) {
    int k = 0;
    for (const vrnt& v : Q(n).Vrnt) k += v.bExists;
    return k;
  }
};

TEST(Loader, SignsMarkVariantsAndAreNotStored) {
  Loaded t("Task\n\t+right\n\t-wrong\n\tplain\n\t+-last sign wins\n\t-+\n\t +x\n\t\t+y\n");
  ASSERT_EQ(1, t.topic.Count);
  EXPECT_TRUE(t.Q(0).bExists);
  EXPECT_FALSE(t.Q(0).bSolved);
  EXPECT_EQ("Task", t.Task(0));
  ASSERT_EQ(7, t.Variants(0));
  const char* texts[] = {"right", "wrong", "plain", "last sign wins", "", " +x", "y"};
  const bool correct[] = {true, false, false, false, true, false, true};
  for (int v = 0; v < 7; ++v) {
    SCOPED_TRACE(v);
    EXPECT_EQ(texts[v], t.Text(0, v));
    EXPECT_EQ(correct[v], t.Q(0).Vrnt[v].bCorrect);
  }
}

TEST(Loader, TabsAndSignsInsideTextsFollowTheLineKind) {
  Loaded t("+Task\twith tab -\n\ta\tb+c-\n\t\n\t+\n");
  EXPECT_EQ("+Task\twith tab -", t.Task(0));  // a task keeps its TABs and signs
  EXPECT_EQ("ab+c-", t.Text(0, 0));           // a variant drops TABs, keeps later signs
  EXPECT_FALSE(t.Q(0).Vrnt[0].bCorrect);
  // A variant line with nothing but its TAB, and one with only a sign.
  EXPECT_TRUE(t.Q(0).Vrnt[1].bExists);
  EXPECT_EQ("", t.Text(0, 1));
  EXPECT_FALSE(t.Q(0).Vrnt[1].bCorrect);
  EXPECT_TRUE(t.Q(0).Vrnt[2].bExists);
  EXPECT_TRUE(t.Q(0).Vrnt[2].bCorrect);
  EXPECT_FALSE(t.Q(0).Vrnt[3].bExists);
}

TEST(Loader, LineEndsAndEmptyLines) {
  std::string lf = "One\n\t+a\n\tb\nTwo\nThree\n\tc";
  std::string crlf = "One\r\n\t+a\r\n\tb\r\nTwo\r\nThree\r\n\tc\r\n";
  for (const std::string& bytes : {lf, crlf}) {
    Loaded t(bytes);
    ASSERT_EQ(3, t.topic.Count);
    EXPECT_EQ("One", t.Task(0));
    EXPECT_EQ(2, t.Variants(0));
    EXPECT_EQ("Two", t.Task(1));
    EXPECT_EQ(0, t.Variants(1));  // two task lines in a row
    EXPECT_EQ("Three", t.Task(2));
    EXPECT_EQ("c", t.Text(2, 0));  // the last byte is stored once, break or not
  }
  {
    Loaded t("a\rb\r\tc\r");  // CR alone ends no line
    ASSERT_EQ(1, t.topic.Count);
    EXPECT_EQ("ab\tc", t.Task(0));
  }
  {
    Loaded t("\n\r\nX\n\t+y\n\n");  // empty lines are questions without text
    ASSERT_EQ(4, t.topic.Count);
    EXPECT_EQ("", t.Task(0));
    EXPECT_TRUE(t.Q(0).bExists);
    EXPECT_EQ("", t.Task(1));
    EXPECT_EQ("X", t.Task(2));
    EXPECT_EQ("y", t.Text(2, 0));
    EXPECT_EQ("", t.Task(3));
    EXPECT_TRUE(t.Q(3).bExists);
  }
}

TEST(Loader, EmptyOrMissingFileLeavesTheTopicEmpty) {
  Loaded t("");
  EXPECT_EQ(1, t.topic.Count);
  EXPECT_FALSE(t.Q(0).bExists);
  char missing[] = "Base\\no such file.txt";
  t.topic.LoadQuestions(missing);
  EXPECT_EQ(1, t.topic.Count);
  EXPECT_FALSE(t.Q(0).bExists);
  t.topic.LoadQuestions(nullptr);
  EXPECT_EQ(1, t.topic.Count);
}

TEST(Loader, RecordsFollowFileOrderAndKeepTheQuizCounters) {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  topic.Round = 3;
  topic.Current = 2;
  std::string bytes;
  for (int i = 0; i < 50; ++i) bytes += "q" + std::to_string(i) + "\r\n\t+v\r\n";
  LoadBytes(topic, bytes);
  ASSERT_EQ(50, topic.Count);
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < 50; ++i, q = q->Next) {
    EXPECT_EQ(i, q->Id);
    EXPECT_EQ("q" + std::to_string(i), std::string(q->Task));
    EXPECT_TRUE(q->bExists);
    EXPECT_EQ(0, q->ShowCount);
  }
  EXPECT_EQ(&topic.Head, q);  // the last record links back to the head
  EXPECT_EQ(3, topic.Round);
  EXPECT_EQ(2, topic.Current);
  ASSERT_NE(nullptr, topic.Index);
  EXPECT_EQ(50, topic.IndexSize);
  EXPECT_EQ(49, topic.GetIDComponent(49));
}

TEST(Loader, ReloadStartsFromFreshRecords) {
  Loaded t("A\n\t+x\nB\n\t-y\n");
  t.Q(0).bSolved = true;
  t.Q(1).ShowCount = 2;
  LoadBytes(t.topic, "C\n\tx\nD\n\ty\n");
  ASSERT_EQ(2, t.topic.Count);
  EXPECT_FALSE(t.Q(0).bSolved);
  EXPECT_FALSE(t.Q(0).Vrnt[0].bCorrect);
  EXPECT_EQ(0, t.Q(1).ShowCount);
  EXPECT_EQ("C", t.Task(0));

  // Loading straight over a loaded topic empties it first instead of mixing the files.
  WriteBytes("Base\\other.txt", "E\n");
  char other[] = "Base\\other.txt";
  t.topic.LoadQuestions(other);
  ASSERT_EQ(1, t.topic.Count);
  EXPECT_EQ("E", t.Task(0));
  EXPECT_EQ(0, t.Variants(0));
}

TEST(Loader, OverlongTextsAreCutAtTheirField) {
  std::string task(3000, 'T');
  std::string text(1500, 'v');
  Loaded t(task + "\n\t+" + text + "\r\n\t-" + std::string(1023, 'w') + "\nNext\n\tz\n");
  ASSERT_EQ(2, t.topic.Count);
  EXPECT_EQ(std::string(2047, 'T'), t.Task(0));
  EXPECT_EQ(std::string(1023, 'v'), t.Text(0, 0));
  EXPECT_TRUE(t.Q(0).Vrnt[0].bCorrect);
  EXPECT_EQ(std::string(1023, 'w'), t.Text(0, 1));
  EXPECT_EQ("Next", t.Task(1));
  EXPECT_EQ("z", t.Text(1, 0));
}

TEST(Loader, VariantLinesWithoutAPlaceArePassedOver) {
  std::string bytes = "\t+before any task\n\tx\nFirst\n";
  for (int v = 0; v < 12; ++v) bytes += "\t-v" + std::to_string(v) + "\n";
  bytes += "\t+thirteenth\n\t+fourteenth\nSecond\n\tok\n";
  Loaded t(bytes);
  ASSERT_EQ(2, t.topic.Count);
  EXPECT_EQ("First", t.Task(0));
  EXPECT_EQ(12, t.Variants(0));
  for (int v = 0; v < 12; ++v) {
    EXPECT_EQ("v" + std::to_string(v), t.Text(0, v));
    EXPECT_FALSE(t.Q(0).Vrnt[v].bCorrect);
  }
  EXPECT_EQ("Second", t.Task(1));
  EXPECT_EQ("ok", t.Text(1, 0));
  EXPECT_EQ(1, t.Variants(1));
  // Lines passed over give no answer button a number.
  EXPECT_EQ(12, t.topic.GetIDComponent(1));
  EXPECT_EQ(13, t.topic.GetIDComponent(2));
}

struct FailingAllocator {
  static inline int left = 0;
  static void* Allocate(std::size_t size) { return left-- > 0 ? std::malloc(size) : nullptr; }
  static void Release(void* p) { std::free(p); }
};

TEST(Loader, FailedAllocationKeepsWhatWasLoaded) {
  ScratchDir dir;
  TopicClass topic;
  auto* savedAllocate = bank::AllocateRecord;
  auto* savedRelease = bank::ReleaseRecord;
  bank::AllocateRecord = FailingAllocator::Allocate;
  bank::ReleaseRecord = FailingAllocator::Release;
  FailingAllocator::left = 2;
  LoadBytes(topic, "A\n\ta\nB\n\tb\nC\n\t+c\n\tc2\nD\n\td\nE\n");
  EXPECT_EQ(3, topic.Count);
  EXPECT_EQ(std::string("C"), topic.Get(2)->Task);
  EXPECT_EQ(std::string("c2"), topic.Get(2)->Vrnt[1].Text);
  EXPECT_TRUE(topic.Get(2)->Vrnt[0].bCorrect);
  EXPECT_EQ(&topic.Head, topic.Get(2)->Next);
  EXPECT_EQ(-1, topic.GetNextQuestion(3));
  EXPECT_EQ(4, topic.GetIDComponent(3));
  topic.UnloadQuestions();
  bank::AllocateRecord = savedAllocate;
  bank::ReleaseRecord = savedRelease;
}

// A file far larger than one read, with breaks and signs on every side of the blocks.
TEST(Loader, LargeFileMatchesWhatWasWritten) {
  struct Question {
    std::string task;
    std::vector<std::string> texts;
    std::vector<bool> correct;
  };
  std::mt19937 random(7);
  auto text = [&](std::size_t length) {
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s += static_cast<char>('a' + random() % 26);
    return s;
  };
  std::vector<Question> questions;
  std::string bytes;
  // The first line's CR closes the first block and its LF opens the second.
  questions.push_back({std::string(2047, 'a'), {}, {}});
  bytes = std::string(65535, 'a') + "\r\n";
  for (int i = 0; i < 3000; ++i) {
    Question q{text(random() % 300), {}, {}};
    std::string eol = random() % 2 ? "\r\n" : "\n";
    bytes += q.task + eol;
    int variants = static_cast<int>(random() % 13);
    for (int v = 0; v < variants; ++v) {
      q.texts.push_back(text(random() % 80));
      q.correct.push_back(random() % 2 == 0);
      bytes += std::string("\t") + (q.correct.back() ? "+" : "-") + q.texts.back() + eol;
    }
    questions.push_back(q);
  }
  ASSERT_GT(bytes.size(), 8u * 65536u);
  Loaded t(bytes);
  ASSERT_EQ(static_cast<int>(questions.size()), t.topic.Count);
  ASSERT_NE(nullptr, t.topic.Index);
  for (bool indexed : {true, false}) {
    if (!indexed) t.topic.DropIndex();
    int before = 0;
    for (std::size_t i = 0; i <= questions.size(); ++i) {
      // Each walk is linear; a sample keeps the unindexed pass short.
      if (indexed || i % 101 == 0 || i == questions.size()) {
        ASSERT_EQ(before, t.topic.GetIDComponent(static_cast<int>(i))) << i << " " << indexed;
      }
      if (i < questions.size()) before += static_cast<int>(questions[i].texts.size());
    }
  }
  t.topic.BuildIndex();
  for (std::size_t i = 0; i < questions.size(); ++i) {
    const Question& want = questions[i];
    QuestionClass& got = t.Q(static_cast<int>(i));
    ASSERT_EQ(want.task, got.Task) << i;
    for (std::size_t v = 0; v < 12; ++v) {
      ASSERT_EQ(v < want.texts.size(), got.Vrnt[v].bExists) << i << " " << v;
      if (v >= want.texts.size()) continue;
      ASSERT_EQ(want.texts[v], got.Vrnt[v].Text) << i << " " << v;
      ASSERT_EQ(want.correct[v], got.Vrnt[v].bCorrect) << i << " " << v;
    }
  }
}

}  // namespace
