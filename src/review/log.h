// The review log: reviews.csv in the data folder, one line per grading.
//
// UTF-8 with a byte order mark, fields separated by ';', CR LF line ends, the header
// "Время;Файл;Ключ;Оценка;Режим", then per line the time in UTC ("2026-12-09T10:15:00Z"), the
// question file as the catalogue names it ("Base\d1\2.txt"), the question's content key as 16
// lowercase hex digits, the grade (3 no mistake, 1 otherwise) and the mode. Lines are appended
// whole; the reader keeps every line that parses and counts the others as skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/kinds.h"
#include "review/fsrs.h"

namespace review {

// The kind of session a grading was given in; the log stores its word (records/kinds.h).
using Mode = records::Kind;

// "YYYY-MM-DDTHH:MM:SSZ" of seconds since 1970 (years 0000 to 9999; others are clamped).
std::string FormatUtc(std::int64_t seconds);
// The seconds of such a text; false unless it is exactly that form with a real date and time.
bool ParseUtc(std::string_view text, std::int64_t* seconds);

// The header line, with the byte order mark in front and CR LF behind.
std::string LogHeader();
// One grading's line with CR LF; the file name is Windows-1251 (or UTF-8 when `fileUtf8`, a
// name Windows-1251 cannot spell) and written in UTF-8.
std::string LogLine(std::int64_t when, const char* file, std::uint64_t key, int grade, Mode mode,
                    bool fileUtf8 = false);

struct Entry {
  std::int64_t When = 0;
  std::uint64_t Key = 0;
  int Grade = 0;
  Mode Kind = Mode::kTopic;
  std::string File;  // UTF-8, as in the log
};
struct LogRead {
  std::vector<Entry> entries;  // in file order
  int skipped = 0;             // lines that hold something but no grading
};
// Every line of a log's bytes that parses. Lines end in CR, LF or CR LF; the last may lack one.
// The header, and lines that are empty, are passed over without being counted.
LogRead ParseLog(const char* bytes, std::size_t size);

// A question's state from its lines.
struct KeyState {
  std::uint64_t Key = 0;
  std::string File;  // of its latest line
  Card State;
};
// Replays the entries per key in time order (equal times in file order); sorted by key.
std::vector<KeyState> Replay(const std::vector<Entry>& entries,
                             const Parameters& p = kDefaultParameters);

}  // namespace review
