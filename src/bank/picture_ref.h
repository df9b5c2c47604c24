// Picture references in the texts of a UTF-8 question file: `![alt](path)`.
//
// The syntax, read and written here and nowhere else:
//   ![alt](path)       a picture; `path` runs to the first `)` and is relative to the question
//                      file's folder, with `\` or `/` between its parts;
//   ![alt](<path>)     the same for a path with spaces or `)` (it cannot hold `<` or `>`,
//                      which no Windows file name holds);
//   in `alt`, `\]` is `]` and `\\` is `\`; any other `\` is itself;
//   outside a picture, `!` + backslashes + `[` stands for the same with one backslash fewer,
//   so `!\[` is a literal `![` and every text can be written and read back unchanged.
// An `![` that does not open a whole reference stays text (and is reported, for the checker).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace picref {

// A piece of a text: a text run (escapes read) or a picture.
struct Run {
  bool picture = false;
  std::string text;  // the text, or the picture's alt text
  std::string path;  // a picture's path as written (without the angle brackets)
  std::size_t begin = 0, end = 0;  // its bytes in the source text
};

struct Split {
  std::vector<Run> runs;  // in order; two text runs never stand side by side
  // Where an unescaped `![` opens no picture (missing `]`, `(` or `)`): it stays text.
  std::vector<std::size_t> unclosed;
};

Split SplitText(std::string_view text);

// Whether a text holds a picture reference at all (cheaper than SplitText).
bool HasPicture(std::string_view text);

// The text with each picture replaced by its alt text, escapes read: what a report, a screen
// reader or a window without pictures shows.
std::string AltText(std::string_view text);

// Why a picture's path is refused.
enum class PathFault {
  kNone,
  kEmpty,          // no path, or one naming the question file's folder itself
  kAbsolute,       // `/x` or `\x`: the root of the current drive
  kDrive,          // `C:\x`, `C:x`
  kNetwork,        // `\\server\share`, `//server/share`
  kOutsideBase,    // `..` leading above Base
  kBadCharacter,   // a control character or one of `: * ? " < > |`
};

// The fault's name in messages and tests ("outside-base", ...).
const char* FaultName(PathFault fault);

struct CheckedPath {
  PathFault fault = PathFault::kNone;
  // The path normalised: `/` between parts, `.` and empty parts dropped, `..` resolved where it
  // can be (leading `..` kept). Empty when refused.
  std::string path;
};

// Checks a picture's path; `depth` is how many folders the question file's folder lies below
// Base (Base\dN\ is 1), so at most that many leading `..` stay inside it.
CheckedPath CheckPath(std::string_view path, int depth);

// The path with each `\` read as `/`: how a question's content key sees it, whatever the
// separator its writer used.
std::string SlashPath(std::string_view path);

// A plain text written so that it reads back unchanged: `!` + backslashes + `[` gains one
// backslash (`![` -> `!\[`).
std::string EscapeText(std::string_view text);

// A reference `![alt](path)`, with angle brackets when the path needs them; false (and *out
// untouched) when no reference can hold the path (empty, `<`, `>`, a line break or another
// control character).
bool WriteReference(std::string_view alt, std::string_view path, std::string* out);

}  // namespace picref
