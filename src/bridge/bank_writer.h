// Writes disciplines into a Base folder, all or nothing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge/model.h"
#include "bridge/pictures.h"

namespace bridge {

// One discipline as it will go to disk: file contents, ready to write. A file is Windows-1251, or
// UTF-8 with a byte order mark when one of its texts needs a character Windows-1251 lacks or a
// picture (or when asked).
struct EncodedDiscipline {
  std::string title;                     // first line of Base\N.txt
  std::vector<std::string> topicTitles;  // one topic line of Base\N.txt each
  std::vector<std::string> topicFiles;   // Base\dN\K.txt, K = 1, 2, ...
  // The pictures of each topic, written as Base\dN\K\NAME: name and bytes.
  std::vector<std::vector<std::pair<std::string, std::string>>> topicPictures;
  std::vector<std::size_t> topicOf;  // the bank's topic each file holds
  bool utf8 = false;  // the titles (and so the description file) are UTF-8
  int questions = 0;
};

// The description file of discipline N: its title, then a TAB, title and "dN\K.txt" per topic;
// a byte order mark first when its titles are UTF-8.
std::string DescriptionFile(const EncodedDiscipline& discipline, int number);

// Turns a bank into file contents: titles (quote to apostrophe, folded, cut at 1023 bytes at a
// character boundary), TeX formulas made Unicode text (what stays TeX remarked), texts
// escaped where they look like a picture reference and their picture marks made references to
// Base\dN\K\NAME, a leading space before a variant's '+' or '-' (remarked); a topic's file
// in UTF-8 when it needs to be (or `utf8`), else in Windows-1251. Leaves out (with a note)
// questions over the program's limits in the file's encoding, topics beyond 128 and topics
// left empty. `input` names the source in notes.
EncodedDiscipline Encode(const Bank& bank, const std::string& input, Report* report,
                         bool utf8 = false);

// The disciplines (description files) in `base`: 0 when it does not exist, -1 when it cannot be
// listed.
int CountDisciplines(const std::filesystem::path& base);

// What exameo-check takes for another encoding: bytes that begin like a byte-order mark (UTF-16
// or UTF-8), and bytes whose every byte over 0x7F belongs to a UTF-8 sequence (at least one).
// Encode leaves out the questions, and replaces the titles, that would make a file so.
bool BeginsLikeAByteOrderMark(std::string_view bytes);
bool ReadsAsUtf8(std::string_view bytes);

// Encode, question by question as a reader hands them over: Attach it to the bank before
// reading and Finish after, and only the program's files are held, not the records. The
// result and the notes are Encode's.
class StreamEncoder {
 public:
  StreamEncoder(const std::string& input, Report* report, bool utf8 = false)
      : input_(input), report_(report), utf8_(utf8) {}
  void Attach(Bank* bank);
  void Take(std::size_t topic, const Question& question);
  EncodedDiscipline Finish(const Bank& bank);

 private:
  friend EncodedDiscipline Encode(const Bank&, const std::string&, Report*, bool);
  struct TopicFile {
    // Windows-1251 while no question needed more, then UTF-8 (without its byte order mark): a
    // file of millions of Cyrillic questions is held at one byte a letter.
    std::string file;
    bool utf8 = false;
    PictureFolder pictures;
    int given = 0;    // questions handed over
    int written = 0;  // of them, those in `file`
    std::vector<Note> notes;
    int unlisted = 0;  // past the report's listLimit
    int unlistedRemarks = 0;
    // A question's lines in `file`, and why it would be left out: kReadsAsUtf8, kLikeMark, or
    // the index of its text in `longReasons`.
    struct Span {
      std::size_t begin = 0, size = 0;
      int line = 0;
      int reason = 0;
    };
    static constexpr int kReadsAsUtf8 = -1;
    static constexpr int kLikeMark = -2;
    // Written in Windows-1251, the file is left without: questions whose letters all read as
    // UTF-8, while no other question has letters that do not (`mixed`), since the file would
    // read as UTF-8; and the questions that begin like a byte order mark, while the file would
    // begin with them.
    std::vector<Span> utf8Only;
    bool mixed = false;
    std::vector<Span> likeMark;
    // Questions held unescaped, as Windows-1251 reads them, and their UTF-8 lines, escaped.
    struct Escaped {
      std::size_t begin = 0, size = 0;
      std::string lines;
    };
    std::vector<Escaped> escaped;
    // Should the file become UTF-8: the questions over the limits in UTF-8 bytes alone.
    std::vector<Span> longInUtf8;
    std::vector<lang::Text> longReasons;
  };
  static void ToUtf8(TopicFile& t);
  void Keep(TopicFile& t, Note note);
  const std::string& input_;
  Report* report_;
  bool utf8_;
  const Bank* bank_ = nullptr;
  std::vector<TopicFile> topics_;
};

// Writes each discipline as Base\N.txt and Base\dN\K.txt, N the smallest free number each
// time. Files go under temporary names first and are renamed once all are written,
// description files last; nothing existing is overwritten. On failure nothing is left
// behind and *error says why. *numbers receives the N chosen (may be null).
bool WriteDisciplines(const std::filesystem::path& base,
                      const std::vector<EncodedDiscipline>& disciplines, std::vector<int>* numbers,
                      std::string* error);

}  // namespace bridge
