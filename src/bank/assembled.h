// An assembled topic: questions copied from several question files into one topic, each record
// remembering the file it came from and its content key.
//
// The exam draws its questions from every topic of a discipline, and the drill of its mistakes
// asks some of them again; both are an assembled topic in Topic_test, which the board and the
// flow take as any loaded topic. It keeps no progress file: its order and its mix are its own.
// Assembling reads the question files one at a time and builds only the records picked, through
// the loader's reader (bank/question_file.h), so memory holds the picked questions and nothing
// of the rest.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bank/catalogue.h"
#include "bank/question_file.h"

namespace bank {

// Where a record of an assembled topic came from.
struct Source {
  char File[kPathCapacity] = {};  // the question file, as the catalogue names it
  int Topic = -1;                 // the catalogue's topic index, -1 when not known
  int Place = 0;                  // the record's place in that file's chain
  std::uint64_t Key = 0;          // its content key (bank/content_key.h)
  bool FileUtf8 = false;          // File is UTF-8, a name Windows-1251 cannot spell
};

// The places, in the chain the loader builds of the file at `path`, of the records that have
// at least one variant, ascending. Read by the loader's reader without building the records. A
// missing file has none.
std::vector<int> PlacesWithVariants(files::Path path);

// One record to copy: record `place` of question file `file` (an index into the files given).
struct Pick {
  int file = 0;
  int place = 0;
};

// Empties `topic` and fills it with copies of the picked records, in the order of `picks`,
// reading each file once (only as far as its last pick). A pick that names no record with variants
// (the file changed since it was read) is left out. `sources` gets one entry per record of the
// topic; `files[i]` is question file i and `topics[i]` its catalogue index. Returns the number of
// records; 0 and an empty topic when nothing was copied or memory ran out.
int Assemble(TopicClass& topic, std::span<const files::Path> files, std::span<const int> topics,
             std::span<const Pick> picks, std::vector<Source>* sources);
// The same for files that all have Windows-1251 paths.
int Assemble(TopicClass& topic, std::span<const char* const> files, std::span<const int> topics,
             std::span<const Pick> picks, std::vector<Source>* sources);

// Copies the question part of a record (its texts, encoding, variants and existence; not Id, Next, the
// solved flag or the show count) into another.
void CopyQuestion(QuestionClass& to, const QuestionClass& from);

}  // namespace bank
