// Pictures and formulas through the bank tools: what is a picture, where pictures come from on
// import and go on export, and when a topic's file is written in UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/bank_writer.h"
#include "bridge/pictures.h"
#include "bridge/writers.h"
#include "import_test_support.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;
using importtest::FileBytes;

std::string Data(const char* name) {
  return FileBytes(fs::path(EXAMEO_BRIDGE_DATA) / "pictures" / name);
}

using importtest::Put;

TEST(Pictures, ARealDecoderOrTheMetafileHeaderDecides) {
  std::string png = Data("red.png");
  std::string emf(88, '\0');
  emf[0] = 1;
  emf[4] = 88;  // the header record's own size
  emf.replace(40, 4, " EMF");
  struct Case {
    const char* what;
    std::string bytes;
    bridge::PictureKind kind;
  } cases[] = {
      {"PNG", png, bridge::PictureKind::kPng},
      {"GIF", Data("dot.gif"), bridge::PictureKind::kGif},
      {"JPEG", Data("dot.jpg"), bridge::PictureKind::kJpeg},
      {"BMP", Data("dot.bmp"), bridge::PictureKind::kBmp},
      {"placeable WMF", Data("line.wmf"), bridge::PictureKind::kWmf},
      {"WMF without its placeable header", Data("line.wmf").substr(22), bridge::PictureKind::kWmf},
      {"EMF", emf, bridge::PictureKind::kEmf},
      // A header that reads, and data cut off: no viewer shows it.
      {"PNG cut short", png.substr(0, png.size() - 20), bridge::PictureKind::kNone},
      {"sound", "ID3\x03\x00\x00\x00\x00\x00\x00 and so on", bridge::PictureKind::kNone},
      {"text", "<html>not a picture</html>", bridge::PictureKind::kNone},
      {"nothing", "", bridge::PictureKind::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(bridge::RecognisePicture(c.bytes), c.kind) << c.what;
}

TEST(Pictures, Base64ReadsWhatMoodleWritesAndNothingElse) {
  struct Case {
    const char* text;
    bool ok;
    const char* bytes;
  } cases[] = {
      {"", true, ""},           {"TWFu", true, "Man"},      {"TWE=", true, "Ma"},
      {"TQ==", true, "M"},      {" TW\nFu\r\n", true, "Man"}, {"TQ", true, "M"},
      {"T", false, ""},         {"TQ==TQ==", false, ""},    {"TW*u", false, ""},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(bridge::DecodeBase64(c.text, &out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.bytes) << c.text;
    }
  }
  std::string back;
  ASSERT_TRUE(bridge::DecodeBase64(bridge::EncodeBase64(Data("dot.jpg")), &back));
  EXPECT_EQ(back, Data("dot.jpg"));
}

// Every way a picture comes in becomes a file beside the topic and a reference in its text;
// every way it cannot is a note at its line.
TEST(Pictures, ComeInFromEverySourceOrAreNoted) {
  testsupport::ScratchDir scratch;
  std::string red = bridge::EncodeBase64(Data("red.png"));
  std::string blue = bridge::EncodeBase64(Data("blue.png"));
  Put("in/beside/рис 1.gif", Data("dot.gif"));
  Put("in/sound.png", "ID3\x03 not a picture");
  Put("in/q.xml",
      "<quiz>\n"
      "<question type=\"multichoice\">\n"  // 2
      "<questiontext format=\"html\"><text><![CDATA[См. <img src=\"@@PLUGINFILE@@/a%20b.png\" "
      "alt=\"схема ]1[\"> и ![не ссылка](x)]]></text>\n"
      "<file name=\"a b.png\" encoding=\"base64\">" + red + "</file></questiontext>\n"
      "<answer fraction=\"100\"><text><![CDATA[<img src=\"@@PLUGINFILE@@/a.png\">]]></text>"
      "<file name=\"a.png\" encoding=\"base64\">" + blue + "</file></answer>\n"  // 5
      "<answer fraction=\"0\"><text><![CDATA[<img src=\"@@PLUGINFILE@@/a.png\">]]></text>"
      "<file name=\"a.png\" encoding=\"base64\">" + red + "</file></answer>\n"  // 6
      "<answer fraction=\"0\"><text><![CDATA[<img src=\"beside/%D1%80%D0%B8%D1%81%201.gif\">"
      "]]></text></answer>\n"  // 7
      "</question>\n"
      "<question type=\"description\">\n"  // 9
      "<questiontext format=\"html\"><text><![CDATA[Старый вид <img src=\"/etc/x.png\">"
      "<img src=\"http://e.org/y.png\"><img src=\"missing.png\"><img src=\"sound.png\">"
      "<img src=\"@@PLUGINFILE@@/bad.png\">]]></text>\n"
      "<file name=\"bad.png\" encoding=\"base64\">!!</file></questiontext>\n"  // 11
      "<image>a.png</image><image_base64>" + bridge::EncodeBase64(Data("dot.jpg")) +
      "</image_base64>\n"
      "</question>\n"
      "</quiz>\n");
  fs::create_directory("db");
  importtest::Run run = importtest::Import({"in/q.xml", "db"});
  EXPECT_EQ(run.code, bridge::kImportLossy) << run.err;
  EXPECT_EQ(run.err,
            "in/q.xml:9: picture '/etc/x.png' dropped: only a path relative to the input is read\n"
            "in/q.xml:9: picture 'http://e.org/y.png' dropped: only a path relative to the input "
            "is read\n"
            "in/q.xml:9: picture 'missing.png' dropped: no such file\n"
            "in/q.xml:9: file 'sound.png' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, "
            "EMF)\n"
            "in/q.xml:11: picture 'bad.png' dropped: its data cannot be decoded\n");
  // One file for the same bytes, "-2" for other bytes of a name taken; the escaped `![`.
  EXPECT_EQ(FileBytes("db/Base/d1/1.txt"),
            "\xEF\xBB\xBF"
            "См. ![схема \\]1[](<1/a b.png>) и !\\[не ссылка](x)\r\n"
            "\t+![a.png](1/a.png)\r\n"
            "\t-![a.png](<1/a b.png>)\r\n"
            "\t-![рис 1.gif](<1/рис 1.gif>)\r\n"
            "Старый вид ![a.png](1/a-2.png)\r\n");
  std::map<std::string, std::string> files = importtest::Snapshot("db/Base/d1/1");
  EXPECT_EQ(files, (std::map<std::string, std::string>{{"a b.png", Data("red.png")},
                                                       {"a.png", Data("blue.png")},
                                                       {"a-2.png", Data("dot.jpg")},
                                                       {"рис 1.gif", Data("dot.gif")}}));
}

// A topic's file is Windows-1251 unless a text needs UTF-8 (a character Windows-1251 lacks, a
// formula made such, a picture) or UTF-8 is asked for; only a UTF-8 file escapes `![`.
TEST(BankWriter, WritesUtf8OnlyWhereATextNeedsIt) {
  const std::string bom = "\xEF\xBB\xBF";
  std::string cyrillic1500;
  for (int i = 0; i < 1500; ++i) cyrillic1500 += "я";
  struct Case {
    const char* what;
    std::vector<std::string> tasks;
    bool utf8;
    std::string file;
    std::string notes;
  } cases[] = {
      {"plain Russian", {"Сколько?", "a ![b](c)"}, false, importtest::W("Сколько?\r\na ![b](c)\r\n"), ""},
      {"asked for", {"Сколько?"}, true, bom + "Сколько?\r\n", ""},
      {"a formula", {"\\(x^2 \\le \\pi\\) и ![b](c)"}, false, bom + "x² ≤ π и !\\[b](c)\r\n", ""},
      {"a command kept", {"\\(\\foo x\\)"}, false, "\\foo x\r\n",
       "1: formula kept as written: \\foo\n"},
      {"too long once UTF-8", {cyrillic1500, "∞"}, false, bom + "∞\r\n",
       "1: question left out: its task is 3000 bytes in UTF-8, the program holds 2047\n"},
      {"too long in UTF-8 alone", {cyrillic1500, "x"}, false,
       importtest::W(cyrillic1500) + "\r\nx\r\n", ""},
  };
  for (const Case& c : cases) {
    bridge::Bank bank;
    bank.title = "Д";
    bridge::Topic topic;
    topic.title = "Т";
    int line = 1;
    for (const std::string& task : c.tasks) topic.questions.push_back({task, {}, line++});
    bank.topics.push_back(topic);
    bridge::Report report;
    bridge::EncodedDiscipline d = bridge::Encode(bank, "in", &report, c.utf8);
    ASSERT_EQ(d.topicFiles.size(), 1u) << c.what;
    EXPECT_EQ(d.topicFiles[0], c.file) << c.what;
    EXPECT_EQ(importtest::Notes(report), c.notes) << c.what;
    EXPECT_EQ(d.utf8, c.utf8) << c.what;
  }
}

// CSV and Aiken keep a picture's reference as text and say so; GIFT copies the pictures beside
// its output; a picture whose file is gone is a loss, its alt text put in.
TEST(Export, PicturesGoWhereTheFormatCanTakeThem) {
  testsupport::ScratchDir scratch;
  Put("Base/d1/1/к.png", Data("red.png"));
  Put("Base/d1/1.txt", "\xEF\xBB\xBFГде ![круг](1/к.png) и !\\[x](y)?\r\n\t+![нет](1/нет.png)\r\n\t-б\r\n");
  importtest::Run csv = testsupport::RunToolMain(bridge::RunExport, "exameo-export",
                                                 {"--format", "csv", "Base/d1/1.txt"});
  EXPECT_EQ(csv.code, 0) << csv.err;
  EXPECT_NE(csv.out.find("Где ![круг](1/к.png) и ![x](y)?;1;![нет](1/нет.png);б"),
            std::string::npos)
      << csv.out;
  EXPECT_EQ(csv.err,
            "Base/d1/1.txt:1: picture kept as the text ![круг](1/к.png): CSV carries no pictures "
            "here\n"
            "Base/d1/1.txt:2: picture kept as the text ![нет](1/нет.png): CSV carries no pictures "
            "here\n");

  fs::create_directory("out");
  importtest::Run gift = testsupport::RunToolMain(bridge::RunExport, "exameo-export",
                                                  {"-o", "out/q.gift", "Base/d1/1.txt"});
  EXPECT_EQ(gift.code, 1) << gift.err;
  EXPECT_EQ(FileBytes("out/q.gift"),
            "[html]Где <img src\\=\"q-pictures/%D0%BA.png\" alt\\=\"круг\"> и ![x](y)? {\n"
            "=[html]нет\n"
            "~б\n"
            "}\n\n");
  EXPECT_EQ(FileBytes(bridge::PathFromUtf8("out/q-pictures/к.png")), Data("red.png"));
  EXPECT_NE(gift.err.find("Base/d1/1.txt:2: picture '1/нет.png' not written, its text \"нет\" put "
                          "in"),
            std::string::npos)
      << gift.err;
  // The folder is named as the system writes paths.
  std::string copied = "1 picture copied into " + bridge::Utf8FromPath(fs::path("out") / "q-pictures");
  EXPECT_NE(gift.err.find(copied + "\n"), std::string::npos) << gift.err;
}

}  // namespace

namespace {

// Moodle XML with pictures in, the bank out as Moodle XML, that in again: the same topic file
// (texts, marks, references) and the same picture bytes as the first import.
TEST(RoundTrip, MoodleXmlWithPicturesComesBackTheSame) {
  testsupport::ScratchDir scratch;
  std::string red = bridge::EncodeBase64(Data("red.png"));
  Put("q.xml",
      "<quiz>\n<question type=\"category\"><category><text>Геометрия</text></category>"
      "</question>\n"
      "<question type=\"multichoice\"><questiontext format=\"html\"><text><![CDATA["
      "<p>Где \\(x^2 \\le \\pi\\)? <img src=\"@@PLUGINFILE@@/fig%201.png\" alt=\"фигура\"></p>"
      "]]></text><file name=\"fig 1.png\" encoding=\"base64\">" + red + "</file></questiontext>\n"
      "<answer fraction=\"50\"><text><![CDATA[<img src=\"@@PLUGINFILE@@/a.wmf\">]]></text>"
      "<file name=\"a.wmf\" encoding=\"base64\">" + bridge::EncodeBase64(Data("line.wmf")) +
      "</file></answer>\n"
      "<answer fraction=\"50\"><text>x ≠ 1, ![не рисунок](x)</text></answer>\n"
      "<answer fraction=\"0\"><text><![CDATA[<img src=\"@@PLUGINFILE@@/a.wmf\">]]></text>"
      "<file name=\"a.wmf\" encoding=\"base64\">" + red + "</file></answer>\n"
      "</question>\n</quiz>\n");
  fs::create_directories("first");
  fs::create_directories("second");
  importtest::Run in = importtest::Import({"q.xml", "first"});
  ASSERT_EQ(in.code, 0) << in.err;
  importtest::Run out = testsupport::RunToolMain(bridge::RunExport, "exameo-export",
                                                 {"-o", "back.xml", "first/Base/d1/1.txt"});
  ASSERT_EQ(out.code, 0) << out.err;
  importtest::Run again = importtest::Import({"back.xml", "second"});
  ASSERT_EQ(again.code, 0) << again.err;
  std::map<std::string, std::string> first = importtest::Snapshot("first/Base/d1");
  EXPECT_EQ(importtest::Snapshot("second/Base/d1"), first);
  EXPECT_EQ(first["1/fig 1.png"], Data("red.png"));
  EXPECT_EQ(first["1/a.wmf"], Data("line.wmf"));
  EXPECT_EQ(first["1.txt"],
            "\xEF\xBB\xBFГде x² ≤ π? ![фигура](<1/fig 1.png>)\r\n"
            "\t+![a.wmf](1/a.wmf)\r\n"
            "\t+x ≠ 1, !\\[не рисунок](x)\r\n"
            "\t-![a.wmf](<1/fig 1.png>)\r\n");
}

}  // namespace
