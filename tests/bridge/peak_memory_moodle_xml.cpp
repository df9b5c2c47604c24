// Peak memory of importing a large Moodle XML file, in a child process (native builds only:
// the sanitizers multiply the memory they watch).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "bridge/import.h"
#include "peak_memory.h"
#include "support/scratch.h"

#include <filesystem>

#if !defined(_WIN32)

namespace {

// A quiz in the shape Moodle exports, of at least `bytes` bytes: categories of 200 questions,
// each question with HTML text, names, feedback and four answers.
long WriteLargeQuiz(const char* path, long bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return -1;
  long written = std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n");
  for (int q = 0; written < bytes; ++q) {
    if (q % 200 == 0)
      written += std::fprintf(f,
                              "  <question type=\"category\">\n    <category>\n      "
                              "<text>$course$/top/Раздел %d</text>\n    </category>\n  "
                              "</question>\n",
                              q / 200);
    written += std::fprintf(
        f,
        "  <question type=\"multichoice\">\n"
        "    <name><text>Вопрос %d</text></name>\n"
        "    <questiontext format=\"html\">\n"
        "      <text><![CDATA[<p dir=\"ltr\" style=\"text-align: left;\">Вопрос номер %d: "
        "какое из <b>утверждений</b> о законах Ньютона верно? Выберите&nbsp;один ответ.</p>]]>"
        "</text>\n    </questiontext>\n"
        "    <generalfeedback format=\"html\"><text><![CDATA[<p>Смотрите параграф 12.</p>]]>"
        "</text></generalfeedback>\n"
        "    <defaultgrade>1.0000000</defaultgrade>\n    <penalty>0.3333333</penalty>\n"
        "    <hidden>0</hidden>\n    <single>true</single>\n"
        "    <shuffleanswers>true</shuffleanswers>\n    <answernumbering>abc</answernumbering>\n"
        "    <answer fraction=\"100\" format=\"html\"><text><![CDATA[<p>Сила равна массе, "
        "умноженной на ускорение (%d)</p>]]></text>\n"
        "      <feedback format=\"html\"><text>Верно.</text></feedback>\n    </answer>\n"
        "    <answer fraction=\"0\" format=\"html\"><text><![CDATA[<p>Сила равна массе</p>]]>"
        "</text>\n      <feedback format=\"html\"><text></text></feedback>\n    </answer>\n"
        "    <answer fraction=\"0\" format=\"html\"><text><![CDATA[<p>Ускорение не зависит от "
        "силы</p>]]></text>\n      <feedback format=\"html\"><text></text></feedback>\n"
        "    </answer>\n"
        "    <answer fraction=\"0\" format=\"html\"><text><![CDATA[<p>Тела не действуют друг "
        "на друга</p>]]></text>\n      <feedback format=\"html\"><text></text></feedback>\n"
        "    </answer>\n"
        "  </question>\n",
        q, q, q);
  }
  written += std::fprintf(f, "</quiz>\n");
  return std::fclose(f) == 0 ? written : -1;
}

TEST(MoodleXmlMemory, A20MegabyteQuizImportsWithin200Megabytes) {
  testsupport::ScratchDir scratch;
  constexpr long kInput = 20L << 20;
  ASSERT_GE(WriteLargeQuiz("large.xml", kInput), kInput);
  std::filesystem::create_directory("school");
  testsupport::ChildPeak run = testsupport::RunMeasured([] {
    std::FILE* out = std::fopen("summary.txt", "w");
    std::FILE* err = std::fopen("notes.txt", "w");
    const char* argv[] = {"exameo-import", "large.xml", "school"};
    int code = bridge::RunImport(3, argv, out, err);
    std::fclose(out);
    std::fclose(err);
    return code;
  });
  EXPECT_EQ(run.exitCode, bridge::kImportClean);
  ASSERT_GT(run.peakKiB, 0);
  EXPECT_LT(run.peakKiB, 200L * 1024) << "peak " << run.peakKiB / 1024 << " MiB";
  std::printf("peak memory importing a 20 MiB Moodle XML file: %ld MiB\n", run.peakKiB / 1024);
}

// Markup a parser's tree would multiply: one question of half a million answers, and a file of
// nothing but empty elements.
long WriteMarkup(const char* path, long bytes, bool answers) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return -1;
  long written = std::fprintf(f,
                              "<quiz>\n<question type=\"multichoice\"><questiontext>"
                              "<text>Q</text></questiontext>\n");
  for (int n = 0; written < bytes; ++n) {
    if (answers) {
      written += std::fprintf(f, "<answer fraction=\"0\"><text>a%d</text></answer>\n", n);
    } else {
      for (int k = 0; k < 100; ++k) written += std::fprintf(f, "<a/>");
    }
  }
  written += std::fprintf(f, "</question></quiz>\n");
  return std::fclose(f) == 0 ? written : -1;
}

TEST(MoodleXmlMemory, MarkupThatWouldMultiplyInMemoryIsRefusedOrCounted) {
  testsupport::ScratchDir scratch;
  constexpr long kInput = 20L << 20;
  ASSERT_GE(WriteMarkup("answers.xml", kInput, true), kInput);
  ASSERT_GE(WriteMarkup("flood.xml", kInput, false), kInput);
  std::filesystem::create_directory("school");
  for (const char* input : {"answers.xml", "flood.xml"}) {
    testsupport::ChildPeak run = testsupport::RunMeasured([input] {
      std::FILE* out = std::fopen("summary.txt", "w");
      std::FILE* err = std::fopen("notes.txt", "w");
      const char* argv[] = {"exameo-import", input, "school"};
      int code = bridge::RunImport(3, argv, out, err);
      std::fclose(out);
      std::fclose(err);
      return code;
    });
    // Nothing to write in either: the one question has too many answers; the flood is refused.
    EXPECT_EQ(run.exitCode, bridge::kImportNothing) << input;
    ASSERT_GT(run.peakKiB, 0) << input;
    EXPECT_LT(run.peakKiB, 200L * 1024) << input << ": peak " << run.peakKiB / 1024 << " MiB";
    std::string notes;
    std::FILE* err = std::fopen("notes.txt", "rb");
    ASSERT_NE(err, nullptr);
    char buffer[512];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, err)) notes.append(buffer, got);
    std::fclose(err);
    EXPECT_NE(notes.find(input[0] == 'a' ? "answers.xml:2: question left out: it has "
                                         : "flood.xml:1: too much markup to read: "),
              std::string::npos)
        << notes;
  }
}

}  // namespace

#endif
