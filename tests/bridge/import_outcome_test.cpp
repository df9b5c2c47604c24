// The import's outcome as the program reads it: each input's refusal, counts, title and number,
// with nothing printed.
#include <gtest/gtest.h>

#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;
using bridge::ImportFailure;
using bridge::Refusal;

using importtest::Put;

TEST(ImportOutcome, EachInputSaysWhatBecameOfIt) {
  testsupport::ScratchDir scratch;
  for (int n = 1; n <= 61; ++n) Put("Base/" + std::to_string(n) + ".txt", "t\r\n");
  Put("Base/63.txt", "t\r\n");
  Put("алгебра.gift", "$CATEGORY: A\n\nQ1 {T}\n\n$CATEGORY: B\n\nQ2 {F}\n\nQ3 {=a ~b}\n\nE {}\n");
  Put("bad.xml", "<quiz>\n<question>\n</quiz>\n");
  Put("essay.gift", "E {}\n");
  Put("plain.txt", "nothing to tell\n");
  Put("one.csv", "Q;1;a;b\n");
  Put("late.gift", "Q {T}\n");
  bridge::ImportOutcome o =
      bridge::ImportInputs(".",
                           {"алгебра.gift", "missing.gift", "bad.xml", "essay.gift", "plain.txt",
                            "one.csv", "late.gift"},
                           bridge::Format::kUnknown, nullptr);
  EXPECT_EQ(o.failure, ImportFailure::kNone);
  EXPECT_EQ(o.written, 2);
  EXPECT_TRUE(o.Lossy());
  ASSERT_EQ(o.inputs.size(), 7u);
  const bridge::ImportedInput& a = o.inputs[0];
  EXPECT_EQ(a.name, "алгебра.gift");
  EXPECT_EQ(a.refused, Refusal::kNone);
  EXPECT_EQ(a.questions, 3);
  EXPECT_EQ(a.topics, 2);
  EXPECT_EQ(a.title, "алгебра");
  EXPECT_EQ(a.number, 62);  // the smallest free number
  ASSERT_EQ(a.report.notes.size(), 1u);
  EXPECT_EQ(a.report.notes[0].line, 11);
  EXPECT_EQ(o.inputs[1].refused, Refusal::kUnreadable);
  EXPECT_EQ(o.inputs[2].refused, Refusal::kParserRejects);
  EXPECT_EQ(o.inputs[2].detail, "3: XML error: Start-end tags mismatch");
  EXPECT_EQ(o.inputs[3].refused, Refusal::kNoQuestion);
  EXPECT_EQ(o.inputs[4].refused, Refusal::kUnknownFormat);
  EXPECT_EQ(o.inputs[5].refused, Refusal::kNone);
  EXPECT_EQ(o.inputs[5].number, 64);
  EXPECT_EQ(o.inputs[6].refused, Refusal::kTooManyDisciplines);
  EXPECT_EQ(o.inputs[6].number, 0);
  for (std::size_t i = 1; i < 7; ++i) {
    if (i != 5) {
      EXPECT_EQ(o.inputs[i].number, 0) << i;
    }
  }

  // A title given for all; a run where Base cannot be listed marks the ready ones not written.
  testsupport::ScratchDir other;
  Put("q.gift", "Q {T}\n");
  Put("Base", "a file");
  std::string title = "Своё";
  bridge::ImportOutcome failed =
      bridge::ImportInputs(".", {"q.gift", "none.gift"}, bridge::Format::kGift, &title);
  EXPECT_EQ(failed.failure, ImportFailure::kCannotList);
  EXPECT_EQ(failed.written, 0);
  EXPECT_EQ(failed.inputs[0].refused, Refusal::kNotWritten);
  EXPECT_EQ(failed.inputs[0].title, "Своё");
  EXPECT_EQ(failed.inputs[1].refused, Refusal::kUnreadable);
  bridge::ImportOutcome nowhere = bridge::ImportInputs("nowhere", {"q.gift"}, {}, nullptr);
  EXPECT_EQ(nowhere.failure, ImportFailure::kNoFolder);
  EXPECT_TRUE(nowhere.inputs.empty());
}

}  // namespace
