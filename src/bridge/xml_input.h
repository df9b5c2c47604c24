// A Moodle XML file as libxml2 reads it: in its declared encoding, its DTD's internal entities
// expanded within limits, external ones left unread; written out again as plain UTF-8 XML for
// the reader's tree.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge/encoding.h"
#include "bridge/model.h"

namespace bridge {

// What the reader builds its tree from: UTF-8 XML without declaration, DTD, comments or
// processing instructions, every entity expanded, and the input line of each element.
struct XmlInput {
  std::string xml;
  std::vector<std::pair<std::size_t, int>> lines;  // offset of an element's name -> its line

  // The input line of the element whose name is at `offset` (or of the last one before it).
  int LineAt(std::ptrdiff_t offset) const;
};

// The most memory the reader's tree of a file may take: with the file and its UTF-8 copy a
// 20 MiB file stays within 200 MiB. A file of little but markup (millions of empty elements)
// would make a tree many times its size: it is refused, as a Moodle export has far fewer
// elements for its size. Each element counts as 96 bytes (a node of some 64 and the text
// between elements), each attribute as 40.
inline constexpr std::size_t kMaxXmlTreeBytes = std::size_t{120} << 20;

// The most text all entity references of a file may expand to, over the file's own size: far
// more than any bank's entities, far less than the memory a "billion laughs" would fill.
inline constexpr std::size_t kMaxEntityExpansion = std::size_t{4} << 20;

// Reads `bytes` through libxml2: a byte order mark, UTF-16 told by its zero bytes or `forced`
// decide the encoding, else the XML declaration, else UTF-8 when the file reads as UTF-8,
// else Windows-1251 (remarked). False, with *error as "LINE: what", when the parser rejects
// it (an expansion or a tree over its limit included). Entities declared outside the file are
// noted.
bool ReadXmlInput(const Source& source, std::string_view bytes, Encoding forced, XmlInput* out,
                  Report* report, std::string* error);

}  // namespace bridge
