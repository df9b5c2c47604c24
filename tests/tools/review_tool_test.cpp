// exameo-review run in-process on logs written into a scratch folder; the schedule's figures
// were worked out by hand from the FSRS-6 formulas.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/scratch.h"
#include "../support/tool_run.h"
#include "review_run.h"

namespace {

using testsupport::ToolResult;

ToolResult RunReview(std::vector<std::string> args) {
  return testsupport::RunToolMain(reviewtool::Run, "exameo-review", std::move(args));
}

void PutFile(const std::string& path, const std::string& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

constexpr char kHead[] = "\xEF\xBB\xBFВремя;Файл;Ключ;Оценка;Режим\r\n";

// Key a0..: wrong at its first review on 1 December, so S 0.212, D 6.4133, due a day later;
// 8 whole days later its retrievability is 0.570699613876362.
// Key ff: right on 1 December (S 2.3065, D 2.11810397), wrong 4 whole days later, in another
// file: S 0.661416525650319, D 7.39450274127972, interval 1 day (2 at 0.8); at 9 December
// 10:15, 4 whole days after, R 0.741943491382489.
const std::string kLog = std::string(kHead) +
                         "2026-12-05T09:30:00Z;Base\\d1\\3.txt;00000000000000ff;1;экзамен\r\n"
                         "2026-12-01T08:00:00Z;Base\\d1\\2.txt;a000000000000000;1;тренировка\r\n"
                         "2026-12-01T08:00:00Z;Base\\d1\\2.txt;00000000000000ff;3;тренировка\r\n"
                         "2026-12-01T08:00;Base\\d1\\2.txt;00000000000000ff;3;тренировка\r\n";

TEST(ReviewTool, TwoKeysFromAHandCheckedLog) {
  testsupport::ScratchDir dir;
  PutFile("reviews.csv", kLog);
  ToolResult r = RunReview({"--now", "2026-12-09T10:15:00Z", "reviews.csv"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "{\"now\": \"2026-12-09T10:15:00Z\", \"retention\": 0.9, \"parameters\": "
            "\"default\", \"questions\": [\n"
            "  {\"key\": \"00000000000000ff\", \"file\": \"Base\\\\d1\\\\3.txt\", \"reviews\": 2, "
            "\"lapses\": 1, \"stability\": 0.661416525650319, \"difficulty\": 7.39450274127972, "
            "\"last\": \"2026-12-05T09:30:00Z\", \"due\": \"2026-12-06T09:30:00Z\", "
            "\"retrievability\": 0.741943491382489},\n"
            "  {\"key\": \"a000000000000000\", \"file\": \"Base\\\\d1\\\\2.txt\", \"reviews\": 1, "
            "\"lapses\": 1, \"stability\": 0.212, \"difficulty\": 6.4133, "
            "\"last\": \"2026-12-01T08:00:00Z\", \"due\": \"2026-12-02T08:00:00Z\", "
            "\"retrievability\": 0.570699613876362}\n"
            "], \"skipped\": 1}\n");
}

TEST(ReviewTool, RetentionFromTheCommandLineOrTheFolder) {
  testsupport::ScratchDir dir;
  PutFile("data/reviews.csv", kLog);
  // At 0.8 the first key's interval is 0.661416525650319 * 3.3159598 = 2.19 days: 2.
  ToolResult r = RunReview({"--retention", "0.8", "--now", "2026-12-09T10:15:00Z", "data"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"retention\": 0.8,"), std::string::npos);
  EXPECT_NE(r.out.find("\"due\": \"2026-12-07T09:30:00Z\""), std::string::npos) << r.out;

  PutFile("data/exameo.ini", "[options]\r\nresume=1\r\n[review]\r\nretention=0.8\r\n");
  r = RunReview({"--now", "2026-12-09T10:15:00Z", "data"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"retention\": 0.8,"), std::string::npos);
  EXPECT_NE(r.out.find("\"due\": \"2026-12-07T09:30:00Z\""), std::string::npos) << r.out;
  // The command line wins over the folder's file.
  r = RunReview({"--now", "2026-12-09T10:15:00Z", "--retention", "0.9", "data"});
  EXPECT_NE(r.out.find("\"due\": \"2026-12-06T09:30:00Z\""), std::string::npos) << r.out;
  // Without --now the clock is read: the time is well formed.
  r = RunReview({"data/reviews.csv"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.find("{\"now\": \"20"), 0u) << r.out;
}

TEST(ReviewTool, AnEmptyOrForeignLogListsNothing) {
  testsupport::ScratchDir dir;
  PutFile("reviews.csv", kHead);
  ToolResult r = RunReview({"--now", "2026-12-09T10:15:00Z", "reviews.csv"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "{\"now\": \"2026-12-09T10:15:00Z\", \"retention\": 0.9, \"parameters\": "
            "\"default\", \"questions\": [], \"skipped\": 0}\n");
  PutFile("reviews.csv", "a;b\nc\r\n\x01\x02");
  r = RunReview({"--now", "2026-12-09T10:15:00Z", "reviews.csv"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"questions\": [], \"skipped\": 3}"), std::string::npos) << r.out;
}

TEST(ReviewTool, WrongCommandLinesAndUnreadableLogsExitTwo) {
  testsupport::ScratchDir dir;
  PutFile("reviews.csv", kLog);
  std::filesystem::create_directory("empty");
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--now"},
      {"--now", "2026-12-09", "reviews.csv"},
      {"--now", "2026-02-30T10:00:00Z", "reviews.csv"},
      {"--retention", "0.5", "reviews.csv"},
      {"--retention", "1", "reviews.csv"},
      {"--retention", "0.9x", "reviews.csv"},
      {"--retention", "-0.9", "reviews.csv"},
      {"--retention"},
      {"--fast", "reviews.csv"},
      {"reviews.csv", "reviews.csv"},
      {"missing.csv"},
      {"empty"},  // a folder without a log
  };
  for (const std::vector<std::string>& args : bad) {
    ToolResult r = RunReview(args);
    std::string shown;
    for (const std::string& a : args) shown += a + " ";
    EXPECT_EQ(r.code, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_EQ(r.err.rfind("exameo-review: ", 0), 0u) << shown << r.err;
  }
  EXPECT_NE(RunReview({"missing.csv"}).err.find("cannot read the review log missing.csv"),
            std::string::npos);
  ToolResult help = RunReview({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Usage: exameo-review", 0), 0u);
}

}  // namespace
