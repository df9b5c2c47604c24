// What a picture file holds, read by a real image library: its format, its size, and whether it
// decodes. For the tools (exameo-check, the import), which run where no window system draws;
// the program itself decodes with the system's own library (platform/window_system.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace picinfo {

enum class Format { kUnknown, kPng, kJpeg, kGif, kBmp, kWmf, kEmf };

enum class Fault {
  kNone,
  kUnreadable,  // no picture of a known format, or a damaged one
  kTooLarge,    // over picture_limits' size in bytes or pixels
};

struct Info {
  Fault fault = Fault::kNone;
  Format format = Format::kUnknown;
  // Pixels at 96 DPI; a metafile's by its header (10 cm wide, 4:3, when it gives none).
  int width = 0;
  int height = 0;
};

// Reads the bytes of a picture file: PNG, JPEG, GIF and BMP decoded whole by stb_image (a file
// whose header reads but whose data is damaged is unreadable); WMF and EMF by their documented
// headers (the placeable WMF header and EMF's EMR_HEADER record), which is all a tool can read
// of them without the system's drawing.
Info Read(std::string_view bytes);

// The format's name in messages ("PNG", ...).
const char* FormatName(Format format);

// The folder of a topic's question file ("Base\d\t.txt" -> "Base\d\", Windows-1251 or a UTF-8
// path) as UTF-8 with `/` separators, and how many folders it lies below Base (for
// picref::CheckPath).
struct Folder {
  std::string path;  // "Base/d/"
  int depth = 0;
};
Folder FolderOf(files::Path topicPath);

}  // namespace picinfo
