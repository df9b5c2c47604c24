// Writes disciplines into a Base folder, all or nothing.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bridge/model.h"

namespace bridge {

// One discipline as it will go to disk: Windows-1251 file contents, ready to write.
struct EncodedDiscipline {
  std::string description;              // Base\N.txt
  std::vector<std::string> topicFiles;  // Base\dN\K.txt, K = 1, 2, ...
  int questions = 0;
};

// Turns a bank into file contents: titles (quote to apostrophe, folded, cut at 1023 bytes),
// texts in Windows-1251 with '?' for what the code page lacks, a leading space before a
// variant's '+' or '-', and leaves out (with a note) questions over the program's limits,
// topics beyond 128 and topics left empty. `input` names the source in notes.
EncodedDiscipline Encode(const Bank& bank, const std::string& input, Report* report);

// Writes each discipline as Base\N.txt and Base\dN\K.txt, N the smallest free number each
// time. Files go under temporary names first and are renamed once all are written,
// description files last; nothing existing is overwritten. On failure nothing is left
// behind and *error says why. *numbers receives the N chosen (may be null).
bool WriteDisciplines(const std::filesystem::path& base,
                      const std::vector<EncodedDiscipline>& disciplines, std::vector<int>* numbers,
                      std::string* error);

// exameo-import as a whole: arguments (UTF-8) in, messages on `out` and `err`, exit code out.
int RunImport(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace bridge
