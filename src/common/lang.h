// The language the command-line tools speak and the texts they speak it with.
//
// Every text is a pattern of the table in common/texts.h in English and Russian, with numbered
// placeholders: "{1}" is the first argument; "{1|question|questions}" (English: one, other) or
// "{1|вопрос|вопроса|вопросов}" (Russian: one, few, many) is the form for the number that the
// first argument holds. A '{' or '}' that makes no placeholder is itself. Texts are UTF-8.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace lang {

enum class Lang { kEnglish, kRussian };

// Russian when the first set (non-empty) of LC_ALL, LC_MESSAGES and LANG begins with "ru"
// (a null pointer is a variable not set); English otherwise.
Lang FromLocaleVariables(const char* lcAll, const char* lcMessages, const char* lang);
// A Windows language identifier (LANGID): Russian when its primary language is Russian.
Lang FromLanguageId(unsigned short languageId);
// The user's language: Windows' user interface language, or the locale variables elsewhere.
Lang UserLanguage();

// The language of the tools' messages: the user's, unless set (the tests set it).
Lang ToolLanguage();
void SetToolLanguage(Lang language);
// Back to the user's language.
void UseUserLanguage();

// Sets the tools' language for as long as it lives, and puts back what was before.
class ToolLanguageFor {
 public:
  explicit ToolLanguageFor(Lang language);
  ~ToolLanguageFor();
  ToolLanguageFor(const ToolLanguageFor&) = delete;
  ToolLanguageFor& operator=(const ToolLanguageFor&) = delete;

 private:
  int before_;
};

// `pattern` with its placeholders filled from `args` (a missing argument reads as empty, a
// number that is not one takes the last form).
std::string Fill(std::string_view pattern, std::span<const std::string> args, Lang language);

// Writes UTF-8 text whole: on a Windows console through the wide-character console API, so that
// Cyrillic reads right in any console code page; anywhere else (files, pipes, other systems) as
// the bytes themselves. False when it could not be written.
bool Write(std::FILE* stream, std::string_view utf8);
// Whether `stream` is a Windows console (never elsewhere).
bool IsConsole(std::FILE* stream);

}  // namespace lang
