// The review log's lines, its tolerant reader and the replay of its lines into cards.
#include <gtest/gtest.h>

#include <string>

#include "common/cp1251.h"
#include "review/log.h"
#include "review/settings.h"

namespace {

using review::Mode;

constexpr char kHead[] = "\xEF\xBB\xBFВремя;Файл;Ключ;Оценка;Режим\r\n";

review::LogRead Parse(const std::string& bytes) {
  return review::ParseLog(bytes.data(), bytes.size());
}

TEST(ReviewLog, TimesInUtc) {
  std::int64_t t = 0;
  EXPECT_EQ(review::FormatUtc(1796811300), "2026-12-09T10:15:00Z");
  EXPECT_TRUE(review::ParseUtc("2026-12-09T10:15:00Z", &t));
  EXPECT_EQ(t, 1796811300);
  EXPECT_TRUE(review::ParseUtc("2024-02-29T23:59:59Z", &t));
  EXPECT_EQ(t, 1709251199);
  EXPECT_EQ(review::FormatUtc(1709251199), "2024-02-29T23:59:59Z");
  EXPECT_EQ(review::FormatUtc(-1), "1969-12-31T23:59:59Z");
  EXPECT_TRUE(review::ParseUtc("1969-12-31T23:59:59Z", &t));
  EXPECT_EQ(t, -1);
  EXPECT_EQ(review::FormatUtc(253402300799), "9999-12-31T23:59:59Z");
  EXPECT_EQ(review::FormatUtc(253402300800 + 86400 * 400LL), "9999-12-31T23:59:59Z");
  EXPECT_EQ(review::FormatUtc(-62167219200), "0000-01-01T00:00:00Z");
  EXPECT_EQ(review::FormatUtc(-62167219200 - 1), "0000-01-01T00:00:00Z");
  for (const char* bad : {"2023-02-29T10:00:00Z", "2100-02-29T10:00:00Z", "2026-04-31T10:00:00Z",
                          "2026-13-01T10:00:00Z", "2026-00-10T10:00:00Z", "2026-12-00T10:00:00Z",
                          "2026-12-09T24:00:00Z", "2026-12-09T10:60:00Z", "2026-12-09T10:15:60Z",
                          "2026-12-09 10:15:00Z", "2026-12-09T10:15:00", "2026-12-09T10:15:00Z ",
                          "2026-12-9T10:15:00Z", "+026-12-09T10:15:00Z", ""})
    EXPECT_FALSE(review::ParseUtc(bad, &t)) << bad;
  EXPECT_TRUE(review::ParseUtc("2000-02-29T00:00:00Z", &t));
}

TEST(ReviewLog, LinesAreUtf8WithCrLf) {
  EXPECT_EQ(review::LogHeader(), kHead);
  EXPECT_EQ(review::LogLine(1796811300, "Base\\d1\\2.txt", 0x00ab00cd00ef0012ull, 3, Mode::kTopic),
            "2026-12-09T10:15:00Z;Base\\d1\\2.txt;00ab00cd00ef0012;3;тренировка\r\n");
  EXPECT_EQ(review::LogLine(0, "Base\\x.txt", ~0ull, 1, Mode::kExam),
            "1970-01-01T00:00:00Z;Base\\x.txt;ffffffffffffffff;1;экзамен\r\n");
  EXPECT_EQ(review::LogLine(0, "b", 1, 1, Mode::kReview),
            "1970-01-01T00:00:00Z;b;0000000000000001;1;повторение\r\n");
  // A Windows-1251 name in UTF-8; one with ';' or '"' quoted.
  EXPECT_EQ(review::LogLine(0, Cp1251("Base\\Тест;\"1\".txt"), 2, 3, Mode::kMistakes),
            "1970-01-01T00:00:00Z;\"Base\\Тест;\"\"1\"\".txt\";0000000000000002;3;ошибки\r\n");
}

TEST(ReviewLog, WrittenLinesReadBack) {
  std::string text = review::LogHeader();
  text += review::LogLine(100, Cp1251("Base\\Тест;\"1\".txt"), 0x1234, 3, Mode::kMistakes);
  text += review::LogLine(200, "Base\\d1\\2.txt", 0xfedcba9876543210ull, 1, Mode::kReview);
  review::LogRead read = Parse(text);
  EXPECT_EQ(read.skipped, 0);
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries[0].When, 100);
  EXPECT_EQ(read.entries[0].File, "Base\\Тест;\"1\".txt");
  EXPECT_EQ(read.entries[0].Key, 0x1234u);
  EXPECT_EQ(read.entries[0].Grade, 3);
  EXPECT_EQ(read.entries[0].Kind, Mode::kMistakes);
  EXPECT_EQ(read.entries[1].Key, 0xfedcba9876543210ull);
  EXPECT_EQ(read.entries[1].Grade, 1);
  EXPECT_EQ(read.entries[1].Kind, Mode::kReview);
}

TEST(ReviewLog, EachDamagedLineCostsOnlyItself) {
  const std::string good = "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;3;тренировка";
  std::string text = kHead;
  text += good + "\r\n";
  // Each of these is counted as skipped.
  const char* damaged[] = {
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000A1;3;тренировка",     // upper case hex
      "2026-12-09T10:15:00Z;Base\\1.txt;0000000000000a1;3;тренировка",      // 15 digits
      "2026-12-09T10:15:00Z;Base\\1.txt;000000000000000a1;3;тренировка",    // 17 digits
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;2;тренировка",     // grade 2
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;3 ;тренировка",    // grade with a space
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;3;Тренировка",     // another word
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;3;тренировка;x",   // a sixth field
      "2026-12-09T10:15:00Z;Base\\1.txt;00000000000000a1;3",                // four fields
      "2026-12-31T25:00:00Z;Base\\1.txt;00000000000000a1;3;тренировка",     // no such hour
      "2026-12-09T10:15:00Z;;00000000000000a1;3;тренировка",                // no file
      "2026-12-09T10:15:00Z;\"Base\\1.txt;00000000000000a1;3;тренировка",   // quote left open
      "2026-12-09T10:15:00Z;Base\\\xFF.txt;00000000000000a1;3;тренировка",  // not UTF-8
      "2026-12-09T10:15:00Z;Base\\\x01.txt;00000000000000a1;3;тренировка",  // a control character
      "Дата;Дисциплина;Тема;Вопросов в теме",                               // a foreign file
      "\xEF\xBB\xBFВремя;Файл;Ключ;Оценка;Режим",  // a header with a mark inside the file
      "2026-12-09T10:1",                           // torn
  };
  for (const char* line : damaged) text += std::string(line) + "\r\n";
  text += good + "\n";                      // LF
  text += "\r\n\n";                         // empty lines: nothing
  text += good + "\r";                      // CR
  text += std::string(kHead).substr(3);     // a header again, as after two files joined
  text += good.substr(0, good.size() - 4);  // torn inside the mode, no line end
  review::LogRead read = Parse(text);
  EXPECT_EQ(read.skipped, static_cast<int>(std::size(damaged)) + 1);
  ASSERT_EQ(read.entries.size(), 3u);
  for (const review::Entry& e : read.entries) {
    EXPECT_EQ(e.Key, 0xa1u);
    EXPECT_EQ(e.When, 1796811300);
  }

  // Fields quoted by a spreadsheet read as the same line.
  read = Parse(
      "\"2026-12-09T10:15:00Z\";\"Base\\1.txt\";\"00000000000000a1\";\"3\";"
      "\"тренировка\"\r\n\"\";x;00000000000000a1;3;тренировка\r\n");
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].File, "Base\\1.txt");
  EXPECT_EQ(read.entries[0].Key, 0xa1u);
  EXPECT_EQ(read.skipped, 1);  // an empty quoted time

  // A whole last line without its line end is read; without the mark and header too.
  read = Parse(good);
  EXPECT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.skipped, 0);
  read = Parse("");
  EXPECT_EQ(read.entries.size(), 0u);
  EXPECT_EQ(read.skipped, 0);
  // A NUL in the name: the line is damaged, not cut short.
  std::string nul = "2026-12-09T10:15:00Z;Base\\x.txt;00000000000000a1;3;тренировка";
  nul[27] = '\0';
  read = Parse(nul);
  EXPECT_EQ(read.entries.size(), 0u);
  EXPECT_EQ(read.skipped, 1);
  read = Parse(std::string("\x00\x01\x02;;;;", 7));
  EXPECT_EQ(read.entries.size(), 0u);
  EXPECT_EQ(read.skipped, 1);
}

TEST(ReviewLog, ReplayByKeyInTimeOrderWithEqualTimesInFileOrder) {
  std::string text = kHead;
  const std::int64_t day = review::kDay;
  std::int64_t t0 = 1796803200;  // 2026-12-09T00:00:00Z
  // Key 2 appears first but sorts after key 1; its lines are out of time order in the file.
  text += review::LogLine(t0 + 4 * day, "Base\\b.txt", 2, 1, Mode::kTopic);
  text += review::LogLine(t0, "Base\\a.txt", 2, 3, Mode::kTopic);
  // Key 1: two lines at the same time, a wrong one then a right one: same-day review of a first
  // wrong answer, which a right one raises (and not the other way round).
  text += review::LogLine(t0, "Base\\a.txt", 1, 1, Mode::kTopic);
  text += review::LogLine(t0, "Base\\c.txt", 1, 3, Mode::kExam);
  review::LogRead read = Parse(text);
  ASSERT_EQ(read.entries.size(), 4u);
  std::vector<review::KeyState> states = review::Replay(read.entries);
  ASSERT_EQ(states.size(), 2u);

  EXPECT_EQ(states[0].Key, 1u);
  EXPECT_EQ(states[0].File, "Base\\c.txt");  // its latest line, the later one in the file
  EXPECT_EQ(states[0].State.Reviews, 2);
  EXPECT_EQ(states[0].State.Lapses, 1);
  EXPECT_NEAR(states[0].State.Stability, 0.24668918777567272, 1e-9);
  EXPECT_NEAR(states[0].State.Difficulty, 6.402115069296838, 1e-9);
  EXPECT_EQ(states[0].State.LastGrade, 3);

  // Key 2: right at t0, wrong four days later (its last line by time, though first in the
  // file): S 0.66141652565, D 7.39450274128.
  EXPECT_EQ(states[1].Key, 2u);
  EXPECT_EQ(states[1].File, "Base\\b.txt");
  EXPECT_EQ(states[1].State.Reviews, 2);
  EXPECT_EQ(states[1].State.Lapses, 1);
  EXPECT_NEAR(states[1].State.Stability, 0.6614165256503188, 1e-9);
  EXPECT_NEAR(states[1].State.Difficulty, 7.394502741279718, 1e-9);
  EXPECT_EQ(states[1].State.Last, t0 + 4 * day);
  EXPECT_EQ(states[1].State.LastGrade, 1);
}

TEST(ReviewSettings, TheSectionReviewOfExameoIni) {
  auto parse = [](const std::string& text) {
    return review::ParseSettings(text.data(), text.size());
  };
  EXPECT_EQ(parse(""), review::Settings{});
  EXPECT_EQ(parse("[options]\r\nresume=1\r\n"), (review::Settings{0.9, 50}));
  review::Settings s = parse(
      "\xEF\xBB\xBF[options]\r\nretention=0.75\r\n[review]\r\n retention = 0.85 \r\n"
      "review_limit=30\r\n");
  EXPECT_EQ(s.retention, 0.85);  // the line in [options] is not the section's
  EXPECT_EQ(s.reviewLimit, 30);
  // The range ends are kept; anything outside, or not a plain number, changes nothing.
  EXPECT_EQ(parse("[review]\nretention=0.70\nreview_limit=1\n"), (review::Settings{0.70, 1}));
  EXPECT_EQ(parse("[review]\nretention=0.99\nreview_limit=10000\n"),
            (review::Settings{0.99, 10000}));
  for (const char* bad :
       {"retention=0.69", "retention=1", "retention=0,9", "retention=-0.8", "retention=0.8x",
        "retention=", "retention=nan", "review_limit=0", "review_limit=10001", "review_limit=2.5",
        "review_limit=-3", "review_limit=99999999999999999999"})
    EXPECT_EQ(parse(std::string("[review]\r\n") + bad + "\r\n"), review::Settings{}) << bad;
  // A later section ends it.
  EXPECT_EQ(parse("[review]\nretention=0.8\n[other]\nretention=0.95\n").retention, 0.8);
}

}  // namespace
