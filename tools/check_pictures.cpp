// Checking the pictures of a question file.
#include "check_pictures.h"

#include <system_error>

#include "bank/picture_info.h"
#include "bank/picture_ref.h"
#include "common/picture_limits.h"
#include "common/utf8.h"
#include "check_host.h"

namespace check {

namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

void CheckOne(const picref::Run& run, const fs::path& folder, int depth, const std::string& file,
              int line, Report* report) {
  const picref::CheckedPath checked = picref::CheckPath(run.path, depth);
  if (checked.fault == picref::PathFault::kOutsideBase) {
    report->Add(file, line, lang::Say(lang::Id::kChkPictureOutside, run.path));
    return;
  }
  if (checked.fault != picref::PathFault::kNone) {
    report->Add(file, line,
                lang::Say(lang::Id::kChkPicturePath, run.path, picref::FaultName(checked.fault)));
    return;
  }
  const fs::path path = folder / FromUtf8(checked.path);
  std::error_code error;
  const bool regular = fs::is_regular_file(path, error);
  if (!regular) {
    report->Add(file, line, lang::Say(lang::Id::kChkPictureMissing, run.path));
    return;
  }
  // Its size first: a file over the limit is never read into memory.
  const auto size = fs::file_size(path, error);
  if (!error && size > static_cast<std::uintmax_t>(picture_limits::kMaxBytes)) {
    report->Add(file, line, lang::Say(lang::Id::kChkPictureTooLarge, run.path));
    return;
  }
  std::string bytes;
  if (error || !ReadWholeFile(path, &bytes)) {
    report->Add(file, line, lang::Say(lang::Id::kChkPictureMissing, run.path));
    return;
  }
  const picinfo::Info info = picinfo::Read(bytes);
  if (info.fault == picinfo::Fault::kTooLarge)
    report->Add(file, line, lang::Say(lang::Id::kChkPictureTooLarge, run.path));
  else if (info.fault != picinfo::Fault::kNone)
    report->Add(file, line, lang::Say(lang::Id::kChkPictureUnreadable, run.path));
}

}  // namespace

void CheckPictures(std::string_view bytes, const fs::path& folder, int depth,
                   const std::string& file, Report* report) {
  if (!HasUtf8Mark(bytes)) return;
  bytes.remove_prefix(3);
  int line = 1;
  std::size_t start = 0;
  // Lines end at CR LF, a lone CR or a lone LF, as the loader counts them.
  while (start <= bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view text = bytes.substr(start, end - start);
    if (picref::HasPicture(text) || text.find("![") != std::string_view::npos) {
      const picref::Split split = picref::SplitText(text);
      for (const picref::Run& run : split.runs)
        if (run.picture) CheckOne(run, folder, depth, file, line, report);
      // Columns count characters, as an editor shows them.
      for (std::size_t at : split.unclosed)
        report->Add(file, line,
                    lang::Say(lang::Id::kChkPictureUnclosed,
                              static_cast<long long>(utf8::CountChars(text.substr(0, at))) + 1));
    }
    if (end == bytes.size()) break;
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    ++line;
  }
}

}  // namespace check
