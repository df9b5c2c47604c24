// Writes disciplines into a Base folder, all or nothing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"

namespace bridge {

// One discipline as it will go to disk: Windows-1251 file contents, ready to write.
struct EncodedDiscipline {
  std::string title;                     // first line of Base\N.txt
  std::vector<std::string> topicTitles;  // one topic line of Base\N.txt each
  std::vector<std::string> topicFiles;   // Base\dN\K.txt, K = 1, 2, ...
  int questions = 0;
};

// The description file of discipline N: its title, then a TAB, title and "dN\K.txt" per topic.
std::string DescriptionFile(const EncodedDiscipline& discipline, int number);

// Turns a bank into file contents: titles (quote to apostrophe, folded, cut at 1023 bytes),
// texts in Windows-1251 with '?' for what the code page lacks, a leading space before a
// variant's '+' or '-' (remarked), and leaves out (with a note) questions over the program's limits,
// topics beyond 128 and topics left empty. `input` names the source in notes.
EncodedDiscipline Encode(const Bank& bank, const std::string& input, Report* report);

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
  StreamEncoder(const std::string& input, Report* report) : input_(input), report_(report) {}
  void Attach(Bank* bank);
  void Take(std::size_t topic, const Question& question);
  EncodedDiscipline Finish(const Bank& bank);

 private:
  struct TopicFile {
    std::string file;
    int given = 0;    // questions handed over
    int written = 0;  // of them, those in `file`
    std::vector<Note> notes;
    int unlisted = 0;  // past the report's listLimit
    int unlistedRemarks = 0;
    // Questions whose letters all read as UTF-8, while no other question has letters that
    // do not (`mixed`): the topic's file would read as UTF-8 if they stayed.
    struct Span {
      std::size_t begin = 0, size = 0;
      int line = 0;
    };
    std::vector<Span> utf8Only;
    bool mixed = false;
  };
  const std::string& input_;
  Report* report_;
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
