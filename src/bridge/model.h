// Question banks in memory, between a foreign format and the program's files.
//
// Texts here are UTF-8 and already normalised (white space folded, HTML made plain): readers
// produce them, writers consume them. Windows-1251 appears only where the program's files are
// read or written (text.h, bank_writer.h).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/texts.h"

namespace bridge {

// The program's limits, in Windows-1251 bytes without the terminating zero.
inline constexpr int kMaxVariantsPerQuestion = 12;
inline constexpr int kMaxTaskBytes = 2047;
inline constexpr int kMaxVariantBytes = 1023;
inline constexpr int kMaxTitleBytes = 1023;
inline constexpr int kMaxTopicsPerDiscipline = 128;
inline constexpr int kMaxDisciplines = 64;

struct Variant {
  std::string text;
  bool correct = false;
  int line = 0;  // source line, 1-based; 0 when unknown
};

// A question with no variants is a description card: the program shows its task alone.
struct Question {
  std::string task;
  std::vector<Variant> variants;
  int line = 0;
  // Variants past the program's limit are counted, not kept: such a question is left out
  // whole, and a file of millions of answers must not fill the memory first.
  int moreVariants = 0;

  void AddVariant(Variant variant) {
    if (variants.size() < static_cast<std::size_t>(kMaxVariantsPerQuestion))
      variants.push_back(std::move(variant));
    else
      ++moreVariants;
  }
  int VariantCount() const { return static_cast<int>(variants.size()) + moreVariants; }
};

// A picture a text shows. In the bank's texts a picture stands as PictureMarker(id) (pictures.h),
// `id` its index in Bank::pictures: readers' texts stay plain, and only the bank writer turns
// marks into references, so a text that merely looks like one can be escaped.
struct Picture {
  std::string name;   // its file's own name ("рисунок 1.png")
  std::string alt;    // what stands for it without pictures: the image's alt, else its name
  std::string bytes;  // the picture file, when read (import)
  std::string path;   // as a bank's reference writes it, when read from a bank (export)
  std::string file;   // where it lies (UTF-8), when read from a bank (export)
};

struct Topic {
  std::string title;
  std::vector<Question> questions;
  int line = 0;
  // The input its notes name when not the file itself: a worksheet of a workbook of several
  // ("file.xlsx:Лист2"), whose row numbers would otherwise be ambiguous.
  std::string input = {};
};

// One discipline: what one input file becomes, or what one description file holds.
struct Bank {
  std::string title;
  std::vector<Topic> topics;
  std::vector<Picture> pictures;  // the pictures the texts mark (Picture)
  // When set, readers hand each finished question to `take` (with the index of its topic)
  // instead of keeping it: the importer encodes it at once, so that a file of millions of
  // small questions is never held whole as records.
  void (*take)(void* context, std::size_t topic, Question&& question) = nullptr;
  void* context = nullptr;
};

// What a mapping drops on purpose; counted, not reported one by one.
enum class Drop {
  kTitle,        // question names (GIFT ::name::, Moodle XML <name>)
  kFeedback,     // answer and general feedback
  kWeight,       // partial-credit weights beyond their sign
  kFormatting,   // format markers, HTML tags
  kEmptyAnswer,  // answers with no text (`{~=a}`), which Moodle drops too
  kCount,
};

// One reported loss, or a remark (something read otherwise than written, or a guess, that
// loses nothing): printed as "INPUT:LINE: message". It keeps its text's identifier and
// arguments, so that it reads in either language after the fact.
struct Note {
  std::string input;
  int line = 0;
  lang::Text text;
  bool remark = false;
  // A Word document's notes count paragraphs, not lines: "INPUT:¶LINE: message".
  bool paragraph = false;

  std::string Message(lang::Lang language = lang::Lang::kEnglish) const {
    return lang::Render(text, language);
  }
  // "INPUT:LINE: message", or "INPUT: message" when its line is unknown.
  std::string Line(lang::Lang language) const {
    std::string out = input;
    if (line > 0) {
      out += paragraph ? ":¶" : ":";
      out += std::to_string(line);
    }
    out += ": ";
    out += Message(language);
    return out;
  }
};

// Prints each note on its own line, in `language`.
inline void PrintNotes(std::FILE* stream, const std::vector<Note>& notes,
                       lang::Lang language = lang::ToolLanguage()) {
  for (const Note& note : notes) lang::Write(stream, note.Line(language) + "\n");
}

// Everything a reader or writer lost, and what it remarked. Losses make the exit code 1;
// remarks and drops do not.
struct Report {
  std::vector<Note> notes;  // losses and remarks, in the order they were found
  int drops[static_cast<int>(Drop::kCount)] = {};
  // When not 0, notes past this many are counted in `unlisted` instead of kept: an input of
  // millions of faulty questions must not fill the memory with its notes.
  std::size_t listLimit = 0;
  int unlisted = 0;         // notes not kept, remarks among them
  int unlistedRemarks = 0;  // of them, remarks
  // Set by a reader whose lines are paragraphs: every note kept says so.
  bool paragraphs = false;

  void Lose(std::string_view input, int line, lang::Text text) {
    Keep(Note{std::string(input), line, std::move(text), false});
  }
  void Remark(std::string_view input, int line, lang::Text text) {
    Keep(Note{std::string(input), line, std::move(text), true});
  }
  void Keep(Note note) {
    if (paragraphs) note.paragraph = true;
    if (listLimit != 0 && notes.size() >= listLimit) {
      ++unlisted;
      if (note.remark) ++unlistedRemarks;
    } else {
      notes.push_back(std::move(note));
    }
  }
  long Remarks() const {
    long n = unlistedRemarks;
    for (const Note& note : notes) n += note.remark ? 1 : 0;
    return n;
  }
  long Losses() const { return static_cast<long>(notes.size()) + unlisted - Remarks(); }
  void Count(Drop what, int n = 1) { drops[static_cast<int>(what)] += n; }
  int Dropped(Drop what) const { return drops[static_cast<int>(what)]; }
  // Nothing lost (remarks may have been made).
  bool Clean() const { return Losses() == 0; }
};

// Where a reader's text comes from: `name` prefixes its notes, `stem` (the file name without
// its extension) titles the topic of questions that precede any category.
struct Source {
  std::string name;
  std::string stem;
  // The folder pictures named by a relative path are looked for in (UTF-8): the input's own.
  // Empty: such pictures are not read.
  std::string folder = {};
};

}  // namespace bridge
