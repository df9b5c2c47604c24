// The tools' two languages: the table of texts, the choice of the user's language, the filling
// of patterns and plural forms, and exameo-check and exameo-review speaking Russian.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/lang.h"
#include "common/texts.h"
#include "review_run.h"
#include "tools_test_support.h"

namespace {

using lang::Id;
using lang::Lang;

// Placeholder -> number of forms (0 for a plain "{N}") of a pattern, read independently of the
// renderer.
std::map<int, std::set<int>> Placeholders(const std::string& pattern) {
  std::map<int, std::set<int>> found;
  static const std::regex kPlaceholder(R"(\{([1-9])((\|[^|}]*)*)\})");
  for (auto it = std::sregex_iterator(pattern.begin(), pattern.end(), kPlaceholder);
       it != std::sregex_iterator(); ++it) {
    std::string forms = (*it)[2].str();
    int count = 0;
    for (char c : forms) count += c == '|';
    found[std::stoi((*it)[1].str())].insert(count);
  }
  return found;
}

bool HasCyrillic(const std::string& text) {
  // Cyrillic letters in UTF-8 lead with 0xD0 or 0xD1.
  for (char c : text)
    if (static_cast<unsigned char>(c) == 0xD0 || static_cast<unsigned char>(c) == 0xD1) return true;
  return false;
}

// Latin words outside the placeholders and outside option names, file names and the like.
bool HasEnglishWords(const std::string& pattern) {
  std::string text = std::regex_replace(pattern, std::regex(R"(\{[1-9][^}]*\}|exameo-[a-z]+)"), "");
  return std::regex_search(text, std::regex(R"((^|[^-\w.'<])[a-z]{3,}\b)"));
}

TEST(Texts, EveryRowHasBothTextsWithTheSamePlaceholders) {
  for (int i = 0; i < static_cast<int>(Id::kCount); ++i) {
    const lang::Pattern& row = lang::PatternOf(static_cast<Id>(i));
    SCOPED_TRACE("row " + std::to_string(i));
    ASSERT_EQ(static_cast<int>(row.id), i) << "the table is out of the enumeration's order";
    ASSERT_NE(row.english, nullptr);
    ASSERT_NE(row.russian, nullptr);
    std::string english = row.english, russian = row.russian;
    EXPECT_FALSE(english.empty());
    EXPECT_FALSE(russian.empty());
    auto en = Placeholders(english), ru = Placeholders(russian);
    std::set<int> enNumbers, ruNumbers;
    for (const auto& [n, forms] : en) {
      enNumbers.insert(n);
      for (int count : forms)
        EXPECT_TRUE(count == 0 || count == 2) << english << ": English has one and other forms";
    }
    for (const auto& [n, forms] : ru) {
      ruNumbers.insert(n);
      for (int count : forms)
        EXPECT_TRUE(count == 0 || count == 3) << russian << ": Russian has one, few and many";
    }
    // A number chosen by a plural form alone is still the same argument in both.
    EXPECT_EQ(enNumbers, ruNumbers) << english << "\n" << russian;
    // No argument is skipped: {1} to {N} all appear.
    int expected = 1;
    for (int n : enNumbers) EXPECT_EQ(n, expected++) << english;
    // Translated, not copied: English words mean Russian ones.
    if (HasEnglishWords(english)) {
      EXPECT_TRUE(HasCyrillic(russian)) << russian;
    }
    EXPECT_EQ(russian.find("Usage"), std::string::npos) << russian;
  }
}

TEST(Texts, OutOfRangeIdentifierReadsAsPlain) {
  EXPECT_EQ(lang::PatternOf(static_cast<Id>(60000)).id, Id::kNone);
  EXPECT_EQ(lang::Render(lang::Plain("data {1}"), Lang::kRussian), "data {1}");
}

TEST(Language, FirstSetLocaleVariableDecides) {
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, "ru_RU.UTF-8"), Lang::kRussian);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, "ru"), Lang::kRussian);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, "en_US"), Lang::kEnglish);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, nullptr), Lang::kEnglish);
  // LC_ALL beats LC_MESSAGES beats LANG, both ways round.
  EXPECT_EQ(lang::FromLocaleVariables("en_US.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8"), Lang::kEnglish);
  EXPECT_EQ(lang::FromLocaleVariables("ru_RU.UTF-8", "en_US.UTF-8", "en_US.UTF-8"), Lang::kRussian);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, "ru_RU.KOI8-R", "en_US.UTF-8"), Lang::kRussian);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, "C", "ru_RU.UTF-8"), Lang::kEnglish);
  // Empty ones are not set.
  EXPECT_EQ(lang::FromLocaleVariables("", "", "ru_RU.UTF-8"), Lang::kRussian);
  EXPECT_EQ(lang::FromLocaleVariables("", "ru_UA", "en_GB"), Lang::kRussian);
  // Only the beginning counts: another language with a Russian region is not Russian.
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, "en_RU.UTF-8"), Lang::kEnglish);
  EXPECT_EQ(lang::FromLocaleVariables(nullptr, nullptr, "uk_UA.UTF-8"), Lang::kEnglish);
}

TEST(Language, WindowsLanguageIdByItsPrimaryLanguage) {
  EXPECT_EQ(lang::FromLanguageId(0x0419), Lang::kRussian);  // ru-RU
  EXPECT_EQ(lang::FromLanguageId(0x0819), Lang::kRussian);  // ru-MD
  EXPECT_EQ(lang::FromLanguageId(0x0409), Lang::kEnglish);  // en-US
  EXPECT_EQ(lang::FromLanguageId(0x0422), Lang::kEnglish);  // uk-UA
  EXPECT_EQ(lang::FromLanguageId(0x0000), Lang::kEnglish);
}

#ifndef _WIN32
// The environment as the tools read it, put back afterwards.
class Environment {
 public:
  Environment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~Environment() {
    for (std::size_t i = 0; i < saved_.size(); ++i)
      saved_[i] ? setenv(kNames[i], saved_[i]->c_str(), 1) : unsetenv(kNames[i]);
  }
  void Set(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* values[] = {lcAll, lcMessages, lang};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(kNames[i], values[i], 1) : unsetenv(kNames[i]);
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(Language, TheUsersLanguageComesFromTheEnvironmentUnlessSet) {
  Environment environment;
  lang::ToolLanguageFor before(Lang::kEnglish);  // put back at the end
  lang::UseUserLanguage();
  environment.Set(nullptr, nullptr, "ru_RU.UTF-8");
  EXPECT_EQ(lang::UserLanguage(), Lang::kRussian);
  // Unset, the tools speak the environment's language: a whole run with LANG alone.
  EXPECT_EQ(lang::ToolLanguage(), Lang::kRussian);
  {
    std::FILE* out = testsupport::TempFile();
    std::FILE* err = testsupport::TempFile();
    ASSERT_TRUE(out != nullptr && err != nullptr);
    const char* argv[] = {"exameo-review", "--now", "вчера"};
    EXPECT_EQ(reviewtool::Run(3, argv, out, err), reviewtool::kExitFailed);
    testsupport::Slurp(out);
    EXPECT_EQ(testsupport::Slurp(err),
              "exameo-review: --now принимает время UTC вида 2026-12-09T10:15:00Z, а не 'вчера'\n"
              "Справка: exameo-review --help\n");
  }
  {
    lang::ToolLanguageFor english(Lang::kEnglish);
    EXPECT_EQ(lang::ToolLanguage(), Lang::kEnglish);
    {
      lang::ToolLanguageFor russian(Lang::kRussian);
      EXPECT_EQ(lang::ToolLanguage(), Lang::kRussian);
    }
    EXPECT_EQ(lang::ToolLanguage(), Lang::kEnglish);
  }
  environment.Set("", "en_US.UTF-8", "ru_RU.UTF-8");
  EXPECT_EQ(lang::UserLanguage(), Lang::kEnglish);
  environment.Set(nullptr, nullptr, nullptr);
  EXPECT_EQ(lang::UserLanguage(), Lang::kEnglish);
}
#endif

std::string Questions(const std::string& n, Lang language) {
  return lang::Fill(
      language == Lang::kRussian ? "{1} {1|вопрос|вопроса|вопросов}" : "{1} {1|question|questions}",
      std::vector<std::string>{n}, language);
}

TEST(Fill, RussianPluralFormsByTheLastDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "0 вопросов"},     {"1", "1 вопрос"},       {"2", "2 вопроса"},
      {"4", "4 вопроса"},      {"5", "5 вопросов"},     {"11", "11 вопросов"},
      {"12", "12 вопросов"},   {"14", "14 вопросов"},   {"21", "21 вопрос"},
      {"22", "22 вопроса"},    {"25", "25 вопросов"},   {"101", "101 вопрос"},
      {"111", "111 вопросов"}, {"112", "112 вопросов"}, {"1004", "1004 вопроса"},
      {"-1", "-1 вопрос"}};
  for (const auto& [n, expected] : cases) EXPECT_EQ(Questions(n, Lang::kRussian), expected);
  EXPECT_EQ(Questions("1", Lang::kEnglish), "1 question");
  EXPECT_EQ(Questions("0", Lang::kEnglish), "0 questions");
  EXPECT_EQ(Questions("21", Lang::kEnglish), "21 questions");
  // Not a number: the last form, and nothing breaks.
  EXPECT_EQ(Questions("many", Lang::kRussian), "many вопросов");
  EXPECT_EQ(Questions("", Lang::kEnglish), " questions");
  EXPECT_EQ(Questions("99999999999999999999999", Lang::kRussian),
            "99999999999999999999999 вопросов");
}

TEST(Fill, BracesThatMakeNoPlaceholderAreText) {
  std::vector<std::string> args{"A", "B"};
  EXPECT_EQ(lang::Fill("a '}' and '{' {0} {x} {12} {1", args, Lang::kEnglish),
            "a '}' and '{' {0} {x} {12} {1");
  EXPECT_EQ(lang::Fill("{2}{1}{3}!", args, Lang::kEnglish), "BA!");  // missing: empty
  EXPECT_EQ(lang::Fill("{1|x", args, Lang::kEnglish), "{1|x");       // never closed
  // An argument holding braces is data, never read as a pattern.
  EXPECT_EQ(lang::Fill("<{1}>", std::vector<std::string>{"{1}"}, Lang::kEnglish), "<{1}>");
}

TEST(Render, ANoteRendersInEitherLanguageAfterTheFact) {
  lang::Text note =
      lang::Say(Id::kKindQuestionLeftOut, lang::Say(Id::kKindMoodleType, "shortanswer"),
                lang::Say(Id::kWhyOnlyChoiceQuestions));
  EXPECT_EQ(lang::Render(note, Lang::kEnglish),
            "shortanswer question left out: the program asks only choice questions");
  EXPECT_EQ(lang::Render(note, Lang::kRussian),
            "вопрос типа shortanswer пропущен: программа задаёт только вопросы с выбором ответа");
  lang::Text topic = lang::Say(Id::kTopicBeyondLimit, "Алгебра", 21, 128);
  EXPECT_EQ(lang::Render(topic, Lang::kRussian),
            "тема 'Алгебра' пропущена вместе с 21 вопросом: в дисциплине не больше 128 тем");
  EXPECT_EQ(lang::Render(topic, Lang::kEnglish),
            "topic 'Алгебра' left out with its 21 questions: a discipline holds at most 128 "
            "topics");
}

TEST(Write, FilesAndPipesGetTheBytesWhole) {
  std::FILE* f = testsupport::TempFile();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(lang::IsConsole(f));
  // A zero byte inside, which a "%s" would stop at.
  std::string text = std::string("Вопросы") + '\0' + "и ответы\n";
  EXPECT_TRUE(lang::Write(f, text));
  EXPECT_EQ(testsupport::Slurp(f), text);
}

TEST(RussianTools, CheckSaysItsSummaryHelpAndComplaintsInRussian) {
  check::ScratchDatabase scratch;
  ASSERT_TRUE(scratch.Made());
  tools_test::Put(scratch.Base() / "1.txt", "Disc\r\n\tT\"t\\q.txt\"\r\n\tGone\"t\\none.txt\"\r\n");
  tools_test::Put(scratch.Base() / "t" / "q.txt", "Q\r\n\t+a\r\n\r\n");
  auto run = [](std::vector<std::string> args, Lang language) {
    return testsupport::RunToolMain(check::Run, "exameo-check", std::move(args), language);
  };
  testsupport::ToolResult english = run({scratch.Root().string()}, Lang::kEnglish);
  testsupport::ToolResult russian = run({scratch.Root().string()}, Lang::kRussian);
  EXPECT_EQ(english.code, check::kExitProblems);
  EXPECT_EQ(russian.code, english.code);
  EXPECT_EQ(english.err, "exameo-check: 2 problems in 2 files\n");
  EXPECT_EQ(russian.err, "exameo-check: 2 ошибки в 2 файлах\n");
  std::string base =
      (scratch.Base() / "x").string().substr(0, (scratch.Base() / "x").string().size() - 1);
  EXPECT_NE(russian.out.find(base + "1.txt:3: файла вопросов \"t\\none.txt\" нет\n"),
            std::string::npos)
      << russian.out;
  EXPECT_NE(russian.out.find("q.txt:3: пустая строка: программа делает из неё вопрос без текста "
                             "и без ответов\n"),
            std::string::npos)
      << russian.out;
  EXPECT_NE(english.out.find(base + "1.txt:3: the question file \"t\\none.txt\" does not exist\n"),
            std::string::npos)
      << english.out;

  testsupport::ToolResult help = run({"--help"}, Lang::kRussian);
  EXPECT_EQ(help.code, check::kExitClean);
  EXPECT_EQ(help.out.rfind("Использование: exameo-check", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("Код выхода: 0"), std::string::npos);

  testsupport::ToolResult wrong = run({"--frobnicate"}, Lang::kRussian);
  EXPECT_EQ(wrong.code, check::kExitUsage);
  EXPECT_EQ(wrong.err,
            "exameo-check: неизвестный параметр '--frobnicate'\n"
            "Справка: exameo-check --help\n");
}

TEST(RussianTools, ReviewComplainsInRussianWithTheSameExitCode) {
  for (Lang language : {Lang::kEnglish, Lang::kRussian}) {
    testsupport::ToolResult r =
        testsupport::RunToolMain(reviewtool::Run, "exameo-review", {"--retention", "2"}, language);
    EXPECT_EQ(r.code, reviewtool::kExitFailed);
    EXPECT_EQ(r.err, language == Lang::kRussian
                         ? "exameo-review: --retention принимает число от 0.70 до 0.99, а не '2'\n"
                           "Справка: exameo-review --help\n"
                         : "exameo-review: --retention takes a number from 0.70 to 0.99, not '2'\n"
                           "Try 'exameo-review --help'.\n");
  }
  testsupport::ToolResult help =
      testsupport::RunToolMain(reviewtool::Run, "exameo-review", {"-h"}, Lang::kRussian);
  EXPECT_EQ(help.code, reviewtool::kExitDone);
  EXPECT_EQ(help.out.rfind("Использование: exameo-review", 0), 0u) << help.out;
}

}  // namespace
