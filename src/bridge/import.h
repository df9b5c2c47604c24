// exameo-import: foreign question files in, new disciplines in a Base folder out.
#pragma once

#include <cstdio>

namespace bridge {

inline constexpr int kImportClean = 0;    // written, nothing reported
inline constexpr int kImportLossy = 1;    // written, with reported losses
inline constexpr int kImportNothing = 2;  // nothing written

// The whole tool: arguments (UTF-8) in, the summary on `out`, notes and complaints on `err`.
int RunImport(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace bridge
