// exameo-export, then exameo-import of what it wrote, then the program's own loader: the same
// tasks, variants and marks come back for every question the format carries, and in GIFT and
// Moodle XML the same topics. On the shipped database and on generated banks full of the
// characters each format treats specially.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/import.h"
#include "bridge/text.h"
#include "bridge/writers.h"
#include "support/scratch.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;
using bridge::ExportBank;
using bridge::Format;

struct Flat {
  std::string task;
  std::vector<std::pair<std::string, bool>> variants;
  bool operator==(const Flat&) const = default;
};

struct FlatTopic {
  std::string title;
  std::vector<Flat> questions;
};

// What must come back: the questions `format` carries, white space folded as the import does;
// per topic where the format carries topics, else all in one.
std::vector<FlatTopic> Expected(Format format, const ExportBank& bank) {
  bool topics = bank.categories && (format == Format::kGift || format == Format::kMoodleXml);
  std::vector<FlatTopic> out;
  for (const bridge::Topic& t : bank.bank.topics) {
    if (topics || out.empty()) out.push_back(FlatTopic{bridge::FoldSpace(t.title), {}});
    for (const bridge::Question& q : t.questions) {
      if (!bridge::WhyLeftOut(format, q).empty()) continue;
      Flat f{bridge::FoldSpace(q.task), {}};
      for (const bridge::Variant& v : q.variants)
        f.variants.emplace_back(bridge::FoldSpace(v.text), v.correct);
      out.back().questions.push_back(std::move(f));
    }
  }
  std::erase_if(out, [](const FlatTopic& t) { return t.questions.empty(); });
  return out;
}

int Run(testsupport::ToolMain tool, const char* name, std::vector<std::string> args,
        std::string* err) {
  testsupport::ToolResult result = testsupport::RunToolMain(tool, name, std::move(args));
  *err = result.err;
  return result.code;
}

const char* Name(Format format) {
  switch (format) {
    case Format::kGift:
      return "gift";
    case Format::kMoodleXml:
      return "moodle-xml";
    case Format::kAiken:
      return "aiken";
    default:
      return "csv";
  }
}

const char* Extension(Format format) {
  switch (format) {
    case Format::kGift:
      return ".gift";
    case Format::kMoodleXml:
      return ".xml";
    case Format::kAiken:
      return ".aiken";
    default:
      return ".csv";
  }
}

// Exports `bankFile` with the tool, imports the result with the other tool into a fresh
// folder, and compares what the program's loader reads there with what went out. Adds to
// *carried how many questions went through.
void RoundTrip(const fs::path& bankFile, Format format, const std::string& label, int* carried) {
  SCOPED_TRACE(label + " as " + Extension(format));
  ExportBank original;
  bridge::Report ignored;
  std::string error;
  ASSERT_TRUE(
      bridge::LoadForExport(bankFile, "bank", bridge::BankKind::kAuto, &original, &ignored, &error))
      << error;
  std::vector<FlatTopic> expected = Expected(format, original);
  for (const FlatTopic& t : expected) *carried += static_cast<int>(t.questions.size());

  std::string exported = (fs::current_path() / (std::string("out") + Extension(format))).string();
  std::string err;
  int code = Run(bridge::RunExport, "exameo-export",
                 {"--format", Name(format), "-o", exported, bankFile.string()}, &err);
  ASSERT_TRUE(code == 0 || code == 1) << err;
  fs::path folder = fs::current_path() / ("in" + std::string(Extension(format)).substr(1));
  fs::create_directory(folder);
  code = Run(bridge::RunImport, "exameo-import", {exported, folder.string()}, &err);
  if (expected.empty()) {
    EXPECT_EQ(code, bridge::kImportNothing) << err;
    return;
  }
  // Reading back what the export wrote loses nothing.
  ASSERT_EQ(code, bridge::kImportClean) << err;

  ExportBank back;
  ASSERT_TRUE(bridge::LoadForExport(folder / "Base" / "1.txt", "back", bridge::BankKind::kAuto,
                                    &back, &ignored, &error))
      << error;
  ASSERT_EQ(back.bank.topics.size(), expected.size());
  for (std::size_t t = 0; t < expected.size(); ++t) {
    const bridge::Topic& got = back.bank.topics[t];
    if (original.categories && (format == Format::kGift || format == Format::kMoodleXml)) {
      EXPECT_EQ(got.title, expected[t].title);
    }
    ASSERT_EQ(got.questions.size(), expected[t].questions.size()) << expected[t].title;
    for (std::size_t i = 0; i < got.questions.size(); ++i) {
      Flat f{bridge::FoldSpace(got.questions[i].task), {}};
      for (const bridge::Variant& v : got.questions[i].variants)
        f.variants.emplace_back(bridge::FoldSpace(v.text), v.correct);
      const Flat& want = expected[t].questions[i];
      EXPECT_EQ(f.task, want.task) << "question " << i;
      EXPECT_EQ(f.variants, want.variants) << "question " << i << ": " << want.task;
    }
  }
}

constexpr Format kFormats[] = {Format::kGift, Format::kMoodleXml, Format::kAiken, Format::kCsv};

TEST(RoundTrip, ShippedDatabaseThroughEveryFormat) {
  fs::path base = EXAMEO_SAMPLE_BASE;
  int disciplines = 0;
  for (const auto& entry : fs::directory_iterator(base)) {
    if (entry.path().extension() != ".txt") continue;
    // The UTF-8 discipline's formulas hold characters that Windows-1251 lacks, and the import
    // writes Windows-1251 banks: its way back is not yet whole (exameo-export reads it, the
    // import notes each such character).
    std::ifstream head(entry.path(), std::ios::binary);
    char mark[3] = {};
    head.read(mark, 3);
    if (std::string(mark, 3) == "\xEF\xBB\xBF") continue;
    ++disciplines;
    for (Format format : kFormats) {
      testsupport::ScratchDir scratch;
      int carried = 0;
      RoundTrip(entry.path(), format, entry.path().filename().string(), &carried);
      EXPECT_GT(carried, 0);
    }
  }
  EXPECT_EQ(disciplines, 5);
}

TEST(RoundTrip, SingleQuestionFileThroughEveryFormat) {
  for (Format format : kFormats) {
    testsupport::ScratchDir scratch;
    int carried = 0;
    RoundTrip(fs::path(EXAMEO_SAMPLE_BASE) / "math" / "algebra.txt", format, "algebra", &carried);
    EXPECT_GT(carried, 0);
  }
}

// A fixed pseudo-random sequence, so that a failure repeats.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint64_t state_;
};

// Pieces of text that some format reads specially: escapes, markers, comments, weights,
// separators, quotes, markup, entities, option and answer lines, white space of every kind.
const char* const kPieces[] = {
    "слово", "Ответ", "x",         "42",      " ",     "  ",     "\t", "\u00A0",
    "~",     "=",     "#",         "{",       "}",     ":",      "\\", "\\n",
    "%",     "%50%",  "[html]",    "[plain]", "//",    "::",     "->", "$CATEGORY:",
    "A) ",   "B. ",   "ANSWER: A", ";",       ",",     "\"",     "'",  "<b>",
    "&amp;", "&lt;",  "<br>",      "+",       "-",     "«ёлка»", "—",  "№ 5",
    "1,5",   "a;b",   "####",      "T",       "FALSE", "_____",  "°",  "…"};

std::string Text(Random& r, int maxPieces) {
  std::string utf8;
  int pieces = 1 + r.Below(maxPieces);
  for (int i = 0; i < pieces; ++i) utf8 += kPieces[r.Below(std::size(kPieces))];
  std::string bytes;
  bridge::Utf8ToCp1251(utf8, &bytes);
  return bytes;
}

// A description file and its question files, Windows-1251, under Base in the working folder.
void MakeBank(Random& r, int topics) {
  std::string description;
  bridge::Utf8ToCp1251("Сгенерировано\r\n", &description);
  for (int t = 1; t <= topics; ++t) {
    std::string title;
    bridge::Utf8ToCp1251(std::string(t == 2 ? "/Раздел/" : "Раздел") + " " + std::to_string(t),
                         &title);
    std::string path = "g\\" + std::to_string(t) + ".txt";
    description += "\t" + title + "\"" + path + "\"\r\n";
    std::string file;
    int questions = 10 + r.Below(10);
    for (int q = 0; q < questions; ++q) {
      // A task does not begin with a TAB, or the loader would take it for a variant.
      std::string task = Text(r, 6);
      if (task[0] == '\t') task.insert(0, "В");
      file += task + "\r\n";
      int variants = r.Below(6) == 0 ? 0 : 2 + r.Below(11);
      for (int v = 0; v < variants; ++v)
        file += std::string("\t") + (r.Below(5) < 2 ? "+" : "-") + Text(r, 4) + "\r\n";
    }
    testsupport::WriteBytes("Base\\" + path, file);
  }
  testsupport::WriteBytes("Base\\1.txt", description);
}

TEST(RoundTrip, GeneratedBanksThroughEveryFormat) {
  int carried[std::size(kFormats)] = {};
  for (std::uint64_t seed : {1u, 2u, 3u, 4u}) {
    for (std::size_t f = 0; f < std::size(kFormats); ++f) {
      testsupport::ScratchDir scratch;
      Random r(seed);
      MakeBank(r, 3);
      RoundTrip(fs::current_path() / "Base" / "1.txt", kFormats[f], "seed " + std::to_string(seed),
                &carried[f]);
    }
  }
  // Enough of every kind went through for the comparison to mean something.
  for (std::size_t f = 0; f < std::size(kFormats); ++f)
    EXPECT_GE(carried[f], 20) << Name(kFormats[f]);
}

}  // namespace
