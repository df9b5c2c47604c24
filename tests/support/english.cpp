// The tests compare the tools' English texts: a test program that links the tools speaks
// English whatever the language of the machine it runs on, unless a test sets another.
#include "common/lang.h"

namespace {

// The tools' language is a constant-initialised global, so this may run before or after any
// other initialisation.
[[maybe_unused]] const bool kEnglish = (lang::SetToolLanguage(lang::Lang::kEnglish), true);

}  // namespace
