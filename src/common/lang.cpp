#include "common/lang.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/plural.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace lang {

namespace {

// -1 until set: the user's language is asked each time (it does not change during a run).
int toolLanguage = -1;

bool Set(const char* value) {
  return value != nullptr && value[0] != '\0';
}

// The form for `number` among `forms` (English: one, other; Russian: one, few, many).
std::string_view FormFor(std::string_view number, std::span<const std::string_view> forms,
                         Lang language) {
  if (forms.empty()) return {};
  std::string_view digits = number;
  if (!digits.empty() && digits[0] == '-') digits.remove_prefix(1);
  bool isNumber = !digits.empty() && digits.size() <= 18;
  for (char c : digits) isNumber = isNumber && c >= '0' && c <= '9';
  if (!isNumber) return forms.back();
  long long n = std::strtoll(std::string(digits).c_str(), nullptr, 10);
  std::size_t form;
  if (language == Lang::kRussian) {
    // The form's index as its text; only the last two digits decide (a long is 32 bits on
    // Windows).
    static constexpr const char* kIndex[] = {"0", "1", "2"};
    form = static_cast<std::size_t>(
        *common::RussianPlural(static_cast<long>(n % 100), kIndex[0], kIndex[1], kIndex[2]) - '0');
  } else {
    form = n == 1 ? 0 : 1;
  }
  return forms[form < forms.size() ? form : forms.size() - 1];
}

}  // namespace

Lang FromLocaleVariables(const char* lcAll, const char* lcMessages, const char* lang) {
  const char* chosen = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : Set(lang) ? lang : "";
  return std::strncmp(chosen, "ru", 2) == 0 ? Lang::kRussian : Lang::kEnglish;
}

Lang FromLanguageId(unsigned short languageId) {
  constexpr unsigned short kPrimaryRussian = 0x19;  // LANG_RUSSIAN
  return (languageId & 0x3FF) == kPrimaryRussian ? Lang::kRussian : Lang::kEnglish;
}

Lang UserLanguage() {
#ifdef _WIN32
  return FromLanguageId(GetUserDefaultUILanguage());
#else
  return FromLocaleVariables(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                             std::getenv("LANG"));
#endif
}

Lang ToolLanguage() {
  return toolLanguage < 0 ? UserLanguage() : static_cast<Lang>(toolLanguage);
}

void SetToolLanguage(Lang language) {
  toolLanguage = static_cast<int>(language);
}

void UseUserLanguage() {
  toolLanguage = -1;
}

ToolLanguageFor::ToolLanguageFor(Lang language) : before_(toolLanguage) {
  SetToolLanguage(language);
}

ToolLanguageFor::~ToolLanguageFor() {
  toolLanguage = before_;
}

std::string Fill(std::string_view pattern, std::span<const std::string> args, Lang language) {
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    // "{N}" or "{N|form|...}", N from 1 to 9; anything else is text.
    std::size_t close = std::string_view::npos;
    if (c == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
        (pattern[i + 2] == '}' || pattern[i + 2] == '|'))
      close = pattern.find('}', i + 2);
    if (close == std::string_view::npos) {
      out += c;
      ++i;
      continue;
    }
    std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
    std::string_view arg = index < args.size() ? std::string_view(args[index]) : std::string_view();
    if (pattern[i + 2] == '}') {
      out += arg;
    } else {
      std::vector<std::string_view> forms;
      std::string_view rest = pattern.substr(i + 3, close - (i + 3));
      for (;;) {
        std::size_t bar = rest.find('|');
        forms.push_back(rest.substr(0, bar));
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
      }
      out += FormFor(arg, forms, language);
    }
    i = close + 1;
  }
  return out;
}

bool IsConsole(std::FILE* stream) {
#ifdef _WIN32
  int fd = _fileno(stream);
  if (fd < 0) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
#else
  (void)stream;
  return false;
#endif
}

bool Write(std::FILE* stream, std::string_view utf8) {
  if (utf8.empty()) return true;
#ifdef _WIN32
  if (IsConsole(stream)) {
    // What went through the C stream before must come first.
    std::fflush(stream);
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    // In pieces that end between characters: old consoles refuse one large write, and a
    // conversion takes at most an int's worth of bytes.
    while (!utf8.empty()) {
      std::size_t size = utf8.size() < 16384 ? utf8.size() : 16384;
      while (size < utf8.size() && size > 1 &&
             (static_cast<unsigned char>(utf8[size]) & 0xC0) == 0x80)
        --size;
      int bytes = static_cast<int>(size);
      int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
      if (units <= 0) return false;
      std::wstring wide(static_cast<std::size_t>(units), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), units);
      const wchar_t* at = wide.data();
      DWORD left = static_cast<DWORD>(units);
      while (left > 0) {
        DWORD written = 0;
        if (!WriteConsoleW(handle, at, left, &written, nullptr) || written == 0) return false;
        at += written;
        left -= written;
      }
      utf8.remove_prefix(size);
    }
    return true;
  }
#endif
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

}  // namespace lang
