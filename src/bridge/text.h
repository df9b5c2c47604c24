// Text normalisation and Windows-1251 conversion for the bridge.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"

namespace bridge {

// White space: space, TAB, CR, LF and no-break space (U+00A0). Trims and folds every run into
// one space.
std::string FoldSpace(std::string_view utf8);

// Decodes HTML character references (&amp; &lt; &#1072; &#x430; &nbsp; ...). Unknown names are
// kept as written.
std::string DecodeEntities(std::string_view utf8);

// HTML to plain text: block tags give a space, <sup> gives '^' and <sub> '_' before their
// text, other tags nothing; then entities are decoded and white space folded. *images counts
// the <img> tags dropped, *tags whether any tag was removed (either may be null).
std::string HtmlToText(std::string_view html, int* images = nullptr, bool* tags = nullptr);

// UTF-8 to Windows-1251. Characters the code page lacks, U+0000 and malformed sequences
// become '?'; returns how many did, and appends each such code point to *missing (0xFFFFFFFF
// for a malformed sequence) when it is not null.
int Utf8ToCp1251(std::string_view utf8, std::string* out, std::vector<char32_t>* missing = nullptr);

// "U+2211 '∑'" or "a malformed UTF-8 sequence": how a note names a character that became '?'.
std::string DescribeMissing(char32_t u);

// Windows-1251 to UTF-8 (the undefined byte 0x98 becomes U+FFFD).
std::string Cp1251ToUtf8(std::string_view bytes);

// A–Z made a–z; every other byte kept (file names and extensions compared without case).
std::string LowerAscii(std::string_view s);

// Skips a UTF-8 byte order mark.
std::string_view SkipBom(std::string_view bytes);

}  // namespace bridge
