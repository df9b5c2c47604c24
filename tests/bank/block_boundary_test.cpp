// The loader reads question files in blocks of 64 KiB. Every byte that changes the parser's
// state is put as the last byte of the first block (offset 65535) and as the first byte of the
// second (offset 65536), behind padding questions of known shape; the records must be those the
// file was built from, byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "bank/question.h"
#include "bank_test_support.h"

namespace {

using banktest::LoadBytes;
using banktest::ScratchDir;
using banktest::UnloadOnExit;

constexpr std::size_t kBlock = 64 * 1024;

struct Want {
  std::string task;
  std::vector<std::pair<std::string, bool>> variants;  // text, correct
};

struct Case {
  const char* name;
  std::string probe;  // starts at a line start
  std::size_t at;     // index in the probe of the byte that lands on the offset
  std::vector<Want> records;
};

// Exactly n bytes of task lines without variants ("x...x" CR LF), none over 1002 bytes; the
// lengths of their tasks go to `tasks`.
std::string Padding(std::size_t n, std::vector<std::size_t>& tasks) {
  std::vector<std::size_t> lines(n / 1000, 1000);
  std::size_t rest = n % 1000;
  if (rest >= 3) {
    lines.push_back(rest);
  } else if (rest > 0) {  // no line shorter than "x" CR LF
    lines.back() -= 3 - rest;
    lines.push_back(3);
  }
  std::string bytes;
  for (std::size_t line : lines) {
    bytes += std::string(line - 2, 'x') + "\r\n";
    tasks.push_back(line - 2);
  }
  return bytes;
}

std::vector<Case> Cases() {
  const std::string t2047(2047, 'T');
  const std::string v1023(1023, 'v');
  std::string thirteen = "Q\r\n";
  std::vector<std::pair<std::string, bool>> twelve;
  for (int k = 0; k < 12; ++k) {
    thirteen += "\t-w" + std::to_string(k) + "\r\n";
    twelve.push_back({"w" + std::to_string(k), false});
  }
  std::size_t thirteenthTab = thirteen.size();
  thirteen += "\t+x\r\n";
  return {
      {"a task line's first byte", "Qtask\r\n\t+a\r\n", 0, {{"Qtask", {{"a", true}}}}},
      {"a variant line's TAB", "Q\r\n\t+a\r\n", 3, {{"Q", {{"a", true}}}}},
      {"a plus sign before the text", "Q\r\n\t+b\r\n", 4, {{"Q", {{"b", true}}}}},
      {"a minus sign before the text", "Q\r\n\t-b\r\n", 4, {{"Q", {{"b", false}}}}},
      {"the last of two signs", "Q\r\n\t+-b\r\n", 5, {{"Q", {{"b", false}}}}},
      {"a sign inside the text", "Q\r\n\tb+c\r\n", 5, {{"Q", {{"b+c", false}}}}},
      {"a second TAB before the sign", "Q\r\n\t\t+b\r\n", 4, {{"Q", {{"b", true}}}}},
      {"a TAB inside a task", "Q\tR\r\n", 1, {{"Q\tR", {}}}},
      {"a sign starting a task", "+Q\r\n\t-b\r\n", 0, {{"+Q", {{"b", false}}}}},
      {"the CR of a CR LF", "Q\r\n\tv\r\nR\r\n", 5, {{"Q", {{"v", false}}}, {"R", {}}}},
      {"the LF of a CR LF", "Q\r\n\tv\r\nR\r\n", 6, {{"Q", {{"v", false}}}, {"R", {}}}},
      {"a bare LF", "Q\n\tv\nR\n", 4, {{"Q", {{"v", false}}}, {"R", {}}}},
      {"a CR on its own", "Q\rR\r\n\t+\r\n", 1, {{"QR", {{"", true}}}}},
      {"an empty line", "Q\r\n\r\nR\r\n", 3, {{"Q", {}}, {"", {}}, {"R", {}}}},
      {"the 2047th byte of a task", t2047 + "\r\n", 2046, {{t2047, {}}}},
      {"the first byte past a task's field",
       t2047 + "UV\r\n\t+a\r\n",
       2047,
       {{t2047, {{"a", true}}}}},
      {"the first byte past a variant's field",
       "Q\r\n\t+" + v1023 + "w\r\nR\r\n",
       1028,
       {{"Q", {{v1023, true}}}, {"R", {}}}},
      {"the TAB of a thirteenth variant line", thirteen, thirteenthTab, {{"Q", twelve}}},
  };
}

TEST(BlockBoundary, EveryParserStateCrossesBetweenTwoBlocks) {
  ScratchDir dir;
  const std::string tail = "Z\r\n\t+z\r\n";
  for (const Case& c : Cases()) {
    for (std::size_t offset : {kBlock - 1, kBlock}) {
      SCOPED_TRACE(std::string(c.name) + " at offset " + std::to_string(offset));
      ASSERT_LE(c.at, offset);
      std::vector<std::size_t> padding;
      std::string bytes = Padding(offset - c.at, padding) + c.probe + tail;
      ASSERT_EQ(bytes[offset], c.probe[c.at]);
      ASSERT_GT(bytes.size(), kBlock);

      TopicClass topic;
      UnloadOnExit cleanup{topic};
      LoadBytes(topic, bytes);
      std::vector<Want> want;
      for (std::size_t n : padding) want.push_back({std::string(n, 'x'), {}});
      want.insert(want.end(), c.records.begin(), c.records.end());
      want.push_back({"Z", {{"z", true}}});
      ASSERT_EQ(static_cast<int>(want.size()), topic.Count);

      int present = 0;
      for (std::size_t i = 0; i < want.size(); ++i) {
        const QuestionClass& q = *topic.Get(static_cast<int>(i));
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_TRUE(q.bExists);
        EXPECT_EQ(want[i].task, std::string(q.Task));
        EXPECT_EQ(static_cast<int>(i), q.Id);
        EXPECT_EQ(present, topic.GetIDComponent(static_cast<int>(i)));
        for (std::size_t k = 0; k < 12; ++k) {
          bool given = k < want[i].variants.size();
          EXPECT_EQ(given, q.Vrnt[k].bExists) << "variant " << k;
          if (!given) continue;
          EXPECT_EQ(want[i].variants[k].first, std::string(q.Vrnt[k].Text)) << "variant " << k;
          EXPECT_EQ(want[i].variants[k].second, q.Vrnt[k].bCorrect) << "variant " << k;
        }
        present += static_cast<int>(want[i].variants.size());
      }
    }
  }
}

}  // namespace
