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

namespace {

TEST(BridgeText, HtmlIsReadAsABrowserReadsIt) {
  int images = 0;
  // A '>' inside a quoted attribute does not end the tag.
  EXPECT_EQ(HtmlToText("<img alt=\"2>1\" src='a>b.png'>Ответ <span title=\">\">да</span>", &images),
            "Ответ да");
  EXPECT_EQ(images, 1);
  // Style sheets and scripts are no task text, nor is what follows a '<' inside a script.
  EXPECT_EQ(HtmlToText("<style>p { color: red }</style>Текст<script>if (a<b) x();</script>!"),
            "Текст!");
  // Every name HTML 4 knows, with or without its ';' where HTML allows it.
  EXPECT_EQ(HtmlToText("&hearts;&Dagger;&frac34;&rarr;&Omega;&copy 2024 &ouml;"), "♥‡¾→Ω© 2024 ö");
  // A control character a reference gives stays for the encoder's check, without harm here.
  EXPECT_EQ(HtmlToText("a&#1;b&#x7F;c"),
            "a\x01"
            "b\x7F"
            "c");
  // Nesting deeper than any real text gives nothing rather than minutes of parsing.
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<div>";
  bridge::HtmlDropped dropped;
  EXPECT_EQ(HtmlToText(deep + "x", &dropped), "");
  EXPECT_EQ(lang::Render(dropped.unread, lang::Lang::kEnglish), "it nests tags over 1000 deep");
  deep.resize(999 * 5);
  EXPECT_EQ(HtmlToText(deep + "x"), "x");
}

// The parser drops what XML forbids and rereads a text after a bad byte as Latin-1; neither
// may reach the bank, and its complaints stay off the tools' output.
TEST(BridgeText, HtmlParserKeepsEveryCharacterAndSaysNothing) {
  testing::internal::CaptureStderr();
  // Raw control characters stay, for the encoder's check and its note.
  EXPECT_EQ(HtmlToText("a\x01<b>b</b>\x1F"
                       "c"),
            "a\x01"
            "b\x1F"
            "c");
  // A malformed byte is one U+FFFD; the Cyrillic after it, and after a <meta> naming another
  // code page, stays as written.
  EXPECT_EQ(HtmlToText("\xD0<p>Привет</p><meta charset=\"windows-1251\">мир"),
            "\xEF\xBF\xBD Привет мир");
  // "&#" before no number is text; a name before '=' is a link's query, and names HTML 4
  // lacks stay as written.
  EXPECT_EQ(HtmlToText("&#; &#x; &#abc"), "&#; &#x; &#abc");
  EXPECT_EQ(HtmlToText("a.php?x=1&copy=2 &rightarrow;"), "a.php?x=1&copy=2 &rightarrow;");
  // Numbers 128-159 are the Windows-1252 characters a browser shows for them.
  EXPECT_EQ(HtmlToText("1&#150;2&#133;&#x80;"), "1–2…€");
  // An end tag with nothing to close still separates words; a second <body> is a tag dropped.
  bool tags = false;
  EXPECT_EQ(HtmlToText("стол</p>стул</div>стул", nullptr, &tags), "стол стул стул");
  EXPECT_TRUE(tags);
  tags = false;
  EXPECT_EQ(HtmlToText("<body>x</body>", nullptr, &tags), "x");
  EXPECT_TRUE(tags);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(BridgeText, HtmlNamesEveryMediaItDrops) {
  bridge::HtmlDropped dropped;
  EXPECT_EQ(HtmlToText("<p>Слушайте<audio controls src=\"@@PLUGINFILE@@/a%20b.mp3?t=1\">нет "
                       "плеера</audio><video><source src=\"@@PLUGINFILE@@/d/v.mp4\"></video>"
                       "<object data=\"x.swf\">flash</object><iframe src=\"//e.org\"></iframe>"
                       "<img src=\"@@PLUGINFILE@@/i.png\"> <a href=\"@@PLUGINFILE@@/notes.pdf\">"
                       "конспект</a> <a href=\"https://e.org/@@PLUGINFILE@@/x\">сайт</a></p>",
                       &dropped),
            "Слушайте конспект сайт");
  std::vector<std::string> media;
  for (const lang::Text& what : dropped.media)
    media.push_back(lang::Render(what, lang::Lang::kEnglish));
  EXPECT_EQ(media, (std::vector<std::string>{"audio 'a b.mp3'", "video 'v.mp4'", "embedded object",
                                             "embedded frame", "image",
                                             "link to attached file 'notes.pdf'"}));
  EXPECT_EQ(dropped.files, (std::vector<std::string>{"a b.mp3", "v.mp4", "i.png", "notes.pdf"}));
  EXPECT_EQ(dropped.images, 1);
  EXPECT_TRUE(dropped.tags);
}

}  // namespace
