// The pictures a UTF-8 question file names: each is found, read and judged as the program would
// draw it, and every one the program would show as its text is named at its line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "check_format.h"

namespace check {

// Checks the picture references of a question file's bytes (nothing for a Windows-1251 file,
// whose `![` is text). `folder` is the question file's folder on the host, `depth` how many
// folders it lies below Base (how far `..` may climb).
void CheckPictures(std::string_view bytes, const std::filesystem::path& folder, int depth,
                   const std::string& file, Report* report);

}  // namespace check
