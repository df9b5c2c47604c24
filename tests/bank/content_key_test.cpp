#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bank/content_key.h"
#include "bank/question.h"
#include "bank_test_support.h"

namespace {

using banktest::LoadBytes;
using banktest::ScratchDir;
using banktest::UnloadOnExit;

int Present(const QuestionClass& q) {
  int n = 0;
  while (n < kMaxVariants && q.Vrnt[n].bExists) ++n;
  return n;
}

// Loads `bytes` with keying on and checks every key the loader gave against the key of the
// record as stored.
void ExpectKeysOfRecords(TopicClass& topic, const std::string& bytes) {
  topic.KeyOnLoad = true;
  LoadBytes(topic, bytes);
  ASSERT_NE(topic.Keys, nullptr);
  ASSERT_EQ(topic.IndexSize, topic.Count);
  for (int i = 0; i < topic.Count; ++i) {
    const QuestionClass& q = *topic.Get(i);
    EXPECT_EQ(topic.Keys[i], bank::ContentKey(q, Present(q))) << "question " << i << ": " << q.Task;
  }
}

TEST(ContentKey, LoaderKeysAreTheRecordsKeysForAwkwardFiles) {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  std::string thirteen = "Thirteen\n";
  for (int k = 0; k < 13; ++k)
    thirteen += "\t" + std::string(k % 2 ? "+" : "-") + "v" + std::to_string(k) + "\n";
  std::string awkward = std::string("\t+a variant before any task\r\n") +
                        "Plain\r\n\t+a\r\n\t-b\r\n" + "CR alone\r\t+x\r\t-y\r\n" +  // one task line
                        "+Task\twith tab -\n\ta\tb+c-\n\t\n\t+\n\t-\t\n" +  // signs and TABs
                        "\r\n" +                                            // an empty question
                        thirteen +                                          // one too many
                        std::string(3000, 't') + "\n\t+" + std::string(1500, 'v') + "\n" +
                        std::string("Zero\0inside", 11) + std::string("\n\t-a\0b\n", 7) +
                        "Last, no line end\n\t+end";
  ExpectKeysOfRecords(topic, awkward);
  EXPECT_EQ(topic.Count, 8);  // the variant before any task is passed over
  EXPECT_EQ(Present(*topic.Get(4)), 12);
  EXPECT_EQ(topic.Keys[3], 0u);  // an empty task without variants: every step hashes zeros

  // An empty file keys its empty head.
  ExpectKeysOfRecords(topic, "");
  EXPECT_EQ(topic.Count, 1);
}

TEST(ContentKey, LinesAcrossTheReadersBlocksKeyAsWhenReadWhole) {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  const std::string task = "A task across the first block's end\r\n";
  const std::string variants = "\t-wrong\r\n\t+right across the second block's end\r\n";
  // 65,531 bytes before the task: it starts 5 bytes before 64 KiB.
  std::string bytes = std::string(65530, 'f') + "\n" + task + variants;
  // The next question's second variant has its TAB as the last byte of the second block and
  // its sign as the first of the third.
  std::string next = "Next\r\n\t-one\r\n";
  std::size_t pad = 131071 - bytes.size() - next.size() - 1;
  bytes += std::string(pad, 'g') + "\n" + next + "\t+two split at its sign\r\n";
  ASSERT_EQ(bytes[131071], '\t');
  ASSERT_EQ(bytes[131072], '+');
  ExpectKeysOfRecords(topic, bytes);
  ASSERT_EQ(topic.Count, 4);
  std::uint64_t across = topic.Keys[1], split = topic.Keys[3];

  // The same questions alone, in files far shorter than a block.
  ExpectKeysOfRecords(topic, task + variants);
  EXPECT_EQ(topic.Keys[0], across);
  ExpectKeysOfRecords(topic, next + "\t+two split at its sign\r\n");
  EXPECT_EQ(topic.Keys[0], split);
}

TEST(ContentKey, KeysKeepTheirValuesAndFollowOnlyTheContents) {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  // The variants count as a set: order and line ends do not matter, a mark, a text or the task
  // does. (No progress file has been written yet, so the values themselves are not pinned.)
  ExpectKeysOfRecords(topic, "2+2?\r\n\t+4\r\n\t-5\r\n\t-22\r\n");
  const std::uint64_t key = topic.Keys[0];
  ExpectKeysOfRecords(topic, "2+2?\n\t-22\n\t+4\n\t-5\n");
  EXPECT_EQ(topic.Keys[0], key);
  ExpectKeysOfRecords(topic, "2+2?\n\t-5\n\t-22\n\t+4\n");
  EXPECT_EQ(topic.Keys[0], key);
  for (const char* other :
       {"2+2?\n\t-4\n\t+5\n\t-22\n", "2+2?\n\t+4\n\t-5\n\t-23\n", "2+3?\n\t+4\n\t-5\n\t-22\n",
        "2+2?\n\t+4\n\t-5\n", "2+2?\n\t+4\n\t-5\n\t-22\n\t-22\n", "2+2?\n\t+4\n\t-522\n",
        "2+2?\n\t+4\n\t-5\n\t-22\n\t-\n"}) {
    ExpectKeysOfRecords(topic, other);
    EXPECT_NE(topic.Keys[0], key) << other;
  }
  ExpectKeysOfRecords(topic, Cp1251("Столица России?\n\t+Москва\n\t-Paris\n").c_str());
  const std::uint64_t cyrillic = topic.Keys[0];
  ExpectKeysOfRecords(topic, Cp1251("Столица России?\n\t-Paris\n\t+Москва\n").c_str());
  EXPECT_EQ(topic.Keys[0], cyrillic);
  EXPECT_NE(cyrillic, key);
}

TEST(ContentKey, KeysOnlyWhenAskedAndOnlyWhileTheIndexHolds) {
  ScratchDir dir;
  TopicClass topic;
  UnloadOnExit cleanup{topic};
  LoadBytes(topic, "Q\n\t+a\nR\n\t-b\n");
  EXPECT_EQ(topic.Keys, nullptr);  // off by default: the loader does no more than before
  ExpectKeysOfRecords(topic, "Q\n\t+a\nR\n\t-b\n");
  ASSERT_NE(topic.myNew(topic.Get(1)), nullptr);  // the chain changed: the keys go
  EXPECT_EQ(topic.Keys, nullptr);
  ExpectKeysOfRecords(topic, "Q\n\t+a\nR\n\t-b\n");
  topic.UnloadQuestions();
  EXPECT_EQ(topic.Keys, nullptr);
}

}  // namespace
