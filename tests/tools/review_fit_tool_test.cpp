// exameo-review --forecast and --fit run in-process: the forecast of a small bank worked out by
// hand, the fit's JSON and its saving into exameo.ini, and the parameters read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/review_student.h"
#include "../support/scratch.h"
#include "../support/tool_run.h"
#include "bank/catalogue.h"
#include "common/cp1251.h"
#include "review/counts.h"
#include "review/fit.h"
#include "review/log.h"
#include "review/parameters.h"
#include "review_run.h"

namespace {

using testsupport::ReadAll;
using testsupport::ToolResult;
using testsupport::WriteBytes;

ToolResult Review(std::vector<std::string> args, lang::Lang language = lang::Lang::kEnglish) {
  return testsupport::RunToolMain(reviewtool::Run, "exameo-review", std::move(args), language);
}

std::string Log(const std::vector<review::Entry>& entries) {
  std::string log = review::LogHeader();
  for (const review::Entry& e : entries)
    log += review::LogLine(e.When, "Base\\d1\\1.txt", e.Key, e.Grade, e.Kind);
  return log;
}

DisciplineClass catalogue;

TEST(ReviewForecastTool, ABankWorkedOutByHand) {
  testsupport::ScratchDir dir;
  WriteBytes("bank\\Base\\1.txt", Cp1251("Алгебра\r\n\tT1\"d1\\1.txt\"\r\n\tT2\"d1\\2.txt\"\r\n").c_str());
  // T1: two questions and a card without variants, T2 one question never answered.
  WriteBytes("bank\\Base\\d1\\1.txt", "Q1\r\n\t+a\r\n\t-b\r\nQ2\r\n\t+c\r\nCard\r\n");
  WriteBytes("bank\\Base\\d1\\2.txt", "Q3\r\n\t+d\r\n");
  std::filesystem::current_path("bank");
  std::string pattern = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern.data());
  review::Bank bank = review::ScanBank(catalogue);
  std::filesystem::current_path("..");
  ASSERT_EQ(bank.Topics.size(), 2u);
  // Q1 right 3 days 6 hours before, Q2 wrong an hour before: 0.87477 and 0.97320; an
  // unanswered question 0.5.
  std::int64_t now = 1796774400 + 10 * 3600;
  WriteBytes("reviews.csv",
             Log({{now - 3 * review::kDay - 6 * 3600, bank.Topics[0].Keys[0], 3, {}, ""},
                  {now - 3600, bank.Topics[0].Keys[1], 1, {}, ""}}));
  const std::string expected =
      "{\"now\": \"2026-12-09T10:00:00Z\", \"parameters\": \"default\", \"disciplines\": [\n"
      "  {\"file\": \"Base\\\\1.txt\", \"title\": \"Алгебра\", \"questions\": 3, \"answered\": 2, "
      "\"forecast\": 0.782654819766851, \"topics\": [\n"
      "    {\"title\": \"T1\", \"file\": \"Base\\\\d1\\\\1.txt\", \"questions\": 2, \"answered\": 2, "
      "\"forecast\": 0.923982229650277},\n"
      "    {\"title\": \"T2\", \"file\": \"Base\\\\d1\\\\2.txt\", \"questions\": 1, \"answered\": 0, "
      "\"forecast\": null}\n"
      "  ]}\n"
      "]}\n";
  for (const char* base : {"bank", "bank/Base/"}) {
    ToolResult r = Review({"--forecast", "--base", base, "--now", "2026-12-09T10:00:00Z",
                           "reviews.csv"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected) << base;
  }
}

TEST(ReviewFitTool, FitSaveAndReadBack) {
  testsupport::ScratchDir dir;
  const std::string ini = "[options]\r\nresume=1\r\n[review]\r\nretention=0.85\r\n; mine\r\n";
  // Too little data: said so, exit 2, nothing written.
  testsupport::Studied few = testsupport::Study(testsupport::SlowForgetter(), 20, 10, 20, 3);
  WriteBytes("data\\reviews.csv", Log(few.entries));
  WriteBytes("data\\exameo.ini", ini);
  ToolResult r = Review({"--fit", "--save", "data", "data"}, lang::Lang::kRussian);
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("мало данных"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll("data\\exameo.ini"), ini);

  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 80, 20, 30, 9);
  WriteBytes("data\\reviews.csv", Log(s.entries));
  review::FitData fit = review::PrepareFit(s.entries);
  r = Review({"--fit", "--save", "data", "data"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("{\"reviews\": " + std::to_string(fit.reviews) + ", \"keys\": 80, " +
                            "\"parameters\": [",
                        0),
            0u)
      << r.out;
  EXPECT_NE(r.out.find("\"held_out\": {\"reviews\": " + std::to_string(fit.heldOut) + ", "),
            std::string::npos);
  ASSERT_NE(r.out.find("\"better\": true}\n"), std::string::npos) << r.out;
  // Every other line kept; the parameters, the fast forgetter's, read back.
  std::string saved = ReadAll("data\\exameo.ini");
  EXPECT_EQ(saved.rfind(ini + "parameters=", 0), 0u) << saved;
  review::ParametersRead back = review::ReadParameters(saved);
  EXPECT_TRUE(back.fitted);
  EXPECT_LT(back.params.w[2], review::kDefaultParameters.w[2]);
  r = Review({"data"});
  EXPECT_NE(r.out.find("\"retention\": 0.85, \"parameters\": \"fitted\""), std::string::npos);
  EXPECT_EQ(r.err, "");
}

TEST(ReviewFitTool, ParametersThatCannotBeUsed) {
  testsupport::ScratchDir dir;
  WriteBytes("data\\reviews.csv", review::LogHeader());
  std::string good = review::FormatParameters(review::kDefaultParameters);
  review::ParametersRead exact = review::ReadParameters("[review]\nparameters=" + good);
  for (int i = 0; i < review::kParameters; ++i)
    EXPECT_EQ(exact.params.w[i], review::kDefaultParameters.w[i]) << i;
  struct Case {
    std::string value;
    bool fitted;
  } cases[] = {
      {good, true},
      {good + ", 0.5", false},                   // 22 numbers
      {good.substr(0, good.rfind(',')), false},  // 20
      {"0.212" + good.substr(good.find(',')) + ",", false},
      {"200" + good.substr(good.find(',')), false},    // w0 over 100
      {"nan" + good.substr(good.find(',')), false},
      {"0,212" + good.substr(good.find(',')), false},  // a decimal comma
      {"", false},
  };
  for (const Case& c : cases) {
    WriteBytes("data\\exameo.ini", "[review]\r\nparameters = " + c.value + "\r\n");
    ToolResult r = Review({"data"});
    EXPECT_EQ(r.code, 0) << c.value;
    EXPECT_NE(r.out.find(c.fitted ? "\"fitted\"" : "\"default\""), std::string::npos) << c.value;
    // One warning for a value that was there but could not be used.
    EXPECT_EQ(r.err.empty(), c.fitted) << c.value << r.err;
  }
  // Deleting the key returns to the defaults, without a word.
  WriteBytes("data\\exameo.ini", "[review]\r\nretention=0.9\r\n");
  ToolResult r = Review({"data"});
  EXPECT_NE(r.out.find("\"default\""), std::string::npos);
  EXPECT_EQ(r.err, "");
  // Options of one mode in another.
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--fit", "--forecast", "--base", "b", "data"},
           {"--forecast", "data"},
           {"--base", "b", "data"},
           {"--save", "data", "data"},
           {"--fit", "--now", "2026-12-09T10:00:00Z", "data"},
           {"--forecast", "--base", "nowhere", "data"}}) {
    EXPECT_EQ(Review(args).code, 2) << args[0] << " " << args[1];
  }
}

}  // namespace
