#include "bridge/office_xml.h"

#include "bridge/sax_handler.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <vector>

namespace bridge {

namespace {

std::string_view V(const xmlChar* s) {
  return s == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(s));
}

bool StartsWith(std::string_view s, std::string_view head) {
  return s.substr(0, head.size()) == head;
}

Ns NsOf(std::string_view uri) {
  constexpr std::string_view kT = "http://schemas.openxmlformats.org/";
  constexpr std::string_view kS = "http://purl.oclc.org/ooxml/";
  if (uri == "urn:schemas-microsoft-com:vml") return Ns::kVml;
  if (uri == "http://schemas.openxmlformats.org/package/2006/relationships") return Ns::kPackageRel;
  std::string_view rest;
  if (StartsWith(uri, kT))
    rest = uri.substr(kT.size());
  else if (StartsWith(uri, kS))
    rest = uri.substr(kS.size());
  else
    return Ns::kOther;
  if (rest == "wordprocessingml/2006/main" || rest == "wordprocessingml/main") return Ns::kWord;
  if (rest == "officeDocument/2006/math" || rest == "officeDocument/math") return Ns::kMath;
  if (rest == "spreadsheetml/2006/main" || rest == "spreadsheetml/main") return Ns::kSheet;
  if (rest == "officeDocument/2006/relationships" || rest == "officeDocument/relationships")
    return Ns::kRel;
  if (StartsWith(rest, "drawingml/")) return Ns::kDrawing;
  return Ns::kOther;
}

bool IsCompat(std::string_view uri) {
  return uri == "http://schemas.openxmlformats.org/markup-compatibility/2006";
}

struct Parse {
  const XmlEvents* events = nullptr;
  xmlParserCtxtPtr ctxt = nullptr;
  // Elements skipped whole (a fallback of mc:AlternateContent): depth inside the skipped one.
  int skipping = 0;
  // Per open mc:AlternateContent: whether a choice was handed over already.
  std::vector<bool> alternates;
  std::vector<XmlAttr> attrs;
  bool failed = false;
  int errorLine = 0;
  std::string errorMessage;
};

Parse& Of(void* ctx) {
  return *static_cast<Parse*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void Start(void* ctx, const xmlChar* local, const xmlChar*, const xmlChar* uri, int,
           const xmlChar**, int count, int, const xmlChar** attributes) {
  Parse& p = Of(ctx);
  if (p.skipping > 0) {
    ++p.skipping;
    return;
  }
  std::string_view name = V(local);
  if (IsCompat(V(uri))) {
    if (name == "AlternateContent") {
      p.alternates.push_back(false);
    } else if ((name == "Choice" || name == "Fallback") && !p.alternates.empty()) {
      if (p.alternates.back()) p.skipping = 1;
      p.alternates.back() = true;
    }
    return;
  }
  p.attrs.clear();
  for (int i = 0; i < count; ++i) {
    const xmlChar** a = attributes + 5 * i;
    p.attrs.push_back(XmlAttr{V(a[0]), std::string_view(reinterpret_cast<const char*>(a[3]),
                                                        static_cast<std::size_t>(a[4] - a[3]))});
  }
  XmlElement e{NsOf(V(uri)), name, p.attrs.data(), count};
  if (p.events->start) p.events->start(p.events->context, e);
}

void End(void* ctx, const xmlChar* local, const xmlChar*, const xmlChar* uri) {
  Parse& p = Of(ctx);
  if (p.skipping > 0) {
    --p.skipping;
    return;
  }
  std::string_view name = V(local);
  if (IsCompat(V(uri))) {
    if (name == "AlternateContent" && !p.alternates.empty()) p.alternates.pop_back();
    return;
  }
  if (p.events->end) p.events->end(p.events->context, NsOf(V(uri)), name);
}

void Characters(void* ctx, const xmlChar* text, int len) {
  Parse& p = Of(ctx);
  if (p.skipping > 0 || !p.events->text) return;
  p.events->text(p.events->context,
                 std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len)));
}

void Error(void* ctx, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_FATAL) return;
  Parse& p = Of(ctx);
  if (p.failed) return;
  p.failed = true;
  p.errorLine = error->line;
  p.errorMessage = error->message != nullptr ? error->message : "not well-formed";
  while (!p.errorMessage.empty() && (p.errorMessage.back() == '\n' || p.errorMessage.back() == ' '))
    p.errorMessage.pop_back();
}

xmlParserInputPtr NoEntity(void*, const xmlChar*, const xmlChar*) {
  return nullptr;
}


bool Feed(void* context, const char* data, std::size_t size) {
  Parse& p = *static_cast<Parse*>(context);
  xmlParseChunk(p.ctxt, data, static_cast<int>(size), 0);
  return !p.failed;
}

}  // namespace

lang::Text ZipFaultText(const ZipInput& zip, std::string_view kind) {
  switch (zip.fault()) {
    case ZipFault::kNotZip:
      return lang::Say(lang::Id::kOfficeNotZip, kind);
    case ZipFault::kTooManyParts:
      return lang::Say(lang::Id::kOfficeTooManyParts, zip.limits().parts);
    case ZipFault::kPartTooLarge:
      return lang::Say(lang::Id::kOfficePartTooLarge, zip.faultPart(), zip.limits().part >> 20);
    case ZipFault::kTooLarge:
      return lang::Say(lang::Id::kOfficeTooLarge, zip.limits().total >> 20);
    case ZipFault::kDamaged:
      return lang::Say(lang::Id::kOfficeDamaged, zip.faultPart());
    case ZipFault::kMissing:
      return lang::Say(lang::Id::kOfficeMissing, zip.faultPart());
    case ZipFault::kNone:
      break;
  }
  return lang::Say(lang::Id::kOfficeNotZip, kind);
}

bool ParsePart(ZipInput* zip, std::string_view name, const XmlEvents& events, lang::Text* reason,
               std::string_view kind) {
  xmlSAXHandler sax = QuietSaxHandler();
  sax.startElementNs = &Start;
  sax.endElementNs = &End;
  sax.characters = &Characters;
  sax.ignorableWhitespace = &Characters;
  sax.cdataBlock = &Characters;
  sax.resolveEntity = &NoEntity;
  sax.serror = &Error;
  Parse p;
  p.events = &events;
  p.ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
  if (p.ctxt == nullptr) {
    *reason = lang::Say(lang::Id::kOfficeXml, name, 1, "out of memory");
    return false;
  }
  p.ctxt->_private = &p;
  // Nothing fetched, entities left to libxml2's own limits (no XML_PARSE_HUGE).
  xmlCtxtUseOptions(p.ctxt, XML_PARSE_NONET);
  bool streamed = zip->Stream(name, &Feed, &p);
  if (streamed && !p.failed) xmlParseChunk(p.ctxt, nullptr, 0, 1);
  bool wellFormed = p.ctxt->wellFormed != 0 && !p.failed;
  if (p.ctxt->myDoc != nullptr) xmlFreeDoc(p.ctxt->myDoc);
  p.ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(p.ctxt);
  if (!streamed && !p.failed) {
    *reason = ZipFaultText(*zip, kind);
    return false;
  }
  if (!wellFormed) {
    *reason = lang::Say(lang::Id::kOfficeXml, name, p.errorLine > 0 ? p.errorLine : 1,
                        p.errorMessage.empty() ? std::string("not well-formed") : p.errorMessage);
    return false;
  }
  return true;
}

namespace {

// "word/" + "media/a.png" -> "word/media/a.png"; "/xl/x.xml" -> "xl/x.xml"; ".." climbs.
std::string Resolve(std::string_view folder, std::string_view target) {
  std::string path = target.substr(0, 1) == "/" ? std::string(target.substr(1))
                                                : std::string(folder) + std::string(target);
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part += path[i];
    }
  }
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

struct Rels {
  std::string_view folder;
  std::vector<Relationship>* out;
};

void RelStart(void* context, const XmlElement& e) {
  if (e.local != "Relationship") return;
  Rels& r = *static_cast<Rels*>(context);
  std::string_view type = e.Attr("Type");
  std::size_t slash = type.rfind('/');
  // An external target is a URL or a path outside the package: kept as written, never a part.
  bool external = e.Attr("TargetMode") == "External";
  r.out->push_back(Relationship{
      std::string(e.Attr("Id")),
      external ? std::string(e.Attr("Target")) : Resolve(r.folder, e.Attr("Target")),
      std::string(slash == std::string_view::npos ? type : type.substr(slash + 1)), external});
}

}  // namespace

bool ReadRelationships(ZipInput* zip, std::string_view rels, std::string_view folder,
                       std::vector<Relationship>* out, lang::Text* reason, std::string_view kind) {
  out->clear();
  if (!zip->Has(rels)) return true;
  Rels r{folder, out};
  XmlEvents events;
  events.start = &RelStart;
  events.context = &r;
  return ParsePart(zip, rels, events, reason, kind);
}

bool IsLegacyOffice(std::string_view bytes) {
  return bytes.size() >= 4 && bytes.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4);
}

bool OpenOffice(std::string_view bytes, ZipInput* zip, const char* legacy, const char* modern,
                std::string_view kind, lang::Text* reason) {
  if (IsLegacyOffice(bytes)) {
    *reason = lang::Say(lang::Id::kOfficeLegacy, legacy, modern);
    return false;
  }
  if (!zip->Open()) {
    *reason = ZipFaultText(*zip, kind);
    return false;
  }
  return true;
}

}  // namespace bridge
