// Pictures that come with questions: telling a picture file from any other, carrying it in the
// bank's texts as a mark, base64, and the files of one folder.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bridge {

// U+FDD0, a noncharacter: the HTML reader turns a text's own into U+FFFD, so in a text it read
// the mark is always one of its pictures. A picture is the mark, its id in decimal, the mark.
inline constexpr std::string_view kPictureMark = "\xEF\xB7\x90";
std::string PictureMarker(std::size_t id);

// A piece of a marked text: a run of text or a picture.
struct MarkedPiece {
  bool picture = false;
  std::string_view text;  // a run's text
  std::size_t id = 0;     // a picture's id
};
// The pieces of a text; a mark that does not name a picture below `count` stays text.
std::vector<MarkedPiece> SplitMarked(std::string_view text, std::size_t count);
inline bool HasMarks(std::string_view text) {
  return text.find(kPictureMark) != std::string_view::npos;
}

// What a file is. PNG, JPEG, GIF and BMP are decoded by stb_image: a file it cannot decode is no
// picture. Windows metafiles (Word's old equations) are told by their documented headers: the
// placeable key 0x9AC6CDD7 or a standard header (type 1 or 2, 9 words), and EMF by its first
// record (type 1) with the signature " EMF".
enum class PictureKind { kNone, kPng, kJpeg, kGif, kBmp, kWmf, kEmf };
PictureKind RecognisePicture(std::string_view bytes);

// Base64 as MIME and XML write it (white space anywhere, '=' padding). False for anything else.
bool DecodeBase64(std::string_view text, std::string* out);
std::string EncodeBase64(std::string_view bytes);

// A picture's name as a file on any system can hold it: its last path part, each character no
// Windows file name holds (and '<', '>', which no reference holds) made '_', no leading or
// trailing dot or space, a device name (CON, NUL, ...) prefixed by '_'; "picture" when nothing
// is left. Empty `name` gives "picture".
std::string PictureFileName(std::string_view name);

// The files of one picture folder: the same bytes share one file, another picture of a name
// taken (without regard to case, as on Windows) gets "-2", "-3" before its extension.
class PictureFolder {
 public:
  // The file name the picture has in the folder.
  std::string Add(std::string_view name, std::string_view bytes);
  const std::vector<std::pair<std::string, std::string>>& Files() const { return files_; }
  bool Empty() const { return files_.empty(); }

 private:
  std::vector<std::pair<std::string, std::string>> files_;  // name, bytes
  std::unordered_multimap<std::size_t, std::size_t> byHash_;
  std::set<std::string> taken_;  // lower-cased names
};

}  // namespace bridge
