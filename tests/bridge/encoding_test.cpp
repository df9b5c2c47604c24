// Inputs in the encodings teachers' files come in: the same bank in each gives the same
// questions; and what libxml2 makes of a Moodle XML file's DTD.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;
using importtest::FileBytes;
using importtest::Import;
using importtest::LoadTopic;
using importtest::W;
using Shown = std::vector<std::string>;

constexpr char kGift[] =
    "$CATEGORY: Механика\n\n::q1:: Единица силы? {=ньютон ~джоуль ~ватт}\n\n"
    "Ёжик и щука: кто плавает? {=щука ~ёжик}\n";
// kGift in KOI8-R, as Python's codec (RFC 1489) writes it.
constexpr char kGiftKoi8r[] =
    "$CATEGORY: \xED\xC5\xC8\xC1\xCE\xC9\xCB\xC1\n\n::q1:: \xE5\xC4\xC9\xCE\xC9\xC3\xC1 "
    "\xD3\xC9\xCC\xD9? {=\xCE\xD8\xC0\xD4\xCF\xCE ~\xC4\xD6\xCF\xD5\xCC\xD8 ~\xD7\xC1\xD4\xD4}\n\n"
    "\xB3\xD6\xC9\xCB \xC9 \xDD\xD5\xCB\xC1: \xCB\xD4\xCF \xD0\xCC\xC1\xD7\xC1\xC5\xD4? "
    "{=\xDD\xD5\xCB\xC1 ~\xA3\xD6\xC9\xCB}\n";

// The same bank as Moodle XML, after its declaration.
constexpr char kQuiz[] =
    "<quiz>\n"
    "<question type=\"category\"><category><text>$course$/top/Механика</text></category>"
    "</question>\n"
    "<question type=\"multichoice\"><questiontext><text>Единица силы?</text></questiontext>\n"
    "<answer fraction=\"100\"><text>ньютон</text></answer><answer fraction=\"0\"><text>джоуль"
    "</text></answer><answer fraction=\"0\"><text>ватт</text></answer></question>\n"
    "<question type=\"multichoice\"><questiontext><text>Ёжик и щука: кто плавает?</text>"
    "</questiontext>\n<answer fraction=\"100\"><text>щука</text></answer><answer fraction=\"0\">"
    "<text>ёжик</text></answer></question>\n"
    "</quiz>\n";
constexpr char kQuizKoi8r[] =
    "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<quiz>\n<question type=\"category\"><category>"
    "<text>$course$/top/\xED\xC5\xC8\xC1\xCE\xC9\xCB\xC1</text></category></question>\n<question "
    "type=\"multichoice\"><questiontext><text>\xE5\xC4\xC9\xCE\xC9\xC3\xC1 \xD3\xC9\xCC\xD9?</text>"
    "</questiontext>\n<answer fraction=\"100\"><text>\xCE\xD8\xC0\xD4\xCF\xCE</text></answer>"
    "<answer fraction=\"0\"><text>\xC4\xD6\xCF\xD5\xCC\xD8</text></answer><answer fraction=\"0\">"
    "<text>\xD7\xC1\xD4\xD4</text></answer></question>\n<question type=\"multichoice\">"
    "<questiontext><text>\xB3\xD6\xC9\xCB \xC9 \xDD\xD5\xCB\xC1: \xCB\xD4\xCF "
    "\xD0\xCC\xC1\xD7\xC1\xC5\xD4?</text></questiontext>\n<answer fraction=\"100\"><text>"
    "\xDD\xD5\xCB\xC1</text></answer><answer fraction=\"0\"><text>\xA3\xD6\xC9\xCB</text></answer>"
    "</question>\n</quiz>\n";

// UTF-8 to UTF-16 (the bank's characters are all in the first plane), by hand.
std::string Utf16(std::string_view utf8, bool bigEndian, bool mark) {
  std::string out;
  auto put = [&](char32_t u) {
    char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  };
  if (mark) put(0xFEFF);
  for (std::size_t i = 0; i < utf8.size();) put(cp1251::DecodeUtf8(utf8.data(), utf8.size(), &i));
  return out;
}

std::string Declared(const char* encoding) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\n" + kQuiz;
}

TEST(Encodings, TheSameBankInEachEncodingGivesTheSameQuestions) {
  const std::string utf8 = kGift;
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> options;
    const char* remark;  // what stderr says, all of it
  } cases[] = {
      {"utf8.gift", utf8, {}, ""},
      {"bom.gift", "\xEF\xBB\xBF" + utf8, {}, ""},
      {"ansi.gift", W(utf8), {}, "ansi.gift: read as Windows-1251\n"},
      {"ansi.txt", W(utf8), {}, "ansi.txt: read as Windows-1251\n"},
      {"forced.gift", W(utf8), {"--encoding", "windows-1251"}, ""},
      {"koi.gift", kGiftKoi8r, {"--encoding=KOI8-R"}, ""},
      {"le.gift", Utf16(utf8, false, true), {}, ""},
      {"be.gift", Utf16(utf8, true, true), {}, ""},
      {"le.txt", Utf16(utf8, false, false), {}, "le.txt: read as UTF-16LE\n"},
      {"be.gift", Utf16(utf8, true, false), {}, "be.gift: read as UTF-16BE\n"},
      {"be.gift", Utf16(utf8, true, false), {"--encoding", "utf-16be"}, ""},
      {"cp.xml", W(Declared("windows-1251")), {}, ""},
      {"koi.xml", kQuizKoi8r, {}, ""},
      {"plain.xml", kQuiz, {}, ""},
      {"undeclared.xml", W(kQuiz), {}, "undeclared.xml: read as Windows-1251\n"},
      {"forced.xml", W(Declared("UTF-8")), {"--encoding", "windows-1251"}, ""},
      {"le.xml", Utf16(Declared("UTF-16"), false, true), {}, ""},
      {"be.xml", Utf16(kQuiz, true, false), {}, "be.xml: read as UTF-16BE\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.options.empty() ? "" : " " + c.options.back()));
    testsupport::ScratchDir scratch;
    testsupport::WriteBytes(c.name, c.bytes);
    std::vector<std::string> args = c.options;
    args.push_back(c.name);
    args.push_back(".");
    importtest::Run run = Import(args);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, c.remark);
    EXPECT_EQ(FileBytes("Base/1.txt"),
              W(fs::path(c.name).stem().string() + "\r\n\tМеханика\"d1\\1.txt\"\r\n"));
    EXPECT_EQ(LoadTopic("Base\\d1\\1.txt"), (Shown{"Единица силы?|+ньютон|-джоуль|-ватт",
                                                   "Ёжик и щука: кто плавает?|+щука|-ёжик"}));
  }
}

TEST(Encodings, WhatCannotBeDecodedIsNamed) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> options;
    int code;
    const char* err;
  } cases[] = {
      // A lone surrogate in UTF-16, and a last odd byte: each a U+FFFD, noted as a loss.
      {"s.gift",
       std::string("\xFF\xFEQ\0 \0{\0T\0}\0\x00\xD8", 14) + "\n",
       {},
       1,
       "s.gift: 2 sequences not valid in UTF-16LE: each written as '?'\n"},
      // A declared encoding decides: UTF-8 declared, Windows-1251 given, is the parser's error.
      {"d.xml", W(Declared("UTF-8")), {}, 2, "XML error: Input is not proper UTF-8"},
      {"u.xml",
       std::string("<?xml version=\"1.0\" encoding=\"x-unknown\"?><quiz/>"),
       {},
       2,
       "u.xml:1: XML error: Unsupported encoding x-unknown"},
      {"a.gift", "Q {T}\n", {"--encoding", "latin1"}, 2, "unknown encoding 'latin1'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::ScratchDir scratch;
    testsupport::WriteBytes(c.name, c.bytes);
    std::vector<std::string> args = c.options;
    args.push_back(c.name);
    args.push_back(".");
    importtest::Run run = Import(args);
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
}

bridge::Report ReadXml(const std::string& xml, Shown* shown, std::string* error) {
  bridge::Report report;
  bridge::Bank bank;
  shown->clear();
  if (bridge::ReadMoodleXml({"x.xml", "x"}, xml, &bank, &report, error))
    for (const bridge::Topic& topic : bank.topics)
      for (const std::string& q : importtest::ShowTopic(topic)) shown->push_back(q);
  return report;
}

constexpr char kQuestion[] =
    "<quiz><question type=\"multichoice\"><questiontext><text>&subj;: что измеряют в ньютонах?"
    "</text></questiontext><answer fraction=\"100\"><text>силу &ext;</text></answer>"
    "<answer fraction=\"0\"><text>&unit;</text></answer></question></quiz>\n";

TEST(MoodleXmlEntities, InternalOnesExpandExternalOnesStayUnreadAndNoted) {
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("secret.txt", "ТАЙНА");
  testsupport::WriteBytes("more.dtd", "<!ENTITY unit \"ТАЙНА\">");
  Shown shown;
  std::string error;
  bridge::Report report = ReadXml(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n<!ENTITY subj \"Физика\">\n"
      "<!ENTITY ext SYSTEM \"secret.txt\">\n<!ENTITY % more SYSTEM \"more.dtd\">\n%more;\n"
      "<!ENTITY unit \"вес\">\n]>\n" +
          std::string(kQuestion),
      &shown, &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(shown, (Shown{"Физика: что измеряют в ньютонах?|+силу &ext;|-вес"}));
  EXPECT_EQ(
      importtest::Notes(report),
      "4: external entity &ext; (secret.txt) not read: no other file is read with the input\n"
      "5: external entity %more; (more.dtd) not read: no other file is read with the input\n");

  // An external DTD is not read either: what only it could declare stays as written.
  report = ReadXml(
      "<!DOCTYPE quiz SYSTEM \"more.dtd\" [<!ENTITY subj \"Физика\">\n"
      "<!ENTITY ext \"\">]>\n" +
          std::string(kQuestion),
      &shown, &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(shown, (Shown{"Физика: что измеряют в ньютонах?|+силу|-&unit;"}));
  EXPECT_EQ(importtest::Notes(report),
            "2: external DTD 'more.dtd' not read: entities declared only there stay as written\n"
            "3: entity '&unit;' declared nowhere in the file: kept as written\n");
}

TEST(MoodleXmlEntities, ExpansionsThatMultiplyAreStoppedAndNothingIsRead) {
  // Ten levels of ten ("billion laughs"), and one entity of 64 KiB used 200 times (12 MiB).
  std::string laughs = "<!DOCTYPE quiz [\n<!ENTITY l0 \"ха\">\n";
  for (int n = 1; n <= 10; ++n) {
    laughs += "<!ENTITY l" + std::to_string(n) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(n - 1) + ";";
    laughs += "\">\n";
  }
  std::string big = "<!DOCTYPE quiz [\n<!ENTITY l10 \"" + std::string(1 << 16, 'x') + "\">\n";
  std::string uses;
  for (int k = 0; k < 200; ++k) uses += "&l10;";
  for (const std::string& dtd : {laughs, big}) {
    Shown shown;
    std::string error;
    bridge::Report report = ReadXml(dtd +
                                        "]>\n<quiz><question type=\"description\"><questiontext>"
                                        "<text>" +
                                        uses + "</text></questiontext></question></quiz>",
                                    &shown, &error);
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(error.find("XML error:"), std::string::npos) << error;
    EXPECT_NE(error.find("entit"), std::string::npos) << error;
  }
}

}  // namespace
