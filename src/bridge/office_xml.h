// The XML parts of Word documents and spreadsheets, streamed from their zip through libxml2's
// push parser: the readers see elements and text as they come, no tree is built, so a large
// document costs its zip and the reader's own records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/model.h"
#include "bridge/zip_archive.h"
#include "common/texts.h"

namespace bridge {

// The namespaces the readers tell apart (transitional and strict forms alike).
enum class Ns : unsigned char {
  kOther,
  kWord,     // wordprocessingml main
  kMath,     // officeDocument math
  kVml,      // urn:schemas-microsoft-com:vml
  kDrawing,  // drawingml and its picture and wordprocessingDrawing parts
  kSheet,    // spreadsheetml main
  kRel,      // officeDocument relationships (attributes r:id)
  kPackageRel,  // package relationships (the .rels parts)
};

struct XmlAttr {
  std::string_view local;
  std::string_view value;
};

struct XmlElement {
  Ns ns = Ns::kOther;
  std::string_view local;
  const XmlAttr* attrs = nullptr;
  int count = 0;

  // The value of the attribute of local name `name` (any namespace), or "" when absent.
  std::string_view Attr(std::string_view name) const {
    for (int i = 0; i < count; ++i)
      if (attrs[i].local == name) return attrs[i].value;
    return {};
  }
  bool Is(Ns n, std::string_view name) const { return ns == n && local == name; }
};

// What a reader does with a part's events. Of an mc:AlternateContent only the first choice is
// handed over (the fallbacks repeat it for older programs).
struct XmlEvents {
  void (*start)(void* context, const XmlElement& element) = nullptr;
  void (*end)(void* context, Ns ns, std::string_view local) = nullptr;
  void (*text)(void* context, std::string_view text) = nullptr;
  void* context = nullptr;
};

// The reason a zip fault refuses the input (the part named).
lang::Text ZipFaultText(const ZipInput& zip, std::string_view kind);

// Streams part `name` of `zip` to `events`. False, with *reason, when the zip or the XML fails.
bool ParsePart(ZipInput* zip, std::string_view name, const XmlEvents& events, lang::Text* reason,
               std::string_view kind);

// The target of each relationship of a .rels part: id -> target path resolved against
// `folder` ("word/"), or as written when external. Missing part: empty.
struct Relationship {
  std::string id;
  std::string target;
  std::string type;  // its last path component ("image", "numbering", "worksheet", ...)
  bool external = false;  // TargetMode="External": `target` as written, no part of the zip
};
bool ReadRelationships(ZipInput* zip, std::string_view rels, std::string_view folder,
                       std::vector<Relationship>* out, lang::Text* reason, std::string_view kind);

// Whether `bytes` begin with the signature of the compound files of the old Office formats.
bool IsLegacyOffice(std::string_view bytes);

// Opens the zip of a Word document or a spreadsheet (`zip` made over `bytes`). False, with
// *reason, for a file of the old format (`legacy`, to be saved as `modern`: ".doc", ".docx")
// or a zip that cannot be read.
bool OpenOffice(std::string_view bytes, ZipInput* zip, const char* legacy, const char* modern,
                std::string_view kind, lang::Text* reason);

}  // namespace bridge
