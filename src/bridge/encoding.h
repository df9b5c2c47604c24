// The encodings inputs come in, and how an input's encoding is told.
//
// Teachers' files come as UTF-8 (with or without a byte order mark), as what a Russian Notepad
// or spreadsheet saves (Windows-1251), as UTF-16 (with or without a byte order mark), and now
// and then as KOI8-R. The readers read UTF-8: every input is decoded first, with libxml2's own
// converters (UTF-16, and XML's declared encodings) and the code pages' tables.
#pragma once

#include <string>
#include <string_view>

#include "bridge/model.h"

namespace bridge {

enum class Encoding : unsigned char { kAuto, kUtf8, kWindows1251, kKoi8r, kUtf16le, kUtf16be };

// "utf-8", "windows-1251", "koi8-r", "utf-16le", "utf-16be" (any case; also "utf8", "cp1251",
// "koi8r") -> the encoding; kAuto otherwise.
Encoding ParseEncoding(std::string_view name);
// "UTF-8", "Windows-1251", "KOI8-R", "UTF-16LE", "UTF-16BE"; "" for kAuto.
const char* EncodingName(Encoding encoding);

// How an input's encoding was told.
enum class Told : unsigned char {
  kForced,         // --encoding
  kByteOrderMark,  // EF BB BF, FF FE, FE FF
  kZeroBytes,      // UTF-16 without a byte order mark: zero bytes on one side of most pairs
  kValidUtf8,      // no mark, and every byte belongs to a UTF-8 sequence
  kNotUtf8,        // no mark, not UTF-8: Windows-1251, what Russian systems save
  kDeclared,       // an XML declaration named it (the XML reader only)
};

struct Sniffed {
  Encoding encoding = Encoding::kUtf8;
  Told told = Told::kValidUtf8;
  std::size_t mark = 0;  // bytes of the byte order mark
};

// The encoding of a text input: `forced` when not kAuto, else its byte order mark, else UTF-16
// by its zero bytes, else UTF-8 when it reads as UTF-8, else Windows-1251.
Sniffed SniffEncoding(std::string_view bytes, Encoding forced);

// `bytes` (without its byte order mark) to UTF-8. Sequences that cannot be decoded become
// U+FFFD, counted in *bad when it is not null; UTF-8 is copied as it is (the bank writer notes
// its malformed sequences at their lines).
std::string DecodeToUtf8(std::string_view bytes, Encoding encoding, int* bad = nullptr);

// A text input decoded as SniffEncoding tells, with a remark when the encoding was guessed
// (Windows-1251 for what is not UTF-8, UTF-16 without a mark) and a note when a sequence could
// not be decoded.
// UTF-8 comes back as it is given (its mark removed), without a copy.
std::string DecodeInput(const Source& source, std::string bytes, Encoding forced, Report* report);

// Makes libxml2 know Windows-1251 and KOI8-R by this bridge's tables, in every build (the
// Windows build has no iconv): an XML declaration naming either is read the same everywhere.
// Once per process; later calls do nothing.
void RegisterXmlEncodings();

}  // namespace bridge
