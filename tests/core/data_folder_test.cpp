// The data folder as an object of its own: what a refused write tells, through the handler it
// was given, and when; no window system is involved.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "records/data_folder.h"
#include "support/held_file.h"
#include "support/scratch.h"

namespace {

struct Heard {
  std::vector<std::string> warnings;
  std::vector<std::string> captions;
  std::vector<std::string> questions;
  int yesLeft = 0;
};

void Warn(void* context, const char* text, const char* caption) {
  static_cast<Heard*>(context)->warnings.push_back(text);
  static_cast<Heard*>(context)->captions.push_back(caption);
}

bool Ask(void* context, const char* text, const char*) {
  Heard& heard = *static_cast<Heard*>(context);
  heard.questions.push_back(text);
  return heard.yesLeft-- > 0;
}

records::ResultRecord Record(int right) {
  records::ResultRecord r;
  std::snprintf(r.When, sizeof r.When, "2026-12-09 10:%02d", right);
  std::snprintf(r.Topic, sizeof r.Topic, "t%d", right);
  r.Questions = r.Asked = 5;
  r.Right = right;
  return r;
}

TEST(DataFolder, ARefusedWriteIsToldOnceThroughItsHandlerAndKeptUntilTheFileTakesIt) {
  testsupport::ScratchDir scratch;
  std::filesystem::create_directory("data");
  Heard heard;
  records::DataFolder data;
  data.Open("data\\", true, {Warn, Ask, &heard});
  ASSERT_TRUE(data.Writable());
  EXPECT_EQ(data.Path(), "data");  // the trailing separator dropped

  {
    testsupport::HeldFile held("data\\results.csv");
    ASSERT_TRUE(held.Held());
    data.AppendResult(Record(1));
    data.AppendResult(Record(2));
    ASSERT_EQ(heard.warnings.size(), 1u);  // once per episode, not once per write
    EXPECT_NE(heard.warnings[0].find("data\\results.csv"), std::string::npos);
    // What the file refused is what the program holds for it.
    std::vector<records::ResultRecord> kept = data.ReadResults();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Right, 2);  // newest first
    EXPECT_EQ(kept[1].Right, 1);
  }
  data.AppendResult(Record(3));  // the file takes the kept lines first, then the new one
  EXPECT_EQ(heard.warnings.size(), 1u);
  std::vector<records::ResultRecord> all = data.ReadResults();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].Right, 1);
  EXPECT_EQ(all[0].Right, 3);
  EXPECT_TRUE(data.KeptLines("data\\results.csv").empty());

  // A new refusal after a write that went through is a new episode: told again.
  testsupport::HeldFile again("data\\results.csv");
  data.AppendResult(Record(4));
  EXPECT_EQ(heard.warnings.size(), 2u);

  // At the end, the question is asked while the file refuses and the answer is Yes.
  heard.yesLeft = 1;
  data.Close();
  ASSERT_EQ(heard.questions.size(), 2u);
  EXPECT_NE(heard.questions[0].find("data\\results.csv"), std::string::npos);
}

TEST(DataFolder, WithoutAHandlerOrAFolderNothingIsShownAndNothingWritten) {
  testsupport::ScratchDir scratch;
  std::filesystem::create_directory("data");
  records::DataFolder data;
  data.Open("data", true, {});
  testsupport::HeldFile held("data\\results.csv");
  data.AppendResult(Record(1));  // refused, kept, told to nobody
  data.Close();                  // no question can be asked: given up

  records::DataFolder none;
  none.Open("", true, {});
  EXPECT_FALSE(none.Writable());
  none.AppendResult(Record(1));
  none.SaveIni("[options]\r\n");
  EXPECT_TRUE(none.ReadResults().empty());
  EXPECT_EQ(none.IniText(), "");
  EXPECT_FALSE(std::filesystem::exists("results.csv"));
}

}  // namespace

namespace {

// The review log as the counts read it: the newest lines of a long file, then those a refused
// write keeps, and a refusal told under the review's caption, not the options'.
TEST(DataFolder, TheReviewLogReadsItsNewestLinesAndThoseKeptInMemory) {
  testsupport::ScratchDir scratch;
  std::filesystem::create_directory("data");
  Heard heard;
  records::DataFolder data;
  data.Open("data", true, {Warn, Ask, &heard});
  const char* header = "H\r\n";
  for (int i = 0; i < 100; ++i) data.AppendReview("line " + std::to_string(i) + "\r\n", header);
  std::string tail = data.ReviewLogBytes(40);
  EXPECT_EQ(tail.find("line 0\r\n"), std::string::npos);
  EXPECT_NE(tail.find("line 99\r\n"), std::string::npos);
  // From the start of a whole line: no line is cut.
  EXPECT_EQ(tail.substr(tail.find_first_not_of("\r\n"), 5), "line ") << tail;

  testsupport::HeldFile held("data\\reviews.csv");
  data.AppendReview("line kept\r\n", header);
  ASSERT_EQ(heard.warnings.size(), 1u);
  EXPECT_EQ(heard.captions[0], Cp1251("Повторение").c_str());
  std::string all = data.ReviewLogBytes();
  EXPECT_EQ(all.substr(all.size() - 11), "line kept\r\n");
  EXPECT_NE(all.find("line 99\r\nline kept"), std::string::npos);
}

}  // namespace
