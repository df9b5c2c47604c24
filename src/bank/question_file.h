// The reading of a question file: the one place that knows how its bytes make records.
//
// The loader, the assembling of a topic from several files and exameo-check all read a
// question file through QuestionFileReader, each with a sink of its own that says what becomes
// of the records. What a line is, where a record begins and ends, what of a line is text and
// what marks a variant correct is decided here and nowhere else; a change to the format (another
// encoding recognised at the start of a file, markup inside a task or a variant) goes here, and
// every reader of question files follows.
//
// The rules: a line ends at LF; CR bytes are dropped wherever they stand. A line whose first
// byte is TAB is the next variant of the record above it, any other line (an empty one too)
// begins a record and is its task. A variant's TABs are dropped; before its first stored byte a
// '+' or '-' marks it (the last one decides) and is not stored. A record has at most
// kMaxVariants variants: further variant lines, and variant lines before the first record, go
// nowhere. Texts beyond their fields are cut; the fields are written, never terminated (the
// records come cleared).
//
// A file that begins with the UTF-8 byte order mark (EF BB BF) is UTF-8: the mark is no part of
// the first line, each record says so (bUtf8), and a text cut at its field ends at a character
// boundary (a character, or an ill-formed sequence, that the cut would split is dropped whole).
// Every other file is read byte for byte.
//
// The reader is fed the file in blocks of any size and keeps its whole state between them, so
// a block boundary changes nothing; it never looks ahead (but for the three bytes of the mark,
// held until they are told apart from a first line that begins like it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "bank/question.h"
#include "common/utf8.h"
#include "platform/files.h"

namespace bank {

// The present variants of a record: the run from slot 0, as the reader fills them.
inline int PresentVariants(const QuestionClass& q) {
  int n = 0;
  while (n < kMaxVariants && q.Vrnt[n].bExists) ++n;
  return n;
}

// What a line of a question file is.
enum class LineKind : unsigned char {
  kTask,     // begins a record
  kVariant,  // a variant of the record above, with a field of its own
  kExtra,    // a variant line past the last field of its record: goes nowhere
  kOrphan,   // a variant line before the first record: goes nowhere
};

// One line as the reader took it, for sinks that ask for lines (exameo-check).
struct QuestionLine {
  int number = 0;            // from 1
  std::uint64_t start = 0;   // offset of its first byte in the file
  std::uint64_t length = 0;  // its bytes, CRs included, without the LF that ends it
  bool endsWithLf = false;   // false only for a last line without a line break
  LineKind kind = LineKind::kTask;
  int place = -1;           // the record it belongs to (-1 before the first)
  int variant = -1;         // the variant's slot (kMaxVariants for kExtra); -1 for a task
  std::int64_t stored = 0;  // the bytes of text it holds, uncut: what a field of its kind
                            // would need (for kExtra and kOrphan as if it had one)
};

// A sink tells the reader what becomes of the records. It has
//
//   bool Begin(int place, QuestionClass*& into);
//     A task line begins record `place` (from 0). Set `into` to the cleared record its task and
//     variants go into, or to null to pass the record over. Return false to stop reading: the
//     line and everything after it are left unread.
//
// and may have any of
//
//   void Variant(int place, int slot);    record `place` has a variant in `slot` (whether read
//                                         or passed over); called as its line begins
//   void End(int place, int present);     record `place` takes no more lines (the next task
//                                         line is about to begin, or the file ended); `present`
//                                         variants, in slots 0..present-1
//   void Line(const QuestionLine& line);  a line has ended. A sink that asks for lines is read
//                                         byte by byte, passed-over records included.
template <class Sink>
concept TakesVariants = requires(Sink& s) {
  s.Variant(0, 0);
};
template <class Sink>
concept TakesEnds = requires(Sink& s) {
  s.End(0, 0);
};
template <class Sink>
concept TakesLines = requires(Sink& s, const QuestionLine& l) {
  s.Line(l);
};

class QuestionFileReader {
 public:
  // Reads the next bytes of the file. False when the sink stopped the reading: nothing more is
  // to be fed.
  template <class Sink>
  bool Feed(const unsigned char* bytes, std::size_t size, Sink& sink);
  // The file has ended: the last record ends, and the last line when it had no line break.
  template <class Sink>
  void Finish(Sink& sink);
  // The records begun so far.
  int Records() const { return place_ + 1; }
  // The file began with the UTF-8 byte order mark (known once three bytes were fed, or at the
  // end of the file).
  bool Utf8() const { return utf8_; }

 private:
  enum class Mode : unsigned char {
    kTask,     // into the task of the current record
    kVariant,  // into the current variant
    kSkip,     // nowhere
  };

  // Inlined into Feed, so that the reader's state stays in registers through the loop (else 14 %
  // more instructions per byte); ScanMarkBytes, the rare other caller, is kept apart.
  template <class Sink>
  [[gnu::always_inline]] inline bool Scan(const unsigned char* bytes, std::size_t size,
                                          Sink& sink);
  // The bytes of a beginning like the mark, scanned as the first line's.
  template <class Sink>
  [[gnu::noinline]] bool ScanMarkBytes(Sink& sink);
  static constexpr unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
  template <class Sink>
  bool BeginLine(unsigned char c, std::uint64_t at, Sink& sink);
  // A UTF-8 field of `capacity` bytes is full and `next` is the first byte that does not fit:
  // the character the cut would split is taken out.
  void CutAtCharacter(char* field, int capacity, unsigned char next);
  template <class Sink>
  void EndRecord(Sink& sink);
  template <class Sink>
  void EndLine(std::uint64_t at, bool lf, Sink& sink);

  QuestionClass* into_ = nullptr;  // the record being read; null when passed over
  int place_ = -1;                 // the current record; -1 before the first
  int variant_ = -1;               // the current variant's slot, kMaxVariants past the last
  int position_ = 0;               // bytes stored in the current field
  Mode mode_ = Mode::kSkip;
  bool lineStart_ = true;
  bool ended_ = true;     // the current record has ended (or there is none)
  bool stopped_ = false;  // the sink stopped the reading
  bool utf8_ = false;     // the file began with the byte order mark
  bool bomDecided_ = false;
  int bomMatched_ = 0;    // bytes of the mark seen so far, while not decided
  bool cut_ = false;      // the current field was cut at a character already
  // Kept for sinks that ask for lines only.
  std::uint64_t fed_ = 0;  // bytes fed before the current block
  QuestionLine line_;
};

// Reads the question file at `path` (as files::InputFile opens it; a missing file is empty) and
// returns the number of records begun.
template <class Sink>
int ReadQuestionFile(files::Path path, Sink& sink);
// Reads a question file's bytes held in memory; returns the number of records begun.
template <class Sink>
int ReadQuestionBytes(std::string_view bytes, Sink& sink);

// ---- Implementation ----

template <class Sink>
void QuestionFileReader::EndRecord(Sink& sink) {
  if (ended_) return;
  ended_ = true;
  if constexpr (TakesEnds<Sink>)
    sink.End(place_, variant_ + 1 < kMaxVariants ? variant_ + 1 : kMaxVariants);
}

template <class Sink>
void QuestionFileReader::EndLine(std::uint64_t at, bool lf, Sink& sink) {
  if constexpr (TakesLines<Sink>) {
    line_.length = at - line_.start;
    line_.endsWithLf = lf;
    sink.Line(line_);
  }
}

// The first byte of a line decides its kind. Returns false when the byte has been used up (a
// variant line's TAB) or the sink stopped the reading.
template <class Sink>
bool QuestionFileReader::BeginLine(unsigned char c, std::uint64_t at, Sink& sink) {
  if constexpr (TakesLines<Sink>) {
    ++line_.number;
    line_.start = at;
    line_.stored = 0;
  }
  if (c == '\t') {
    if (variant_ < kMaxVariants) ++variant_;
    position_ = 0;
    cut_ = false;
    bool field = place_ >= 0 && variant_ < kMaxVariants;
    if (field && into_ != nullptr) {
      mode_ = Mode::kVariant;
      into_->Vrnt[variant_].bExists = true;
    } else {
      mode_ = Mode::kSkip;
    }
    if constexpr (TakesVariants<Sink>)
      if (field) sink.Variant(place_, variant_);
    if constexpr (TakesLines<Sink>) {
      line_.kind = place_ < 0 ? LineKind::kOrphan : field ? LineKind::kVariant : LineKind::kExtra;
      line_.place = place_;
      line_.variant = place_ < 0 ? -1 : variant_;
    }
    return false;
  }
  EndRecord(sink);
  QuestionClass* next = nullptr;
  if (!sink.Begin(place_ + 1, next)) {
    stopped_ = true;
    return false;
  }
  ++place_;
  into_ = next;
  ended_ = false;
  if (into_ != nullptr) {
    into_->bExists = true;
    into_->bSolved = false;
    into_->bUtf8 = utf8_;
  }
  mode_ = into_ != nullptr ? Mode::kTask : Mode::kSkip;
  position_ = 0;
  cut_ = false;
  variant_ = -1;
  if constexpr (TakesLines<Sink>) {
    line_.kind = LineKind::kTask;
    line_.place = place_;
    line_.variant = -1;
  }
  return true;
}

inline void QuestionFileReader::CutAtCharacter(char* field, int capacity, unsigned char next) {
  if (cut_) return;
  cut_ = true;
  const int full = capacity - 1;
  // The last character of the field starts within its last three bytes, at a byte that is no
  // continuation byte; stray continuation bytes are characters of their own (U+FFFD each).
  int start = full - 1;
  while (start > 0 && start > full - 3 &&
         (static_cast<unsigned char>(field[start]) & 0xC0) == 0x80)
    --start;
  if (start < 0 || (static_cast<unsigned char>(field[start]) & 0xC0) == 0x80) return;
  char tail[4];
  const int kept = full - start;
  std::memcpy(tail, field + start, static_cast<std::size_t>(kept));
  tail[kept] = static_cast<char>(next);
  // It goes on into the byte that did not fit: the cut would split it.
  if (utf8::Next(std::string_view(tail, static_cast<std::size_t>(kept) + 1), 0).len > kept)
    std::memset(field + start, 0, static_cast<std::size_t>(kept));
}

template <class Sink>
bool QuestionFileReader::Feed(const unsigned char* bytes, std::size_t size, Sink& sink) {
  if (stopped_) return false;
  std::size_t i = 0;
  if (!bomDecided_) [[unlikely]] {
    while (i < size && bomMatched_ < 3 && bytes[i] == kMark[bomMatched_]) ++i, ++bomMatched_;
    if (bomMatched_ == 3) {
      bomDecided_ = true;
      utf8_ = true;
      fed_ = 3;  // the mark is no part of a line
    } else if (i < size) {
      // Only a beginning like the mark: those bytes are the first line's.
      bomDecided_ = true;
      if (!ScanMarkBytes(sink)) return false;
    } else {
      return true;  // all of it could still be the mark
    }
  }
  return Scan(bytes + i, size - i, sink);
}

template <class Sink>
bool QuestionFileReader::ScanMarkBytes(Sink& sink) {
  return Scan(kMark, static_cast<std::size_t>(bomMatched_), sink);
}

template <class Sink>
bool QuestionFileReader::Scan(const unsigned char* bytes, std::size_t size, Sink& sink) {
  constexpr bool kLines = TakesLines<Sink>;
  if (stopped_) return false;
  std::size_t i = 0;
  if constexpr (!kLines) {
    // The rest of a line that goes nowhere, from the block before, is passed over at once.
    if (!lineStart_ && mode_ == Mode::kSkip) {
      const void* end = std::memchr(bytes, '\n', size);
      if (end == nullptr) {
        fed_ += size;
        return true;
      }
      i = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - bytes) + 1;
      lineStart_ = true;
    }
  }
  for (; i < size; ++i) {
    unsigned char c = bytes[i];
    if (lineStart_) {
      lineStart_ = false;
      bool task = BeginLine(c, fed_ + i, sink);
      if (stopped_) return false;
      if constexpr (!kLines) {
        // A line that goes nowhere is passed over at once.
        if (mode_ == Mode::kSkip) {
          const void* end = std::memchr(bytes + i, '\n', size - i);
          if (end == nullptr) break;
          i = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - bytes);
          lineStart_ = true;
          continue;
        }
      }
      if (!task) continue;
    }
    if (c == '\n') {
      EndLine(fed_ + i, true, sink);
      lineStart_ = true;
      continue;
    }
    if (c == '\r') continue;
    if constexpr (kLines) {
      // The uncut length of the text, counted by the rules the fields are filled by.
      if (line_.kind == LineKind::kTask ||
          (c != '\t' && !(line_.stored == 0 && (c == '+' || c == '-'))))
        ++line_.stored;
    }
    // The bytes of a task or a variant are stored here and nowhere else.
    if (mode_ == Mode::kTask) {
      // Text beyond the field is dropped up to the end of the line.
      if (position_ < kTaskCapacity - 1) {
        into_->Task[position_++] = static_cast<char>(c);
        if constexpr (!kLines) {
          // The rest of a task line up to its break is copied as a run.
          std::size_t end = i + 1;
          std::size_t room = static_cast<std::size_t>(kTaskCapacity - 1 - position_);
          std::size_t limit = size - end < room ? size : end + room;
          while (end < limit && bytes[end] != '\n' && bytes[end] != '\r') ++end;
          std::size_t run = end - (i + 1);
          std::memcpy(into_->Task + position_, bytes + i + 1, run);
          position_ += static_cast<int>(run);
          i = end - 1;
        }
      } else if (utf8_) {
        CutAtCharacter(into_->Task, kTaskCapacity, c);
      }
    } else if (mode_ == Mode::kVariant) {
      if (c == '\t') continue;
      vrnt& v = into_->Vrnt[variant_];
      if (position_ == 0 && (c == '+' || c == '-')) {
        v.bCorrect = c == '+';
      } else if (position_ < kVariantCapacity - 1) {
        v.Text[position_++] = static_cast<char>(c);
      } else if (utf8_) {
        CutAtCharacter(v.Text, kVariantCapacity, c);
      }
    }
  }
  fed_ += size;
  return true;
}

template <class Sink>
void QuestionFileReader::Finish(Sink& sink) {
  if (!bomDecided_) {
    // A file shorter than the mark that began like it: its bytes are its first line.
    bomDecided_ = true;
    if (bomMatched_ > 0) ScanMarkBytes(sink);
  }
  if (!lineStart_ && !stopped_) EndLine(fed_, false, sink);
  lineStart_ = true;
  EndRecord(sink);
}

template <class Sink>
int ReadQuestionFile(files::Path path, Sink& sink) {
  QuestionFileReader reader;
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    return reader.Feed(bytes, size, sink);
  });
  reader.Finish(sink);
  return reader.Records();
}

template <class Sink>
int ReadQuestionBytes(std::string_view bytes, Sink& sink) {
  QuestionFileReader reader;
  reader.Feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), sink);
  reader.Finish(sink);
  return reader.Records();
}

}  // namespace bank
