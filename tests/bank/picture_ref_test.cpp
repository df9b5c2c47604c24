#include "bank/picture_ref.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs as "T:text" and "P:alt|path", joined by " + ".
std::string Show(const picref::Split& split) {
  std::string out;
  for (const picref::Run& r : split.runs) {
    if (!out.empty()) out += " + ";
    out += r.picture ? "P:" + r.text + "|" + r.path : "T:" + r.text;
  }
  return out;
}

TEST(PictureRef, SplitsTextsIntoTextAndPictures) {
  struct Case {
    const char* in;
    const char* runs;
    std::vector<std::size_t> unclosed;
  } cases[] = {
      {"just text", "T:just text", {}},
      {"См. ![рис. 1](img\\a.png) и ![](b.png)", "T:См.  + P:рис. 1|img\\a.png + T: и  + P:|b.png", {}},
      {"![рисунок](<image (1).png>)", "P:рисунок|image (1).png", {}},
      {"![a\\]b\\\\](x.png)!", "P:a]b\\|x.png + T:!", {}},
      {"!\\[not](x) and !\\\\[", "T:![not](x) and !\\[", {}},
      {"![a](b", "T:![a](b", {0}},
      {"x ![a] (b)", "T:x ![a] (b)", {2}},
      {"![a](<b c.png>x)", "T:![a](<b c.png>x)", {0}},
      {"![![a](b.png)", "P:![a|b.png", {}},  // the alt runs to the first ]
      {"![a](my file.png)", "P:a|my file.png", {}},
  };
  for (const Case& c : cases) {
    picref::Split split = picref::SplitText(c.in);
    EXPECT_EQ(c.runs, Show(split)) << c.in;
    EXPECT_EQ(c.unclosed, split.unclosed) << c.in;
  }
  EXPECT_EQ("См. рис. 1 и ", picref::AltText("См. ![рис. 1](a.png) и ![](b.png)"));
}

TEST(PictureRef, WrittenTextsAndReferencesReadBackUnchanged) {
  const char* texts[] = {"plain", "![a](b)", "!\\[", "!!\\\\[x", "a]b\\", "![", "end !"};
  for (const char* t : texts) {
    picref::Split split = picref::SplitText(picref::EscapeText(t));
    ASSERT_EQ(1u, split.runs.size()) << t;
    EXPECT_FALSE(split.runs[0].picture);
    EXPECT_EQ(t, split.runs[0].text);
    EXPECT_TRUE(split.unclosed.empty()) << t;
  }
  struct Ref {
    const char* alt;
    const char* path;
    const char* written;
  } refs[] = {
      {"рисунок", "image (1).png", "![рисунок](<image (1).png>)"},
      {"a]b", "a b.png", "![a\\]b](<a b.png>)"},
      {"ends\\", "k/x.png", "![ends\\\\](k/x.png)"},
      {"\\]", "x.png", "![\\\\\\]](x.png)"},
      {"c:\\d", "x.png", "![c:\\d](x.png)"},
  };
  for (const Ref& r : refs) {
    std::string out;
    ASSERT_TRUE(picref::WriteReference(r.alt, r.path, &out)) << r.alt;
    EXPECT_EQ(r.written, out);
    picref::Split split = picref::SplitText("x " + out + " y");
    ASSERT_EQ(3u, split.runs.size()) << out;
    EXPECT_EQ(r.alt, split.runs[1].text);
    EXPECT_EQ(r.path, split.runs[1].path);
  }
  std::string out = "kept";
  EXPECT_FALSE(picref::WriteReference("a", "", &out));
  EXPECT_FALSE(picref::WriteReference("a", "a>b.png", &out));
  EXPECT_FALSE(picref::WriteReference("a", "a\nb.png", &out));
  EXPECT_EQ("kept", out);
}

TEST(PictureRef, PathsStayInsideBase) {
  using F = picref::PathFault;
  struct Case {
    const char* path;
    int depth;
    F fault;
    const char* normalised;
  } cases[] = {
      {"img/a.png", 0, F::kNone, "img/a.png"},
      {"img\\a.png", 0, F::kNone, "img/a.png"},
      {".\\k//a.png", 0, F::kNone, "k/a.png"},
      {"../x.png", 0, F::kOutsideBase, ""},
      {"../x.png", 1, F::kNone, "../x.png"},
      {"a/../../x.png", 1, F::kNone, "../x.png"},
      {"a\\..\\..\\..\\x.png", 1, F::kOutsideBase, ""},
      {"C:\\x.png", 1, F::kDrive, ""},
      {"c:x.png", 1, F::kDrive, ""},
      {"\\\\server\\s\\x.png", 1, F::kNetwork, ""},
      {"//server/x.png", 1, F::kNetwork, ""},
      {"/x.png", 1, F::kAbsolute, ""},
      {"\\x.png", 1, F::kAbsolute, ""},
      {"", 1, F::kEmpty, ""},
      {"a/..", 1, F::kEmpty, ""},
      {"ab:c.png", 1, F::kBadCharacter, ""},
      {"a\tb.png", 1, F::kBadCharacter, ""},
  };
  for (const Case& c : cases) {
    picref::CheckedPath got = picref::CheckPath(c.path, c.depth);
    EXPECT_STREQ(picref::FaultName(c.fault), picref::FaultName(got.fault)) << c.path;
    EXPECT_EQ(c.normalised, got.path) << c.path;
  }
  EXPECT_EQ("k/a b.png", picref::SlashPath("k\\a b.png"));
}

}  // namespace
