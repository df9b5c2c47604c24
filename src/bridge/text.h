// Text normalisation and Windows-1251 conversion for the bridge.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"
#include "common/cp1251.h"

namespace bridge {

// White space: space, TAB, CR, LF and no-break space (U+00A0). Trims and folds every run into
// one space.
std::string FoldSpace(std::string_view utf8);

// Decodes HTML character references (&amp; &lt; &#1072; &#x430; &nbsp; ...), every name HTML 4
// knows, the Latin-1 ones also without ';'. Unknown names, and numbers a browser would show as
// U+FFFD (&#0;), are kept as written.
std::string DecodeEntities(std::string_view utf8);

// The longest HTML text read, and its deepest nesting of tags: a text past either gives no
// text (its parse tree would take some thirty times its size, a deep one time growing with the
// square of its depth; the program's longest field is 2047 bytes).
inline constexpr std::size_t kMaxHtmlBytes = 1 << 20;
inline constexpr int kMaxHtmlDepth = 1000;

// What HtmlToText leaves out besides the tags themselves.
struct HtmlDropped {
  bool tags = false;  // a tag or comment was removed
  lang::Text unread;  // why nothing was read (over kMaxHtmlBytes or kMaxHtmlDepth), or empty
  int images = 0;     // <img> elements
  // Each dropped image, player, embedded object or frame and each link to an attached file, in
  // the order of the text: "image", "audio 'a.mp3'", "link to attached file 'b.pdf'".
  std::vector<lang::Text> media;
  // The attached files (@@PLUGINFILE@@/name, name decoded) those dropped elements name.
  std::vector<std::string> files;
  // When set, an <img> outside players is not dropped: it stands in the text as kPictureMark
  // (pictures.h) alone, and its `src` and `alt` (references decoded) are kept here, in order.
  bool keepPictures = false;
  struct Image {
    std::string src, alt;
  };
  std::vector<Image> pictures;
};

// The name of a file attached to a Moodle question that `url` links
// ("@@PLUGINFILE@@/dir/a%20b.png" -> "a b.png"), empty when it names none.
std::string AttachedFileName(std::string_view url);

// HTML to plain text, read by libxml2's HTML parser: block tags give a space, <sup> gives '^' and
// <sub> '_' before their text, other tags nothing; the contents of <style>, <script> and
// players are dropped; character references are decoded and white space folded. Control
// characters a reference gives (&#1;) are kept, for the writer's own check.
std::string HtmlToText(std::string_view html, HtmlDropped* dropped);
// The same, *images counting the <img> tags dropped, *tags telling whether any tag was removed
// (either may be null).
std::string HtmlToText(std::string_view html, int* images = nullptr, bool* tags = nullptr);

// UTF-8 to Windows-1251. Characters the code page lacks, U+0000 and malformed sequences
// become '?'; returns how many did, and appends each such code point to *missing (0xFFFFFFFF
// for a malformed sequence) when it is not null.
int Utf8ToCp1251(std::string_view utf8, std::string* out, std::vector<char32_t>* missing = nullptr);

// "U+2211 '∑'" or "a malformed UTF-8 sequence": how a note names a character that became '?'.
std::string DescribeMissing(char32_t u);
// The same as a text of the table, for notes in either language.
lang::Text MissingText(char32_t u);

// Windows-1251 to UTF-8 (the undefined byte 0x98 becomes U+FFFD).
std::string Cp1251ToUtf8(std::string_view bytes);

using cp1251::AppendUtf8;

// A–Z made a–z; every other byte kept (file names and extensions compared without case).
std::string LowerAscii(std::string_view s);

// Skips a UTF-8 byte order mark.
std::string_view SkipBom(std::string_view bytes);

}  // namespace bridge
