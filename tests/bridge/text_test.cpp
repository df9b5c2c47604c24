// The import's text layer: white space, HTML to plain text, Windows-1251 with '?'.
#include <gtest/gtest.h>

#include "bridge/text.h"

namespace {

using bridge::DecodeEntities;
using bridge::FoldSpace;
using bridge::HtmlToText;

TEST(BridgeText, FoldsEveryKindOfWhiteSpaceIntoOneSpace) {
  EXPECT_EQ(FoldSpace(" \t a\r\n\xC2\xA0 b  \n"), "a b");
  EXPECT_EQ(FoldSpace("\xC2\xA0\t\r\n "), "");
  // A lone 0xC2 or another C2 sequence is no white space.
  EXPECT_EQ(FoldSpace("x\xC2\xA9y"), "x\xC2\xA9y");
}

TEST(BridgeText, HtmlBecomesPlainText) {
  int images = 0;
  bool tags = false;
  EXPECT_EQ(HtmlToText("<p>Вода</p><p>H<sub>2</sub>O и x<SUP>2</SUP></p>", &images, &tags),
            "Вода H_2O и x^2");
  EXPECT_TRUE(tags);
  // Inline tags give nothing, so words they split stay whole; block tags separate words.
  EXPECT_EQ(HtmlToText("ко<b>ро</b>ва<br/>стол<td>стул<h4>дом</h4>"), "корова стол стул дом");
  // Entities are decoded after the tags are gone, and only once.
  EXPECT_EQ(HtmlToText("&lt;b&gt; &amp;amp; a&nbsp;&nbsp;b &#1072;&#x431; &foo; &#0;"),
            "<b> &amp; a b аб &foo; &#0;");
  // A '<' that opens no tag is text; an unclosed one too.
  EXPECT_EQ(HtmlToText("1 < 2 <3 a<"), "1 < 2 <3 a<");
  EXPECT_EQ(HtmlToText("<!-- <p>скрыто</p> -->видно<img src=\"a.png\"><IMG src=b>", &images),
            "видно");
  EXPECT_EQ(images, 2);
  EXPECT_EQ(DecodeEntities("&laquo;x&raquo; &mdash; &#8212;"), "«x» — —");
}

TEST(BridgeText, Windows1251MarksEveryCharacterItLacks) {
  std::string out;
  std::vector<char32_t> missing;
  // Ё ж space € ∑ U+0000, then a cut sequence, an overlong '<' and a surrogate.
  std::string in = "Ёж €∑";
  in.push_back('\0');
  in += "\xC3";
  in += "|\xC0\xBC|\xED\xA0\x80";
  EXPECT_EQ(bridge::Utf8ToCp1251(in, &out, &missing), 5);
  EXPECT_EQ(out, std::string("\xA8\xE6 \x88??") + "?|?|?");
  EXPECT_EQ(missing, (std::vector<char32_t>{0x2211, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(bridge::DescribeMissing(0x2211), "U+2211 '∑'");
  EXPECT_EQ(bridge::DescribeMissing(0xFFFFFFFF), "a malformed UTF-8 sequence");

  // Every byte but the undefined 0x98 goes to UTF-8 and back unchanged.
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != 0x98) all.push_back(static_cast<char>(b));
  std::string back;
  EXPECT_EQ(bridge::Utf8ToCp1251(bridge::Cp1251ToUtf8(all), &back), 0);
  EXPECT_EQ(back, all);
  EXPECT_EQ(bridge::Cp1251ToUtf8("\xC0\x98"), "А\xEF\xBF\xBD");
}

}  // namespace
